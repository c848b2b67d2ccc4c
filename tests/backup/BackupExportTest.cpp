#include "backup/BackupTestSupport.h"
#include "notestore/AttachmentContainer.h"
#include "platform/PropertyList.h"

#include <sqlite3.h>

using namespace notestoregen;
using testsupport::CommandResult;
using testsupport::writeFile;

namespace {

// A plain and an encrypted backup of a container with all a backup must
// carry export exactly what the container exports, named by the device's
// folder or the folder holding it, and stay untouched.
TEST(Backups, ExportExactlyWhatTheContainerExportsAndStayUntouched)
{
    const testsupport::TempDir dir;
    const QString container = dir.filePath(QStringLiteral("container"));
    testsupport::writeContainer(testsupport::richContainer(), container);
    const QString plainDevice = testsupport::writeBackupOf(container, dir.filePath(QStringLiteral("plain")),
                                                           testsupport::deviceBackup(QStringLiteral("Plain iPhone")));
    BackupOptions encrypted = testsupport::deviceBackup(QStringLiteral("Locked iPad"), true);
    encrypted.firstRounds = 3;
    encrypted.secondRounds = 2;
    const QString encryptedDevice =
        testsupport::writeBackupOf(container, dir.filePath(QStringLiteral("encrypted")), encrypted);
    const QString passwords = dir.filePath(QStringLiteral("passwords"));
    testsupport::writeFile(passwords, testsupport::kNotesPassword + '\n' + testsupport::kBackupPassword + '\n');
    const auto backups = [&] {
        return testsupport::fingerprintWithDates(dir.filePath(QStringLiteral("plain")))
             + testsupport::fingerprintWithDates(dir.filePath(QStringLiteral("encrypted")));
    };
    const QStringList before = backups();

    // Into the same destination each time (the manifest names it), as names,
    // modes, dates and digests.
    CommandResult run;
    const auto exported = [&](const QString& library) {
        const QString destination = dir.filePath(QStringLiteral("out"));
        QDir(destination).removeRecursively();
        const QDateTime start = QDateTime::currentDateTimeUtc().addSecs(-2);
        run = testsupport::exportBackup(library, destination, dir, {QStringLiteral("--password-file"), passwords});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return testsupport::fingerprintWithDates(destination, start);
    };
    const QStringList expected = exported(container);
    // Everything the container holds came out, the locked note among it.
    const QString names = expected.join(u'\n');
    for (const char* name : {"iCloud/Notes/Diary.html ", "iCloud/Notes/Manual.rtfd/Manual.pdf ",
                             "iCloud/Notes/Trip/Late.html "})
        EXPECT_TRUE(names.contains(QLatin1String(name))) << names.toStdString() << run.err.toStdString();

    // With how often each says it opens the encrypted backup: once per
    // password in the file, the second opens it.
    const std::pair<QString, int> libraries[] = {{plainDevice, 0},
                                                 {dir.filePath(QStringLiteral("plain")), 0},
                                                 {plainDevice + QStringLiteral("/Manifest.plist"), 0},
                                                 {encryptedDevice, 2},
                                                 {dir.filePath(QStringLiteral("encrypted")), 2}};
    for (const auto& [library, opening] : libraries) {
        SCOPED_TRACE(library.toStdString());
        EXPECT_EQ(exported(library), expected);
        // The summary names the same left-out attachment.
        EXPECT_TRUE(run.err.contains(QStringLiteral("Not downloaded: Far.pdf"))) << run.err.toStdString();
        EXPECT_EQ(run.err.count(QStringLiteral("Opening the encrypted backup…")), opening);
    }
    EXPECT_EQ(backups(), before);
}

// Plists of a backup, edited as a damaged or hostile one would have them.
void editPlist(const QString& path, const std::function<void(QVariantMap&)>& edit)
{
    QVariantMap map = platform::plist::propertyListFromData(testsupport::readFile(path), nullptr)->toMap();
    edit(map);
    testsupport::writeFile(path, *platform::plist::dataFromPropertyList(map, platform::plist::Format::Binary, nullptr));
}

using Damage = std::function<void(const QString& device)>;

// The value of `key` in the backup's Manifest.plist, changed.
Damage manifestValue(const char* key, const std::function<QByteArray(QByteArray)>& change)
{
    return [=](const QString& device) {
        editPlist(device + QStringLiteral("/Manifest.plist"), [&](QVariantMap& map) {
            map.insert(QLatin1String(key), change(map.value(QLatin1String(key)).toByteArray()));
        });
    };
}

// Runs `sql` on a plain backup's Manifest.db.
void changeManifest(const QString& device, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(device + QStringLiteral("/Manifest.db")).constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

void cutShort(const QString& path, qint64 by)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(file.size() - by));
}

// Where the backup keeps a file of the Notes container.
QString storedFile(const QString& device, const QString& relative)
{
    const QString id = QString::fromLatin1(
        QCryptographicHash::hash(("AppDomainGroup-group.com.apple.notes-" + relative).toUtf8(), QCryptographicHash::Sha1)
            .toHex());
    return device + u'/' + id.left(2) + u'/' + id;
}

const QString kManual = QStringLiteral("Accounts/%1/Media/M-F/Manual.pdf").arg(testsupport::kAccountID);
const QString kDatabase = QStringLiteral("NoteStore.sqlite");

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
        s_dir = new testsupport::TempDir;
        testsupport::AttachmentContainer b;
        b.media(b.attachment(b.note(QStringLiteral("Manual"), {{"F", "com.adobe.pdf"}}), "F", "com.adobe.pdf"), "M-F",
                "Manual.pdf", testsupport::kPDF + QByteArray(100000, 'p'));
        b.c.addNote(QStringLiteral("Plain"), b.folder, plainText(QStringLiteral("Plain"), QStringLiteral("text")),
                    appleTime(2024, 1, 2));
        testsupport::writeContainer(b.c, s_dir->filePath(QStringLiteral("container")));
    }
    static void TearDownTestSuite() { delete s_dir; }
    static testsupport::TempDir* s_dir;
};

testsupport::TempDir* DamagedBackups::s_dir = nullptr;

// A refused backup is named with the reason, a damaged or missing file too:
// an attachment in the summary while the rest is exported, the database as
// the failure. The backup itself stays as it was.
TEST_P(DamagedBackups, AreNamedWithTheReasonAndStayUntouched)
{
    const DamageCase& test = GetParam();
    const testsupport::TempDir dir;
    BackupOptions options;
    if (test.options)
        test.options(options);
    const QString backups = dir.filePath(QStringLiteral("backups"));
    const QString device = testsupport::writeBackupOf(s_dir->filePath(QStringLiteral("container")), backups, options);
    if (test.damage)
        test.damage(device);
    const auto before = testsupport::fingerprintWithDates(backups);
    QStringList passwords;
    if (test.passwords) {
        testsupport::writeFile(dir.filePath(QStringLiteral("passwords")), test.passwords);
        passwords << QStringLiteral("--password-file") << dir.filePath(QStringLiteral("passwords"));
    }
    const CommandResult run = testsupport::exportBackup(device, dir.filePath(QStringLiteral("out")), dir, passwords);
    EXPECT_EQ(run.exitCode, test.exitCode) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QString::fromUtf8(test.message))) << run.err.toStdString();
    if (test.exitCode == 0) {
        EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("out/iCloud/Notes/Plain.html"))));
        // Nothing left out silently.
        EXPECT_NE(QFileInfo::exists(dir.filePath(QStringLiteral("out/iCloud/Notes/Manual.rtfd/Manual.pdf"))),
                  run.err.contains(QStringLiteral("Manual.pdf")));
    } else {
        EXPECT_TRUE(run.err.contains(device)) << run.err.toStdString();
    }
    EXPECT_EQ(testsupport::fingerprintWithDates(backups), before);
}

void encrypt(BackupOptions& options)
{
    options.encrypted = true;
    options.password = testsupport::kBackupPassword;
}

const QByteArray kPassword = testsupport::kBackupPassword + '\n';

const DamageCase kDamage[] = {
    {"Unfinished", [](BackupOptions& o) { o.snapshotState = QStringLiteral("uploading"); }, {}, nullptr, 1,
     "was not completed"},
    {"WithoutNotes", [](BackupOptions& o) { o.withNotes = false; }, {}, nullptr, 1, "holds no Notes data"},
    {"DamagedManifestDatabase", {}, [](const QString& d) { writeFile(d + "/Manifest.db", QByteArray(8192, 'x')); },
     nullptr, 1, "its Manifest.db cannot be read"},
    {"DamagedKeybag", encrypt, manifestValue("BackupKeyBag", [](const QByteArray& bag) { return bag.left(30); }),
     "wrong\n", 1, "its keybag cannot be read"},
    {"TooOld", {},
     [](const QString& d) {
         QFile::remove(d + QStringLiteral("/Manifest.db"));
         testsupport::writeFile(d + QStringLiteral("/Manifest.mbdb"), "mbdb\x05\x00");
     },
     nullptr, 1, "backups that old are not supported"},
    {"EncryptedWithoutPassword", encrypt, {}, nullptr, 1, "is encrypted, and no password was given"},
    {"EncryptedWithAWrongPassword", encrypt, {}, "wrong\n", 1, "is encrypted, and the password given does not open it"},
    {"AttachmentMissing", {}, [](const QString& d) { QFile::remove(storedFile(d, kManual)); }, nullptr, 0,
     "not in the copied folder"},
    {"AttachmentALink", {},
     [](const QString& d) {
         QFile::remove(storedFile(d, kManual));
         QFile::link(d + QStringLiteral("/Info.plist"), storedFile(d, kManual));
     },
     nullptr, 0, "not in the copied folder"},
    {"AttachmentLongerThanItsRecord", {},
     [](const QString& d) {
         QFile file(storedFile(d, kManual));
         ASSERT_TRUE(file.open(QIODevice::Append));
         file.write("more");
     },
     nullptr, 0, "its record gives"},
    {"EncryptedAttachmentCutShort", encrypt, [](const QString& d) { cutShort(storedFile(d, kManual), 16); }, kPassword,
     0, "bytes encrypted take"},
    {"DatabaseMissing", {}, [](const QString& d) { QFile::remove(storedFile(d, kDatabase)); }, nullptr, 1,
     "NoteStore.sqlite” couldn’t be read"},
    {"EncryptedDatabaseCutShort", encrypt, [](const QString& d) { cutShort(storedFile(d, kDatabase), 32); }, kPassword,
     1, "NoteStore.sqlite” couldn’t be read"},
    {"EncryptedManifestCutShort", encrypt, [](const QString& d) { cutShort(d + QStringLiteral("/Manifest.db"), 5); },
     kPassword, 1, "its Manifest.db cannot be read"},
    {"InfoNotADictionary", {}, [](const QString& d) { writeFile(d + "/Info.plist", "<plist><array/></plist>"); },
     nullptr, 1, "its Info.plist cannot be read"},
    {"ManifestNotADictionary", {}, [](const QString& d) { writeFile(d + "/Manifest.plist", "<plist><true/></plist>"); },
     nullptr, 1, "its Manifest.plist cannot be read"},
    {"ManifestDatabaseALink", {},
     [](const QString& d) {
         QFile::rename(d + QStringLiteral("/Manifest.db"), d + QStringLiteral("/Manifest.db.moved"));
         QFile::link(d + QStringLiteral("/Manifest.db.moved"), d + QStringLiteral("/Manifest.db"));
     },
     nullptr, 1, "cannot be read: "},
    {"StatusAFolder", {},
     [](const QString& d) {
         QFile::remove(d + QStringLiteral("/Status.plist"));
         QDir(d).mkdir(QStringLiteral("Status.plist"));
     },
     nullptr, 1, "cannot be read: "},
    {"StatusMissing", {}, [](const QString& d) { QFile::remove(d + QStringLiteral("/Status.plist")); }, nullptr, 0,
     "Notes written: 2"},
    {"NoManifestDatabase", {}, [](const QString& d) { QFile::remove(d + QStringLiteral("/Manifest.db")); }, nullptr, 1,
     "it has no Manifest.db"},
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
     [](const QString& d) {
         QByteArray data = testsupport::readFile(storedFile(d, kManual));
         data[data.size() - 1] = char(data.back() ^ 0x55);
         testsupport::writeFile(storedFile(d, kManual), data);
     },
     kPassword, 0, "does not decrypt to the 100035 bytes its record gives"},
    {"DatabaseRecordGarbage", {},
     [](const QString& d) { changeManifest(d, "UPDATE Files SET file = x'00' WHERE relativePath = 'NoteStore.sqlite'"); },
     nullptr, 1, "NoteStore.sqlite” couldn’t be read: its record cannot be read"},
    {"AttachmentRecordGarbage", {},
     [](const QString& d) { changeManifest(d, "UPDATE Files SET file = x'00' WHERE relativePath LIKE '%Manual.pdf'"); },
     nullptr, 0, "Manual.pdf"},
    {"AttachmentNotInTheManifest", {},
     [](const QString& d) { changeManifest(d, "DELETE FROM Files WHERE relativePath LIKE '%Manual.pdf'"); }, nullptr, 0,
     "Manual.pdf"},
};

INSTANTIATE_TEST_SUITE_P(Backup, DamagedBackups, ::testing::ValuesIn(kDamage),
                         [](const auto& info) { return std::string(info.param.name); });

// Several backups are listed by their devices, also one whose Info.plist
// names nothing (its manifest and status tell); a damaged one does not hide
// the others.
TEST(BackupFolders, WithSeveralBackupsListTheirDevicesAndStop)
{
    const testsupport::TempDir dir;
    Container c;
    c.addAccount(QStringLiteral("iCloud"));
    testsupport::writeContainer(c, dir.filePath(QStringLiteral("container")));
    QStringList devices;
    for (const QString name : {"Ann’s iPhone", "Ann’s iPad", "Damaged"})
        devices << testsupport::writeBackupOf(dir.filePath(QStringLiteral("container")),
                                              dir.filePath(QStringLiteral("backups")),
                                              testsupport::deviceBackup(name, name.endsWith(QStringLiteral("iPad"))));
    editPlist(devices[0] + QStringLiteral("/Info.plist"), [](QVariantMap& info) { info.clear(); });
    QDir(dir.filePath(QStringLiteral("backups"))).mkdir(QStringLiteral("not a backup"));
    testsupport::writeFile(devices[2] + QStringLiteral("/Info.plist"), "damaged");
    const CommandResult run =
        testsupport::exportBackup(dir.filePath(QStringLiteral("backups")), dir.filePath(QStringLiteral("out")), dir);
    EXPECT_EQ(run.exitCode, 1);
    for (const char* expected : {"holds the backups of 2 devices",
                                 "“Ann’s iPhone” (iPhone15,2, iOS 17.4), backed up 2025-03-01 09:30 UTC, in “",
                                 "“Ann’s iPad” (iPhone15,2, iOS 17.4), backed up 2025-03-01 09:30 UTC, encrypted, in “"})
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(expected))) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("out"))));
}

} // namespace
