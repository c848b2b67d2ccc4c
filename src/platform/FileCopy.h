#pragma once

#include <QtGlobal>

namespace platform {

// How copying a file's contents failed: the system's error, and whether
// reading the source (rather than writing the copy) failed.
struct CopyFailure {
    int code = 0;
    bool reading = false;
};

// Copies the first `size` bytes of the regular file `in` into `out` without
// holding them in memory: a reflink where the file system can share the
// blocks, else an in-kernel copy of the data extents (holes stay holes),
// else reads and writes in bounded pieces.
CopyFailure copyFileContents(int in, int out, qint64 size);

// Largest piece handed to the kernel or held in memory at once.
inline constexpr qint64 kFileCopyChunkSize = qint64(1) << 20;

} // namespace platform
