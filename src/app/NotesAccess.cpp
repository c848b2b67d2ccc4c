#include "app/NotesAccess.h"
#include "platform/LocalizedString.h"

#include "app/LibraryPermissions.h"
#include "backup/BackupFiles.h"
#include "export/NotesLibrary.h"
#include "notestore/NoteStoreDatabase.h"
#include "notestore/NoteStoreSource.h"

#include <QDir>
#include <QFileInfo>

namespace app {

namespace {

constexpr const char* kExpected = QT_TRANSLATE_NOOP("platform", "Choose a folder holding library.json, a Notes folder copied from a Mac (holding "
                                  "NoteStore.sqlite), a NoteStore.sqlite file, or a backup of an iPhone or iPad.");

platform::Error unusable(const QString& path, const QString& what)
{
    return platform::Error(QString::fromLatin1(NotesLibrary::kErrorDomain), NotesLibrary::ErrorUnreadable,
                           platform::localizedString("“%1” %2. %3").arg(path, what, platform::localizedString(kExpected)));
}

std::shared_ptr<NotesApplication> openBackup(const backup::BackupSummary& summary, platform::Error* error,
                                             const BackupUnlock& unlock)
{
    notestore::PasswordList passwords;
    // A backup that is refused anyway is refused before anybody is asked.
    const bool refused = !summary.finished || !summary.hasManifestDatabase
                      || !backup::parseKeybag(summary.keybag, nullptr);
    if (summary.encrypted && unlock.passwords && !refused) {
        QString problem;
        auto given = unlock.passwords(summary, &problem);
        if (!given) {
            platform::setError(error, backup::backupError(backup::ErrorNoPassword, problem));
            return nullptr;
        }
        passwords = std::move(*given);
    }
    const auto files = backup::BackupFiles::open(summary, passwords, unlock.deriving, error);
    return files ? notestore::NoteStoreApplication::open(files, error) : nullptr;
}

} // namespace

QString backupChoices(const QString& path, const QList<backup::BackupSummary>& backups)
{
    QString text = platform::localizedString("“%1” holds the backups of %2 devices; give the folder of one of them with "
                                  "--library:")
                       .arg(path)
                       .arg(backups.size());
    for (const backup::BackupSummary& summary : backups)
        text += QStringLiteral("\n  ") + summary.description();
    return text;
}

std::shared_ptr<NotesApplication> openNotes(const QString& path, platform::Error* error, const BackupUnlock& unlock)
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
        platform::Error searchError;
        const QList<backup::BackupSummary> backups = backup::findBackups(path, &searchError);
        if (backups.size() == 1)
            return openBackup(backups.constFirst(), error, unlock);
        if (backups.size() > 1) {
            platform::setError(error, backup::backupError(backup::ErrorSeveralBackups, backupChoices(path, backups)));
            return nullptr;
        }
        if (!searchError.localizedDescription().isEmpty()) {
            platform::setError(error, searchError);
            return nullptr;
        }
        platform::setError(error, unusable(path, platform::localizedString("holds neither %1 nor %2").arg(descriptionName,
                                                                                                 databaseName)));
        return nullptr;
    }
    if (info.fileName() == descriptionName) {
        const auto library = NotesLibrary::load(info.path(), error);
        return library ? LibraryNotesApplication::make(library) : nullptr;
    }
    // A device backup may be named by its manifest, as the window picks it.
    if ((info.fileName() == QLatin1String("Manifest.plist") || info.fileName() == QLatin1String("Manifest.db"))
        && backup::isDeviceBackup(info.path())) {
        const auto summary = backup::readBackupSummary(info.path(), error);
        return summary ? openBackup(*summary, error, unlock) : nullptr;
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
