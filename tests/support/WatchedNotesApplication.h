#pragma once

#include "export/NotesScripting.h"

#include <functional>
#include <memory>
#include <mutex>

namespace testsupport {

// Wraps any Notes source so that a test can play a flaky or busy Notes:
// every property read through it is one request, which can be made to
// fail (it then reads as empty, as a failed request to Notes does) and is
// shown to an observer before it is answered.
class WatchedNotesApplication final : public NotesApplication,
                                      public std::enable_shared_from_this<WatchedNotesApplication> {
public:
    // What is asked ("note.body", "folder.notes", ...) and of what: the id
    // of an account or folder, the name of a note or attachment, empty for
    // the application.
    struct Request {
        QString what;
        QString objectID;
    };
    using RequestFilter = std::function<bool(const Request&)>;

    static std::shared_ptr<WatchedNotesApplication> wrap(std::shared_ptr<NotesApplication> inner);

    QList<std::shared_ptr<NotesAccount>> accounts() override;
    bool isReachable(platform::Error* error) override { return m_inner->isReachable(error); }
    QStringList summaryRemarks() override { return m_inner->summaryRemarks(); }

    // Requests for which `filter` answers true fail.
    void setFailingRequests(RequestFilter filter);
    // Called for every request, before it is answered; may run on any thread.
    void setRequestObserver(std::function<void(const Request&)> observer);

    // Shows the request to the observer and answers whether it succeeds.
    bool request(const QString& what, const QString& objectID);

private:
    explicit WatchedNotesApplication(std::shared_ptr<NotesApplication> inner) : m_inner(std::move(inner)) {}

    std::shared_ptr<NotesApplication> m_inner;
    mutable std::mutex m_mutex;
    RequestFilter m_failing;
    std::function<void(const Request&)> m_observer;
};

} // namespace testsupport
