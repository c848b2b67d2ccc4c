#include "backup/BackupTestSupport.h"

#include "notestore/AttachmentContainer.h"

using namespace notestoregen;

namespace testsupport {

Container richContainer()
{
    AttachmentContainer b;
    const int trip = b.c.addFolder(QStringLiteral("Trip"), 0, b.folder);

    b.media(b.attachment(b.note(QStringLiteral("Photo"), {{"P", "public.png"}}), "P", "public.png"), "M-P",
            "Photo.png", imageBytes("PNG", Qt::red, 40, 30));
    // Bigger than one piece of decryption, not a whole number of blocks.
    QByteArray manual = kPDF + QByteArray(3 * 1024 * 1024 + 5, 'm');
    b.media(b.attachment(b.note(QStringLiteral("Manual"), {{"F", "com.adobe.pdf"}}), "F", "com.adobe.pdf"), "M-F",
            "Manual.pdf", manual);
    b.attachment(b.note(QStringLiteral("Scans"), {{"G", "com.apple.notes.gallery"}}), "G", "com.apple.notes.gallery");
    b.file(QStringLiteral("Previews/G-1-60x40-0.jpeg"), imageBytes("JPEG", Qt::gray));
    b.file(QStringLiteral("Previews/G-1-600x400-0.jpeg"), imageBytes("JPEG", Qt::white, 60, 40));
    b.attachment(b.note(QStringLiteral("Sketch"), {{"D", "com.apple.drawing.2"}}), "D", "com.apple.drawing.2");
    b.file(QStringLiteral("FallbackImages/D/FallbackImage.png"), imageBytes("PNG", Qt::black));
    b.media(b.attachment(b.note(QStringLiteral("Not downloaded"), {{"N", "com.adobe.pdf"}}), "N", "com.adobe.pdf"),
            "M-N", "Far.pdf", QByteArray());

    const int locked = b.note(QStringLiteral("Diary"), {{"L", "public.png"}});
    Note& note = b.c.notes[size_t(locked)];
    lockNote(note, gzippedBody(note.text), kNotesPassword, QStringLiteral("the usual"));
    const LockedItem picture = lockWithPassword(imageBytes("PNG", Qt::green), kNotesPassword);
    b.media(b.attachment(locked, "L", "public.png"), "M-L", "Secret.png", picture.ciphertext,
            {{"ZISPASSWORDPROTECTED", 1},
             {"ZCRYPTOSALT", picture.salt},
             {"ZCRYPTOITERATIONCOUNT", picture.iterations},
             {"ZCRYPTOWRAPPEDKEY", picture.wrappedKey},
             {"ZASSETCRYPTOINITIALIZATIONVECTOR", picture.iv},
             {"ZASSETCRYPTOTAG", picture.tag}});

    const int late = b.c.addNote(QStringLiteral("Late"), trip, plainText(QStringLiteral("Late"), QStringLiteral("Only in the log")),
                                 appleTime(2025, 1, 1));
    b.c.notes[size_t(late)].walOnly = true;
    return b.c;
}

BackupOptions deviceBackup(const QString& name, bool encrypted)
{
    return {.deviceName = name, .encrypted = encrypted, .password = kBackupPassword};
}

QString writeBackupOf(const QString& containerFolder, const QString& backups, const BackupOptions& options)
{
    const QString device = backups + u'/' + backupFolderName(options);
    QString error;
    EXPECT_TRUE(writeBackup(containerFolder, device, options, &error)) << error.toStdString();
    return device;
}

CommandResult exportBackup(const QString& library, const QString& destination, const TempDir& home,
                           const QStringList& more)
{
    return runExport(QStringList{QStringLiteral("--library"), library, QStringLiteral("--destination"), destination,
                                 QStringLiteral("--no-handoff")} + more,
                     home);
}

QStringList fingerprintWithDates(const QString& root, const QDateTime& writtenSince)
{
    const QMap<QString, QByteArray> files = fingerprint(root);
    QStringList lines;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        const QFileInfo info(root + u'/' + it.key());
        lines << it.key() + u' ' + QString::fromLatin1(it.value())
                     + (info.isDir()                                                          ? QString()
                        : writtenSince.isValid() && info.lastModified() >= writtenSince ? QStringLiteral("@now")
                                                    : u'@' + QString::number(info.lastModified().toMSecsSinceEpoch()));
    }
    return lines;
}

} // namespace testsupport
