// The Notes scripting objects over a loaded library folder.
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
    using Library = std::shared_ptr<const NotesLibrary>;
    LibraryObject(Library library, int index) : m_library(std::move(library)), m_index(index) {}
    const NotesLibrary& library() const { return *m_library; }

    template <typename Object>
    QList<std::shared_ptr<Object>> elements(const std::vector<int>& indices) const;

    Library m_library;
    int m_index;
};

class LibraryAttachment final : public NotesAttachment, LibraryObject {
public:
    LibraryAttachment(Library library, int index) : LibraryObject(std::move(library), index) {}
    const NotesLibrary::Attachment& data() const { return library().attachments()[size_t(m_index)]; }

    QString name() override { return data().name; }
    std::optional<QString> URL() override { return data().url; }
    std::optional<QDateTime> creationDate() override { return data().creationDate; }
    std::optional<QDateTime> modificationDate() override { return data().modificationDate; }
    void saveIn(const QUrl& fileURL, FourCharCode) override
    {
        m_problem.clear();
        if (data().filePath.isEmpty())
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
    LibraryNote(Library library, int index) : LibraryObject(std::move(library), index) {}
    const NotesLibrary::Note& data() const { return library().notes()[size_t(m_index)]; }

    // The id is part of the reference to the note, not a request of its own.
    QString id() override { return data().id; }
    QString name() override { return data().name; }
    QString body() override
    {
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
    bool hasBody() override { return library().hasBody(data()); }
    bool passwordProtected() override { return data().passwordProtected; }
    std::optional<QDateTime> creationDate() override { return data().creationDate; }
    std::optional<QDateTime> modificationDate() override { return data().modificationDate; }
    QList<std::shared_ptr<NotesAttachment>> attachments() override { return elements<NotesAttachment>(data().attachments); }

private:
    QString m_problem;
};

class LibraryFolder final : public NotesFolder, LibraryObject {
public:
    LibraryFolder(Library library, int index) : LibraryObject(std::move(library), index) {}
    const NotesLibrary::Folder& data() const { return library().folders()[size_t(m_index)]; }

    QString id() override { return data().id; }
    QString name() override { return data().name; }
    QList<std::shared_ptr<NotesFolder>> folders() override { return elements<NotesFolder>(data().folders); }
    QList<std::shared_ptr<NotesNote>> notes() override { return elements<NotesNote>(data().notes); }
};

class LibraryAccount final : public NotesAccount, LibraryObject {
public:
    LibraryAccount(Library library, int index) : LibraryObject(std::move(library), index) {}
    const NotesLibrary::Account& data() const { return library().accounts()[size_t(m_index)]; }

    QString id() override { return data().id; }
    QString name() override { return data().name; }
    QList<std::shared_ptr<NotesFolder>> folders() override { return elements<NotesFolder>(data().folders); }
};

template <typename Object>
QList<std::shared_ptr<Object>> LibraryObject::elements(const std::vector<int>& indices) const
{
    QList<std::shared_ptr<Object>> result;
    result.reserve(qsizetype(indices.size()));
    for (int index : indices) {
        if constexpr (std::is_same_v<Object, NotesFolder>)
            result.append(std::make_shared<LibraryFolder>(m_library, index));
        else if constexpr (std::is_same_v<Object, NotesNote>)
            result.append(std::make_shared<LibraryNote>(m_library, index));
        else
            result.append(std::make_shared<LibraryAttachment>(m_library, index));
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
    for (size_t i = 0; i < m_library->accounts().size(); ++i)
        result.append(std::make_shared<LibraryAccount>(m_library, int(i)));
    return result;
}

bool LibraryNotesApplication::isReachable(platform::Error* error)
{
    return m_library->folderIsInPlace(error);
}

std::function<void(const std::atomic<bool>&)> LibraryNotesApplication::countingHelper()
{
    if (!m_library->hasManyBodyFiles())
        return {};
    return [library = m_library](const std::atomic<bool>& stop) { library->lookAheadForBodies(stop); };
}
