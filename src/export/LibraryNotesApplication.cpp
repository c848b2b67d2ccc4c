// The Notes scripting objects over a loaded library folder: each property
// read is one request, which tests can watch or make fail.
#include "export/NotesLibrary.h"
#include "platform/LocalizedString.h"

#include "platform/FileManager.h"
#include "platform/FileURL.h"
#include "platform/Log.h"

#include <QFile>
#include <cerrno>
#include <sys/stat.h>

namespace {

class LibraryObject {
protected:
    LibraryObject(std::shared_ptr<LibraryNotesApplication> app, int index) : m_app(std::move(app)), m_index(index) {}
    const NotesLibrary& library() const { return m_app->library(); }
    bool ask(const char* what, const QString& id) const { return m_app->request(QString::fromLatin1(what), id); }

    template <typename Object>
    QList<std::shared_ptr<Object>> elements(const std::vector<int>& indices) const;

    std::shared_ptr<LibraryNotesApplication> m_app;
    int m_index;
};

class LibraryAttachment final : public NotesAttachment, LibraryObject {
public:
    LibraryAttachment(std::shared_ptr<LibraryNotesApplication> app, int index) : LibraryObject(std::move(app), index) {}
    const NotesLibrary::Attachment& data() const { return library().attachments()[size_t(m_index)]; }

    QString name() override { return ask("attachment.name", data().id) ? data().name : QString(); }
    std::optional<QString> URL() override
    {
        return ask("attachment.URL", data().id) ? data().url : std::nullopt;
    }
    std::optional<QDateTime> creationDate() override
    {
        return ask("attachment.creationDate", data().id) ? data().creationDate : std::nullopt;
    }
    std::optional<QDateTime> modificationDate() override
    {
        return ask("attachment.modificationDate", data().id) ? data().modificationDate : std::nullopt;
    }
    void saveIn(const QUrl& fileURL, FourCharCode) override
    {
        m_problem.clear();
        if (!ask("attachment.saveIn", data().id) || data().filePath.isEmpty())
            return;
        platform::Error error;
        const auto fd = library().openFile(data().filePath, &error);
        // Whatever cannot be saved is left out and named in the summary.
        if (!fd.isValid()) {
            struct stat info {};
            const bool missing = ::lstat(QFile::encodeName(data().filePath).constData(), &info) != 0 && errno == ENOENT;
            m_problem = missing ? platform::localizedString("its file is missing") : error.localizedDescription();
            platform::logLine(QStringLiteral("Couldn't save attachment: %1").arg(error.localizedDescription()));
            return;
        }
        const QUrl source = platform::fileurl::fromPath(data().filePath, false);
        if (!platform::FileManager::defaultManager()->copyFromDescriptor(fd.get(), source, fileURL,
                                                                          NotesLibrary::kMaxAttachmentBytes, &error)) {
            m_problem = error.localizedDescription();
            platform::logLine(QStringLiteral("Couldn't save attachment: %1").arg(error.localizedDescription()));
        }
    }
    QString saveProblem() override { return m_problem; }

private:
    QString m_problem; // of the last saveIn
};

class LibraryNote final : public NotesNote, LibraryObject {
public:
    LibraryNote(std::shared_ptr<LibraryNotesApplication> app, int index) : LibraryObject(std::move(app), index) {}
    const NotesLibrary::Note& data() const { return library().notes()[size_t(m_index)]; }

    // The id is part of the reference to the note, not a request of its own.
    QString id() override { return data().id; }
    QString name() override { return ask("note.name", data().id) ? data().name : QString(); }
    QString body() override
    {
        if (!ask("note.body", data().id))
            return {};
        // An unreadable body reads as empty, and the reason is kept for the summary.
        QString body;
        platform::Error error;
        m_problem.clear();
        if (!library().readBody(data(), body, &error)) {
            platform::logLine(error.localizedDescription());
            m_problem = error.localizedDescription();
        }
        return body;
    }
    QByteArray bodyUTF8() override
    {
        if (!ask("note.body", data().id))
            return {};
        QByteArray body;
        platform::Error error;
        m_problem.clear();
        if (!library().readBodyUTF8(data(), body, &error)) {
            platform::logLine(error.localizedDescription());
            m_problem = error.localizedDescription();
        }
        return body;
    }
    QString bodyProblem() override { return m_problem; }
    bool hasBody() override { return ask("note.body", data().id) && library().hasBody(data()); }
    bool passwordProtected() override { return ask("note.passwordProtected", data().id) && data().passwordProtected; }
    std::optional<QDateTime> creationDate() override
    {
        return ask("note.creationDate", data().id) ? data().creationDate : std::nullopt;
    }
    std::optional<QDateTime> modificationDate() override
    {
        return ask("note.modificationDate", data().id) ? data().modificationDate : std::nullopt;
    }
    QList<std::shared_ptr<NotesAttachment>> attachments() override
    {
        if (!ask("note.attachments", data().id))
            return {};
        return elements<NotesAttachment>(data().attachments);
    }

private:
    QString m_problem;
};

class LibraryFolder final : public NotesFolder, LibraryObject {
public:
    LibraryFolder(std::shared_ptr<LibraryNotesApplication> app, int index) : LibraryObject(std::move(app), index) {}
    const NotesLibrary::Folder& data() const { return library().folders()[size_t(m_index)]; }

    QString id() override { return ask("folder.id", data().id) ? data().id : QString(); }
    QString name() override { return ask("folder.name", data().id) ? data().name : QString(); }
    QList<std::shared_ptr<NotesFolder>> folders() override
    {
        return ask("folder.folders", data().id) ? elements<NotesFolder>(data().folders) : QList<std::shared_ptr<NotesFolder>>();
    }
    QList<std::shared_ptr<NotesNote>> notes() override
    {
        return ask("folder.notes", data().id) ? elements<NotesNote>(data().notes) : QList<std::shared_ptr<NotesNote>>();
    }
};

class LibraryAccount final : public NotesAccount, LibraryObject {
public:
    LibraryAccount(std::shared_ptr<LibraryNotesApplication> app, int index) : LibraryObject(std::move(app), index) {}
    const NotesLibrary::Account& data() const { return library().accounts()[size_t(m_index)]; }

    QString id() override { return ask("account.id", data().id) ? data().id : QString(); }
    QString name() override { return ask("account.name", data().id) ? data().name : QString(); }
    QList<std::shared_ptr<NotesFolder>> folders() override
    {
        return ask("account.folders", data().id) ? elements<NotesFolder>(data().folders) : QList<std::shared_ptr<NotesFolder>>();
    }
};

template <typename Object>
QList<std::shared_ptr<Object>> LibraryObject::elements(const std::vector<int>& indices) const
{
    QList<std::shared_ptr<Object>> result;
    result.reserve(qsizetype(indices.size()));
    for (int index : indices) {
        if constexpr (std::is_same_v<Object, NotesFolder>)
            result.append(std::make_shared<LibraryFolder>(m_app, index));
        else if constexpr (std::is_same_v<Object, NotesNote>)
            result.append(std::make_shared<LibraryNote>(m_app, index));
        else
            result.append(std::make_shared<LibraryAttachment>(m_app, index));
    }
    return result;
}

} // namespace

LibraryNotesApplication::LibraryNotesApplication(std::shared_ptr<const NotesLibrary> library)
    : m_library(std::move(library))
{
}

std::shared_ptr<LibraryNotesApplication> LibraryNotesApplication::make(std::shared_ptr<const NotesLibrary> library)
{
    return std::shared_ptr<LibraryNotesApplication>(new LibraryNotesApplication(std::move(library)));
}

QList<std::shared_ptr<NotesAccount>> LibraryNotesApplication::accounts()
{
    QList<std::shared_ptr<NotesAccount>> result;
    if (!request(QStringLiteral("application.accounts"), QString()))
        return result;
    const auto self = shared_from_this();
    for (size_t i = 0; i < m_library->accounts().size(); ++i)
        result.append(std::make_shared<LibraryAccount>(self, int(i)));
    return result;
}

bool LibraryNotesApplication::isReachable(platform::Error* error)
{
    return m_library->folderIsInPlace(error);
}

void LibraryNotesApplication::setFailingRequests(RequestFilter filter)
{
    std::lock_guard lock(m_mutex);
    m_failing = std::move(filter);
}

void LibraryNotesApplication::setRequestObserver(std::function<void(const Request&)> observer)
{
    std::lock_guard lock(m_mutex);
    m_observer = std::move(observer);
}

int LibraryNotesApplication::requestCount(const QString& what) const
{
    std::lock_guard lock(m_mutex);
    return m_counts.value(what);
}

bool LibraryNotesApplication::request(const QString& what, const QString& objectID)
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
