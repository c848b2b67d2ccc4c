#include "app/NotesAccess.h"
#include "platform/LocalizedString.h"

#include "app/LibraryPermissions.h"
#include "export/NotesLibrary.h"
#include "notestore/NoteStoreDatabase.h"
#include "notestore/NoteStoreSource.h"

#include <QDir>
#include <QFileInfo>

namespace app {

namespace {

constexpr const char* kExpected = QT_TRANSLATE_NOOP("platform", "Choose a folder holding library.json, a Notes folder copied from a Mac (holding "
                                  "NoteStore.sqlite) or a NoteStore.sqlite file.");

platform::Error unusable(const QString& path, const QString& what)
{
    return platform::Error(QString::fromLatin1(NotesLibrary::kErrorDomain), NotesLibrary::ErrorUnreadable,
                           platform::localizedString("“%1” %2. %3").arg(path, what, platform::localizedString(kExpected)));
}

} // namespace

std::shared_ptr<NotesApplication> openNotes(const QString& path, platform::Error* error)
{
    if (const QString denied = libraryPermissionProblem(path); !denied.isEmpty()) {
        platform::setError(error, platform::Error(QString::fromLatin1(NotesLibrary::kErrorDomain),
                                                  NotesLibrary::ErrorUnreadable, denied));
        return nullptr;
    }
    const QFileInfo info(path);
    const QString databaseName = QLatin1String(notestore::NoteStoreDatabase::kDatabaseFileName);
    const QString descriptionName = QLatin1String(NotesLibrary::kDescriptionFileName);
    if (!info.exists()) {
        platform::setError(error, unusable(path, platform::localizedString("does not exist")));
        return nullptr;
    }
    if (info.isDir()) {
        const QDir folder(path);
        if (QFileInfo::exists(folder.filePath(descriptionName))) {
            const auto library = NotesLibrary::load(path, error);
            return library ? LibraryNotesApplication::make(library) : nullptr;
        }
        if (QFileInfo::exists(folder.filePath(databaseName)) || QFileInfo(folder.filePath(databaseName)).isSymLink())
            return notestore::NoteStoreApplication::open(folder.filePath(databaseName), error);
        platform::setError(error, unusable(path, platform::localizedString("holds neither %1 nor %2").arg(descriptionName,
                                                                                                 databaseName)));
        return nullptr;
    }
    if (info.fileName() == descriptionName) {
        const auto library = NotesLibrary::load(info.path(), error);
        return library ? LibraryNotesApplication::make(library) : nullptr;
    }
    // Any other file is taken for a database; one that is not says so.
    return notestore::NoteStoreApplication::open(path, error);
}

QString libraryFolder(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() ? path : info.path();
}

bool determinePermissionToAutomate(const QString& path)
{
    const QFileInfo info(path);
    return info.isReadable() && (!info.isDir() || info.isExecutable());
}

} // namespace app
