#include "platform/FileManager.h"
#include "platform/LocalizedString.h"

#include "platform/FileCopy.h"
#include "platform/Xdg.h"

#include "platform/FileURL.h"
#include "platform/SafeFile.h"
#include "platform/TreeRemoval.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <limits>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QByteArray nativePath(const QUrl& url)
{
    return QFile::encodeName(fileurl::path(url));
}

QString quoted(const QUrl& url)
{
    return QStringLiteral("“%1”").arg(fileurl::lastPathComponent(url));
}

} // namespace

namespace {
std::atomic<FileManager*> replacementManager{nullptr};

// The manager in place when no other was put there.
FileManager* builtInManager()
{
    static FileManager plain;
    return &plain;
}
} // namespace

FileManager* FileManager::defaultManager()
{
    if (FileManager* replacement = replacementManager.load())
        return replacement;
    return builtInManager();
}

FileManager* FileManager::setDefaultManager(FileManager* manager)
{
    FileManager* previous = replacementManager.exchange(manager);
    return previous ? previous : builtInManager();
}

Error FileManager::folderNotCreated(const QUrl& url, int errnoValue)
{
    return Error::fromErrno(errnoValue, platform::localizedString("The folder %1 couldn’t be created").arg(quoted(url)));
}

Error FileManager::fileNotSaved(const QUrl& url, int errnoValue)
{
    return Error::fromErrno(errnoValue, platform::localizedString("The file %1 couldn’t be saved").arg(quoted(url)));
}

Error FileManager::itemNotRemoved(const QUrl& url, int errnoValue)
{
    return Error::fromErrno(errnoValue, platform::localizedString("%1 couldn’t be removed").arg(quoted(url)));
}

bool FileManager::createDirectory(const QUrl& url, bool withIntermediateDirectories, Error* error)
{
    const QByteArray path = nativePath(url);
    auto fail = [&](int code) {
        setError(error, folderNotCreated(url, code));
        return false;
    };
    if (!withIntermediateDirectories) {
        if (mkdir(path.constData(), 0777) != 0)
            return fail(errno);
        return true;
    }
    // Usually only the last level is missing; trying it first keeps deep
    // trees linear instead of walking every parent for every folder.
    if (mkdir(path.constData(), 0777) == 0)
        return true;
    if (errno == EEXIST) {
        struct stat info {};
        if (stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode))
            return true;
        return fail(EEXIST);
    }
    if (errno != ENOENT)
        return fail(errno);
    // Make each missing level in turn, so the error names the real cause.
    qsizetype from = 1;
    for (;;) {
        const qsizetype slash = path.indexOf('/', from);
        const QByteArray prefix = slash < 0 ? path : path.left(slash);
        if (!prefix.isEmpty() && mkdir(prefix.constData(), 0777) != 0) {
            const int code = errno;
            struct stat info {};
            if (code != EEXIST)
                return fail(code);
            if (stat(prefix.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
                return fail(slash < 0 ? EEXIST : ENOTDIR);
        }
        if (slash < 0)
            return true;
        from = slash + 1;
    }
}

std::optional<QList<QUrl>> FileManager::contentsOfDirectory(const QUrl& url, bool skipsHiddenFiles, Error* error)
{
    const QByteArray path = nativePath(url);
    DIR* dir = opendir(path.constData());
    if (!dir) {
        setError(error, Error::fromErrno(errno, platform::localizedString("The folder %1 couldn’t be listed").arg(quoted(url))));
        return std::nullopt;
    }
    QList<QUrl> entries;
    errno = 0;
    while (dirent* entry = readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == ".." || (skipsHiddenFiles && name.startsWith('.')))
            continue;
        const QByteArray full = path + '/' + name;
        // The listing usually says what each entry is; only a file system
        // that does not costs a look of its own.
        bool isDir = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            isDir = lstat(full.constData(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        entries.append(fileurl::fromPath(QFile::decodeName(full), isDir));
    }
    closedir(dir);
    return entries;
}

bool FileManager::removeItem(const QUrl& url, Error* error)
{
    RemovalFailure failure;
    if (removeTree(nativePath(url), &failure))
        return true;
    Error removalError = itemNotRemoved(url, failure.code);
    if (!failure.remaining.isEmpty()) {
        // Say what stays, so a half-removed folder is never a surprise.
        QString what = removalError.localizedDescription();
        if (what.endsWith(u'.'))
            what.chop(1);
        what += platform::localizedString("; still there: %1").arg(failure.remaining.join(QStringLiteral(", ")));
        if (failure.moreRemaining)
            what += QStringLiteral(" and %1 more").arg(failure.moreRemaining);
        removalError = Error(removalError.domain(), removalError.code(), what + u'.');
    }
    setError(error, removalError);
    return false;
}

bool FileManager::isReachable(const QUrl& url)
{
    return isReachableAtPath(fileurl::path(url));
}

bool FileManager::isReachableAtPath(const QString& path)
{
    struct stat info {};
    return lstat(QFile::encodeName(path).constData(), &info) == 0;
}

bool FileManager::isDirectory(const QUrl& url)
{
    struct stat info {};
    return lstat(nativePath(url).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool FileManager::writeData(const QByteArray& data, const QUrl& url, Error* error, const FileFinisher& finish)
{
    // Under a hidden name first: a file under its final name is always
    // whole, even after a kill or a full disk, and carries what `finish`
    // set (its dates) from the moment it has that name. A link planted at
    // the name is replaced, never written through.
    const safefile::WriteResult result = safefile::writeAtomically(data, nativePath(url), finish);
    if (result)
        return true;
    setError(error, fileNotSaved(url, result.code));
    return false;
}

bool FileManager::copyItem(const QUrl& from, const QUrl& to, Error* error)
{
    // The source must be a regular file (a FIFO would hang, a device never end).
    Error openError;
    const safefile::Descriptor in = safefile::openRegularFile(fileurl::path(from), &openError);
    if (!in.isValid()) {
        setError(error, Error(openError.domain(), openError.code(),
                              platform::localizedString("The file %1 couldn’t be opened: %2")
                                  .arg(quoted(from), openError.localizedDescription())));
        return false;
    }
    return FileManager::copyFromDescriptor(in.get(), from, to, std::numeric_limits<qint64>::max(), error);
}

bool FileManager::copyFromDescriptor(int in, const QUrl& from, const QUrl& to, qint64 limit, Error* error)
{
    const safefile::WriteResult result = safefile::copyToFile(in, limit, nativePath(to));
    if (result)
        return true;
    if (result.tooLarge)
        setError(error, Error::fromErrno(EFBIG, platform::localizedString("The file %1 is larger than %2, the most this program copies")
                                                    .arg(quoted(from), safefile::describeSize(limit))));
    else if (result.readFailed)
        setError(error, Error::fromErrno(result.code, platform::localizedString("The file %1 couldn’t be read").arg(quoted(from))));
    else
        setError(error, fileNotSaved(to, result.code));
    return false;
}

QUrl FileManager::temporaryDirectory()
{
    return fileurl::fromPath(QDir::tempPath(), true);
}

QUrl FileManager::containerURL(const QString& applicationGroupIdentifier)
{
    if (applicationGroupIdentifier.isEmpty() || applicationGroupIdentifier.contains(u'/'))
        return {};
    const QUrl url = fileurl::fromPath(xdg::dataHome() + u'/' + applicationGroupIdentifier, true);
    if (!isDirectory(url) && !createDirectory(url, true, nullptr))
        return {};
    return url;
}

} // namespace platform
