#pragma once

#include "backup/BackupFolder.h"
#include "backup/BackupManifest.h"
#include "notestore/ContainerFiles.h"

#include <QHash>
#include <functional>
#include <memory>

namespace backup {

// The domain of the Notes container in a device backup.
inline constexpr const char* kNotesDomain = "AppDomainGroup-group.com.apple.notes";

// The Notes container inside a device backup: every file is found through
// Manifest.db by domain and relative path, read in bounded pieces and, in
// an encrypted backup, decrypted with its own key. Nothing is ever written
// inside the backup folder.
class BackupFiles final : public notestore::ContainerFiles {
public:
    // Opens the backup `summary` describes. An encrypted one is unlocked
    // with the first of `passwords` that opens it; `deriving` is called
    // before each password is tried (seconds of work each). `usedPassword`
    // receives the index of that password. Fails, naming the folder, for a
    // backup that is unfinished, too old, damaged, without Notes, or
    // encrypted and not opened.
    static std::shared_ptr<BackupFiles> open(const BackupSummary& summary, const notestore::PasswordList& passwords,
                                             const std::function<void()>& deriving, platform::Error* error,
                                             int* usedPassword = nullptr);

    const BackupSummary& summary() const { return m_summary; }

    QString root() const override;
    QString databasePath() const override;
    std::unique_ptr<notestore::PrivateCopy> copyDatabase(platform::Error* error) const override;
    bool isFile(const QString& relativePath) const override;
    qint64 fileSize(const QString& relativePath) const override;
    QStringList fileNames(const QString& relativeFolder, const QString& prefix, const QString& suffix) const override;
    std::shared_ptr<const notestore::LocalFile> localFile(const QString& relativePath, QString* problem) const override;
    bool copyFile(const QString& relativePath, const QUrl& destination, platform::Error* error) const override;

private:
    BackupFiles() = default;
    const ManifestEntry* entry(const QString& relativePath) const;
    // Writes the file to `destination`; the error names it.
    bool extract(const QString& relativePath, const QString& destination, bool keepDate, platform::Error* error) const;

    BackupSummary m_summary;
    ClassKeys m_keys;
    DomainFiles m_files;
    QHash<QString, QStringList> m_folders; // relative folder -> names of its files
};

} // namespace backup
