#include "support/WatchedNotesApplication.h"

#include <type_traits>

namespace testsupport {
namespace {

using App = std::shared_ptr<WatchedNotesApplication>;
using Folders = QList<std::shared_ptr<NotesFolder>>;
using Date = std::optional<QDateTime>;

// Each wrapper asks the application before it passes a read on, and wraps
// what it hands out, so that a whole walk of the library is watched.
template <typename Inner>
class Watched {
protected:
    Watched(App app, std::shared_ptr<Inner> inner) : m_app(std::move(app)), m_inner(std::move(inner)) {}

    // Notes and attachments have no id in the interface: their name stands in.
    QString key() const
    {
        if constexpr (std::is_same_v<Inner, NotesNote> || std::is_same_v<Inner, NotesAttachment>)
            return m_inner->name();
        else
            return m_inner->id();
    }
    bool ask(const char* what) const { return m_app->request(QString::fromLatin1(what), key()); }

    // A failed request reads as empty.
    template <typename Result>
    Result read(const char* what, Result (Inner::*get)()) const
    {
        return ask(what) ? (m_inner.get()->*get)() : Result();
    }
    template <typename Wrapper, typename Object>
    QList<std::shared_ptr<Object>> wrapped(const char* what, QList<std::shared_ptr<Object>> (Inner::*list)()) const
    {
        QList<std::shared_ptr<Object>> result;
        if (ask(what))
            for (const auto& object : (m_inner.get()->*list)())
                result.append(std::make_shared<Wrapper>(m_app, object));
        return result;
    }

    App m_app;
    std::shared_ptr<Inner> m_inner;
};

class WatchedAttachment final : public NotesAttachment, Watched<NotesAttachment> {
public:
    WatchedAttachment(App app, std::shared_ptr<NotesAttachment> inner) : Watched(std::move(app), std::move(inner)) {}
    QString name() override { return read("attachment.name", &NotesAttachment::name); }
    std::optional<QString> URL() override { return read("attachment.URL", &NotesAttachment::URL); }
    Date creationDate() override { return read("attachment.creationDate", &NotesAttachment::creationDate); }
    Date modificationDate() override { return read("attachment.modificationDate", &NotesAttachment::modificationDate); }
    void saveIn(const QUrl& fileURL, FourCharCode format) override
    {
        if (ask("attachment.saveIn"))
            m_inner->saveIn(fileURL, format);
    }
    QString saveProblem() override { return m_inner->saveProblem(); }
    QString contentID() override { return m_inner->contentID(); }
};

class WatchedNote final : public NotesNote, Watched<NotesNote> {
public:
    WatchedNote(App app, std::shared_ptr<NotesNote> inner) : Watched(std::move(app), std::move(inner)) {}
    // The id is part of the reference to the note, not a request of its own.
    QString id() override { return m_inner->id(); }
    QString name() override { return read("note.name", &NotesNote::name); }
    QString body() override { return read("note.body", &NotesNote::body); }
    QByteArray bodyUTF8() override { return read("note.body", &NotesNote::bodyUTF8); }
    QString bodyProblem() override { return m_inner->bodyProblem(); }
    bool hasBody() override { return read("note.body", &NotesNote::hasBody); }
    bool passwordProtected() override { return read("note.passwordProtected", &NotesNote::passwordProtected); }
    Date creationDate() override { return read("note.creationDate", &NotesNote::creationDate); }
    Date modificationDate() override { return read("note.modificationDate", &NotesNote::modificationDate); }
    QList<std::shared_ptr<NotesAttachment>> attachments() override
    {
        return wrapped<WatchedAttachment>("note.attachments", &NotesNote::attachments);
    }
};

class WatchedFolder final : public NotesFolder, Watched<NotesFolder> {
public:
    WatchedFolder(App app, std::shared_ptr<NotesFolder> inner) : Watched(std::move(app), std::move(inner)) {}
    QString id() override { return read("folder.id", &NotesFolder::id); }
    QString name() override { return read("folder.name", &NotesFolder::name); }
    Folders folders() override { return wrapped<WatchedFolder>("folder.folders", &NotesFolder::folders); }
    QList<std::shared_ptr<NotesNote>> notes() override { return wrapped<WatchedNote>("folder.notes", &NotesFolder::notes); }
};

class WatchedAccount final : public NotesAccount, Watched<NotesAccount> {
public:
    WatchedAccount(App app, std::shared_ptr<NotesAccount> inner) : Watched(std::move(app), std::move(inner)) {}
    QString id() override { return read("account.id", &NotesAccount::id); }
    QString name() override { return read("account.name", &NotesAccount::name); }
    Folders folders() override { return wrapped<WatchedFolder>("account.folders", &NotesAccount::folders); }
};

} // namespace

std::shared_ptr<WatchedNotesApplication> WatchedNotesApplication::wrap(std::shared_ptr<NotesApplication> inner)
{
    return std::shared_ptr<WatchedNotesApplication>(new WatchedNotesApplication(std::move(inner)));
}

QList<std::shared_ptr<NotesAccount>> WatchedNotesApplication::accounts()
{
    QList<std::shared_ptr<NotesAccount>> result;
    if (request(QStringLiteral("application.accounts"), QString()))
        for (const auto& account : m_inner->accounts())
            result.append(std::make_shared<WatchedAccount>(shared_from_this(), account));
    return result;
}

void WatchedNotesApplication::setFailingRequests(RequestFilter filter)
{
    std::lock_guard lock(m_mutex);
    m_failing = std::move(filter);
}

void WatchedNotesApplication::setRequestObserver(std::function<void(const Request&)> observer)
{
    std::lock_guard lock(m_mutex);
    m_observer = std::move(observer);
}

bool WatchedNotesApplication::request(const QString& what, const QString& objectID)
{
    std::unique_lock lock(m_mutex);
    const RequestFilter failing = m_failing;
    const auto observer = m_observer;
    lock.unlock();
    const Request request{what, objectID};
    if (observer)
        observer(request);
    return !(failing && failing(request));
}

} // namespace testsupport
