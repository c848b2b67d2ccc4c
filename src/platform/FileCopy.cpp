#include "platform/FileCopy.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <memory>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

QString quotedName(const QString& path)
{
    return QStringLiteral("“%1”").arg(QFileInfo(path).fileName());
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    void reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

// Which side of a copy failed, and how.
struct Failure {
    int code = 0;
    bool reading = false;
};

// Reads and writes [offset, end) through a bounded buffer.
Failure copyByReading(int in, int out, off_t offset, off_t end)
{
    const std::unique_ptr<char[]> buffer(new char[size_t(kFileCopyChunkSize)]);
    while (offset < end) {
        const size_t want = size_t(std::min<off_t>(end - offset, kFileCopyChunkSize));
        const ssize_t got = ::pread(in, buffer.get(), want, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return {errno, true};
        if (got == 0)
            return {}; // the file shrank while being copied; the rest stays a hole
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::pwrite(out, buffer.get() + done, size_t(got - done), offset + done);
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0)
                return {errno, false};
            done += put;
        }
        offset += got;
    }
    return {};
}

// [offset, end) in the kernel where it can, else by reading.
Failure copyRange(int in, int out, off_t offset, off_t end, bool& kernelCopy)
{
    while (kernelCopy && offset < end) {
        loff_t from = offset, to = offset;
        const ssize_t done = ::copy_file_range(in, &from, out, &to, size_t(std::min<off_t>(end - offset, kFileCopyChunkSize)), 0);
        if (done > 0) {
            offset += done;
            continue;
        }
        if (done == 0)
            return {};
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP && errno != EPERM)
            return {errno, false};
        kernelCopy = false; // this pair of files cannot: read and write instead
    }
    return copyByReading(in, out, offset, end);
}

// The data extents of `in` in order; a file system that cannot tell holes
// hands the whole file over as one extent.
Failure copyContents(int in, int out, off_t size)
{
    if (::ioctl(out, FICLONE, in) == 0)
        return {};
    bool kernelCopy = true;
    off_t offset = 0;
    while (offset < size) {
        off_t data = ::lseek(in, offset, SEEK_DATA);
        if (data < 0 && errno == ENXIO)
            break; // only a hole is left
        off_t hole = data < 0 ? size : ::lseek(in, data, SEEK_HOLE);
        if (data < 0)
            data = offset;
        if (hole < 0)
            hole = size;
        hole = std::min(hole, size);
        if (const Failure failure = copyRange(in, out, data, hole, kernelCopy); failure.code)
            return failure;
        offset = hole;
    }
    // The trailing hole, if any, and a file that shrank on the way.
    if (::ftruncate(out, size) != 0)
        return {errno, false};
    return {};
}

} // namespace

bool copyRegularFile(const QString& from, const QString& to, Error* error)
{
    // O_NONBLOCK: a FIFO planted at the name must not hang the open.
    FileDescriptor in(::open(QFile::encodeName(from).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (in.get() < 0 || ::fstat(in.get(), &info) != 0) {
        // A link refused by O_NOFOLLOW reads as "too many levels of links".
        setError(error, Error::fromErrno(errno == ELOOP ? EINVAL : errno,
                                         QStringLiteral("The file %1 couldn’t be opened").arg(quotedName(from))));
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        setError(error, Error::fromErrno(EINVAL, QStringLiteral("%1 is not a regular file").arg(quotedName(from))));
        return false;
    }

    const QFileInfo target(to);
    QByteArray temporary;
    FileDescriptor out;
    for (int attempt = 0; attempt < 100 && out.get() < 0; ++attempt) {
        // A long name leaves no room for the suffix: its start is enough to tell it.
        temporary = QFile::encodeName(target.absolutePath() + QStringLiteral("/.") + target.fileName().left(64)
                                      + QStringLiteral(".%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16,
                                                                      QLatin1Char('0')));
        out.reset(::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (out.get() < 0 && errno != EEXIST)
            break;
    }
    if (out.get() < 0) {
        setError(error, Error::fromErrno(errno, QStringLiteral("The file %1 couldn’t be saved").arg(quotedName(to))));
        return false;
    }

    Failure failure = copyContents(in.get(), out.get(), info.st_size);
    // The copy keeps the original's modification date, as a saved attachment should.
    const struct timespec times[2] = {{0, UTIME_OMIT}, info.st_mtim};
    if (!failure.code)
        ::futimens(out.get(), times);
    if (::close(out.release()) != 0 && !failure.code)
        failure = {errno, false};
    if (!failure.code && ::rename(temporary.constData(), QFile::encodeName(to).constData()) != 0)
        failure = {errno, false};
    if (!failure.code)
        return true;
    // Half a copy is no copy.
    ::unlink(temporary.constData());
    setError(error, failure.reading
                        ? Error::fromErrno(failure.code, QStringLiteral("The file %1 couldn’t be read").arg(quotedName(from)))
                        : Error::fromErrno(failure.code, QStringLiteral("The file %1 couldn’t be saved").arg(quotedName(to))));
    return false;
}

} // namespace platform
