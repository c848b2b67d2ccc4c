#include "notestore/NoteStoreTestSupport.h"

#include "notestore/NoteStoreDatabase.h"
#include "notestore/NoteStoreSource.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <sqlite3.h>
#include <sys/stat.h>

using namespace notestoregen;
using testsupport::outline;

namespace {

// Two accounts with every kind of folder a database holds, and notes that
// must and must not come out; some rows only in the write-ahead log.
Container everyKindOfFolder(SchemaVersion version)
{
    Container c;
    c.version = version;
    const int cloud = c.addAccount(QStringLiteral("iCloud"));
    const int local = c.addAccount(QStringLiteral("On My Mac"), QStringLiteral("LocalAccount"));
    const auto folder = [&](const char* title, int account, std::optional<int> parent = {}) {
        return c.addFolder(QString::fromUtf8(title), account, parent);
    };
    const int notes = folder("Notes", cloud);
    const int recipes = folder("Recipes", cloud);
    const int baking = folder("Baking", cloud, recipes);
    const int trash = folder("Recently Deleted", cloud);
    c.folders[size_t(trash)].folderType = 1;
    c.folders[size_t(folder("Smart", cloud))].folderType = 3;
    const int deleted = folder("Old", cloud);
    c.folders[size_t(deleted)].markedForDeletion = true;
    const int underDeleted = folder("Under old", cloud, deleted);
    const int underTrash = folder("Under trash", cloud, trash);
    c.folders[size_t(folder("", cloud))].title.reset();
    const int travel = folder("Travel", local);
    const int lisbon = folder("Lisbon", local, travel);
    const int later = folder("Added later", local);
    c.folders[size_t(later)].walOnly = true;

    const auto note = [&](const char* title, int in, double modified) -> Note& {
        const QString name = QString::fromUtf8(title);
        return c.notes[size_t(c.addNote(name, in, plainText(name, QStringLiteral("Some text.")), modified))];
    };
    note("First", notes, appleTime(2024, 3, 1, 9, 30));
    note("Second", notes, appleTime(2024, 5, 1));
    note("Bread", baking, appleTime(2023, 1, 1));
    note("Trashed", trash, appleTime(2024, 6, 1));
    note("In deleted folder", deleted, appleTime(2024, 6, 1));
    note("Under deleted", underDeleted, appleTime(2024, 6, 1));
    note("Under trash", underTrash, appleTime(2024, 6, 1));
    note("Tombstone", notes, appleTime(2024, 6, 1)).markedForDeletion = true;
    note("Pastel de nata", lisbon, appleTime(2022, 7, 7));
    note("Locked", travel, appleTime(2022, 1, 1)).passwordProtected = true;
    note("Written last", later, appleTime(2025, 1, 1)).walOnly = true;
    note("Late note", recipes, appleTime(2025, 2, 1)).walOnly = true;
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
    QString container() const { return m_dir.filePath(QStringLiteral("group.com.apple.notes")); }
    QString database() const { return container() + QStringLiteral("/NoteStore.sqlite"); }

    std::shared_ptr<notestore::NoteStoreApplication> open(const QString& path, platform::Error* error = nullptr)
    {
        platform::Error ignored;
        return notestore::NoteStoreApplication::open(path, error ? error : &ignored);
    }
    std::shared_ptr<notestore::NoteStoreApplication> write(const Container& c)
    {
        testsupport::writeContainer(c, container());
        platform::Error error;
        auto app = open(database(), &error);
        EXPECT_TRUE(app) << error.localizedDescription().toStdString();
        return app;
    }

    testsupport::TempDir m_dir;
};

class SchemaVersions : public NoteStoreTest, public ::testing::WithParamInterface<SchemaVersion> {};

TEST_P(SchemaVersions, ServeTheUserFoldersAndNotesInNotesOrder)
{
    const auto app = write(everyKindOfFolder(GetParam()));
    ASSERT_TRUE(app);
    EXPECT_EQ(outline(*app), kEveryKindOfFolderOutline);
    EXPECT_EQ(app->database().version(), QString::fromLatin1(versionName(GetParam())).mid(3).toInt());

    const auto first = app->accounts()[0]->folders()[1]->notes()[1]; // iCloud/Notes/First
    ASSERT_EQ(first->name(), QStringLiteral("First"));
    EXPECT_EQ(first->modificationDate(), QDateTime(QDate(2024, 3, 1), QTime(9, 30), Qt::UTC));
    EXPECT_EQ(first->creationDate(), QDateTime(QDate(2024, 2, 29), QTime(9, 30), Qt::UTC));
    EXPECT_FALSE(first->passwordProtected());
    EXPECT_TRUE(first->attachments().isEmpty());
    const auto travel = app->accounts()[1]->folders()[2];
    ASSERT_EQ(travel->name(), QStringLiteral("Travel"));
    const auto locked = travel->notes()[0];
    ASSERT_EQ(locked->name(), QStringLiteral("Locked"));
    EXPECT_TRUE(locked->passwordProtected());
    EXPECT_TRUE(locked->body().isEmpty());
    EXPECT_EQ(locked->bodyProblem(), QStringLiteral("no password given"));
}

INSTANTIATE_TEST_SUITE_P(NoteStore, SchemaVersions,
                         ::testing::Values(SchemaVersion::iOS11, SchemaVersion::iOS12, SchemaVersion::iOS13,
                                           SchemaVersion::iOS14, SchemaVersion::iOS15, SchemaVersion::iOS16,
                                           SchemaVersion::iOS17, SchemaVersion::iOS18, SchemaVersion::iOS26),
                         [](const auto& info) { return std::string(versionName(info.param)); });

TEST_F(NoteStoreTest, RowsOnlyInTheWriteAheadLogAreRead)
{
    ASSERT_TRUE(write(everyKindOfFolder(SchemaVersion::iOS18)));
    ASSERT_TRUE(QFileInfo(database() + QStringLiteral("-wal")).size() > 0);
    // Without its log the same database lacks them: they really are only there.
    const QString bare = m_dir.filePath(QStringLiteral("bare"));
    QDir().mkpath(bare);
    ASSERT_TRUE(QFile::copy(database(), bare + QStringLiteral("/NoteStore.sqlite")));
    const auto app = open(bare + QStringLiteral("/NoteStore.sqlite"));
    ASSERT_TRUE(app);
    EXPECT_FALSE(outline(*app).contains(QStringLiteral("On My Mac/Added later/Written last")));
    EXPECT_FALSE(outline(*app).contains(QStringLiteral("iCloud/Recipes/Late note")));
}

// Counting asks hasNoteData() of every note; it must agree with what
// reading the newest note-data row finds.
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
    const int folder = c.addFolder(QStringLiteral("Notes"), c.addAccount(QStringLiteral("iCloud")));
    for (const auto& each : cases)
        c.addNote(QString::fromLatin1(each.title), folder, plainText(QString::fromLatin1(each.title), QStringLiteral("x")),
                  appleTime(2024, 1, 1));
    testsupport::writeContainer(c, container());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(database()).constData(), &db), SQLITE_OK);
    for (const auto& each : cases)
        ASSERT_EQ(sqlite3_exec(db, each.sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK) << each.title;
    sqlite3_close(db);
    const auto app = open(database());
    ASSERT_TRUE(app);
    for (const auto& each : cases) {
        const auto note = std::find_if(app->notes().begin(), app->notes().end(),
                                       [&](const auto& row) { return row.title == QLatin1String(each.title); });
        ASSERT_NE(note, app->notes().end()) << each.title;
        const auto data = app->database().readNoteData(note->pk, nullptr);
        ASSERT_TRUE(data) << each.title;
        EXPECT_EQ(!data->data.isEmpty(), each.has) << each.title;
        EXPECT_EQ(app->database().hasNoteData(note->pk), each.has) << each.title;
    }
}

TEST_F(NoteStoreTest, IdsStayTheSameAcrossOpenings)
{
    testsupport::writeContainer(everyKindOfFolder(SchemaVersion::iOS15), container());
    auto ids = [&] {
        QStringList list;
        const auto app = open(database());
        for (const auto& account : app->accounts()) {
            list << account->id();
            for (const auto& folder : account->folders())
                list << folder->id();
        }
        return list;
    };
    const QStringList first = ids();
    EXPECT_EQ(first.size(), 2 + 6);
    EXPECT_EQ(QSet<QString>(first.begin(), first.end()).size(), first.size());
    EXPECT_EQ(ids(), first);
    EXPECT_TRUE(first.contains(QStringLiteral("LocalAccount")));
}

TEST_F(NoteStoreTest, FoldersSortByNameAsNotesShowsThemAndNotesNewestFirst)
{
    Container c;
    const int account = c.addAccount(QStringLiteral("iCloud"));
    for (const char* name : {"Zebra", "item 10", "Item 2", "éclair", "apple", "Ätna"})
        c.addFolder(QString::fromUtf8(name), account);
    const int inbox = c.addFolder(QStringLiteral("Inbox"), account);
    c.addNote(QStringLiteral("Middle"), inbox, plainText("Middle", "x"), appleTime(2024, 6, 1));
    c.addNote(QStringLiteral("Oldest"), inbox, plainText("Oldest", "x"), appleTime(2020, 6, 1));
    c.addNote(QStringLiteral("Newest"), inbox, plainText("Newest", "x"), appleTime(2025, 6, 1));
    c.addNote(QStringLiteral("Same time A"), inbox, plainText("A", "x"), appleTime(2021, 6, 1));
    c.addNote(QStringLiteral("Same time B"), inbox, plainText("B", "x"), appleTime(2021, 6, 1));
    const int undated = c.addNote(QStringLiteral("Undated"), inbox, plainText("U", "x"), 0);
    c.notes[size_t(undated)].modificationDate.reset();
    const auto app = write(c);
    ASSERT_TRUE(app);
    EXPECT_EQ(outline(*app), (QStringList{"iCloud/", "iCloud/apple/", "iCloud/Ätna/", "iCloud/éclair/",
                                          "iCloud/Inbox/", "iCloud/Inbox/Newest", "iCloud/Inbox/Middle",
                                          "iCloud/Inbox/Same time A", "iCloud/Inbox/Same time B",
                                          "iCloud/Inbox/Oldest", "iCloud/Inbox/Undated", "iCloud/Item 2/",
                                          "iCloud/item 10/", "iCloud/Zebra/"}));
}

// Parent links a damaged database may hold; every folder still comes out
// once and nothing walks forever.
TEST_F(NoteStoreTest, LoopingAndDeepFoldersAreServedOnceAndBounded)
{
    Container c;
    const int account = c.addAccount(QStringLiteral("iCloud"));
    const int a = c.addFolder(QStringLiteral("A"), account);
    const int b = c.addFolder(QStringLiteral("B"), account, a);
    c.folders[size_t(a)].parent = b;
    const int self = c.addFolder(QStringLiteral("Self"), account);
    c.folders[size_t(self)].parent = self;
    std::optional<int> parent;
    for (int level = 0; level < 100; ++level)
        parent = c.addFolder(QStringLiteral("L%1").arg(level), account, parent);
    c.addNote(QStringLiteral("Deep"), *parent, plainText("Deep", "x"), appleTime(2024, 1, 1));
    const auto app = write(c);
    ASSERT_TRUE(app);
    const QStringList lines = outline(*app);
    for (const QString& name : {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("Self"), QStringLiteral("L99")}) {
        EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("/%1/$").arg(name))).size(), 1) << name.toStdString();
    }
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("/Deep$"))).size(), 1);
    for (const QString& line : lines)
        EXPECT_LE(line.count(u'/'), notestore::NoteStoreApplication::kMaxFolderDepth + 2);
}

TEST_F(NoteStoreTest, AnotherWritersUncommittedChangesAreNotWaitedFor)
{
    Container c = everyKindOfFolder(SchemaVersion::iOS15);
    testsupport::writeContainer(c, container());
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(database()).constData(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer,
                           "BEGIN EXCLUSIVE; UPDATE ZICCLOUDSYNCINGOBJECT SET ZTITLE1 = 'Uncommitted' "
                           "WHERE ZTITLE1 = 'First'",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    const auto app = open(database());
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    ASSERT_TRUE(app);
    EXPECT_EQ(outline(*app), kEveryKindOfFolderOutline);
}

// ---- The user's files -------------------------------------------------------

struct BadDatabase {
    const char* name;
    std::function<void(const QString& container)> make;
    const char* says;
};

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    testsupport::writeFile(path, bytes);
}

QString generated(const QString& container, SchemaVersion version, int notes = 3)
{
    Container c = sizedContainer(notes, 300);
    c.version = version;
    testsupport::writeContainer(c, container);
    return container + QStringLiteral("/NoteStore.sqlite");
}

const BadDatabase kBadDatabases[] = {
    {"NotSQLite", [](const QString& c) { writeBytes(c + "/NoteStore.sqlite", QByteArray("not a database\n").repeated(300)); },
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
    {"Empty", [](const QString& c) { writeBytes(c + "/NoteStore.sqlite", {}); }, "not a Notes database"},
    {"TooOld", [](const QString& c) { generated(c, SchemaVersion::TooOld); }, "older than iOS 11"},
    {"TooNew", [](const QString& c) { generated(c, SchemaVersion::Unknown); }, "newer than iOS 26"},
    {"Corrupt",
     [](const QString& c) {
         const QString path = generated(c, SchemaVersion::iOS15, 400);
         QFile file(path);
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
         writeBytes(c + "-elsewhere/log", "x");
         QFile::link(c + "-elsewhere/log", c + "/NoteStore.sqlite-wal");
     },
     "symbolic link"},
    {"DatabaseIsAFolder", [](const QString& c) { QDir().mkpath(c + "/NoteStore.sqlite"); }, "not a regular file"},
};

class BadDatabases : public NoteStoreTest, public ::testing::WithParamInterface<BadDatabase> {};

TEST_P(BadDatabases, FailNamingTheFileAndLeaveEverythingAsItWas)
{
    const testsupport::TempDir temporary;
    testsupport::ScopedEnvironment environment{{"TMPDIR", temporary.path()}};
    GetParam().make(container());
    const auto before = testsupport::fingerprint(m_dir.path());
    platform::Error error;
    EXPECT_FALSE(open(database(), &error));
    EXPECT_TRUE(error.localizedDescription().contains(database())) << error.localizedDescription().toStdString();
    EXPECT_TRUE(error.localizedDescription().contains(QLatin1String(GetParam().says)))
        << error.localizedDescription().toStdString();
    EXPECT_EQ(testsupport::fingerprint(m_dir.path()), before);
    EXPECT_TRUE(QDir(temporary.path()).isEmpty()) << "the private copy was left behind";
}

INSTANTIATE_TEST_SUITE_P(NoteStore, BadDatabases, ::testing::ValuesIn(kBadDatabases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NoteStoreTest, TheUsersFilesStayUnchangedAndTheCopyIsPrivateAndRemoved)
{
    const testsupport::TempDir temporary;
    testsupport::ScopedEnvironment environment{{"TMPDIR", temporary.path()}};
    testsupport::writeContainer(everyKindOfFolder(SchemaVersion::iOS18), container());
    testsupport::writeFile(container() + QStringLiteral("/Accounts/LocalAccount/Media/x/picture.png"), "png");
    ASSERT_TRUE(QFile::exists(database() + QStringLiteral("-shm")));
    const auto before = testsupport::fingerprint(m_dir.path());
    {
        auto app = open(database());
        ASSERT_TRUE(app);
        for (const auto& account : app->accounts()) {
            for (const auto& folder : account->folders()) {
                for (const auto& note : folder->notes())
                    note->body();
            }
        }
        const QStringList copies = QDir(temporary.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        ASSERT_EQ(copies.size(), 1);
        struct stat status{};
        ASSERT_EQ(::stat(QFile::encodeName(temporary.filePath(copies[0])).constData(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0700u);
    }
    EXPECT_EQ(testsupport::fingerprint(m_dir.path()), before);
    EXPECT_TRUE(QDir(temporary.path()).isEmpty());
}

TEST_F(NoteStoreTest, CopiesLeftByAKilledRunAreRemovedOthersKept)
{
    const testsupport::TempDir temporary;
    testsupport::ScopedEnvironment environment{{"TMPDIR", temporary.path()}};
    const QString abandoned = QStringLiteral("notes-import-store-999999999-abcdef");
    const QString running = QStringLiteral("notes-import-store-%1-ghijkl").arg(QCoreApplication::applicationPid());
    for (const QString& name : {abandoned, running, QStringLiteral("someone-else")})
        testsupport::writeFile(temporary.filePath(name + QStringLiteral("/NoteStore.sqlite")), "x");
    testsupport::writeContainer(Container(), container());
    ASSERT_TRUE(open(database()));
    EXPECT_EQ(QDir(temporary.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name),
              (QStringList{running, QStringLiteral("someone-else")}));
}

} // namespace
