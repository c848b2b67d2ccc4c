#include "app/ImportLock.h"

#include "app/ImportFlow.h"
#include "platform/FileManager.h"
#include "platform/FileURL.h"
#include "platform/LocalizedString.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace app {

namespace {

platform::Error lockError(int code, const QString& description)
{
    return platform::Error(QStringLiteral("ImportLockErrorDomain"), code, description);
}

} // namespace

QString anotherImportRunningMessage()
{
    return platform::localizedString("Another import is running. Wait until it has finished, then try again.");
}

ImportLock::~ImportLock()
{
    ::close(m_fd);
}

std::unique_ptr<ImportLock> ImportLock::acquire(const QString& containerPath, platform::Error* error)
{
    const QString path = containerPath + u'/' + QLatin1String(kLockFileName);
    // Never through a link, and never anything but a plain file.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int code = fd < 0 ? errno : EINVAL;
        if (fd >= 0)
            ::close(fd);
        platform::setError(error, lockError(2, platform::Error::fromErrno(code, platform::localizedString("The lock file “%1” couldn’t be opened")
                                                                               .arg(path))
                                                   .localizedDescription()));
        return nullptr;
    }
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        const int code = errno;
        ::close(fd);
        if (code == EWOULDBLOCK)
            platform::setError(error, lockError(kAnotherImportRunning, anotherImportRunningMessage()));
        else
            platform::setError(error, lockError(2, platform::Error::fromErrno(code, platform::localizedString("The lock file “%1” couldn’t be locked")
                                                                                   .arg(path))
                                                       .localizedDescription()));
        return nullptr;
    }
    return std::unique_ptr<ImportLock>(new ImportLock(fd));
}

std::unique_ptr<ImportLock> ImportLock::acquireShared(platform::Error* error)
{
    const QUrl container = platform::FileManager::defaultManager()->containerURL(QString::fromLatin1(kApplicationGroupIdentifier));
    if (container.isEmpty()) {
        platform::setError(error, lockError(2, platform::localizedString("The shared container “%1” could not be created.")
                                                   .arg(QString::fromLatin1(kApplicationGroupIdentifier))));
        return nullptr;
    }
    return acquire(platform::fileurl::path(container), error);
}

} // namespace app
