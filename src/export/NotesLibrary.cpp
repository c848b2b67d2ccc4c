#include "export/NotesLibrary.h"
#include "platform/LocalizedString.h"

#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUtf8StringView>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

platform::Error libraryError(int code, const QString& description)
{
    return platform::Error(QString::fromLatin1(NotesLibrary::kErrorDomain), code, description);
}

} // namespace

// Reads library.json into a NotesLibrary, stopping at the first fault with
// an error that names the file and the place in it.
class NotesLibrary::Parser {
public:
    Parser(NotesLibrary& library, QString fileName) : m_library(library), m_fileName(std::move(fileName)) {}

    bool parse(QByteArray json)
    {
        QJsonParseError parseError{};
        const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
        if (parseError.error != QJsonParseError::NoError) {
            const auto [line, column] = lineAndColumn(json, parseError.offset);
            return fail(platform::localizedString("%1 at line %2, column %3").arg(parseError.errorString()).arg(line).arg(column));
        }
        // The text is no longer needed, and a large library's is megabytes.
        json = QByteArray();
        if (!document.isObject())
            return fail(platform::localizedString("the top level must be an object"));
        const QJsonObject top = document.object();

        QJsonArray accounts, folders, notes, attachments;
        if (!array(top, "accounts", Place(), accounts) || !array(top, "folders", Place(), folders) ||
            !array(top, "notes", Place(), notes) || !array(top, "attachments", Place(), attachments))
            return false;

        // Objects first, so references may point forwards.
        return readAttachments(attachments) && readNotes(notes) && readFolders(folders) && readAccounts(accounts) &&
               checkFolderCycles() && checkFolderDepth();
    }

    QString failure;

private:
    // Where a value lies in the description ("notes[3].bodyFile"), put into
    // words only for a message: a sound description needs none of them.
    struct Place {
        const char* list = nullptr; // an element of this top-level list, at `index`
        qsizetype index = 0;
        const char* key = nullptr; // a key of that element, or of the top level
        Place at(const char* name) const { return {list, index, name}; }
        QString text() const
        {
            const QString element = list ? QStringLiteral("%1[%2]").arg(QLatin1String(list)).arg(index) : QString();
            if (!key)
                return element;
            return element.isEmpty() ? QString::fromLatin1(key) : element + u'.' + QLatin1String(key);
        }
    };

    struct Pending {
        Place place;
        QStringList ids;
    };

    static std::pair<int, int> lineAndColumn(const QByteArray& text, int offset)
    {
        int line = 1, column = 1;
        for (int i = 0; i < offset && i < text.size(); ++i) {
            if (text.at(i) == '\n') {
                ++line;
                column = 1;
            } else if ((text.at(i) & 0xC0) != 0x80) {
                ++column;
            }
        }
        return {line, column};
    }

    bool fail(const QString& what)
    {
        failure = platform::localizedString("The Notes library description “%1” is malformed: %2.").arg(m_fileName, what);
        return false;
    }

    // A missing key or null reads as missing; any other wrong type is a fault.
    bool array(const QJsonObject& object, const char* key, const Place& owner, QJsonArray& out)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (value.isUndefined() || value.isNull())
            return true;
        if (!value.isArray())
            return fail(platform::localizedString("“%1” must be a list").arg(owner.at(key).text()));
        out = value.toArray();
        return true;
    }

    bool string(const QJsonObject& object, const char* key, const Place& owner, QString& out,
                bool* present = nullptr)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (present)
            *present = false;
        if (value.isUndefined() || value.isNull())
            return true;
        if (!value.isString())
            return fail(platform::localizedString("“%1” must be a string").arg(owner.at(key).text()));
        out = value.toString();
        if (present)
            *present = true;
        return true;
    }

    bool boolean(const QJsonObject& object, const char* key, const Place& owner, bool& out)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (value.isUndefined() || value.isNull())
            return true;
        if (!value.isBool())
            return fail(platform::localizedString("“%1” must be true or false").arg(owner.at(key).text()));
        out = value.toBool();
        return true;
    }

    bool date(const QJsonObject& object, const char* key, const Place& owner, std::optional<QDateTime>& out)
    {
        QString text;
        bool present = false;
        if (!string(object, key, owner, text, &present))
            return false;
        if (!present)
            return true;
        QDateTime value = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (!value.isValid())
            return fail(platform::localizedString("“%1” must be a date such as 2024-03-01T09:30:00Z").arg(owner.at(key).text()));
        out = value;
        return true;
    }

    bool idList(const QJsonObject& object, const char* key, const Place& owner, QStringList& out)
    {
        QJsonArray list;
        if (!array(object, key, owner, list))
            return false;
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (!list.at(i).isString())
                return fail(platform::localizedString("“%1[%2]” must be an id string").arg(owner.at(key).text()).arg(i));
            out.append(list.at(i).toString());
        }
        return true;
    }

    bool object(const QJsonArray& list, qsizetype index, const char* listName, QJsonObject& out, Place& place)
    {
        place = Place{listName, index};
        if (!list.at(index).isObject())
            return fail(platform::localizedString("“%1” must be an object").arg(place.text()));
        out = list.at(index).toObject();
        return true;
    }

    bool registerID(QHash<QString, int>& ids, const QString& id, int index, const Place& place, bool emptyCounts)
    {
        if (id.isEmpty() && !emptyCounts)
            return true;
        if (ids.contains(id))
            return fail(platform::localizedString("“%1” repeats the id “%2”").arg(place.text(), id));
        ids.insert(id, index);
        return true;
    }

    bool resolve(const QHash<QString, int>& ids, const QStringList& references, const Place& place,
                 const char* kind, std::vector<int>& out)
    {
        out.reserve(size_t(references.size()));
        for (qsizetype i = 0; i < references.size(); ++i) {
            const auto found = ids.constFind(references.at(i));
            if (found == ids.constEnd())
                return fail(platform::localizedString("“%1[%2]” names no %3 with the id “%4”")
                                .arg(place.text())
                                .arg(i)
                                .arg(QLatin1String(kind), references.at(i)));
            out.push_back(found.value());
        }
        return true;
    }

    // Files named by the description are read from inside the library folder only.
    bool pathInsideLibrary(const QString& file, const Place& place, QString& out)
    {
        if (m_rootPrefix.isEmpty())
            m_rootPrefix = QDir::cleanPath(m_library.m_folderPath) + u'/';
        const QString path = QDir::cleanPath(m_rootPrefix + file);
        if (QDir::isAbsolutePath(file) || !path.startsWith(m_rootPrefix))
            return fail(platform::localizedString("“%1” must be a path inside the library folder").arg(place.text()));
        out = path;
        return true;
    }

    bool readAttachments(const QJsonArray& list)
    {
        m_library.m_attachments.reserve(size_t(list.size()));
        m_attachmentIDs.reserve(list.size());
        for (qsizetype i = 0; i < list.size(); ++i) {
            QJsonObject json;
            Place place;
            if (!object(list, i, "attachments", json, place))
                return false;
            Attachment attachment;
            QString url, file;
            bool hasURL = false, hasFile = false;
            if (!string(json, "id", place, attachment.id) || !string(json, "name", place, attachment.name) ||
                !string(json, "URL", place, url, &hasURL) || !string(json, "file", place, file, &hasFile) ||
                !date(json, "creationDate", place, attachment.creationDate) ||
                !date(json, "modificationDate", place, attachment.modificationDate))
                return false;
            if (hasURL)
                attachment.url = url;
            if (hasFile && !file.isEmpty() && !pathInsideLibrary(file, place.at("file"), attachment.filePath))
                return false;
            if (!registerID(m_attachmentIDs, attachment.id, int(i), place, false))
                return false;
            m_library.m_attachments.push_back(std::move(attachment));
        }
        return true;
    }

    bool readNotes(const QJsonArray& list)
    {
        m_library.m_notes.reserve(size_t(list.size()));
        m_noteIDs.reserve(list.size());
        for (qsizetype i = 0; i < list.size(); ++i) {
            QJsonObject json;
            Place place;
            if (!object(list, i, "notes", json, place))
                return false;
            Note note;
            QStringList attachments;
            QString bodyFile;
            bool hasBody = false, hasBodyFile = false;
            if (!string(json, "id", place, note.id) || !string(json, "name", place, note.name) ||
                !string(json, "body", place, note.body, &hasBody) ||
                !string(json, "bodyFile", place, bodyFile, &hasBodyFile) ||
                (hasBodyFile && hasBody && !fail(platform::localizedString("“%1” has both “body” and “bodyFile”").arg(place.text()))) ||
                (hasBodyFile && !bodyFile.isEmpty() &&
                 !pathInsideLibrary(bodyFile, place.at("bodyFile"), note.bodyFilePath)) ||
                !boolean(json, "passwordProtected", place, note.passwordProtected) ||
                !date(json, "creationDate", place, note.creationDate) ||
                !date(json, "modificationDate", place, note.modificationDate) ||
                !idList(json, "attachments", place, attachments) ||
                !resolve(m_attachmentIDs, attachments, place.at("attachments"), "attachment", note.attachments) ||
                !registerID(m_noteIDs, note.id, int(i), place, false))
                return false;
            m_library.m_notes.push_back(std::move(note));
        }
        return true;
    }

    bool readFolders(const QJsonArray& list)
    {
        std::vector<Pending> subfolders;
        subfolders.reserve(size_t(list.size()));
        m_library.m_folders.reserve(size_t(list.size()));
        m_folderIDs.reserve(list.size());
        for (qsizetype i = 0; i < list.size(); ++i) {
            QJsonObject json;
            Place place;
            if (!object(list, i, "folders", json, place))
                return false;
            Folder folder;
            QStringList notes;
            Pending pending{place.at("folders"), {}};
            if (!string(json, "id", place, folder.id) || !string(json, "name", place, folder.name) ||
                !idList(json, "folders", place, pending.ids) || !idList(json, "notes", place, notes) ||
                !resolve(m_noteIDs, notes, place.at("notes"), "note", folder.notes) ||
                !registerID(m_folderIDs, folder.id, int(i), place, true))
                return false;
            m_library.m_folders.push_back(std::move(folder));
            subfolders.push_back(std::move(pending));
        }
        // A folder has one place in Notes. Listed under two parents, it would
        // be exported twice, and a chain of such folders doubles at each level.
        std::vector<bool> placed(m_library.m_folders.size(), false);
        for (size_t i = 0; i < subfolders.size(); ++i) {
            if (!resolve(m_folderIDs, subfolders[i].ids, subfolders[i].place, "folder", m_library.m_folders[i].folders))
                return false;
            for (const int child : m_library.m_folders[i].folders) {
                if (placed[size_t(child)])
                    return fail(platform::localizedString("the folder with the id “%1” is listed inside more than one folder")
                                    .arg(m_library.m_folders[size_t(child)].id));
                placed[size_t(child)] = true;
            }
        }
        return true;
    }

    bool readAccounts(const QJsonArray& list)
    {
        QHash<QString, int> accountIDs;
        for (qsizetype i = 0; i < list.size(); ++i) {
            QJsonObject json;
            Place place;
            if (!object(list, i, "accounts", json, place))
                return false;
            Account account;
            QStringList folders;
            if (!string(json, "id", place, account.id) || !string(json, "name", place, account.name) ||
                !idList(json, "folders", place, folders) ||
                !resolve(m_folderIDs, folders, place.at("folders"), "folder", account.folders) ||
                !registerID(accountIDs, account.id, int(i), place, true))
                return false;
            m_library.m_accounts.push_back(std::move(account));
        }
        return true;
    }

    // A folder inside itself would send the export round for ever.
    bool checkFolderCycles()
    {
        const auto& folders = m_library.m_folders;
        enum Mark : char { Unseen, OnPath, Done };
        std::vector<Mark> marks(folders.size(), Unseen);
        for (size_t start = 0; start < folders.size(); ++start) {
            if (marks[start] != Unseen)
                continue;
            // Iterative depth-first walk: deep trees must not exhaust the stack here.
            std::vector<std::pair<int, size_t>> stack{{int(start), 0}};
            marks[start] = OnPath;
            while (!stack.empty()) {
                auto& [folder, next] = stack.back();
                const auto& children = folders[size_t(folder)].folders;
                if (next == children.size()) {
                    marks[size_t(folder)] = Done;
                    stack.pop_back();
                    continue;
                }
                const int child = children[next++];
                if (marks[size_t(child)] == OnPath)
                    return fail(platform::localizedString("the folder with the id “%1” lies inside itself")
                                    .arg(folders[size_t(child)].id));
                if (marks[size_t(child)] == Unseen) {
                    marks[size_t(child)] = OnPath;
                    stack.emplace_back(child, 0);
                }
            }
        }
        return true;
    }

    // Deeper trees than any real library would only exhaust paths and stacks later.
    bool checkFolderDepth()
    {
        const auto& folders = m_library.m_folders;
        std::vector<bool> isChild(folders.size(), false);
        for (const auto& folder : folders)
            for (const int child : folder.folders)
                isChild[size_t(child)] = true;
        std::vector<std::pair<int, int>> stack; // folder, depth
        for (size_t root = 0; root < folders.size(); ++root)
            if (!isChild[root])
                stack.emplace_back(int(root), 1);
        while (!stack.empty()) {
            const auto [folder, depth] = stack.back();
            stack.pop_back();
            if (depth > kMaxFolderDepth)
                return fail(platform::localizedString("the folder with the id “%1” lies %2 folders deep, more than the %3 this program "
                                           "exports")
                                .arg(folders[size_t(folder)].id)
                                .arg(depth)
                                .arg(kMaxFolderDepth));
            for (const int child : folders[size_t(folder)].folders)
                stack.emplace_back(child, depth + 1);
        }
        return true;
    }

    NotesLibrary& m_library;
    QString m_fileName;
    QString m_rootPrefix; // the library folder's clean path and "/"
    QHash<QString, int> m_attachmentIDs, m_noteIDs, m_folderIDs;
};

namespace {

// A path the parser checked to lie inside the library, relative to it.
QString relativeToLibrary(const QString& libraryPath, const QString& path)
{
    return path.mid(QDir::cleanPath(libraryPath).size() + 1);
}

} // namespace

platform::safefile::Descriptor NotesLibrary::openFile(const QString& path, platform::Error* error, qint64* size) const
{
    // Nothing beneath the library folder is followed out of it, and only a
    // regular file is read: a FIFO would hang, /dev/zero never end.
    const QString relative = relativeToLibrary(m_folderPath, path);
    // A library made from JSON text alone has no folder open.
    return m_folder.isValid() ? platform::safefile::openBeneath(m_folder, m_folderPath, relative, error, size)
                              : platform::safefile::openBeneath(m_folderPath, relative, error, size);
}

bool NotesLibrary::readBody(const Note& note, QString& body, platform::Error* error) const
{
    if (note.bodyFilePath.isEmpty()) {
        body = note.body;
        return true;
    }
    QByteArray bytes;
    if (!readBodyFile(note, bytes, error))
        return false;
    body = QString::fromUtf8(bytes);
    return true;
}

bool NotesLibrary::readBodyUTF8(const Note& note, QByteArray& body, platform::Error* error) const
{
    if (note.bodyFilePath.isEmpty()) {
        body = note.body.toUtf8();
        return true;
    }
    if (!readBodyFile(note, body, error))
        return false;
    // Exactly what a QString in between would give: invalid sequences
    // become U+FFFD, and a leading byte-order mark goes.
    if (!QUtf8StringView(body).isValidUtf8())
        body = QString::fromUtf8(body).toUtf8();
    else if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    return true;
}

bool NotesLibrary::readBodyFile(const Note& note, QByteArray& body, platform::Error* error) const
{
    platform::Error openError;
    qint64 size = -1;
    const auto fd = openFile(note.bodyFilePath, &openError, &size);
    const auto bytes = fd.isValid()
                           ? platform::safefile::readAll(fd.get(), kMaxBodyBytes, note.bodyFilePath, &openError, size)
                           : std::nullopt;
    if (!bytes) {
        platform::setError(error, libraryError(ErrorUnreadable, platform::localizedString("The body of the note “%1”: %2")
                                                                    .arg(note.name, openError.localizedDescription())));
        return false;
    }
    body = std::move(*bytes);
    return true;
}

bool NotesLibrary::hasBody(const Note& note) const
{
    if (note.bodyFilePath.isEmpty())
        return !note.body.isEmpty();
    const auto index = &note - m_notes.data();
    const bool known = m_bodyPresence && index >= 0 && size_t(index) < m_notes.size();
    if (known) {
        if (const qint8 presence = m_bodyPresence[index].load(std::memory_order_relaxed))
            return presence == 2;
    }
    qint64 size = -1;
    const bool present = openFile(note.bodyFilePath, nullptr, &size).isValid() && size > 0;
    if (known)
        m_bodyPresence[index].store(present ? 2 : 1, std::memory_order_relaxed);
    return present;
}

std::shared_ptr<const NotesLibrary> NotesLibrary::load(const QString& folderPath, platform::Error* error)
{
    const QString fileName = QDir(folderPath).filePath(QLatin1String(kDescriptionFileName));
    if (!QFileInfo(folderPath).isDir()) {
        platform::setError(error, libraryError(ErrorUnreadable,
                                               platform::localizedString("The Notes library folder “%1” does not exist.").arg(folderPath)));
        return nullptr;
    }
    platform::Error readError;
    const auto fd = platform::safefile::openBeneath(folderPath, QLatin1String(kDescriptionFileName), &readError);
    auto json = fd.isValid() ? platform::safefile::readAll(fd.get(), kMaxDescriptionBytes, fileName, &readError)
                                   : std::nullopt;
    if (!json) {
        platform::setError(error, libraryError(ErrorUnreadable, platform::localizedString("The Notes library description %1")
                                                                    .arg(readError.localizedDescription())));
        return nullptr;
    }
    // Body files are read through this descriptor, and the identity that
    // tells a moved or replaced folder is the identity of what it opened.
    auto folder = platform::safefile::openFolder(folderPath, nullptr);
    struct stat info {};
    const bool identified = folder.isValid() ? fstat(folder.get(), &info) == 0
                                             : stat(QFile::encodeName(folderPath).constData(), &info) == 0;
    auto library = parsed(std::move(*json), folderPath, error);
    if (library && identified)
        library->m_folderIdentity = FolderIdentity{quint64(info.st_dev), quint64(info.st_ino)};
    if (library)
        library->m_folder = std::move(folder);
    return library;
}

bool NotesLibrary::hasManyBodyFiles() const
{
    // Fewer opens than this are not worth a second thread.
    constexpr qsizetype kLeastBodyFiles = 256;
    return std::count_if(m_notes.begin(), m_notes.end(), [](const Note& note) { return !note.bodyFilePath.isEmpty(); }) >=
           kLeastBodyFiles;
}

void NotesLibrary::lookAheadForBodies(const std::atomic<bool>& stop) const
{
    // hasBody() answers from its memo for a note already looked at.
    for (size_t index = m_notes.size(); index-- > 0 && !stop.load(std::memory_order_relaxed);)
        hasBody(m_notes[index]);
}

bool NotesLibrary::folderIsInPlace(platform::Error* error) const
{
    if (!m_folderIdentity)
        return true;
    struct stat info {};
    int code = 0;
    if (stat(QFile::encodeName(m_folderPath).constData(), &info) != 0)
        code = errno;
    else if (quint64(info.st_dev) != m_folderIdentity->device || quint64(info.st_ino) != m_folderIdentity->inode)
        code = ESTALE;
    if (!code)
        return true;
    const QString what =
        code == ESTALE ? platform::localizedString("The Notes library folder “%1” was replaced during the export.").arg(m_folderPath)
                       : platform::localizedString("The Notes library folder “%1” is no longer there: %2.")
                             .arg(m_folderPath, QString::fromLocal8Bit(std::strerror(code)));
    platform::setError(error, libraryError(ErrorUnreadable, what));
    return false;
}

std::shared_ptr<const NotesLibrary> NotesLibrary::fromJSON(const QByteArray& json, const QString& folderPath,
                                                           platform::Error* error)
{
    return parsed(json, folderPath, error);
}

std::shared_ptr<NotesLibrary> NotesLibrary::parsed(QByteArray json, const QString& folderPath,
                                                   platform::Error* error)
{
    auto library = std::make_shared<NotesLibrary>();
    library->m_folderPath = QDir(folderPath).absolutePath();
    Parser parser(*library, QDir(library->m_folderPath).filePath(QLatin1String(kDescriptionFileName)));
    if (!parser.parse(std::move(json))) {
        platform::setError(error, libraryError(ErrorMalformed, parser.failure));
        return nullptr;
    }
    library->m_bodyPresence = std::make_unique<std::atomic<qint8>[]>(library->m_notes.size());
    return library;
}
