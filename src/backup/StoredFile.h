#pragma once

#include "backup/BackupCrypto.h"
#include "platform/Error.h"

#include <QString>

namespace backup {

// Writes the stored file `storedPath` (opened beneath the backup folder)
// to `destinationPath` under a hidden name in the same folder, renamed into
// place once complete. With `key`, the file is decrypted (AES-256-CBC) in
// bounded pieces and must come out exactly `size` bytes long; without, it
// is copied as it is and must be `size` bytes long (-1: any length). The copy gets
// `modified` (seconds since 1970) as its date when it is not 0.
// The error names `displayPath`, the file as the user knows it.
bool writeStoredFile(const QString& backupFolder, const QString& storedPath, const Secret* key, qint64 size,
                     qint64 modified, const QString& destinationPath, const QString& displayPath,
                     platform::Error* error);

} // namespace backup
