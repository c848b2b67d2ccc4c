#include "app/LibraryPermissions.h"
#include "platform/LocalizedString.h"

#include "export/NotesLibrary.h"
#include "notestore/NoteStoreDatabase.h"
#include "platform/SafeFile.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace app {

namespace {

QString denied(const QString& path)
{
    return platform::localizedString("Cannot read “%1”: permission denied.").arg(path);
}

// Opening is the test: the permission bits alone do not tell what ACLs or
// a read-only mount allow.
bool refusesOpening(const QString& path, int flags)
{
    const platform::safefile::Descriptor fd(
        ::open(QFile::encodeName(path).constData(), flags | O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    return fd.get() < 0 && errno == EACCES;
}

} // namespace

QString libraryPermissionProblem(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == EACCES ? denied(path) : QString();
    if (!S_ISDIR(info.st_mode))
        return S_ISREG(info.st_mode) && refusesOpening(path, 0) ? denied(path) : QString();
    // Listing needs read, looking inside needs search permission.
    if (refusesOpening(path, O_DIRECTORY) || (::access(QFile::encodeName(path).constData(), X_OK) != 0 && errno == EACCES))
        return denied(path);
    for (const char* name : {NotesLibrary::kDescriptionFileName, notestore::NoteStoreDatabase::kDatabaseFileName}) {
        const QString file = path + u'/' + QLatin1String(name);
        struct stat fileInfo {};
        if (::lstat(QFile::encodeName(file).constData(), &fileInfo) == 0 && S_ISREG(fileInfo.st_mode)
            && refusesOpening(file, 0))
            return denied(file);
    }
    return {};
}

} // namespace app
