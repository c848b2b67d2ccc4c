#pragma once

#include "backup/FileRecord.h"
#include "backup/Keybag.h"
#include "platform/Error.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <memory>

namespace notestore {
class PrivateCopy;
}

namespace backup {

// One row of Manifest.db's Files table.
struct ManifestEntry {
    QString fileID;   // the stored file is <first two hex digits>/<fileID>
    qint64 flags = 0; // 1 a file, 2 a folder
    QByteArray file;  // the keyed archive of its FileRecord

    QString storedPath() const { return fileID.left(2) + u'/' + fileID; }
};

// The Files rows of one domain, by relative path.
using DomainFiles = QHash<QString, ManifestEntry>;

// Limits on what Manifest.db may hold.
inline constexpr qint64 kMaxManifestBytes = qint64(4) << 30;
inline constexpr qint64 kMaxDomainRows = 2'000'000;

// Reads the rows of `domain` from the backup's Manifest.db, copied (or, with
// `keys`, decrypted with `manifestKey`) into a private folder first, so that
// SQLite never writes beside the backup. The error names the backup.
bool readDomainFiles(const QString& backupFolder, const QString& domain, const ClassKeys* keys,
                     const QByteArray& manifestKey, DomainFiles& files, platform::Error* error);

// The file's own key, unwrapped with its class's key from `keys`; empty
// with the reason when it does not unwrap.
Secret fileKey(const FileRecord& record, const ClassKeys& keys, QString* reason);

} // namespace backup
