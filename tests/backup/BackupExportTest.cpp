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
