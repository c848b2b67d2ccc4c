#include "notestore/FolderFiles.h"

#include "notestore/PrivateCopy.h"
#include "platform/FileManager.h"
#include "platform/FileURL.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace notestore {

FolderFiles::FolderFiles(const QString& databasePath)
    : m_databasePath(databasePath), m_root(QFileInfo(databasePath).absolutePath())
{
}

std::unique_ptr<PrivateCopy> FolderFiles::copyDatabase(platform::Error* error) const
{
    return PrivateCopy::make(m_databasePath, error);
}

bool FolderFiles::isFile(const QString& relativePath) const
{
    // A regular file, and no link leads out of the container on the way.
    const QString file = path(relativePath);
    struct stat info {};
    if (::lstat(QFile::encodeName(file).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    const QString root = QFileInfo(m_root).canonicalFilePath();
    const QString real = QFileInfo(file).canonicalFilePath();
    return !root.isEmpty() && real.startsWith(root + u'/');
}

qint64 FolderFiles::fileSize(const QString& relativePath) const
{
    struct stat info {};
    return ::stat(QFile::encodeName(path(relativePath)).constData(), &info) == 0 ? qint64(info.st_size) : 0;
}

QStringList FolderFiles::fileNames(const QString& relativeFolder, const QString& prefix, const QString& suffix) const
{
    const QDir folder(path(relativeFolder));
    QStringList names = folder.entryList({prefix + u'*' + suffix}, QDir::Files | QDir::System);
    if (names.size() > kMaxListedNames)
        names.resize(kMaxListedNames);
    return names;
}

std::shared_ptr<const LocalFile> FolderFiles::localFile(const QString& relativePath, QString*) const
{
    // Whoever reads it opens it safely and names it in its messages.
    return std::make_shared<LocalFile>(path(relativePath));
}

bool FolderFiles::copyFile(const QString& relativePath, const QUrl& destination, platform::Error* error) const
{
    return platform::FileManager::defaultManager()->copyItem(platform::fileurl::fromPath(path(relativePath), false),
                                                            destination, error);
}

} // namespace notestore
