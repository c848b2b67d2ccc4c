#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// Reading files that someone else controls: no link followed where it
// could lead elsewhere, regular files only (a FIFO or a device would hang
// or never end), and never more than a stated number of bytes.
namespace platform::safefile {

// An open file descriptor, closed when it goes.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor();
    Descriptor(Descriptor&& other) noexcept : m_fd(other.release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    bool isValid() const { return m_fd >= 0; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd = -1;
};

// Opens `relativePath` inside `folder` for reading. No component beneath
// `folder` may be a symbolic link or lead out of it, and the file must be a
// regular file. `folder` itself may be reached through links.
// `size`, when given, receives the file's size.
Descriptor openBeneath(const QString& folder, const QString& relativePath, Error* error, qint64* size = nullptr);
// The same inside `root`, a folder opened once with openFolder() for many
// files (`folder` is its path, for messages).
Descriptor openBeneath(const Descriptor& root, const QString& folder, const QString& relativePath, Error* error,
                       qint64* size = nullptr);
// The same by walking one component at a time with O_NOFOLLOW; used where
// the kernel lacks openat2, and callable directly so both ways are checked.
Descriptor openBeneathByWalking(const QString& folder, const QString& relativePath, Error* error);
Descriptor openBeneathByWalking(const Descriptor& root, const QString& folder, const QString& relativePath,
                                Error* error, qint64* size = nullptr);
// A folder, opened for openBeneath(); links to it are followed.
Descriptor openFolder(const QString& folder, Error* error);

// Opens `path` for reading when its last component is a regular file and
// not a link.
Descriptor openRegularFile(const QString& path, Error* error);

// All the bytes of `fd`, read in pieces; more than `limit` bytes is an
// error naming `displayPath`. `size`, when known, spares looking it up.
std::optional<QByteArray> readAll(int fd, qint64 limit, const QString& displayPath, Error* error, qint64 size = -1);

// openRegularFile + readAll.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 limit, Error* error);

// How a write went: 0 or the errno, and whether reading the source failed.
struct WriteResult {
    int code = 0;
    bool readFailed = false;
    bool tooLarge = false;
    explicit operator bool() const { return code == 0; }
};

// Copies the regular file `fd` to `destinationPath` under a hidden
// temporary name in the same folder, renamed into place only when
// complete, in bounded pieces (holes stay holes) and with the source's
// modification date. More than `limit` bytes (EFBIG, tooLarge), a link at
// the destination (ELOOP), or any failure, leaves nothing behind.
WriteResult copyToFile(int fd, qint64 limit, const QByteArray& destinationPath);

// Writes `data` to `path` the same way: a hidden temporary name, then a
// rename. `beforeClose`, when given, runs on the open file once the data
// is in it.
WriteResult writeAtomically(const QByteArray& data, const QByteArray& path,
                            const std::function<void(int fd)>& beforeClose = {});

// The prefix of those temporary names; hidden, so never listed as an item.
inline constexpr char kTemporaryPrefix[] = ".notes-export-";

// "1 MB", "64 MB", "2 GB": a limit as the user reads it.
QString describeSize(qint64 bytes);

// Writes all `size` bytes, retrying after signals; false with errno in `code`.
bool writeFully(int fd, const void* data, size_t size, int* code);

} // namespace platform::safefile
