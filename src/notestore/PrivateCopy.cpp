#include "notestore/PrivateCopy.h"
#include "platform/LocalizedString.h"

#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <climits>
#include <cstring>
#include <vector>

namespace notestore {

namespace {

constexpr size_t kPieceBytes = 1 << 20;
constexpr const char* kCopyName = "NoteStore.sqlite";

using FileDescriptor = platform::safefile::Descriptor;

platform::Error failure(int errnoValue, const QString& what)
{
    return platform::Error::fromErrno(errnoValue, what);
}

// Copies `name` from the open folder `sourceDir` to `target`; a missing
// file is fine only when it is `optional`.
bool copyFile(int sourceDir, const QString& sourcePath, const QString& target, bool optional, platform::Error* error)
{
    const QByteArray name = QFile::encodeName(QFileInfo(sourcePath).fileName());
    FileDescriptor source(::openat(sourceDir, name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    if (source.get() < 0) {
        const int code = errno;
        if (code == ENOENT && optional)
            return true;
        if (code == ELOOP) {
            platform::setError(error, platform::Error(QString::fromLatin1(platform::kPOSIXErrorDomain), code,
                                                      platform::localizedString("Cannot read “%1”: it is a symbolic link; copy "
                                                                     "the Notes folder itself.")
                                                          .arg(sourcePath)));
            return false;
        }
        platform::setError(error, failure(code, platform::localizedString("Cannot read “%1”").arg(sourcePath)));
        return false;
    }
    struct stat status{};
    if (::fstat(source.get(), &status) != 0) {
        platform::setError(error, failure(errno, platform::localizedString("Cannot read “%1”").arg(sourcePath)));
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        platform::setError(error, platform::Error(QString::fromLatin1(platform::kPOSIXErrorDomain), EINVAL,
                                                  platform::localizedString("Cannot read “%1”: it is not a regular file.")
                                                      .arg(sourcePath)));
        return false;
    }
    if (status.st_size > PrivateCopy::kMaxFileBytes) {
        platform::setError(error, platform::Error(QString::fromLatin1(platform::kPOSIXErrorDomain), EFBIG,
                                                  platform::localizedString("Cannot read “%1”: at %2 GB it is larger than the "
                                                                 "%3 GB this program reads.")
                                                      .arg(sourcePath)
                                                      .arg(double(status.st_size) / 1e9, 0, 'f', 1)
                                                      .arg(PrivateCopy::kMaxFileBytes >> 30)));
        return false;
    }
    const QString partial = QFileInfo(target).path() + QStringLiteral("/.") + QFileInfo(target).fileName() +
                            QStringLiteral(".part");
    FileDescriptor out(::open(QFile::encodeName(partial).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (out.get() < 0) {
        platform::setError(error, failure(errno, platform::localizedString("Cannot copy “%1” to “%2”").arg(sourcePath, partial)));
        return false;
    }
    std::vector<char> buffer(kPieceBytes);
    qint64 copied = 0;
    for (;;) {
        const ssize_t count = ::read(source.get(), buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            platform::setError(error, failure(errno, platform::localizedString("Cannot read “%1”").arg(sourcePath)));
            return false;
        }
        if (count == 0)
            break;
        // A file that grows while it is copied is still bounded.
        copied += count;
        if (copied > PrivateCopy::kMaxFileBytes) {
            platform::setError(error, platform::Error(QString::fromLatin1(platform::kPOSIXErrorDomain), EFBIG,
                                                      platform::localizedString("Cannot read “%1”: it grew while it was copied.")
                                                          .arg(sourcePath)));
            return false;
        }
        for (ssize_t written = 0; written < count;) {
            const ssize_t step = ::write(out.get(), buffer.data() + written, size_t(count - written));
            if (step < 0 && errno == EINTR)
                continue;
            if (step < 0) {
                platform::setError(error,
                                   failure(errno, platform::localizedString("Cannot copy “%1” to “%2”").arg(sourcePath, partial)));
                return false;
            }
            written += step;
        }
    }
    if (::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData()) != 0) {
        platform::setError(error, failure(errno, platform::localizedString("Cannot copy “%1” to “%2”").arg(sourcePath, target)));
        return false;
    }
    return true;
}

constexpr const char* kFolderPrefix = "notes-import-store-";

// A program killed outright leaves its copy behind; the next one removes
// the copies whose program (named in the folder's name) is gone.
void removeAbandonedCopies()
{
    const QDir temporary(QDir::tempPath());
    const QStringList names = temporary.entryList({QLatin1String(kFolderPrefix) + u'*'}, QDir::Dirs | QDir::NoSymLinks);
    for (const QString& name : names) {
        bool isNumber = false;
        const qint64 pid = name.mid(qsizetype(strlen(kFolderPrefix))).section(u'-', 0, 0).toLongLong(&isNumber);
        struct stat status{};
        if (!isNumber || pid <= 0 || pid > INT_MAX ||
            ::lstat(QFile::encodeName(temporary.filePath(name)).constData(), &status) != 0 ||
            status.st_uid != ::getuid())
            continue;
        if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            QDir(temporary.filePath(name)).removeRecursively();
    }
}

} // namespace

std::unique_ptr<PrivateCopy> PrivateCopy::make(const QString& databasePath, platform::Error* error)
{
    const QString sourceFolder = QFileInfo(databasePath).path();
    FileDescriptor sourceDir(
        ::open(QFile::encodeName(sourceFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (sourceDir.get() < 0) {
        platform::setError(error, failure(errno, platform::localizedString("Cannot open the folder “%1”").arg(sourceFolder)));
        return nullptr;
    }
    auto copy = makeEmpty(error);
    if (!copy)
        return nullptr;
    const QString target = copy->databasePath();
    if (!copyFile(sourceDir.get(), databasePath, target, false, error) ||
        !copyFile(sourceDir.get(), databasePath + QStringLiteral("-wal"), target + QStringLiteral("-wal"), true,
                  error) ||
        !copyFile(sourceDir.get(), databasePath + QStringLiteral("-shm"), target + QStringLiteral("-shm"), true,
                  error))
        return nullptr;
    return copy;
}

std::unique_ptr<PrivateCopy> PrivateCopy::makeEmpty(platform::Error* error, bool sweep)
{
    if (sweep)
        removeAbandonedCopies();
    QByteArray pattern = QFile::encodeName(QStringLiteral("%1/%2%3-XXXXXX")
                                               .arg(QDir::tempPath(), QLatin1String(kFolderPrefix))
                                               .arg(::getpid()));
    if (!::mkdtemp(pattern.data())) {
        platform::setError(error, failure(errno, platform::localizedString("Cannot make a private folder in “%1” to copy the "
                                                                "Notes database into")
                                                     .arg(QDir::tempPath())));
        return nullptr;
    }
    return std::unique_ptr<PrivateCopy>(new PrivateCopy(QFile::decodeName(pattern)));
}

PrivateCopy::~PrivateCopy()
{
    QDir(m_folder).removeRecursively();
}

QString PrivateCopy::databasePath() const
{
    return m_folder + u'/' + QLatin1String(kCopyName);
}

} // namespace notestore
