// Damaged and hostile databases, each made by the generator: every note is
// exported or named, a layout the reader cannot trust stops the export with
// one line, and no reason spans two lines.

#include "notestore/NoteStoreTestSupport.h"

#include "app/NotesAccess.h"
#include "app/Passwords.h"
#include "export/ExportNoteOperation.h"
#include "export/ExportTestSupport.h"
#include "notestore-generate/DamagedContainers.h"
#include "notestore/NoteAttachments.h"
#include "notestore/NoteCrypto.h"
#include "platform/FileURL.h"

#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace notestoregen;

namespace {

const QByteArray kPassword = "pw";
constexpr const char* kOrphaned = "Notes whose folder could not be found, exported into “Notes without a folder”: 1.";

struct HostileCase {
    const char* name;
    // Adds to a container of one account "iCloud" with a folder "Notes"
    // holding the note "Kept".
    std::function<void(Container&)> build;
    QStringList statements;                      // run on the written database
    std::function<void(const QString&)> damage;  // on the written folder
    QString openError;                           // part of the one-line reason it is refused with
    QStringList files;                           // else: the note files exported, sorted
    QString summaryLine;                         // and a line of the summary, when given
};

void addNote(Container& c, const QString& title, int folder)
{
    c.addNote(title, folder, plainText(title, QStringLiteral("Text of ") + title), appleTime(2025, 1, 1));
}

QString setFolder(const QString& value)
{
    return QStringLiteral("UPDATE ZICCLOUDSYNCINGOBJECT SET ZFOLDER = %1 WHERE ZTITLE1 = 'Lost'").arg(value);
}

const QString kEntity = QStringLiteral("(SELECT Z_ENT FROM Z_PRIMARYKEY WHERE Z_NAME = '%1')");

std::vector<HostileCase> hostileCases()
{
    const auto lost = [](Container& c) { addNote(c, QStringLiteral("Lost"), 0); };
    const QStringList keptAndOrphan{QStringLiteral("Notes without an account/Notes without a folder/Lost.html"),
                                    QStringLiteral("iCloud/Notes/Kept.html")};
    const QString orphaned = QString::fromUtf8(kOrphaned);
    return {
        {"FolderNull", lost, {setFolder(QStringLiteral("NULL"))}, {}, {}, keptAndOrphan, orphaned},
        {"FolderMissing", lost, {setFolder(QStringLiteral("999999"))}, {}, {}, keptAndOrphan, orphaned},
        {"FolderNegative", lost, {setFolder(QStringLiteral("-4"))}, {}, {}, keptAndOrphan, orphaned},
        {"FolderIsANote", lost,
         {setFolder(QStringLiteral("(SELECT Z_PK FROM ZICCLOUDSYNCINGOBJECT WHERE ZTITLE1 = 'Kept')"))}, {}, {},
         keptAndOrphan, orphaned},
        {"FolderIsAnAccount", lost,
         {setFolder(QStringLiteral("(SELECT Z_PK FROM ZICCLOUDSYNCINGOBJECT WHERE Z_ENT = %1)")
                        .arg(kEntity.arg(QStringLiteral("ICAccount"))))},
         {}, {}, keptAndOrphan, orphaned},
        {"FolderOfWrongType", lost, {setFolder(QStringLiteral("'Notes'"))}, {}, {}, keptAndOrphan, orphaned},
        {"FolderIsASmartFolder",
         [](Container& c) {
             const int smart = c.addFolder(QStringLiteral("Saved search"), 0);
             c.folders[size_t(smart)].folderType = 3;
             addNote(c, QStringLiteral("Lost"), smart);
         },
         {}, {}, {},
         {QStringLiteral("iCloud/Notes without a folder/Lost.html"), QStringLiteral("iCloud/Notes/Kept.html")},
         orphaned},
        {"FolderWithoutItsAccount",
         [](Container& c) { addNote(c, QStringLiteral("Lost"), c.addFolder(QStringLiteral("Travel"), 0)); },
         {QStringLiteral("UPDATE ZICCLOUDSYNCINGOBJECT SET ZOWNER = 999999 WHERE ZTITLE2 = 'Travel'")}, {}, {},
         {QStringLiteral("Notes without an account/Travel/Lost.html"), QStringLiteral("iCloud/Notes/Kept.html")}, {}},
        {"FoldersInACycle",
         [](Container& c) {
             const int a = c.addFolder(QStringLiteral("A"), 0);
             addNote(c, QStringLiteral("In A"), a);
             addNote(c, QStringLiteral("In B"), c.addFolder(QStringLiteral("B"), 0, a));
         },
         {QStringLiteral("UPDATE ZICCLOUDSYNCINGOBJECT SET ZPARENT = (SELECT Z_PK FROM ZICCLOUDSYNCINGOBJECT WHERE "
                         "ZTITLE2 = 'B') WHERE ZTITLE2 = 'A'")},
         {}, {},
         {QStringLiteral("iCloud/A/B/In B.html"), QStringLiteral("iCloud/A/In A.html"),
          QStringLiteral("iCloud/Notes/Kept.html")}, {}},
        // What is in the trash or deleted stays out, whatever its folder's account.
        {"TrashAndTombstonesStayOut",
         [](Container& c) {
             const int trash = c.addFolder(QStringLiteral("Recently Deleted"), 0);
             c.folders[size_t(trash)].folderType = 1;
             addNote(c, QStringLiteral("Binned"), trash);
             addNote(c, QStringLiteral("Binned deeper"), c.addFolder(QStringLiteral("Old"), 0, trash));
             addNote(c, QStringLiteral("Purged"), 0);
             c.notes.back().markedForDeletion = true;
         },
         {QStringLiteral("UPDATE ZICCLOUDSYNCINGOBJECT SET ZOWNER = 999999 WHERE ZTITLE2 = 'Old'")}, {}, {},
         {QStringLiteral("iCloud/Notes/Kept.html")}, {}},
        {"ControlCharactersInTitle",
         [](Container& c) { addNote(c, QStringLiteral("con\a trol\x1b chars\x7f"), 0); }, {}, {}, {},
         {QStringLiteral("iCloud/Notes/Kept.html"), QStringLiteral("iCloud/Notes/con  trol  chars.html")}, {}},
        {"UnreadableBodyWithALineBreakInItsTitle",
         [](Container& c) {
             addNote(c, QStringLiteral("Broken\ntitle"), 0);
             c.notes.back().data = QByteArray("not a body");
         },
         {}, {}, {}, {QStringLiteral("iCloud/Notes/Kept.html")}, QStringLiteral("  “Broken title” in “Notes”: ")},
        {"LockedWithRoundsAboveTheBound",
         [](Container& c) {
             addNote(c, QStringLiteral("Vault"), 0);
             testsupport::lockNote(c.notes.back(), gzippedBody(plainText(QStringLiteral("Vault"), {})), kPassword);
             c.notes.back().crypto->iterations = notestore::kMaxCryptoIterations + 1;
         },
         {}, {}, {}, {QStringLiteral("iCloud/Notes/Kept.html")},
         QStringLiteral("  “Vault” in “Notes”: cannot be opened on this machine")},
        {"EntityNamedTwice", {},
         {QStringLiteral("INSERT INTO Z_PRIMARYKEY (Z_ENT, Z_NAME, Z_SUPER, Z_MAX) VALUES (99, 'ICNote', 0, 0)")}, {},
         QStringLiteral("names ICNote twice"), {}, {}},
        {"NoteDataWithoutItsData", {}, {QStringLiteral("ALTER TABLE ZICNOTEDATA DROP COLUMN ZDATA")}, {},
         QStringLiteral("(no ZICNOTEDATA.ZDATA)"), {}, {}},
        {"GarbagePage", {}, {},
         [](const QString& folder) {
             QString error;
             EXPECT_TRUE(overwriteDatabaseBytes(folder, 4096, QByteArray(4096, '\xa5'), &error)) << error.toStdString();
         },
         QStringLiteral("is damaged"), {}, {}},
    };
}

class HostileDatabase : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileDatabase, EveryNoteIsExportedOrNamedAndEveryReasonIsOneLine)
{
    const HostileCase& test = GetParam();
    Container c;
    c.addAccount(QStringLiteral("iCloud"), QStringLiteral("ACCOUNT-1"));
    c.addFolder(QStringLiteral("Notes"), 0);
    addNote(c, QStringLiteral("Kept"), 0);
    if (test.build)
        test.build(c);
    testsupport::TempDir dir;
    const QString container = dir.filePath(QStringLiteral("container"));
    QString error;
    ASSERT_TRUE(writeDamagedContainer(c, test.statements, container, &error)) << error.toStdString();
    if (test.damage)
        test.damage(container);

    platform::Error openError;
    const auto app = app::openNotes(container, &openError);
    if (!test.openError.isEmpty()) {
        ASSERT_FALSE(app);
        const QString reason = openError.localizedDescription();
        EXPECT_TRUE(reason.contains(test.openError)) << reason.toStdString();
        EXPECT_FALSE(reason.contains(u'\n')) << reason.toStdString();
        return;
    }
    ASSERT_TRUE(app) << openError.localizedDescription().toStdString();
    notestore::PasswordList passwords;
    passwords.emplace_back(kPassword.constData(), kPassword.size());
    app::givePasswords(*app, std::move(passwords));
    const QString destination = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(destination));
    const auto operation = ExportNoteOperation::exportOperationForApp(app, platform::fileurl::fromPath(destination, true));
    testsupport::runToEnd(operation);
    ASSERT_TRUE(operation->plistURL());

    QStringList files;
    for (const QString& entry : testsupport::tree(destination)) {
        if (entry.endsWith(QLatin1String(".html")) || entry.endsWith(QLatin1String(".rtfd/")))
            files << entry;
    }
    EXPECT_EQ(files, test.files);
    const QStringList lines = operation->summary().lines();
    for (const QString& line : lines)
        EXPECT_FALSE(line.contains(u'\n')) << line.toStdString();
    if (!test.summaryLine.isEmpty()) {
        const bool found = std::any_of(lines.begin(), lines.end(),
                                       [&](const QString& line) { return line.startsWith(test.summaryLine); });
        EXPECT_TRUE(found) << lines.join(u'\n').toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileDatabase, testing::ValuesIn(hostileCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Runs `check` in a child process, as nobody when the tests run as root
// (whom permissions do not stop); its exit status, or -1 when that cannot be.
int asNobody(const std::function<int()>& check)
{
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
            _exit(100);
        _exit(check());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) != 100 ? WEXITSTATUS(status) : -1;
}

// A folder or database that cannot be read says so, naming it, instead of
// passing for a folder that holds no library (or a file never downloaded).
TEST(HostileDatabasePermissions, UnreadableFolderOrDatabaseIsNamedAsPermissionDenied)
{
    testsupport::TempDir dir;
    Container c;
    c.addAccount(QStringLiteral("iCloud"));
    addNote(c, QStringLiteral("Kept"), c.addFolder(QStringLiteral("Notes"), 0));
    const QString closed = dir.filePath(QStringLiteral("closed"));
    const QString unreadable = dir.filePath(QStringLiteral("unreadable"));
    testsupport::writeContainer(c, closed);
    testsupport::writeContainer(c, unreadable);
    const QString database = unreadable + QStringLiteral("/NoteStore.sqlite");
    ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    // No one but root passes these, whoever runs the test.
    ASSERT_EQ(chmod(QFile::encodeName(closed).constData(), 0), 0);
    ASSERT_EQ(chmod(QFile::encodeName(unreadable).constData(), 0755), 0);
    ASSERT_EQ(chmod(QFile::encodeName(database).constData(), 0), 0);
    const auto deniedNaming = [](const QString& path, const QString& named) {
        platform::Error error;
        const bool refused = !app::openNotes(path, &error);
        return refused && error.localizedDescription() == QStringLiteral("Cannot read “%1”: permission denied.").arg(named);
    };
    // An attachment behind a folder that cannot be entered is not "missing".
    const QString media = dir.filePath(QStringLiteral("media/Accounts/ACC/Media"));
    testsupport::writeFile(media + QStringLiteral("/M1/report.pdf"), "%PDF-1.4");
    for (const QString& folder : {dir.filePath(QStringLiteral("media")), dir.filePath(QStringLiteral("media/Accounts")),
                                  dir.filePath(QStringLiteral("media/Accounts/ACC"))})
        ASSERT_EQ(chmod(QFile::encodeName(folder).constData(), 0755), 0);
    ASSERT_EQ(chmod(QFile::encodeName(media).constData(), 0), 0);
    notestore::AttachmentRow row;
    row.typeUTI = QStringLiteral("com.adobe.pdf");
    row.mediaIdentifier = QStringLiteral("M1");
    row.mediaFilename = QStringLiteral("report.pdf");
    notestore::MediaPlace place;
    place.containerRoot = dir.filePath(QStringLiteral("media"));
    place.accountIdentifier = QStringLiteral("ACC");
    const int status = asNobody([&] {
        const QString mediaProblem = notestore::fileToSave(row, place).problem;
        return (deniedNaming(closed, closed) ? 0 : 1) | (deniedNaming(unreadable, database) ? 0 : 2)
             | (deniedNaming(database, database) ? 0 : 4)
             | (mediaProblem == QStringLiteral("its folder “%1” cannot be read: permission denied").arg(media) ? 0 : 8);
    });
    for (const QString& folder : {closed, media})
        chmod(QFile::encodeName(folder).constData(), 0755); // so that the folder can be removed
    if (status < 0)
        GTEST_SKIP() << "no other user to be had";
    EXPECT_EQ(status, 0);
}

} // namespace
