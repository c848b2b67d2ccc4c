#pragma once

#include "platform/Error.h"

#include <QString>

namespace platform {

// Copies the regular file at `from` to `to` without holding it in memory:
// a reflink where the file system can share the blocks, else an in-kernel
// copy of the data extents (holes stay holes), else reads and writes in
// bounded pieces. `from` must be a regular file and is opened without
// following a link. The copy is written under a hidden temporary name in
// the target's folder and renamed over `to` once complete, so `to` is never
// half a file. The error names the file at fault and the system's reason.
bool copyRegularFile(const QString& from, const QString& to, Error* error);

// Largest piece handed to the kernel or held in memory at once.
inline constexpr qint64 kFileCopyChunkSize = qint64(1) << 20;

} // namespace platform
