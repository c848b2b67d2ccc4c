#include "backup/BackupTestSupport.h"
#include "notestore/AttachmentContainer.h"
#include "platform/PropertyList.h"

#include <sqlite3.h>

using namespace notestoregen;
using namespace testsupport;
using namespace Qt::StringLiterals;

namespace {

// A plain and an encrypted backup of a container with all a backup must
// carry export exactly what the container exports, named by the device's
// folder or the folder holding it, and stay untouched.
TEST(Backups, ExportExactlyWhatTheContainerExportsAndStayUntouched)
{
    const TempDir dir;
    const QString container = dir.filePath(u"container"_s);
    writeContainer(richContainer(), container);
    const QString plainDevice = writeBackupOf(container, dir.filePath(u"plain"_s), deviceBackup(u"Plain iPhone"_s));
    const BackupOptions encrypted{.deviceName = u"Locked iPad"_s, .encrypted = true, .password = kBackupPassword,
                                  .firstRounds = 3, .secondRounds = 2};
    const QString encryptedDevice = writeBackupOf(container, dir.filePath(u"encrypted"_s), encrypted);
    const QString passwords = dir.filePath(u"passwords"_s);
    writeFile(passwords, kNotesPassword + '\n' + kBackupPassword + '\n');
    const auto backups = [&] {
        return fingerprintWithDates(dir.filePath(u"plain"_s)) + fingerprintWithDates(dir.filePath(u"encrypted"_s));
    };
    const QStringList before = backups();

    // Into the same destination each time (the manifest names it), as names,
    // modes, dates and digests.
    CommandResult run;
    const auto exported = [&](const QString& library) {
        const QString destination = dir.filePath(u"out"_s);
        QDir(destination).removeRecursively();
        const QDateTime start = QDateTime::currentDateTimeUtc().addSecs(-2);
        run = exportBackup(library, destination, dir, {u"--password-file"_s, passwords});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return fingerprintWithDates(destination, start);
    };
    const QStringList expected = exported(container);
    // Everything the container holds came out, the locked note among it.
    const QString names = expected.join(u'\n');
    for (const char* name : {"iCloud/Notes/Diary.html ", "iCloud/Notes/Manual.rtfd/Manual.pdf ",
                             "iCloud/Notes/Trip/Late.html "})
        EXPECT_TRUE(names.contains(QLatin1String(name))) << names.toStdString() << run.err.toStdString();

    // With how often each says it opens the encrypted backup: once per
    // password in the file, the second opens it.
    const std::pair<QString, int> libraries[] = {
        {plainDevice, 0}, {dir.filePath(u"plain"_s), 0}, {plainDevice + u"/Manifest.plist"_s, 0},
        {encryptedDevice, 2}, {dir.filePath(u"encrypted"_s), 2},
    };
    for (const auto& [library, opening] : libraries) {
        SCOPED_TRACE(library.toStdString());
        EXPECT_EQ(exported(library), expected);
        // The summary names the same left-out attachment.
        EXPECT_TRUE(run.err.contains(u"Not downloaded: Far.pdf"_s)) << run.err.toStdString();
        EXPECT_EQ(run.err.count(u"Opening the encrypted backup…"_s), opening);
    }
    EXPECT_EQ(backups(), before);
}

// Plists of a backup, edited as a damaged or hostile one would have them.
void editPlist(const QString& path, const std::function<void(QVariantMap&)>& edit)
{
    QVariantMap map = platform::plist::propertyListFromData(readFile(path), nullptr)->toMap();
    edit(map);
    writeFile(path, *platform::plist::dataFromPropertyList(map, platform::plist::Format::Binary, nullptr));
}

using Damage = std::function<void(const QString& device)>;

// The value of `key` in the backup's Manifest.plist, changed.
Damage manifestValue(const char* key, const std::function<QByteArray(QByteArray)>& change)
{
    return [=](const QString& device) {
        editPlist(device + u"/Manifest.plist"_s, [&](QVariantMap& map) {
            map.insert(QLatin1String(key), change(map.value(QLatin1String(key)).toByteArray()));
        });
    };
}

// Runs `sql` on a plain backup's Manifest.db.
Damage manifestChange(const char* sql)
{
    return [=](const QString& device) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(device + u"/Manifest.db"_s).constData(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    };
}

const QString kManual = u"Accounts/%1/Media/M-F/Manual.pdf"_s.arg(kAccountID);
const QString kDatabase = u"NoteStore.sqlite"_s;

// Where the file `name` lies in the backup: a file of the backup itself, or
// one of the Notes container (kManual, kDatabase) under its hashed name.
QString pathIn(const QString& device, const QString& name)
{
    if (name != kManual && name != kDatabase)
        return device + u'/' + name;
    const QString id = QString::fromLatin1(
        QCryptographicHash::hash(("AppDomainGroup-group.com.apple.notes-" + name).toUtf8(), QCryptographicHash::Sha1)
            .toHex());
    return device + u'/' + id.left(2) + u'/' + id;
}

// The file `name` of the backup, with its bytes changed, replaced or removed.
Damage changed(const QString& name, const std::function<QByteArray(QByteArray)>& change)
{
    return [=](const QString& d) { writeFile(pathIn(d, name), change(readFile(pathIn(d, name)))); };
}

Damage replaced(const QString& name, const QByteArray& bytes)
{
    return changed(name, [=](const QByteArray&) { return bytes; });
}

Damage cutShort(const QString& name, qsizetype by)
{
    return changed(name, [=](const QByteArray& bytes) { return bytes.chopped(by); });
}

Damage removed(const QString& name)
{
    return [=](const QString& d) { QFile::remove(pathIn(d, name)); };
}

struct DamageCase {
    const char* name;
    std::function<void(BackupOptions&)> options; // may be empty
    Damage damage; // may be empty
    const char* passwords; // the password file; null: none given
    int exitCode;
    const char* message;
};

// A note with a PDF and a plain note, in a fresh backup of its own for each case.
class DamagedBackups : public testing::TestWithParam<DamageCase> {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new TempDir;
        AttachmentContainer b;
        b.media(b.attachment(b.note(u"Manual"_s, {{"F", "com.adobe.pdf"}}), "F", "com.adobe.pdf"), "M-F",
                "Manual.pdf", kPDF + QByteArray(100000, 'p'));
        b.c.addNote(u"Plain"_s, b.folder, plainText(u"Plain"_s, u"text"_s), appleTime(2024, 1, 2));
        writeContainer(b.c, s_dir->filePath(u"container"_s));
    }
    static void TearDownTestSuite() { delete s_dir; }
    static inline TempDir* s_dir = nullptr;
};

// A refused backup is named with the reason, a damaged or missing file too:
// an attachment in the summary while the rest is exported, the database as
// the failure. The backup itself stays as it was.
TEST_P(DamagedBackups, AreNamedWithTheReasonAndStayUntouched)
{
    const DamageCase& test = GetParam();
    const TempDir dir;
    BackupOptions options;
    if (test.options)
        test.options(options);
    const QString backups = dir.filePath(u"backups"_s);
    const QString device = writeBackupOf(s_dir->filePath(u"container"_s), backups, options);
    if (test.damage)
        test.damage(device);
    const auto before = fingerprintWithDates(backups);
    QStringList passwords;
    if (test.passwords) {
        writeFile(dir.filePath(u"passwords"_s), test.passwords);
        passwords << u"--password-file"_s << dir.filePath(u"passwords"_s);
    }
    const CommandResult run = exportBackup(device, dir.filePath(u"out"_s), dir, passwords);
    EXPECT_EQ(run.exitCode, test.exitCode) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QString::fromUtf8(test.message))) << run.err.toStdString();
    if (test.exitCode == 0) {
        EXPECT_TRUE(QFileInfo::exists(dir.filePath(u"out/iCloud/Notes/Plain.html"_s)));
        // Nothing left out silently.
        EXPECT_NE(QFileInfo::exists(dir.filePath(u"out/iCloud/Notes/Manual.rtfd/Manual.pdf"_s)),
                  run.err.contains(u"Manual.pdf"_s));
    } else {
        EXPECT_TRUE(run.err.contains(device)) << run.err.toStdString();
    }
    EXPECT_EQ(fingerprintWithDates(backups), before);
}

const auto encrypt = [](BackupOptions& o) { o = {.encrypted = true, .password = kBackupPassword}; };

const QByteArray kPassword = kBackupPassword + '\n';

const DamageCase kDamage[] = {
    {"Unfinished", [](BackupOptions& o) { o.snapshotState = u"uploading"_s; }, {}, nullptr, 1, "was not completed"},
    {"WithoutNotes", [](BackupOptions& o) { o.withNotes = false; }, {}, nullptr, 1, "holds no Notes data"},
    {"DamagedManifestDatabase", {}, replaced(u"Manifest.db"_s, QByteArray(8192, 'x')), nullptr, 1,
     "its Manifest.db cannot be read"},
    {"DamagedKeybag", encrypt, manifestValue("BackupKeyBag", [](const QByteArray& bag) { return bag.left(30); }),
     "wrong\n", 1, "its keybag cannot be read"},
    {"TooOld", {},
     [](const QString& d) {
         removed(u"Manifest.db"_s)(d);
         replaced(u"Manifest.mbdb"_s, "mbdb\x05\x00")(d);
     },
     nullptr, 1, "backups that old are not supported"},
    {"EncryptedWithoutPassword", encrypt, {}, nullptr, 1, "is encrypted, and no password was given"},
    {"EncryptedWithAWrongPassword", encrypt, {}, "wrong\n", 1, "is encrypted, and the password given does not open it"},
    {"AttachmentMissing", {}, removed(kManual), nullptr, 0, "not in the copied folder"},
    {"AttachmentALink", {},
     [](const QString& d) {
         removed(kManual)(d);
         QFile::link(d + u"/Info.plist"_s, pathIn(d, kManual));
     },
     nullptr, 0, "not in the copied folder"},
    {"AttachmentLongerThanItsRecord", {}, changed(kManual, [](const QByteArray& bytes) { return bytes + "more"; }),
     nullptr, 0, "its record gives"},
    {"EncryptedAttachmentCutShort", encrypt, cutShort(kManual, 16), kPassword, 0, "bytes encrypted take"},
    {"DatabaseMissing", {}, removed(kDatabase), nullptr, 1, "NoteStore.sqlite” couldn’t be read"},
    {"EncryptedDatabaseCutShort", encrypt, cutShort(kDatabase, 32), kPassword, 1,
     "NoteStore.sqlite” couldn’t be read"},
    {"EncryptedManifestCutShort", encrypt, cutShort(u"Manifest.db"_s, 5), kPassword, 1,
     "its Manifest.db cannot be read"},
    {"InfoNotADictionary", {}, replaced(u"Info.plist"_s, "<plist><array/></plist>"), nullptr, 1,
     "its Info.plist cannot be read"},
    {"ManifestNotADictionary", {}, replaced(u"Manifest.plist"_s, "<plist><true/></plist>"), nullptr, 1,
     "its Manifest.plist cannot be read"},
    {"ManifestDatabaseALink", {},
     [](const QString& d) {
         QFile::rename(d + u"/Manifest.db"_s, d + u"/Manifest.db.moved"_s);
         QFile::link(d + u"/Manifest.db.moved"_s, d + u"/Manifest.db"_s);
     },
     nullptr, 1, "cannot be read: "},
    {"StatusAFolder", {},
     [](const QString& d) {
         removed(u"Status.plist"_s)(d);
         QDir(d).mkdir(u"Status.plist"_s);
     },
     nullptr, 1, "cannot be read: "},
    {"StatusMissing", {}, removed(u"Status.plist"_s), nullptr, 0, "Notes written: 2"},
    {"NoManifestDatabase", {}, removed(u"Manifest.db"_s), nullptr, 1, "it has no Manifest.db"},
    {"NoneOfTwoPasswords", encrypt, {}, "wrong\nworse\n", 1, "none of the 2 passwords given opens it"},
    {"KeybagWithTooManyRounds", encrypt, manifestValue("BackupKeyBag", [](QByteArray bag) {
         return bag.replace(bag.indexOf("DPIC") + 8, 4, QByteArray("\x7F\xFF\xFF\xFF"));
     }),
     kPassword, 1, "its keybag cannot be used"},
    {"ManifestKeyTooShort", encrypt, manifestValue("ManifestKey", [](const QByteArray&) { return QByteArray("abc"); }),
     kPassword, 1, "its ManifestKey: its key is 3 bytes long"},
    {"ManifestKeyOfAClassWithoutKey", encrypt,
     manifestValue("ManifestKey", [](const QByteArray& key) { return QByteArray("\x63\0\0\0", 4) + key.mid(4); }),
     kPassword, 1, "its protection class 99 has no key in the keybag"},
    {"ManifestKeyThatDoesNotUnwrap", encrypt,
     manifestValue("ManifestKey", [](const QByteArray& key) { return key.left(4) + QByteArray(40, 'g'); }),
     kPassword, 1, "its key does not unwrap"},
    {"EncryptedAttachmentGarbled", encrypt,
     changed(kManual, [](const QByteArray& bytes) { return bytes.chopped(1) + char(bytes.back() ^ 0x55); }),
     kPassword, 0, "does not decrypt to the 100035 bytes its record gives"},
    {"DatabaseRecordGarbage", {},
     manifestChange("UPDATE Files SET file = x'00' WHERE relativePath = 'NoteStore.sqlite'"), nullptr, 1,
     "NoteStore.sqlite” couldn’t be read: its record cannot be read"},
    {"AttachmentRecordGarbage", {},
     manifestChange("UPDATE Files SET file = x'00' WHERE relativePath LIKE '%Manual.pdf'"), nullptr, 0, "Manual.pdf"},
    {"AttachmentNotInTheManifest", {}, manifestChange("DELETE FROM Files WHERE relativePath LIKE '%Manual.pdf'"),
     nullptr, 0, "Manual.pdf"},
};

INSTANTIATE_TEST_SUITE_P(Backup, DamagedBackups, ::testing::ValuesIn(kDamage),
                         [](const auto& info) { return std::string(info.param.name); });

// Several backups are listed by their devices, also one whose Info.plist
// names nothing (its manifest and status tell); a damaged one does not hide
// the others.
TEST(BackupFolders, WithSeveralBackupsListTheirDevicesAndStop)
{
    const TempDir dir;
    Container c;
    c.addAccount(u"iCloud"_s);
    writeContainer(c, dir.filePath(u"container"_s));
    const QString backups = dir.filePath(u"backups"_s);
    QStringList devices;
    for (const QString name : {"Ann’s iPhone", "Ann’s iPad", "Damaged"})
        devices << writeBackupOf(dir.filePath(u"container"_s), backups, deviceBackup(name, name.endsWith(u"iPad")));
    editPlist(devices[0] + u"/Info.plist"_s, [](QVariantMap& info) { info.clear(); });
    QDir(backups).mkdir(u"not a backup"_s);
    writeFile(devices[2] + u"/Info.plist"_s, "damaged");
    const CommandResult run = exportBackup(backups, dir.filePath(u"out"_s), dir);
    EXPECT_EQ(run.exitCode, 1);
    for (const char* expected : {"holds the backups of 2 devices",
                                 "“Ann’s iPhone” (iPhone15,2, iOS 17.4), backed up 2025-03-01 09:30 UTC, in “",
                                 "“Ann’s iPad” (iPhone15,2, iOS 17.4), backed up 2025-03-01 09:30 UTC, encrypted, in “"})
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(expected))) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"out"_s)));
}

} // namespace
