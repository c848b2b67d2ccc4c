#include "platform/FileManager.h"

#include "platform/FileCopy.h"
#include "platform/FaultyFileManager.h"
#include "platform/Xdg.h"

#include "platform/FileURL.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
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

bool removeRecursively(const QByteArray& path, int* failedErrno)
{
    struct stat info {};
    if (lstat(path.constData(), &info) != 0) {
        *failedErrno = errno;
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        DIR* dir = opendir(path.constData());
        if (!dir) {
            *failedErrno = errno;
            return false;
        }
        bool ok = true;
        while (dirent* entry = readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name == "." || name == "..")
                continue;
            if (!removeRecursively(path + '/' + name, failedErrno))
                ok = false;
        }
        closedir(dir);
        if (!ok)
            return false;
        if (rmdir(path.constData()) != 0) {
            *failedErrno = errno;
            return false;
        }
        return true;
    }
    if (unlink(path.constData()) != 0) {
        *failedErrno = errno;
        return false;
    }
    return true;
}

} // namespace

namespace {
std::atomic<FileManager*> replacementManager{nullptr};
}

FileManager* FileManager::defaultManager()
{
    if (FileManager* replacement = replacementManager.load())
        return replacement;
    static FileManager plain;
    static const std::unique_ptr<FileManager> faulty = FaultyFileManager::fromEnvironment();
    return faulty ? faulty.get() : &plain;
}

FileManager* FileManager::setDefaultManager(FileManager* manager)
{
    FileManager* previous = replacementManager.exchange(manager);
    return previous ? previous : defaultManager();
}

Error FileManager::folderNotCreated(const QUrl& url, int errnoValue)
{
    return Error::fromErrno(errnoValue, QStringLiteral("The folder %1 couldn’t be created").arg(quoted(url)));
}

Error FileManager::fileNotSaved(const QUrl& url, int errnoValue)
{
    return Error::fromErrno(errnoValue, QStringLiteral("The file %1 couldn’t be saved").arg(quoted(url)));
}

Error FileManager::itemNotRemoved(const QUrl& url, int errnoValue)
{
    return Error::fromErrno(errnoValue, QStringLiteral("%1 couldn’t be removed").arg(quoted(url)));
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
        setError(error, Error::fromErrno(errno, QStringLiteral("The folder %1 couldn’t be listed").arg(quoted(url))));
        return std::nullopt;
    }
    QList<QUrl> entries;
    errno = 0;
    while (dirent* entry = readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == ".." || (skipsHiddenFiles && name.startsWith('.')))
            continue;
        const QByteArray full = path + '/' + name;
        struct stat info {};
        const bool isDir = lstat(full.constData(), &info) == 0 && S_ISDIR(info.st_mode);
        entries.append(fileurl::fromPath(QFile::decodeName(full), isDir));
    }
    closedir(dir);
    return entries;
}

bool FileManager::removeItem(const QUrl& url, Error* error)
{
    int code = 0;
    if (removeRecursively(nativePath(url), &code))
        return true;
    setError(error, itemNotRemoved(url, code));
    return false;
}

bool FileManager::isReachable(const QUrl& url)
{
    struct stat info {};
    return lstat(nativePath(url).constData(), &info) == 0;
}

bool FileManager::isDirectory(const QUrl& url)
{
    struct stat info {};
    return lstat(nativePath(url).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool FileManager::writeData(const QByteArray& data, const QUrl& url, Error* error)
{
    const QByteArray path = nativePath(url);
    auto fail = [&](int code) {
        setError(error, fileNotSaved(url, code));
        return false;
    };
    // A file cut short (a full disk) is removed: left in place it would
    // pass for the whole of its contents.
    auto failAndRemove = [&](int code) {
        ::unlink(path.constData());
        return fail(code);
    };
    // O_NOFOLLOW: never write through a link planted at the name.
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail(errno);
    const char* bytes = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, bytes, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            const int code = errno;
            ::close(fd);
            return failAndRemove(code);
        }
        bytes += written;
        left -= written;
    }
    if (::close(fd) != 0)
        return failAndRemove(errno);
    return true;
}

bool FileManager::copyItem(const QUrl& from, const QUrl& to, Error* error)
{
    // In bounded pieces: attachments may be far larger than memory wants to hold.
    return copyRegularFile(fileurl::path(from), fileurl::path(to), error);
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
