#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// Device backups as Finder, iTunes and idevicebackup2 write them: one
// folder per device, named by its UDID, holding Info.plist,
// Manifest.plist, Status.plist, Manifest.db and the files under hashed names.
namespace backup {

inline constexpr const char* kErrorDomain = "BackupErrorDomain";
enum ErrorCode {
    ErrorUnreadable = 1,
    ErrorNotFinished,
    ErrorNoNotes,
    ErrorDamaged,
    ErrorTooOld,
    ErrorNoPassword,
    ErrorWrongPassword,
    ErrorSeveralBackups,
};

platform::Error backupError(ErrorCode code, const QString& text);

// What a device backup's property lists tell of it.
struct BackupSummary {
    QString folder; // the device's backup folder
    QString deviceName;
    QString productType;    // "iPhone14,2"
    QString productVersion; // "17.4"
    std::optional<QDateTime> date;
    bool encrypted = false;
    QByteArray keybag;      // BackupKeyBag
    QByteArray manifestKey; // ManifestKey
    bool finished = true;   // Status.plist's SnapshotState
    bool hasManifestDatabase = false; // Manifest.db: iOS 10 and later
    bool hasOldManifest = false;      // Manifest.mbdb: iOS 10.2 and older

    // "“Ann’s iPhone” (iPhone14,2, iOS 17.4), backed up 2025-03-01 09:30 UTC, in 0000…"
    QString description() const;
    // The device's name, else the folder's.
    QString displayName() const;
};

// Limits on the property lists of a backup (Info.plist holds app icons).
inline constexpr qint64 kMaxInfoPlistBytes = qint64(64) << 20;
inline constexpr qint64 kMaxManifestPlistBytes = qint64(16) << 20;
inline constexpr qint64 kMaxStatusPlistBytes = qint64(1) << 20;
// A folder of backups is looked through this far, no further.
inline constexpr int kMaxFolderEntries = 10'000;

// Whether `folder` is a device's backup folder (it has Manifest.plist,
// Manifest.db or Manifest.mbdb).
bool isDeviceBackup(const QString& folder);

// The summary of the device backup in `folder`; the error names the folder.
std::optional<BackupSummary> readBackupSummary(const QString& folder, platform::Error* error);

// The device backups `path` stands for: itself when it is one, else those
// directly inside it, ordered by folder name. Empty when there are none.
QList<BackupSummary> findBackups(const QString& path, platform::Error* error);

} // namespace backup
