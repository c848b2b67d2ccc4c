#include "backup/BackupFiles.h"
#include "platform/LocalizedString.h"

#include "backup/StoredFile.h"
#include "notestore/PrivateCopy.h"
#include "platform/FileURL.h"
#include "platform/SafeFile.h"

#include <QFileInfo>

namespace backup {

namespace {

const QString kDatabase = QStringLiteral("NoteStore.sqlite");

QString notesFolderProblem(const BackupSummary& summary)
{
    return platform::localizedString("The backup “%1” holds no Notes data: Notes was not on “%2”, or its notes are only in "
                          "iCloud and were never downloaded to it.")
        .arg(summary.folder, summary.displayName());
}

} // namespace

std::shared_ptr<BackupFiles> BackupFiles::open(const BackupSummary& summary, const notestore::PasswordList& passwords,
                                               const std::function<void()>& deriving, platform::Error* error,
                                               int* usedPassword)
{
    if (!summary.finished) {
        platform::setError(error, backupError(ErrorNotFinished, platform::localizedString("The backup “%1” was not completed "
                                                                               "(its Status.plist says so). Make the "
                                                                               "backup again and let it finish.")
                                                                    .arg(summary.folder)));
        return nullptr;
    }
    if (!summary.hasManifestDatabase) {
        platform::setError(error, summary.hasOldManifest
                                      ? backupError(ErrorTooOld, platform::localizedString("The backup “%1” is of iOS 10.2 or "
                                                                                "older (it has Manifest.mbdb): "
                                                                                "backups that old are not supported.")
                                                                     .arg(summary.folder))
                                      : backupError(ErrorDamaged, platform::localizedString("The backup “%1” is damaged: it has "
                                                                                 "no Manifest.db.")
                                                                      .arg(summary.folder)));
        return nullptr;
    }
    std::shared_ptr<BackupFiles> files(new BackupFiles);
    files->m_summary = summary;
    if (summary.encrypted) {
        QString problem;
        const auto keybag = parseKeybag(summary.keybag, &problem);
        if (!keybag) {
            platform::setError(error, backupError(ErrorDamaged, platform::localizedString("The backup “%1” is damaged: its "
                                                                               "keybag cannot be read (%2).")
                                                                    .arg(summary.folder, problem)));
            return nullptr;
        }
        if (passwords.empty()) {
            platform::setError(error, backupError(ErrorNoPassword, platform::localizedString("The backup “%1” of “%2” is "
                                                                                  "encrypted, and no password was "
                                                                                  "given for it.")
                                                                       .arg(summary.folder, summary.displayName())));
            return nullptr;
        }
        bool opened = false;
        for (size_t i = 0; i < passwords.size() && !opened; ++i) {
            if (deriving)
                deriving();
            switch (unlockKeybag(*keybag, passwords[i], files->m_keys, &problem)) {
            case UnlockOutcome::Opened:
                opened = true;
                if (usedPassword)
                    *usedPassword = int(i);
                break;
            case UnlockOutcome::WrongPassword: break;
            case UnlockOutcome::Damaged:
                platform::setError(error, backupError(ErrorDamaged, platform::localizedString("The backup “%1” is damaged: its "
                                                                                   "keybag cannot be used (%2).")
                                                                        .arg(summary.folder, problem)));
                return nullptr;
            }
        }
        if (!opened) {
            platform::setError(error, backupError(ErrorWrongPassword,
                                                  platform::localizedString("The backup “%1” of “%2” is encrypted, and %3.")
                                                      .arg(summary.folder, summary.displayName(),
                                                           passwords.size() == 1
                                                               ? platform::localizedString("the password given does not open it")
                                                               : platform::localizedString("none of the %1 passwords given "
                                                                                "opens it")
                                                                     .arg(passwords.size()))));
            return nullptr;
        }
    }
    if (!readDomainFiles(summary.folder, QLatin1String(kNotesDomain), summary.encrypted ? &files->m_keys : nullptr,
                         summary.manifestKey, files->m_files, error))
        return nullptr;
    const ManifestEntry* database = files->entry(kDatabase);
    if (!database || database->flags != 1) {
        platform::setError(error, backupError(ErrorNoNotes, notesFolderProblem(summary)));
        return nullptr;
    }
    for (auto it = files->m_files.cbegin(); it != files->m_files.cend(); ++it) {
        if (it->flags != 1)
            continue;
        const qsizetype slash = it.key().lastIndexOf(u'/');
        files->m_folders[slash < 0 ? QString() : it.key().left(slash)].append(it.key().mid(slash + 1));
    }
    return files;
}

QString BackupFiles::root() const
{
    return m_summary.folder + u'/' + QLatin1String(kNotesDomain);
}

QString BackupFiles::databasePath() const
{
    return root() + u'/' + kDatabase;
}

const ManifestEntry* BackupFiles::entry(const QString& relativePath) const
{
    const auto found = m_files.constFind(relativePath);
    return found == m_files.constEnd() ? nullptr : &*found;
}

bool BackupFiles::extract(const QString& relativePath, const QString& destination, bool keepDate,
                          platform::Error* error) const
{
    const QString display = root() + u'/' + relativePath;
    const ManifestEntry* found = entry(relativePath);
    if (!found || found->flags != 1) {
        platform::setError(error, backupError(ErrorUnreadable, platform::localizedString("The file “%1” couldn’t be read: the "
                                                                              "backup does not hold it")
                                                                   .arg(display)));
        return false;
    }
    QString problem;
    const auto record = readFileRecord(found->file, &problem);
    if (!record) {
        platform::setError(error, backupError(ErrorDamaged, platform::localizedString("The file “%1” couldn’t be read: %2")
                                                                .arg(display, problem)));
        return false;
    }
    Secret key;
    if (m_summary.encrypted) {
        key = fileKey(*record, m_keys, &problem);
        if (key.isEmpty()) {
            platform::setError(error, backupError(ErrorDamaged, platform::localizedString("The file “%1” couldn’t be read: %2")
                                                                    .arg(display, problem)));
            return false;
        }
    }
    return writeStoredFile(m_summary.folder, found->storedPath(), m_summary.encrypted ? &key : nullptr, record->size,
                           keepDate ? record->lastModified : 0, destination, display, error);
}

std::unique_ptr<notestore::PrivateCopy> BackupFiles::copyDatabase(platform::Error* error) const
{
    auto copy = notestore::PrivateCopy::makeEmpty(error);
    if (!copy)
        return nullptr;
    const QString target = copy->databasePath();
    if (!extract(kDatabase, target, false, error))
        return nullptr;
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString name = kDatabase + QLatin1String(suffix);
        if (entry(name) && !extract(name, target + QLatin1String(suffix), false, error))
            return nullptr;
    }
    return copy;
}

bool BackupFiles::isFile(const QString& relativePath) const
{
    const ManifestEntry* found = entry(relativePath);
    if (!found || found->flags != 1)
        return false;
    // The manifest may name a file the backup lacks, or one planted as a link.
    platform::Error ignored;
    return platform::safefile::openBeneath(m_summary.folder, found->storedPath(), &ignored).isValid();
}

qint64 BackupFiles::fileSize(const QString& relativePath) const
{
    // The size the manifest gives is the size once decrypted.
    const ManifestEntry* found = entry(relativePath);
    const auto record = found ? readFileRecord(found->file, nullptr) : std::nullopt;
    return record ? record->size : 0;
}

QStringList BackupFiles::fileNames(const QString& relativeFolder, const QString& prefix, const QString& suffix) const
{
    QStringList result;
    for (const QString& name : m_folders.value(relativeFolder)) {
        if (name.startsWith(prefix) && name.endsWith(suffix) && name.size() >= prefix.size() + suffix.size())
            result.append(name);
        if (result.size() >= kMaxListedNames)
            break;
    }
    result.sort();
    return result;
}

std::shared_ptr<const notestore::LocalFile> BackupFiles::localFile(const QString& relativePath,
                                                                   QString* problem) const
{
    // A plain backup's file is read where it is (isFile() found it a
    // regular file beneath the backup); an encrypted one is decrypted into a
    // private folder, named as in the container so its extension tells its type.
    if (!m_summary.encrypted) {
        const ManifestEntry* found = entry(relativePath);
        if (found)
            return std::make_shared<notestore::LocalFile>(m_summary.folder + u'/' + found->storedPath());
    }
    platform::Error error;
    std::shared_ptr<notestore::PrivateCopy> folder = notestore::PrivateCopy::makeEmpty(&error, false);
    const QString path = folder ? folder->folderPath() + u'/' + QFileInfo(relativePath).fileName() : QString();
    if (!folder || !extract(relativePath, path, true, &error)) {
        if (problem)
            *problem = platform::localizedString("its file cannot be read: %1").arg(error.localizedDescription());
        return nullptr;
    }
    return std::make_shared<notestore::LocalFile>(path, [folder] {});
}

bool BackupFiles::copyFile(const QString& relativePath, const QUrl& destination, platform::Error* error) const
{
    return extract(relativePath, platform::fileurl::path(destination), true, error);
}

} // namespace backup
