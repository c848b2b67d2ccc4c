#include "platform/FileCopy.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <memory>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform {

namespace {

using Failure = CopyFailure;

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

} // namespace

// The data extents of `in` in order; a file system that cannot tell holes
// hands the whole file over as one extent.
CopyFailure copyFileContents(int in, int out, qint64 length)
{
    const off_t size = off_t(length);
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

} // namespace platform
