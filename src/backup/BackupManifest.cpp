#include "backup/BackupManifest.h"
#include "platform/LocalizedString.h"

#include "backup/BackupFolder.h"
#include "backup/StoredFile.h"
#include "notestore/PrivateCopy.h"
#include "platform/SafeFile.h"

#include <QFile>
#include <QRegularExpression>
#include <QtEndian>
#include <sqlite3.h>

namespace backup {

namespace {

platform::Error damaged(const QString& folder, const QString& reason)
{
    return backupError(ErrorDamaged, platform::localizedString("The backup “%1” is damaged: its Manifest.db cannot be read (%2).")
                                         .arg(folder, reason));
}

// A class key, then the key it wraps: 4-byte little-endian class first.
Secret unwrapWithClass(const QByteArray& data, const ClassKeys& keys, QString* reason)
{
    if (data.size() < 4 + 24) {
        *reason = platform::localizedString("its key is %1 bytes long").arg(data.size());
        return {};
    }
    const quint32 protectionClass = qFromLittleEndian<quint32>(data.constData());
    const auto classKey = keys.find(protectionClass);
    if (classKey == keys.end()) {
        *reason = platform::localizedString("its protection class %1 has no key in the keybag").arg(protectionClass);
        return {};
    }
    Secret key = unwrapKey(classKey->second, data.mid(4));
    if (key.isEmpty())
        *reason = platform::localizedString("its key does not unwrap");
    return key;
}

} // namespace

Secret fileKey(const FileRecord& record, const ClassKeys& keys, QString* reason)
{
    return unwrapWithClass(record.encryptionKey, keys, reason);
}

bool readDomainFiles(const QString& backupFolder, const QString& domain, const ClassKeys* keys,
                     const QByteArray& manifestKey, DomainFiles& files, platform::Error* error)
{
    files.clear();
    auto copy = notestore::PrivateCopy::makeEmpty(error);
    if (!copy)
        return false;
    const QString target = copy->folderPath() + QStringLiteral("/Manifest.db");
    platform::Error openError;
    qint64 size = 0;
    {
        const auto fd = platform::safefile::openBeneath(backupFolder, QStringLiteral("Manifest.db"), &openError, &size);
        if (!fd.isValid()) {
            platform::setError(error, backupError(ErrorUnreadable, platform::localizedString("The backup “%1” cannot be read: %2")
                                                                       .arg(backupFolder, openError.localizedDescription())));
            return false;
        }
    }
    if (size > kMaxManifestBytes) {
        platform::setError(error, damaged(backupFolder, platform::localizedString("it is larger than %1")
                                                            .arg(platform::safefile::describeSize(kMaxManifestBytes))));
        return false;
    }
    Secret key;
    if (keys) {
        QString reason;
        key = unwrapWithClass(manifestKey, *keys, &reason);
        if (key.isEmpty()) {
            platform::setError(error, damaged(backupFolder, platform::localizedString("its ManifestKey: %1").arg(reason)));
            return false;
        }
    }
    // Encrypted, its padding alone tells its length.
    platform::Error writeError;
    if (!writeStoredFile(backupFolder, QStringLiteral("Manifest.db"), keys ? &key : nullptr, -1, 0, target,
                         backupFolder + QStringLiteral("/Manifest.db"), &writeError)) {
        platform::setError(error, writeError.domain() == QLatin1String(kErrorDomain) && writeError.code() == ErrorDamaged ? damaged(backupFolder, writeError.localizedDescription())
                                                                    : writeError);
        return false;
    }

    sqlite3* db = nullptr;
    const QByteArray path = QFile::encodeName(target);
    int result = sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    if (result == SQLITE_OK)
        result = sqlite3_prepare_v2(db,
                                    "SELECT fileID, relativePath, flags, file FROM Files WHERE domain = ?1 LIMIT ?2",
                                    -1, &statement, nullptr);
    if (result == SQLITE_OK) {
        const QByteArray utf8 = domain.toUtf8();
        sqlite3_bind_text(statement, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(statement, 2, kMaxDomainRows + 1);
        static const QRegularExpression fileID(QStringLiteral("^[0-9a-f]{40}$"));
        while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
            if (files.size() >= kMaxDomainRows) {
                result = SQLITE_TOOBIG;
                break;
            }
            ManifestEntry entry;
            const auto column = [&](int index) {
                return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, index)),
                                         sqlite3_column_bytes(statement, index));
            };
            entry.fileID = column(0);
            const QString relative = column(1);
            entry.flags = sqlite3_column_int64(statement, 2);
            if (const void* blob = sqlite3_column_blob(statement, 3))
                entry.file = QByteArray(static_cast<const char*>(blob), sqlite3_column_bytes(statement, 3));
            // Rows that cannot name a stored file are not files of ours.
            if (fileID.match(entry.fileID).hasMatch())
                files.insert(relative, std::move(entry));
        }
    }
    const QString detail = result == SQLITE_TOOBIG ? platform::localizedString("more than %1 files of Notes").arg(kMaxDomainRows)
                                                   : QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(statement);
    sqlite3_close_v2(db);
    if (result != SQLITE_DONE) {
        platform::setError(error, damaged(backupFolder, detail));
        files.clear();
        return false;
    }
    return true;
}

} // namespace backup
