#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// Wraps a Notes container into a device backup as Finder, iTunes and
// idevicebackup2 write it, plain or encrypted, with files of other apps
// beside it. Encryption happens here only; the reader only decrypts.
namespace notestoregen {

struct BackupOptions {
    QString deviceName = QStringLiteral("Test iPhone");
    QString productType = QStringLiteral("iPhone15,2");
    QString productVersion = QStringLiteral("17.4");
    QDateTime date = QDateTime(QDate(2025, 3, 1), QTime(9, 30), Qt::UTC);
    bool encrypted = false;
    QByteArray password;
    // Real backups ask for 10,000,000 and 10,000; tests keep them small,
    // the format carries its own counts.
    qint64 firstRounds = 1;  // DPIC
    qint64 secondRounds = 1; // ITER
    QString snapshotState = QStringLiteral("finished");
    bool withNotes = true;      // false: Notes was not on the device
    bool withOtherApps = true;  // other apps' files, a NoteStore.sqlite among them
};

// The UDID-like folder name of a device.
QString backupFolderName(const BackupOptions& options);

// Writes the backup of the container in `containerFolder` into
// `deviceFolder` (made; the device's folder, named by backupFolderName()).
bool writeBackup(const QString& containerFolder, const QString& deviceFolder, const BackupOptions& options,
                 QString* error);

} // namespace notestoregen
