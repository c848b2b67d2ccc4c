#include "support/WatchedNotesApplication.h"

namespace testsupport {
namespace {

using App = std::shared_ptr<WatchedNotesApplication>;
using Folders = QList<std::shared_ptr<NotesFolder>>;

// Each wrapper asks the application before it passes a read on, and wraps
// what it hands out, so that a whole walk of the library is watched.
template <typename Inner>
class Watched {
protected:
    Watched(App app, std::shared_ptr<Inner> inner) : m_app(std::move(app)), m_inner(std::move(inner)) {}
    bool ask(const char* what, const QString& id) const { return m_app->request(QString::fromLatin1(what), id); }
    template <typename Wrapper, typename Object>
    QList<std::shared_ptr<Object>> wrapped(const char* what, const QString& id,
                                           const std::function<QList<std::shared_ptr<Object>>()>& list) const
    {
        QList<std::shared_ptr<Object>> result;
        if (ask(what, id))
            for (const auto& object : list())
                result.append(std::make_shared<Wrapper>(m_app, object));
        return result;
    }

    App m_app;
    std::shared_ptr<Inner> m_inner;
};

// Notes and attachments have no id in the interface: their name stands in.
class WatchedAttachment final : public NotesAttachment, Watched<NotesAttachment> {
public:
    WatchedAttachment(App app, std::shared_ptr<NotesAttachment> inner) : Watched(std::move(app), std::move(inner)) {}
    QString name() override { return ask("attachment.name", key()) ? m_inner->name() : QString(); }
    std::optional<QString> URL() override { return ask("attachment.URL", key()) ? m_inner->URL() : std::nullopt; }
    std::optional<QDateTime> creationDate() override
    {
        return ask("attachment.creationDate", key()) ? m_inner->creationDate() : std::nullopt;
    }
    std::optional<QDateTime> modificationDate() override
    {
        return ask("attachment.modificationDate", key()) ? m_inner->modificationDate() : std::nullopt;
    }
    void saveIn(const QUrl& fileURL, FourCharCode format) override
    {
        if (ask("attachment.saveIn", key()))
            m_inner->saveIn(fileURL, format);
    }
    QString saveProblem() override { return m_inner->saveProblem(); }
    QString contentID() override { return m_inner->contentID(); }

private:
    QString key() const { return m_inner->name(); }
};

class WatchedNote final : public NotesNote, Watched<NotesNote> {
public:
    WatchedNote(App app, std::shared_ptr<NotesNote> inner) : Watched(std::move(app), std::move(inner)) {}
    // The id is part of the reference to the note, not a request of its own.
    QString id() override { return m_inner->id(); }
    QString name() override { return ask("note.name", key()) ? m_inner->name() : QString(); }
    QString body() override { return ask("note.body", key()) ? m_inner->body() : QString(); }
    QByteArray bodyUTF8() override { return ask("note.body", key()) ? m_inner->bodyUTF8() : QByteArray(); }
    QString bodyProblem() override { return m_inner->bodyProblem(); }
    bool hasBody() override { return ask("note.body", key()) && m_inner->hasBody(); }
    bool passwordProtected() override { return ask("note.passwordProtected", key()) && m_inner->passwordProtected(); }
    std::optional<QDateTime> creationDate() override
    {
        return ask("note.creationDate", key()) ? m_inner->creationDate() : std::nullopt;
    }
    std::optional<QDateTime> modificationDate() override
    {
        return ask("note.modificationDate", key()) ? m_inner->modificationDate() : std::nullopt;
    }
    QList<std::shared_ptr<NotesAttachment>> attachments() override
    {
        return wrapped<WatchedAttachment, NotesAttachment>("note.attachments", key(), [this] { return m_inner->attachments(); });
    }

private:
    QString key() const { return m_inner->name(); }
};

class WatchedFolder final : public NotesFolder, Watched<NotesFolder> {
public:
    WatchedFolder(App app, std::shared_ptr<NotesFolder> inner) : Watched(std::move(app), std::move(inner)) {}
    QString id() override { return ask("folder.id", m_inner->id()) ? m_inner->id() : QString(); }
    QString name() override { return ask("folder.name", m_inner->id()) ? m_inner->name() : QString(); }
    Folders folders() override
    {
        return wrapped<WatchedFolder, NotesFolder>("folder.folders", m_inner->id(), [this] { return m_inner->folders(); });
    }
    QList<std::shared_ptr<NotesNote>> notes() override
    {
        return wrapped<WatchedNote, NotesNote>("folder.notes", m_inner->id(), [this] { return m_inner->notes(); });
    }
};

class WatchedAccount final : public NotesAccount, Watched<NotesAccount> {
public:
    WatchedAccount(App app, std::shared_ptr<NotesAccount> inner) : Watched(std::move(app), std::move(inner)) {}
    QString id() override { return ask("account.id", m_inner->id()) ? m_inner->id() : QString(); }
    QString name() override { return ask("account.name", m_inner->id()) ? m_inner->name() : QString(); }
    Folders folders() override
    {
        return wrapped<WatchedFolder, NotesFolder>("account.folders", m_inner->id(), [this] { return m_inner->folders(); });
    }
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

int WatchedNotesApplication::requestCount(const QString& what) const
{
    std::lock_guard lock(m_mutex);
    return m_counts.value(what);
}

bool WatchedNotesApplication::request(const QString& what, const QString& objectID)
{
    const Request request{what, objectID};
    RequestFilter failing;
    std::function<void(const Request&)> observer;
    {
        std::lock_guard lock(m_mutex);
        ++m_counts[what];
        failing = m_failing;
        observer = m_observer;
    }
    if (observer)
        observer(request);
    return !(failing && failing(request));
}

} // namespace testsupport
