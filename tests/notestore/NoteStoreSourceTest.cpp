#include "notestore/NoteStoreTestSupport.h"

#include "app/NotesAccess.h"
#include "notestore-generate/DamagedContainers.h"
#include "notestore-generate/LinkedNotes.h"
#include "notestore/NoteStoreDatabase.h"
#include "notestore/NoteStoreSource.h"
#include "platform/Resources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <sqlite3.h>

using namespace notestoregen;
using namespace Qt::StringLiterals;
using testsupport::outline;

namespace {

// Two accounts with every kind of folder a database holds, and notes that
// must and must not come out; some rows only in the write-ahead log.
Container everyKindOfFolder(SchemaVersion version)
{
    Container c;
    c.version = version;
    const int cloud = c.addAccount(u"iCloud"_s);
    const int local = c.addAccount(u"On My Mac"_s, u"LocalAccount"_s);
    const int notes = c.addFolder(u"Notes"_s, cloud);
    const int recipes = c.addFolder(u"Recipes"_s, cloud);
    const int baking = c.addFolder(u"Baking"_s, cloud, recipes);
    const int trash = c.addFolder(u"Recently Deleted"_s, cloud);
    c.folders[size_t(trash)].folderType = 1;
    c.folders[size_t(c.addFolder(u"Smart"_s, cloud))].folderType = 3;
    const int deleted = c.addFolder(u"Old"_s, cloud);
    c.folders[size_t(deleted)].markedForDeletion = true;
    const int underDeleted = c.addFolder(u"Under old"_s, cloud, deleted);
    const int underTrash = c.addFolder(u"Under trash"_s, cloud, trash);
    c.folders[size_t(c.addFolder({}, cloud))].title.reset();
    const int travel = c.addFolder(u"Travel"_s, local);
    const int lisbon = c.addFolder(u"Lisbon"_s, local, travel);
    const int later = c.addFolder(u"Added later"_s, local);
    c.folders[size_t(later)].walOnly = true;

    const auto note = [&](const QString& title, int in, double modified) -> Note& {
        return c.notes[size_t(c.addNote(title, in, plainText(title, u"Some text."_s), modified))];
    };
    note(u"First"_s, notes, appleTime(2024, 3, 1, 9, 30));
    note(u"Second"_s, notes, appleTime(2024, 5, 1));
    note(u"Bread"_s, baking, appleTime(2023, 1, 1));
    note(u"Trashed"_s, trash, appleTime(2024, 6, 1));
    note(u"In deleted folder"_s, deleted, appleTime(2024, 6, 1));
    note(u"Under deleted"_s, underDeleted, appleTime(2024, 6, 1));
    note(u"Under trash"_s, underTrash, appleTime(2024, 6, 1));
    note(u"Tombstone"_s, notes, appleTime(2024, 6, 1)).markedForDeletion = true;
    note(u"Pastel de nata"_s, lisbon, appleTime(2022, 7, 7));
    note(u"Locked"_s, travel, appleTime(2022, 1, 1)).passwordProtected = true;
    note(u"Written last"_s, later, appleTime(2025, 1, 1)).walOnly = true;
    note(u"Late note"_s, recipes, appleTime(2025, 2, 1)).walOnly = true;
    return c;
}

const QStringList kEveryKindOfFolderOutline{
    "iCloud/",
    "iCloud/Notes/",
    "iCloud/Notes/Second",
    "iCloud/Notes/First",
    "iCloud/Recipes/",
    "iCloud/Recipes/Late note",
    "iCloud/Recipes/Baking/",
    "iCloud/Recipes/Baking/Bread",
    "On My Mac/",
    "On My Mac/Added later/",
    "On My Mac/Added later/Written last",
    "On My Mac/Travel/",
    "On My Mac/Travel/Locked",
    "On My Mac/Travel/Lisbon/",
    "On My Mac/Travel/Lisbon/Pastel de nata",
};

class NoteStoreTest : public ::testing::Test {
protected:
    QString container() const { return m_dir.filePath(u"group.com.apple.notes"_s); }
    QString database() const { return container() + u"/NoteStore.sqlite"_s; }

    std::shared_ptr<notestore::NoteStoreApplication> open(const QString& path, platform::Error* error = nullptr)
    {
        platform::Error ignored;
        return notestore::NoteStoreApplication::open(path, error ? error : &ignored);
    }
    // `c` written, with `statements` run on its database, and opened.
    std::shared_ptr<notestore::NoteStoreApplication> write(const Container& c, const QStringList& statements = {})
    {
        QString written;
        EXPECT_TRUE(writeDamagedContainer(c, statements, container(), &written)) << written.toStdString();
        platform::Error error;
        auto app = open(database(), &error);
        EXPECT_TRUE(app) << error.localizedDescription().toStdString();
        return app;
    }

    testsupport::TempDir m_dir;
    const testsupport::TempDir m_temporary;
    const testsupport::ScopedEnvironment m_environment{{"TMPDIR", m_temporary.path()}};
};

class SchemaVersions : public NoteStoreTest, public ::testing::WithParamInterface<SchemaVersion> {};

// The database is read from a private copy, removed afterwards; the user's
// files stay as they were.
TEST_P(SchemaVersions, ServeTheUserFoldersAndNotesInNotesOrder)
{
    testsupport::writeContainer(everyKindOfFolder(GetParam()), container());
    testsupport::writeFile(container() + u"/Accounts/LocalAccount/Media/x/picture.png"_s, "png");
    ASSERT_TRUE(QFile::exists(database() + u"-shm"_s));
    const auto before = testsupport::fingerprint(m_dir.path());
    {
        const auto app = open(database());
        ASSERT_TRUE(app);
        EXPECT_EQ(outline(*app), kEveryKindOfFolderOutline);
        EXPECT_EQ(app->database().version(), QString::fromLatin1(versionName(GetParam())).mid(3).toInt());

        const auto first = app->accounts()[0]->folders()[1]->notes()[1]; // iCloud/Notes/First
        const auto locked = app->accounts()[1]->folders()[2]->notes()[0];
        ASSERT_EQ(first->name() + u' ' + locked->name(), u"First Locked"_s);
        EXPECT_EQ(first->modificationDate(), QDateTime(QDate(2024, 3, 1), QTime(9, 30), Qt::UTC));
        EXPECT_EQ(first->creationDate(), QDateTime(QDate(2024, 2, 29), QTime(9, 30), Qt::UTC));
        EXPECT_TRUE(!first->passwordProtected() && first->attachments().isEmpty());
        EXPECT_TRUE(locked->passwordProtected() && locked->body().isEmpty());
        EXPECT_EQ(locked->bodyProblem(), u"no password given"_s);

        // Ids are unique and stay the same across openings.
        const QStringList served = outline(*app, true);
        const QStringList ids = QStringList(served).replaceInStrings(QRegularExpression(u"^.* "_s), QString());
        EXPECT_EQ(QSet<QString>(ids.begin(), ids.end()).size(), ids.size());
        EXPECT_TRUE(ids.contains(u"LocalAccount"_s));
        EXPECT_EQ(outline(*open(database()), true), served);
        const QStringList copies = QDir(m_temporary.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        ASSERT_EQ(copies.size(), 1);
        // Mode 0700: read, write and enter for its owner, nothing for the others.
        EXPECT_EQ(int(QFile::permissions(m_temporary.filePath(copies[0])) & 0x7077), 0x7000);
    }
    EXPECT_EQ(testsupport::fingerprint(m_dir.path()), before);
    EXPECT_TRUE(QDir(m_temporary.path()).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(NoteStore, SchemaVersions,
                         ::testing::Values(SchemaVersion::iOS11, SchemaVersion::iOS26),
                         [](const auto& info) { return std::string(versionName(info.param)); });

// Counting asks hasNoteData() of every note; it must agree with what
// reading the newest note-data row finds.
// A body built ahead of the walk is the body built when asked, whether the
// notes are asked for in their folders' order, backwards or again.
TEST_F(NoteStoreTest, BodiesBuiltAheadAreTheBodiesAskedFor)
{
    const Container containers[] = {sizedContainer(30, 500), everyKindOfFolder(SchemaVersion::iOS15),
                                    linkedNotesContainer()};
    for (const Container& c : containers) {
        const QString path = m_dir.filePath(QString::number(&c - containers));
        testsupport::writeContainer(c, path);
        const auto app = open(path + u"/NoteStore.sqlite"_s);
        ASSERT_TRUE(app);
        std::vector<int> order;
        for (const auto& folder : app->folders())
            order.insert(order.end(), folder.notes.begin(), folder.notes.end());
        for (const bool backwards : {false, true, false}) {
            if (backwards)
                std::reverse(order.begin(), order.end());
            for (const int note : order) {
                QString problem, aheadProblem;
                const QByteArray body = app->bodyOfNote(app->notes()[size_t(note)], &problem);
                EXPECT_EQ(app->bodyOfNoteAt(note, &aheadProblem, nullptr), body) << note;
                EXPECT_EQ(aheadProblem, problem) << note;
            }
        }
    }
}

TEST_F(NoteStoreTest, HasNoteDataAgreesWithTheNewestRow)
{
    const QString newerRow = QStringLiteral("INSERT INTO ZICNOTEDATA (Z_PK, ZNOTE, ZDATA) SELECT max(d.Z_PK) + 1, "
                                            "(SELECT Z_PK FROM ZICCLOUDSYNCINGOBJECT WHERE ZTITLE1 = '%1'), %2 "
                                            "FROM ZICNOTEDATA d");
    const QString ofNote = QStringLiteral("ZNOTE = (SELECT Z_PK FROM ZICCLOUDSYNCINGOBJECT WHERE ZTITLE1 = '%1')");
    const struct {
        const char* title;
        QString sql;
        bool has;
    } cases[] = {
        {"Plain", {}, true},
        {"NewestEmpty", newerRow.arg("NewestEmpty", "x''"), false},
        {"NewestNull", newerRow.arg("NewestNull", "NULL"), false},
        {"OlderEmpty", QStringLiteral("UPDATE ZICNOTEDATA SET ZDATA = x'' WHERE ") + ofNote.arg("OlderEmpty") + u';' +
                           newerRow.arg("OlderEmpty", "(SELECT ZDATA FROM ZICNOTEDATA LIMIT 1 OFFSET 0)"), true},
        {"NoRow", QStringLiteral("DELETE FROM ZICNOTEDATA WHERE ") + ofNote.arg("NoRow"), false},
    };
    Container c;
    const int folder = c.addFolder(u"Notes"_s, c.addAccount(u"iCloud"_s));
    QStringList statements;
    for (const auto& each : cases) {
        const QString title = QString::fromLatin1(each.title);
        c.addNote(title, folder, plainText(title, u"x"_s), appleTime(2024, 1, 1));
        statements << each.sql;
    }
    const auto app = write(c, statements);
    ASSERT_TRUE(app);
    for (const auto& each : cases) {
        SCOPED_TRACE(each.title);
        const auto note = std::find_if(app->notes().begin(), app->notes().end(),
                                       [&](const auto& row) { return row.title == QLatin1String(each.title); });
        ASSERT_NE(note, app->notes().end());
        const auto data = app->database().readNoteData(note->pk, nullptr);
        ASSERT_TRUE(data);
        EXPECT_EQ(!data->data.isEmpty(), each.has);
        EXPECT_EQ(app->database().hasNoteData(note->pk), each.has);
    }
}

// Parent links a damaged database may hold (two folders in a cycle are
// among the hostile databases); every folder still comes out once and
// nothing walks forever.
TEST_F(NoteStoreTest, LoopingAndDeepFoldersAreServedOnceAndBounded)
{
    Container c;
    const int account = c.addAccount(u"iCloud"_s);
    const int self = c.addFolder(u"Self"_s, account);
    c.folders[size_t(self)].parent = self;
    std::optional<int> parent;
    for (int level = 0; level < 100; ++level)
        parent = c.addFolder(u"L%1"_s.arg(level), account, parent);
    c.addNote(u"Deep"_s, *parent, plainText("Deep", "x"), appleTime(2024, 1, 1));
    const auto app = write(c);
    ASSERT_TRUE(app);
    const QStringList lines = outline(*app);
    for (const QString& name : {u"/Self/$"_s, u"/L99/$"_s, u"/Deep$"_s})
        EXPECT_EQ(lines.filter(QRegularExpression(name)).size(), 1) << name.toStdString();
    for (const QString& line : lines)
        EXPECT_LE(line.count(u'/'), notestore::NoteStoreApplication::kMaxFolderDepth + 2);
}

TEST_F(NoteStoreTest, AnotherWritersUncommittedChangesAreNotWaitedFor)
{
    testsupport::writeContainer(everyKindOfFolder(SchemaVersion::iOS15), container());
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(database()).constData(), &writer), SQLITE_OK);
    const char* uncommitted = "BEGIN EXCLUSIVE; UPDATE ZICCLOUDSYNCINGOBJECT SET ZTITLE1 = 'Uncommitted' "
                              "WHERE ZTITLE1 = 'First'";
    ASSERT_EQ(sqlite3_exec(writer, uncommitted, nullptr, nullptr, nullptr), SQLITE_OK);
    const auto app = open(database());
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    ASSERT_TRUE(app);
    EXPECT_EQ(outline(*app), kEveryKindOfFolderOutline);
}

TEST_F(NoteStoreTest, CopiesLeftByAKilledRunAreRemovedOthersKept)
{
    const QString abandoned = u"notes-import-store-999999999-abcdef"_s;
    const QString running = u"notes-import-store-%1-ghijkl"_s.arg(QCoreApplication::applicationPid());
    for (const QString& name : {abandoned, running, u"someone-else"_s})
        testsupport::writeFile(m_temporary.filePath(name + u"/NoteStore.sqlite"_s), "x");
    testsupport::writeContainer(Container(), container());
    ASSERT_TRUE(open(database()));
    EXPECT_EQ(QDir(m_temporary.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name),
              (QStringList{running, u"someone-else"_s}));
}

// ---- The user's files -------------------------------------------------------

QString generated(const QString& container, SchemaVersion version, int notes = 3)
{
    Container c = sizedContainer(notes, 300);
    c.version = version;
    testsupport::writeContainer(c, container);
    return container + u"/NoteStore.sqlite"_s;
}

// What a case makes in the container folder, and the path below it then opened.
struct BadDatabase {
    const char* name;
    std::function<void(const QString& container)> make;
    const char* says;
    const char* opened = "/NoteStore.sqlite";
};

const BadDatabase kBadDatabases[] = {
    {"NotSQLite",
     [](const QString& c) { testsupport::writeFile(c + "/NoteStore.sqlite", QByteArray("not a database\n").repeated(300)); },
     "is not a SQLite database"},
    {"OtherSQLite",
     [](const QString& c) {
         QDir().mkpath(c);
         sqlite3* db = nullptr;
         sqlite3_open(QFile::encodeName(c + "/NoteStore.sqlite").constData(), &db);
         sqlite3_exec(db, "CREATE TABLE recipes (name TEXT); INSERT INTO recipes VALUES ('bread')", nullptr, nullptr,
                      nullptr);
         sqlite3_close(db);
     },
     "not a Notes database"},
    {"Empty", [](const QString& c) { testsupport::writeFile(c + "/NoteStore.sqlite", {}); }, "not a Notes database"},
    {"TooOld", [](const QString& c) { generated(c, SchemaVersion::TooOld); }, "older than iOS 11"},
    {"TooNew", [](const QString& c) { generated(c, SchemaVersion::Unknown); }, "newer than iOS 26"},
    {"Corrupt",
     [](const QString& c) {
         QFile file(generated(c, SchemaVersion::iOS15, 400));
         file.open(QIODevice::ReadWrite);
         file.seek(file.size() / 2);
         file.write(QByteArray(64 * 1024, '\xA5'));
     },
     "is damaged"},
    {"DatabaseIsALink",
     [](const QString& c) {
         const QString real = generated(c + "-elsewhere", SchemaVersion::iOS15);
         QDir().mkpath(c);
         QFile::link(real, c + "/NoteStore.sqlite");
     },
     "symbolic link"},
    {"LogIsALink",
     [](const QString& c) {
         generated(c, SchemaVersion::iOS15);
         testsupport::writeFile(c + "-elsewhere/log", "x");
         QFile::link(c + "-elsewhere/log", c + "/NoteStore.sqlite-wal");
     },
     "symbolic link"},
    {"DatabaseIsAFolder", [](const QString& c) { QDir().mkpath(c + "/NoteStore.sqlite"); }, "not a regular file"},
    {"EmptyFolder", [](const QString& c) { QDir().mkpath(c); }, "holds neither library.json nor NoteStore.sqlite", ""},
    {"Missing", [](const QString&) {}, "does not exist", ""},
    {"OtherFile", [](const QString& c) { testsupport::writeFile(c + "/notes.txt", QByteArray("my notes\n").repeated(100)); },
     "is not a SQLite database", "/notes.txt"},
};

class BadDatabases : public NoteStoreTest, public ::testing::WithParamInterface<BadDatabase> {};

TEST_P(BadDatabases, FailNamingTheFileAndLeaveEverythingAsItWas)
{
    GetParam().make(container());
    const QString path = container() + QLatin1String(GetParam().opened);
    const auto before = testsupport::fingerprint(m_dir.path());
    // The database itself is opened by the source; anything else as the command chooses its input.
    const bool byTheSource = QLatin1String(GetParam().opened) == QLatin1String("/NoteStore.sqlite");
    platform::Error error;
    EXPECT_FALSE(byTheSource ? bool(open(path, &error)) : bool(app::openNotes(path, &error)));
    const QString reason = error.localizedDescription();
    EXPECT_TRUE(reason.contains(path) && reason.contains(QLatin1String(GetParam().says))) << reason.toStdString();
    EXPECT_FALSE(reason.contains(u'\n')) << reason.toStdString();
    EXPECT_EQ(testsupport::fingerprint(m_dir.path()), before);
    EXPECT_TRUE(QDir(m_temporary.path()).isEmpty()) << "the private copy was left behind";
}

INSTANTIATE_TEST_SUITE_P(NoteStore, BadDatabases, ::testing::ValuesIn(kBadDatabases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NoteStoreInputs, ALibraryDescriptionOpensTheLibrary)
{
    platform::Error error;
    const auto app = app::openNotes(platform::resourceDirectory() + u"/SampleLibrary/library.json"_s, &error);
    ASSERT_TRUE(app) << error.localizedDescription().toStdString();
    EXPECT_FALSE(app->accounts().isEmpty());
}

} // namespace
