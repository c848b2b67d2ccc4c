#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <optional>

namespace backup {

// What Manifest.db keeps of one file of a backup: the `file` column, a
// keyed archive of an "MBFile".
struct FileRecord {
    QString relativePath;
    qint64 size = 0;
    qint64 mode = 0;
    qint64 lastModified = 0;
    qint64 protectionClass = 0;
    // Encrypted backups: a 4-byte little-endian protection class, then the
    // file's own key wrapped with that class's key.
    QByteArray encryptionKey;

    static constexpr qsizetype kMaxArchiveBytes = 64 * 1024;
    // No file of a Notes container comes near this.
    static constexpr qint64 kMaxFileBytes = qint64(64) << 30;
};

// Makes "MBFile" known to the keyed archiver and unarchiver; safe to call often.
void registerFileRecordClass();

// The record in `archive`; nothing, with the reason, when it is damaged,
// too large or out of range.
std::optional<FileRecord> readFileRecord(const QByteArray& archive, QString* problem);

// The archive of `record`, for writers of backups.
std::optional<QByteArray> fileRecordArchive(const FileRecord& record);

} // namespace backup

Q_DECLARE_METATYPE(backup::FileRecord)
