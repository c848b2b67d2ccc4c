#include "platform/FileWrapper.h"
#include "platform/LocalizedString.h"

#include "platform/FileManager.h"
#include "platform/FileURL.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Through the file manager, so a package is written and fails as every
// other file does (links never followed, the system's own reason given).
bool writeItem(const FileWrapper& wrapper, const QString& path, Error* error)
{
    auto* fileManager = FileManager::defaultManager();
    if (!wrapper.isDirectory && !wrapper.contentsFilePath.isEmpty())
        return fileManager->copyItem(fileurl::fromPath(wrapper.contentsFilePath, false), fileurl::fromPath(path, false), error);
    if (!wrapper.isDirectory)
        return fileManager->writeData(wrapper.regularFileContents, fileurl::fromPath(path, false), error);
    if (!QFileInfo(path).isDir() && !fileManager->createDirectory(fileurl::fromPath(path, true), false, error))
        return false;
    for (const FileWrapper& child : wrapper.children) {
        const QString name = child.preferredFilename;
        // A child is one name inside its directory, never a path.
        if (name.isEmpty() || name == u'.' || name == QLatin1String("..") || name.contains(u'/')) {
            setError(error, Error(kCocoaErrorDomain, 642, platform::localizedString("“%1” is not a usable file name.").arg(name)));
            return false;
        }
        if (!writeItem(child, path + u'/' + name, error))
            return false;
    }
    return true;
}

} // namespace

FileWrapper FileWrapper::regularFile(const QString& name, QByteArray contents)
{
    FileWrapper wrapper;
    wrapper.preferredFilename = name;
    wrapper.regularFileContents = std::move(contents);
    return wrapper;
}

FileWrapper FileWrapper::regularFileCopiedFrom(const QString& name, const QString& path)
{
    FileWrapper wrapper;
    wrapper.preferredFilename = name;
    wrapper.contentsFilePath = path;
    return wrapper;
}

FileWrapper FileWrapper::directory(const QString& name, std::vector<FileWrapper> children)
{
    FileWrapper wrapper;
    wrapper.preferredFilename = name;
    wrapper.isDirectory = true;
    wrapper.children = std::move(children);
    return wrapper;
}

std::optional<FileWrapper> FileWrapper::fromURL(const QUrl& url, Error* error)
{
    const QString path = fileurl::path(url);
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile()) {
        setError(error, Error::fromErrno(info.exists() || info.isSymLink() ? EINVAL : ENOENT,
                                         platform::localizedString("Couldn't read “%1”").arg(info.fileName())));
        return std::nullopt;
    }
    return regularFileCopiedFrom(info.fileName(), info.absoluteFilePath());
}

bool FileWrapper::writeToURL(const QUrl& url, bool atomically, Error* error) const
{
    const QString target = QDir::cleanPath(fileurl::path(url));
    if (!atomically)
        return writeItem(*this, target, error);

    const QFileInfo targetInfo(target);
    // "." + name + ".XXXXXX" must still be a name the file system takes.
    const qsizetype room = pathutil::kMaximumNameLength - 8;
    QTemporaryDir staging(targetInfo.absolutePath() + QStringLiteral("/.")
                          + pathutil::prefixWithin(targetInfo.fileName(), room, room) + QStringLiteral(".XXXXXX"));
    if (!staging.isValid()) {
        setError(error, Error::fromErrno(errno ? errno : EACCES,
                                         platform::localizedString("Couldn't write “%1”").arg(targetInfo.fileName())));
        return false;
    }
    // Named as the target, so that an error names the item being written.
    const QString fresh = staging.filePath(targetInfo.fileName());
    if (!writeItem(*this, fresh, error))
        return false; // the staging folder goes with its contents

    const QByteArray freshPath = QFile::encodeName(fresh);
    const QByteArray targetPath = QFile::encodeName(target);
    struct stat present {};
    if (::lstat(targetPath.constData(), &present) == 0) {
        // Swap in one step; the old item then lies in the staging folder.
        if (renameat2(AT_FDCWD, freshPath.constData(), AT_FDCWD, targetPath.constData(), RENAME_EXCHANGE) == 0)
            return true;
        // Without the swap, move the old item aside first and back on failure.
        // Beside the fresh item, under a name that cannot be too long.
        const QString aside = staging.filePath(targetInfo.fileName() == QLatin1String("old") ? QStringLiteral("old 1")
                                                                                            : QStringLiteral("old"));
        if (std::rename(targetPath.constData(), QFile::encodeName(aside).constData()) != 0) {
            setError(error, Error::fromErrno(errno, platform::localizedString("Couldn't replace “%1”").arg(targetInfo.fileName())));
            return false;
        }
        if (std::rename(freshPath.constData(), targetPath.constData()) != 0) {
            const int saved = errno;
            std::rename(QFile::encodeName(aside).constData(), targetPath.constData());
            setError(error, Error::fromErrno(saved, platform::localizedString("Couldn't replace “%1”").arg(targetInfo.fileName())));
            return false;
        }
        return true;
    }
    if (std::rename(freshPath.constData(), targetPath.constData()) != 0) {
        setError(error, Error::fromErrno(errno, platform::localizedString("Couldn't write “%1”").arg(targetInfo.fileName())));
        return false;
    }
    // Empty now: one call instead of a walk of it.
    if (::rmdir(QFile::encodeName(staging.path()).constData()) == 0)
        staging.setAutoRemove(false);
    return true;
}

} // namespace platform
