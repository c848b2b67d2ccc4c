#include "backup/BackupTestSupport.h"
#include "platform/PropertyList.h"

using namespace notestoregen;
using testsupport::CommandResult;
using testsupport::runExport;

namespace {

// A container and its backups, made once: encrypting and wrapping cost.
class Backups : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new testsupport::TempDir;
        testsupport::writeContainer(testsupport::richContainer(), container());
        BackupOptions plain;
        plain.deviceName = QStringLiteral("Plain iPhone");
        s_plain = new QString(testsupport::writeBackupOf(container(), folder("plain"), plain));
        BackupOptions encrypted;
        encrypted.deviceName = QStringLiteral("Locked iPad");
        encrypted.encrypted = true;
        encrypted.password = testsupport::kBackupPassword;
        encrypted.firstRounds = 3;
        encrypted.secondRounds = 2;
        s_encrypted = new QString(testsupport::writeBackupOf(container(), folder("encrypted"), encrypted));
    }
    static void TearDownTestSuite()
    {
        delete s_plain;
        delete s_encrypted;
        delete s_dir;
    }
    static QString folder(const char* name) { return s_dir->filePath(QLatin1String(name)); }
    static QString container() { return folder("container"); }

    // The export of `library` into the same destination each time (the
    // manifest names it), as names, modes, dates and digests.
    static QStringList exported(const QString& library, const QStringList& more = {},
                                              CommandResult* result = nullptr)
    {
        const QString destination = folder("out");
        QDir(destination).removeRecursively();
        const QDateTime start = QDateTime::currentDateTimeUtc().addSecs(-2);
        const QString passwords = folder("passwords");
        QFile file(passwords);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(testsupport::kNotesPassword + '\n' + testsupport::kBackupPassword + '\n');
        file.close();
        const CommandResult run =
            runExport(QStringList{QStringLiteral("--library"), library, QStringLiteral("--destination"), destination,
                                  QStringLiteral("--no-handoff"), QStringLiteral("--password-file"), passwords}
                          + more,
                      *s_dir);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        if (result)
            *result = run;
        return testsupport::fingerprintWithDates(destination, start);
    }

    static testsupport::TempDir* s_dir;
    static QString* s_plain;
    static QString* s_encrypted;
};

testsupport::TempDir* Backups::s_dir = nullptr;
QString* Backups::s_plain = nullptr;
QString* Backups::s_encrypted = nullptr;

TEST_F(Backups, ExportExactlyWhatTheContainerExportsAndStayUntouched)
{
    CommandResult fromContainer;
    const auto expected = exported(container(), {}, &fromContainer);
    // Everything the container holds came out, the locked note among it.
    const QString names = expected.join(u'\n');
    for (const char* name : {"iCloud/Notes/Diary.html ", "iCloud/Notes/Manual.rtfd/Manual.pdf ",
                             "iCloud/Notes/Trip/Late.html "})
        EXPECT_TRUE(names.contains(QLatin1String(name))) << names.toStdString() << fromContainer.err.toStdString();

    const auto before = testsupport::fingerprintWithDates(s_dir->path() + QStringLiteral("/plain"));
    const auto encryptedBefore = testsupport::fingerprintWithDates(s_dir->path() + QStringLiteral("/encrypted"));
    const struct {
        const char* name;
        QString library;
    } libraries[] = {
        {"plain device folder", *s_plain},
        {"folder of one plain backup", folder("plain")},
        {"encrypted device folder", *s_encrypted},
        {"folder of one encrypted backup", folder("encrypted")},
    };
    for (const auto& library : libraries) {
        CommandResult run;
        EXPECT_EQ(exported(library.library, {}, &run), expected) << library.name;
        // The summary names the same left-out attachment.
        EXPECT_TRUE(run.err.contains(QStringLiteral("Not downloaded: Far.pdf"))) << run.err.toStdString();
    }
    EXPECT_EQ(testsupport::fingerprintWithDates(s_dir->path() + QStringLiteral("/plain")), before);
    EXPECT_EQ(testsupport::fingerprintWithDates(s_dir->path() + QStringLiteral("/encrypted")), encryptedBefore);
}

TEST_F(Backups, SayWhileTheEncryptedOneOpens)
{
    CommandResult run;
    exported(*s_encrypted, {}, &run);
    // Two passwords in the file: each tried once, the second opens it.
    EXPECT_EQ(run.err.count(QStringLiteral("Opening the encrypted backup…")), 2) << run.err.toStdString();
}

struct RefusalCase {
    const char* name;
    std::function<void(BackupOptions&)> options;
    std::function<void(const QString& device)> damage; // may be empty
    bool withPasswords;
    const char* message;
};

class Refusals : public testing::TestWithParam<RefusalCase> {};

TEST_P(Refusals, StopNamingTheBackupAndChangeNothing)
{
    const RefusalCase& test = GetParam();
    const testsupport::TempDir dir;
    Container c;
    c.addNote(QStringLiteral("Note"), c.addFolder(QStringLiteral("Notes"), c.addAccount(QStringLiteral("iCloud"))),
              plainText(QStringLiteral("Note"), QStringLiteral("text")), appleTime(2024, 1, 1));
    testsupport::writeContainer(c, dir.filePath(QStringLiteral("container")));
    BackupOptions options;
    if (test.options)
        test.options(options);
    const QString device = testsupport::writeBackupOf(dir.filePath(QStringLiteral("container")),
                                                      dir.filePath(QStringLiteral("backups")), options);
    if (test.damage)
        test.damage(device);
    const auto before = testsupport::fingerprintWithDates(dir.filePath(QStringLiteral("backups")));
    QStringList arguments{QStringLiteral("--library"), device, QStringLiteral("--destination"),
                          dir.filePath(QStringLiteral("out")), QStringLiteral("--no-handoff")};
    if (test.withPasswords) {
        QFile file(dir.filePath(QStringLiteral("passwords")));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("wrong\n");
        file.close();
        arguments << QStringLiteral("--password-file") << file.fileName();
    }
    const CommandResult run = runExport(arguments, dir);
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QString::fromUtf8(test.message))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(device)) << run.err.toStdString();
    EXPECT_EQ(testsupport::fingerprintWithDates(dir.filePath(QStringLiteral("backups"))), before);
}

void replaceFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

void encrypt(BackupOptions& options)
{
    options.encrypted = true;
    options.password = testsupport::kBackupPassword;
}

const RefusalCase kRefusals[] = {
    {"Unfinished", [](BackupOptions& o) { o.snapshotState = QStringLiteral("uploading"); }, {}, false,
     "was not completed"},
    {"WithoutNotes", [](BackupOptions& o) { o.withNotes = false; }, {}, false, "holds no Notes data"},
    {"DamagedManifestDatabase", {},
     [](const QString& device) { replaceFile(device + QStringLiteral("/Manifest.db"), QByteArray(8192, 'x')); }, false,
     "its Manifest.db cannot be read"},
    {"DamagedKeybag", encrypt,
     [](const QString& device) {
         const auto plist = platform::plist::propertyListFromData(testsupport::readFile(device + QStringLiteral("/Manifest.plist")), nullptr);
         QVariantMap map = plist->toMap();
         map.insert(QStringLiteral("BackupKeyBag"), map.value(QStringLiteral("BackupKeyBag")).toByteArray().left(30));
         replaceFile(device + QStringLiteral("/Manifest.plist"),
                     *platform::plist::dataFromPropertyList(map, platform::plist::Format::Binary, nullptr));
     },
     true, "its keybag cannot be read"},
    {"TooOld", {},
     [](const QString& device) {
         QFile::remove(device + QStringLiteral("/Manifest.db"));
         replaceFile(device + QStringLiteral("/Manifest.mbdb"), "mbdb\x05\x00");
     },
     false, "backups that old are not supported"},
    {"EncryptedWithoutPassword", encrypt, {}, false, "is encrypted, and no password was given"},
    {"EncryptedWithAWrongPassword", encrypt, {}, true, "is encrypted, and the password given does not open it"},
};

INSTANTIATE_TEST_SUITE_P(Backup, Refusals, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

// Where the backup keeps a file of the Notes container.
QString storedFile(const QString& device, const QString& relative)
{
    const QString id = QString::fromLatin1(
        QCryptographicHash::hash(("AppDomainGroup-group.com.apple.notes-" + relative).toUtf8(), QCryptographicHash::Sha1)
            .toHex());
    return device + u'/' + id.left(2) + u'/' + id;
}

const QString kManual = QStringLiteral("Accounts/ACCOUNT/Media/M-F/Manual.pdf");

struct DamageCase {
    const char* name;
    bool encrypted;
    std::function<void(const QString& device)> damage;
    int exitCode;
    const char* message;
};

class DamagedFiles : public testing::TestWithParam<DamageCase> {};

// A damaged or missing file is named with the reason: an attachment in the
// summary while the rest is exported, the database as the failure.
TEST_P(DamagedFiles, AreNamedWithTheReason)
{
    const DamageCase& test = GetParam();
    const testsupport::TempDir dir;
    Container c;
    Account account;
    account.identifier = QStringLiteral("ACCOUNT");
    c.accounts.push_back(account);
    const int folder = c.addFolder(QStringLiteral("Notes"), 0);
    const int note = c.addNote(QStringLiteral("Manual"), folder,
                               styledText({TextRun(QStringLiteral("Manual\n"), 0),
                                           TextRun(QString(QChar(0xFFFC))).withAttachment(QStringLiteral("F"),
                                                                                        QStringLiteral("com.adobe.pdf"))}),
                               appleTime(2024, 1, 1));
    c.objects.push_back(ObjectRow{QStringLiteral("ICMedia"), QStringLiteral("M-F"),
                                  {{QStringLiteral("ZFILENAME"), QStringLiteral("Manual.pdf")}}, {}, {}});
    c.objects.push_back(ObjectRow{QStringLiteral("ICAttachment"), QStringLiteral("F"),
                                  {{QStringLiteral("ZTYPEUTI"), QStringLiteral("com.adobe.pdf")}},
                                  {{QStringLiteral("ZNOTE"), note}}, {{QStringLiteral("ZMEDIA"), 0}}});
    c.files.push_back({kManual, QByteArray("%PDF-1.4\n") + QByteArray(100000, 'p')});
    c.addNote(QStringLiteral("Plain"), folder, plainText(QStringLiteral("Plain"), QStringLiteral("text")),
              appleTime(2024, 1, 2));
    testsupport::writeContainer(c, dir.filePath(QStringLiteral("container")));
    BackupOptions options;
    if (test.encrypted) {
        options.encrypted = true;
        options.password = testsupport::kBackupPassword;
    }
    const QString device = testsupport::writeBackupOf(dir.filePath(QStringLiteral("container")),
                                                      dir.filePath(QStringLiteral("backups")), options);
    test.damage(device);
    QFile passwords(dir.filePath(QStringLiteral("passwords")));
    ASSERT_TRUE(passwords.open(QIODevice::WriteOnly));
    passwords.write(testsupport::kBackupPassword + '\n');
    passwords.close();
    const CommandResult run = runExport({QStringLiteral("--library"), device, QStringLiteral("--destination"),
                                         dir.filePath(QStringLiteral("out")), QStringLiteral("--no-handoff"),
                                         QStringLiteral("--password-file"), passwords.fileName()},
                                        dir);
    EXPECT_EQ(run.exitCode, test.exitCode) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QString::fromUtf8(test.message))) << run.err.toStdString();
    if (test.exitCode == 0) {
        EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("out/iCloud/Notes/Plain.html"))));
        EXPECT_TRUE(run.err.contains(QStringLiteral("Manual.pdf"))) << run.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("out/iCloud/Notes/Manual.rtfd/Manual.pdf"))));
    }
}

void cutShort(const QString& path, qint64 by)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(file.size() - by));
}

const DamageCase kDamage[] = {
    {"AttachmentMissing", false, [](const QString& d) { QFile::remove(storedFile(d, kManual)); }, 0,
     "not in the copied folder"},
    {"AttachmentALink", false,
     [](const QString& d) {
         QFile::remove(storedFile(d, kManual));
         QFile::link(d + QStringLiteral("/Info.plist"), storedFile(d, kManual));
     },
     0, "not in the copied folder"},
    {"AttachmentLongerThanItsRecord", false,
     [](const QString& d) {
         QFile file(storedFile(d, kManual));
         ASSERT_TRUE(file.open(QIODevice::Append));
         file.write("more");
     },
     0, "its record gives"},
    {"EncryptedAttachmentCutShort", true, [](const QString& d) { cutShort(storedFile(d, kManual), 16); }, 0,
     "bytes encrypted take"},
    {"DatabaseMissing", false, [](const QString& d) { QFile::remove(storedFile(d, QStringLiteral("NoteStore.sqlite"))); },
     1, "NoteStore.sqlite” couldn’t be read"},
    {"EncryptedDatabaseCutShort", true,
     [](const QString& d) { cutShort(storedFile(d, QStringLiteral("NoteStore.sqlite")), 32); }, 1,
     "NoteStore.sqlite” couldn’t be read"},
    {"EncryptedManifestCutShort", true, [](const QString& d) { cutShort(d + QStringLiteral("/Manifest.db"), 5); }, 1,
     "its Manifest.db cannot be read"},
};

INSTANTIATE_TEST_SUITE_P(Backup, DamagedFiles, ::testing::ValuesIn(kDamage),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BackupFolders, WithSeveralBackupsListTheirDevicesAndStop)
{
    const testsupport::TempDir dir;
    Container c;
    c.addAccount(QStringLiteral("iCloud"));
    testsupport::writeContainer(c, dir.filePath(QStringLiteral("container")));
    for (const char* name : {"Ann’s iPhone", "Ann’s iPad"}) {
        BackupOptions options;
        options.deviceName = QString::fromUtf8(name);
        testsupport::writeBackupOf(dir.filePath(QStringLiteral("container")), dir.filePath(QStringLiteral("backups")),
                                   options);
    }
    const CommandResult run = runExport({QStringLiteral("--library"), dir.filePath(QStringLiteral("backups")),
                                         QStringLiteral("--destination"), dir.filePath(QStringLiteral("out")),
                                         QStringLiteral("--no-handoff")},
                                        dir);
    EXPECT_EQ(run.exitCode, 1);
    for (const char* expected : {"“Ann’s iPhone” (iPhone15,2, iOS 17.4), backed up 2025-03-01 09:30 UTC",
                                 "“Ann’s iPad” (iPhone15,2, iOS 17.4)"})
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(expected))) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("out"))));
}

} // namespace
