#pragma once

#include "platform/Error.h"

#include <QString>
#include <memory>

namespace app {

// One import at a time into the shared "Notes Import" folder: an exclusive
// lock on a hidden file beside it, held for as long as this object lives
// and released by the system when the process ends, however it ends.
class ImportLock {
public:
    ~ImportLock();
    ImportLock(const ImportLock&) = delete;
    ImportLock& operator=(const ImportLock&) = delete;

    // Takes the lock for the import folder inside `containerPath`, without
    // waiting. Fails with kAnotherImportRunning when another process holds it.
    static std::unique_ptr<ImportLock> acquire(const QString& containerPath, platform::Error* error);
    // The same for the shared container of this user.
    static std::unique_ptr<ImportLock> acquireShared(platform::Error* error);

    static constexpr int kAnotherImportRunning = 1;
    static constexpr char kLockFileName[] = ".Notes Import.lock";

private:
    explicit ImportLock(int fd) : m_fd(fd) {}
    int m_fd;
};

// The text shown when another import holds the lock.
QString anotherImportRunningMessage();

} // namespace app
