// Damaged and hostile databases, each made by the generator: every note is
// exported or named, a layout the reader cannot trust stops the export with
// one line, and no reason spans two lines.

#include "notestore/NoteStoreExport.h"

#include "notestore-generate/DamagedContainers.h"
#include "notestore/NoteAttachments.h"
#include "notestore/NoteCrypto.h"

#include <QRegularExpression>
#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace notestoregen;
using namespace Qt::StringLiterals;

namespace {

const QByteArray kPassword = "pw";

struct HostileCase {
    const char* name;
    // Adds to a container of one account "iCloud" with a folder "Notes"
    // holding the note "Kept".
    std::function<void(Container&)> build;
    QStringList statements = {};                     // run on the written database
    QString summaryLine = {};                        // the beginning of a line of the summary, when given
    QStringList files = {};                          // the note files exported besides Kept's
    QString openError = {};                          // else: part of the one-line reason it is refused with
};

Note& addNote(Container& c, const QString& title, int folder)
{
    return c.notes[size_t(c.addNote(title, folder, plainText(title, u"Text of "_s + title), appleTime(2025, 1, 1)))];
}

TEST(HostileDatabase, EveryNoteIsExportedOrNamedAndEveryReasonIsOneLine)
{
    const auto lost = [](Container& c) { addNote(c, u"Lost"_s, 0); };
    const QString orphaned = u"Notes whose folder could not be found, exported into “Notes without a folder”: 1."_s;
    const QString entity = u"(SELECT Z_ENT FROM Z_PRIMARYKEY WHERE Z_NAME = '%1')"_s;
    const QString orphan = u"Notes without an account/Notes without a folder/Lost.html"_s;
    std::vector<HostileCase> cases{
        {"FolderIsASmartFolder",
         [](Container& c) {
             const int smart = c.addFolder(u"Saved search"_s, 0);
             c.folders[size_t(smart)].folderType = 3;
             addNote(c, u"Lost"_s, smart);
         },
         {}, orphaned, {u"iCloud/Notes without a folder/Lost.html"_s}},
        {"FolderWithoutItsAccount", [](Container& c) { addNote(c, u"Lost"_s, c.addFolder(u"Travel"_s, 0)); },
         {u"UPDATE ZICCLOUDSYNCINGOBJECT SET ZOWNER = 999999 WHERE ZTITLE2 = 'Travel'"_s}, {},
         {u"Notes without an account/Travel/Lost.html"_s}},
        {"FoldersInACycle",
         [](Container& c) {
             const int a = c.addFolder(u"A"_s, 0);
             addNote(c, u"In A"_s, a);
             addNote(c, u"In B"_s, c.addFolder(u"B"_s, 0, a));
         },
         {u"UPDATE ZICCLOUDSYNCINGOBJECT SET ZPARENT = (SELECT Z_PK FROM ZICCLOUDSYNCINGOBJECT WHERE ZTITLE2 = 'B') "
          "WHERE ZTITLE2 = 'A'"_s},
         {}, {u"iCloud/A/B/In B.html"_s, u"iCloud/A/In A.html"_s}},
        // What is in the trash or deleted stays out, whatever its folder's account.
        {"TrashAndTombstonesStayOut",
         [](Container& c) {
             const int trash = c.addFolder(u"Recently Deleted"_s, 0);
             c.folders[size_t(trash)].folderType = 1;
             addNote(c, u"Binned"_s, trash);
             addNote(c, u"Binned deeper"_s, c.addFolder(u"Old"_s, 0, trash));
             addNote(c, u"Purged"_s, 0).markedForDeletion = true;
         },
         {u"UPDATE ZICCLOUDSYNCINGOBJECT SET ZOWNER = 999999 WHERE ZTITLE2 = 'Old'"_s}},
        {"ControlCharactersInTitle", [](Container& c) { addNote(c, u"con\a trol\x1b chars\x7f"_s, 0); }, {}, {},
         {u"iCloud/Notes/con  trol  chars.html"_s}},
        {"UnreadableBodyWithALineBreakInItsTitle",
         [](Container& c) { addNote(c, u"Broken\ntitle"_s, 0).data = "not a body"; }, {},
         u"  “Broken title” in “Notes”: its body cannot be read"_s},
        {"GzippedBodyThatIsNoNoteBody",
         [](Container& c) { addNote(c, u"Spoilt"_s, 0).data = gzip("\x12\xff\xff\xff\xff\x0f garbage"); }, {},
         u"  “Spoilt” in “Notes”: its body cannot be read"_s},
        {"NoteWithoutData", [](Container& c) { addNote(c, u"Nothing"_s, 0).hasNoteData = false; }, {},
         u"Notes skipped for an empty body: 1."_s},
        {"LockedWithRoundsAboveTheBound",
         [](Container& c) {
             addNote(c, u"Vault"_s, 0);
             testsupport::lockNote(c.notes.back(), gzippedBody(plainText(u"Vault"_s, {})), kPassword);
             c.notes.back().crypto->iterations = notestore::kMaxCryptoIterations + 1;
         },
         {}, u"  “Vault” in “Notes”: cannot be opened on this machine"_s},
        {"EntityNamedTwice", {},
         {u"INSERT INTO Z_PRIMARYKEY (Z_ENT, Z_NAME, Z_SUPER, Z_MAX) VALUES (99, 'ICNote', 0, 0)"_s}, {}, {},
         u"names ICNote twice"_s},
        {"NoteDataWithoutItsData", {}, {u"ALTER TABLE ZICNOTEDATA DROP COLUMN ZDATA"_s}, {}, {},
         u"(no ZICNOTEDATA.ZDATA)"_s},
    };
    // Notes whose folder reference leads to no folder.
    for (const auto& [name, folder] : std::initializer_list<std::pair<const char*, QString>>{
             {"FolderNull", u"NULL"_s},
             {"FolderMissing", u"999999"_s},
             {"FolderNegative", u"-4"_s},
             {"FolderIsANote", u"(SELECT Z_PK FROM ZICCLOUDSYNCINGOBJECT WHERE ZTITLE1 = 'Kept')"_s},
             {"FolderIsAnAccount",
              u"(SELECT Z_PK FROM ZICCLOUDSYNCINGOBJECT WHERE Z_ENT = %1)"_s.arg(entity.arg("ICAccount"))},
             {"FolderOfWrongType", u"'Notes'"_s}}) {
        const QString statement = u"UPDATE ZICCLOUDSYNCINGOBJECT SET ZFOLDER = %1 WHERE ZTITLE1 = 'Lost'"_s.arg(folder);
        cases.push_back({name, lost, {statement}, orphaned, {orphan}});
    }
    for (const HostileCase& test : cases) {
        SCOPED_TRACE(test.name);
        Container c;
        c.addAccount(u"iCloud"_s, u"ACCOUNT-1"_s);
        c.addFolder(u"Notes"_s, 0);
        addNote(c, u"Kept"_s, 0);
        if (test.build)
            test.build(c);
        testsupport::TempDir dir;
        const QString container = dir.filePath(u"container"_s);
        QString error;
        ASSERT_TRUE(writeDamagedContainer(c, test.statements, container, &error)) << error.toStdString();
        if (!test.openError.isEmpty()) {
            platform::Error openError;
            ASSERT_FALSE(app::openNotes(container, &openError));
            const QString reason = openError.localizedDescription();
            EXPECT_TRUE(reason.contains(test.openError) && !reason.contains(u'\n')) << reason.toStdString();
            continue;
        }
        const QString destination = dir.filePath(u"out"_s);
        const auto summary = testsupport::exportNotes(container, destination, {kPassword});
        ASSERT_TRUE(summary);

        QStringList expected = test.files + QStringList{u"iCloud/Notes/Kept.html"_s};
        expected.sort();
        EXPECT_EQ(testsupport::tree(destination).filter(QRegularExpression(u"\\.html$|\\.rtfd/$"_s)), expected);
        const QString said = u'\n' + summary->lines().join(u'\n');
        EXPECT_EQ(said.count(u'\n'), summary->lines().size()) << "a reason spans two lines:" << said.toStdString();
        EXPECT_TRUE(said.contains(u'\n' + test.summaryLine)) << said.toStdString();
    }
}

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
    c.addAccount(u"iCloud"_s);
    addNote(c, u"Kept"_s, c.addFolder(u"Notes"_s, 0));
    const QString closed = dir.filePath(u"closed"_s);
    const QString unreadable = dir.filePath(u"unreadable"_s);
    const QString database = unreadable + u"/NoteStore.sqlite"_s;
    testsupport::writeContainer(c, closed);
    testsupport::writeContainer(c, unreadable);
    // An attachment behind a folder that cannot be entered is not "missing".
    const QString media = dir.filePath(u"media/Accounts/ACC/Media"_s);
    testsupport::writeFile(media + u"/M1/report.pdf"_s, "%PDF-1.4");
    const auto mode = [](const QString& path, mode_t bits) { return chmod(QFile::encodeName(path).constData(), bits); };
    for (const QString& folder : {dir.path(), unreadable, dir.filePath(u"media"_s), dir.filePath(u"media/Accounts"_s),
                                  dir.filePath(u"media/Accounts/ACC"_s)})
        ASSERT_EQ(mode(folder, 0755), 0);
    // No one but root passes these, whoever runs the test.
    for (const QString& closedToAll : {closed, database, media})
        ASSERT_EQ(mode(closedToAll, 0), 0);
    const auto deniedNaming = [](const QString& path, const QString& named) {
        platform::Error error;
        const bool refused = !app::openNotes(path, &error);
        return refused && error.localizedDescription() == u"Cannot read “%1”: permission denied."_s.arg(named);
    };
    notestore::AttachmentRow row;
    row.typeUTI = u"com.adobe.pdf"_s;
    row.mediaIdentifier = u"M1"_s;
    row.mediaFilename = u"report.pdf"_s;
    notestore::MediaPlace place;
    place.containerRoot = dir.filePath(u"media"_s);
    place.accountIdentifier = u"ACC"_s;
    const int status = asNobody([&] {
        const QString mediaProblem = notestore::fileToSave(row, place).problem;
        return (deniedNaming(closed, closed) ? 0 : 1) | (deniedNaming(unreadable, database) ? 0 : 2)
             | (deniedNaming(database, database) ? 0 : 4)
             | (mediaProblem == u"its folder “%1” cannot be read: permission denied"_s.arg(media) ? 0 : 8);
    });
    for (const QString& folder : {closed, media})
        mode(folder, 0755); // so that the folder can be removed
    if (status < 0)
        GTEST_SKIP() << "no other user to be had";
    EXPECT_EQ(status, 0);
}

} // namespace
