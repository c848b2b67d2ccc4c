#include "platform/SafeFile.h"
#include "platform/LocalizedString.h"

#include "platform/FileCopy.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform::safefile {

namespace {

constexpr size_t kPiece = 1 << 16;

Error unreadable(const QString& path, const QString& reason)
{
    return Error(QString::fromLatin1(kPOSIXErrorDomain), EACCES,
                 platform::localizedString("“%1” could not be read: %2.").arg(path, reason));
}

QString reasonFor(int code)
{
    switch (code) {
    case ELOOP:
        return platform::localizedString("it is a symbolic link, and links are not followed");
    case EXDEV:
        return platform::localizedString("it lies outside the folder it was looked for in");
    default:
        return QString::fromLocal8Bit(strerror(code));
    }
}

// After a non-blocking open: a FIFO or device is refused before any read
// could wait on it.
Descriptor checkedRegular(int fd, const QString& displayPath, qint64* size, Error* error)
{
    Descriptor descriptor(fd);
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        setError(error, unreadable(displayPath, reasonFor(errno)));
        return {};
    }
    if (!S_ISREG(info.st_mode)) {
        setError(error, unreadable(displayPath, S_ISDIR(info.st_mode) ? platform::localizedString("it is a folder")
                                                                     : platform::localizedString("it is not a regular file")));
        return {};
    }
    // O_NONBLOCK stays: it changes nothing for a regular file.
    if (size)
        *size = qint64(info.st_size);
    return descriptor;
}

constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

QString joined(const QString& folder, const QString& relativePath)
{
    return folder.endsWith(u'/') ? folder + relativePath : folder + u'/' + relativePath;
}

} // namespace

Descriptor::~Descriptor()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.release();
    }
    return *this;
}

namespace {

// `folder`, opened to look up `relativePath` in it; a failure names the file looked for.
Descriptor openFolderFor(const QString& folder, const QString& relativePath, Error* error)
{
    Descriptor root(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!root.isValid())
        setError(error, unreadable(relativePath.isEmpty() ? folder : joined(folder, relativePath), reasonFor(errno)));
    return root;
}

} // namespace

Descriptor openFolder(const QString& folder, Error* error)
{
    return openFolderFor(folder, QString(), error);
}

Descriptor openBeneath(const QString& folder, const QString& relativePath, Error* error, qint64* size)
{
    const Descriptor root = openFolderFor(folder, relativePath, error);
    return root.isValid() ? openBeneath(root, folder, relativePath, error, size) : Descriptor();
}

Descriptor openBeneath(const Descriptor& root, const QString& folder, const QString& relativePath, Error* error,
                       qint64* size)
{
    const QString display = joined(folder, relativePath);
    open_how how{};
    how.flags = kReadFlags;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    const int fd = int(syscall(SYS_openat2, root.get(), QFile::encodeName(relativePath).constData(), &how, sizeof how));
    if (fd >= 0)
        return checkedRegular(fd, display, size, error);
    // Kernels before 5.6, or a sandbox that forbids the call.
    if (errno == ENOSYS || errno == EPERM)
        return openBeneathByWalking(root, folder, relativePath, error, size);
    setError(error, unreadable(display, reasonFor(errno)));
    return {};
}

Descriptor openBeneathByWalking(const QString& folder, const QString& relativePath, Error* error)
{
    const Descriptor root = openFolderFor(folder, relativePath, error);
    return root.isValid() ? openBeneathByWalking(root, folder, relativePath, error, nullptr) : Descriptor();
}

Descriptor openBeneathByWalking(const Descriptor& root, const QString& folder, const QString& relativePath,
                                Error* error, qint64* size)
{
    const QString display = joined(folder, relativePath);
    auto fail = [&](int code) {
        setError(error, unreadable(display, reasonFor(code)));
        return Descriptor();
    };
    const QStringList parts = relativePath.split(u'/', Qt::SkipEmptyParts);
    if (parts.isEmpty() || relativePath.startsWith(u'/'))
        return fail(EXDEV);
    int directory = root.get();
    Descriptor opened; // the directory reached so far, once below the root
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts.at(i);
        if (part == QLatin1String(".."))
            return fail(EXDEV);
        if (part == QLatin1String("."))
            continue;
        const QByteArray name = QFile::encodeName(part);
        const bool last = i == parts.size() - 1;
        const int fd = ::openat(directory, name.constData(),
                                last ? kReadFlags | O_NOFOLLOW : O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            int code = errno;
            // O_NOFOLLOW on a link yields ELOOP, or ENOTDIR with O_DIRECTORY.
            struct stat info {};
            if ((code == ENOTDIR || code == ELOOP) && fstatat(directory, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(info.st_mode))
                code = ELOOP;
            return fail(code);
        }
        if (last)
            return checkedRegular(fd, display, size, error);
        opened = Descriptor(fd);
        directory = opened.get();
    }
    return fail(EISDIR);
}

Descriptor openRegularFile(const QString& path, Error* error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), kReadFlags | O_NOFOLLOW);
    if (fd < 0) {
        setError(error, unreadable(path, reasonFor(errno)));
        return {};
    }
    return checkedRegular(fd, path, nullptr, error);
}

std::optional<QByteArray> readAll(int fd, qint64 limit, const QString& displayPath, Error* error, qint64 size)
{
    if (size < 0) {
        struct stat info {};
        size = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? qint64(info.st_size) : 0;
    }
    // Straight into the result, one piece more than the size so that the
    // end shows at once; a file that grows meanwhile is read on in pieces.
    const auto tooLarge = [&] {
        setError(error, unreadable(displayPath, platform::localizedString("it is larger than %1, the most this program reads")
                                                    .arg(describeSize(limit))));
        return std::nullopt;
    };
    if (size > limit)
        return tooLarge();
    QByteArray data;
    qsizetype used = 0;
    data.resize(qsizetype(std::min<qint64>(size + 1, limit + 1)));
    for (;;) {
        if (used == data.size())
            data.resize(qsizetype(std::min<qint64>(qint64(used) + qint64(kPiece), limit + 1)));
        const ssize_t got = ::read(fd, data.data() + used, size_t(data.size() - used));
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            setError(error, unreadable(displayPath, reasonFor(errno)));
            return std::nullopt;
        }
        used += got;
        if (used > limit)
            return tooLarge();
        // A short read of a regular file is its end.
        if (used < data.size() && used == size)
            break;
    }
    data.truncate(used);
    return data;
}

std::optional<QByteArray> readRegularFile(const QString& path, qint64 limit, Error* error)
{
    const Descriptor fd = openRegularFile(path, error);
    if (!fd.isValid())
        return std::nullopt;
    return readAll(fd.get(), limit, path, error);
}

namespace {

// A hidden file beside `path`, for writing before the rename. Made with
// the usual mode (0666 less the umask) at once, where mkostemp() would make
// it 0600 and cost a chmod for every file.
int makeTemporary(const QByteArray& path, QByteArray* temporary)
{
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const qsizetype slash = path.lastIndexOf('/');
    *temporary = (slash < 0 ? QByteArray() : path.left(slash + 1)) + kTemporaryPrefix + "XXXXXX";
    char* const letters = temporary->data() + temporary->size() - 6;
    for (int attempt = 0; attempt < 100; ++attempt) {
        quint64 random = QRandomGenerator::global()->generate64();
        for (int i = 0; i < 6; ++i, random /= sizeof kLetters - 1)
            letters[i] = kLetters[random % (sizeof kLetters - 1)];
        const int fd = ::open(temporary->constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Usually the name is free, and one call both checks and renames. A file
// already there is replaced, but a link planted at the name is refused, as
// an open without following would.
bool renameIntoPlace(const QByteArray& temporary, const QByteArray& path)
{
    if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, path.constData(), RENAME_NOREPLACE) == 0)
        return true;
    // EINVAL: a file system without the flag.
    if (errno != EEXIST && errno != EINVAL && errno != ENOSYS)
        return false;
    struct stat existing {};
    if (lstat(path.constData(), &existing) == 0 && S_ISLNK(existing.st_mode)) {
        errno = ELOOP;
        return false;
    }
    return ::rename(temporary.constData(), path.constData()) == 0;
}

// Closes, and on success renames into place; on failure nothing is left.
WriteResult finish(int fd, const QByteArray& temporary, const QByteArray& path, WriteResult result)
{
    if (::close(fd) != 0 && !result.code)
        result.code = errno;
    if (!result.code && !renameIntoPlace(temporary, path))
        result.code = errno;
    if (result.code)
        ::unlink(temporary.constData());
    return result;
}

} // namespace

WriteResult copyToFile(int in, qint64 limit, const QByteArray& destinationPath)
{
    struct stat info {};
    if (::fstat(in, &info) != 0)
        return WriteResult{errno, true};
    if (!S_ISREG(info.st_mode))
        return WriteResult{EINVAL, true};
    if (info.st_size > limit)
        return WriteResult{EFBIG, true, true};
    QByteArray temporary;
    const int out = makeTemporary(destinationPath, &temporary);
    if (out < 0)
        return WriteResult{errno};
    // Never through memory: attachments may be videos of several GB.
    const CopyFailure failure = copyFileContents(in, out, info.st_size);
    WriteResult result{failure.code, failure.code != 0 && failure.reading};
    // A saved file keeps the original's modification date.
    const struct timespec times[2] = {{0, UTIME_OMIT}, info.st_mtim};
    if (!result.code)
        ::futimens(out, times);
    return finish(out, temporary, destinationPath, result);
}

WriteResult writeAtomically(const QByteArray& data, const QByteArray& path,
                            const std::function<void(int fd)>& beforeClose)
{
    QByteArray temporary;
    const int fd = makeTemporary(path, &temporary);
    if (fd < 0)
        return WriteResult{errno};
    WriteResult result;
    if (writeFully(fd, data.constData(), size_t(data.size()), &result.code) && beforeClose)
        beforeClose(fd);
    return finish(fd, temporary, path, result);
}

QString describeSize(qint64 bytes)
{
    constexpr qint64 kMB = 1024 * 1024;
    if (bytes >= 1024 * kMB && bytes % (1024 * kMB) == 0)
        return QStringLiteral("%1 GB").arg(bytes / (1024 * kMB));
    if (bytes >= kMB)
        return QStringLiteral("%1 MB").arg(bytes / kMB);
    return platform::localizedString("%1 bytes").arg(bytes);
}

bool writeFully(int fd, const void* data, size_t size, int* code)
{
    auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            *code = errno;
            return false;
        }
        bytes += written;
        size -= size_t(written);
    }
    return true;
}

} // namespace platform::safefile
