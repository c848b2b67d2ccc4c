#include "notestore/NoteStoreTestSupport.h"

#include "app/NotesAccess.h"
#include "export/ExportNoteOperation.h"
#include "export/ExportTestSupport.h"
#include "export/NotesLibrary.h"
#include "notestore/NoteStoreSource.h"
#include "platform/FileDates.h"
#include "platform/FileURL.h"
#include "platform/PropertyList.h"
#include "platform/Resources.h"

#include <QCoreApplication>
#include <QProcess>

using namespace notestoregen;
using testsupport::CommandResult;
using testsupport::runExport;
using testsupport::runToEnd;

namespace {

// ---- One note that cannot be read -----------------------------------------

// Bodies that fail in gunzip and in the body decoder.
const std::pair<const char*, QByteArray> kUnreadableNotes[] = {
    {"NotGzip", "plain text, not gzip"},
    {"NotABody", gzip(QByteArrayLiteral("\x12\xff\xff\xff\xff\x0f garbage"))},
};

class UnreadableNotes : public ::testing::TestWithParam<std::pair<const char*, QByteArray>> {};

TEST_P(UnreadableNotes, AreLeftOutAndNamedWhileTheExportGoesOn)
{
    Container c;
    const int account = c.addAccount(QStringLiteral("iCloud"));
    const int folder = c.addFolder(QStringLiteral("Notes"), account);
    c.notes[size_t(c.addNote(QStringLiteral("Spoilt"), folder, {}, appleTime(2024, 1, 1)))].data = GetParam().second;
    const int empty = c.addNote(QStringLiteral("Nothing"), folder, {}, appleTime(2024, 1, 2));
    c.notes[size_t(empty)].hasNoteData = false;
    const testsupport::TempDir dir;
    testsupport::writeContainer(c, dir.filePath(QStringLiteral("container")));
    platform::Error error;
    const auto app = app::openNotes(dir.filePath(QStringLiteral("container")), &error);
    ASSERT_TRUE(app) << error.localizedDescription().toStdString();

    const auto operation = ExportNoteOperation::exportOperationForApp(
        app, platform::fileurl::fromPath(dir.filePath(QStringLiteral("out")), true));
    runToEnd(operation);
    EXPECT_TRUE(operation->plistURL());
    const ExportSummary summary = operation->summary();
    ASSERT_EQ(summary.notesLeftOut.size(), 1) << summary.lines().join(u'\n').toStdString();
    EXPECT_TRUE(summary.notesLeftOut[0].startsWith(QStringLiteral("“Spoilt” in “Notes”: ")));
    EXPECT_TRUE(summary.notesLeftOut[0].contains(QLatin1String("its body cannot be read"))) << summary.notesLeftOut[0].toStdString();
    EXPECT_EQ(summary.emptyNoteCount, 1u);
}

INSTANTIATE_TEST_SUITE_P(NoteStore, UnreadableNotes, ::testing::ValuesIn(kUnreadableNotes),
                         [](const auto& info) { return std::string(info.param.first); });

// ---- Choosing the input -----------------------------------------------------

struct Input {
    const char* name;
    std::function<QString(const QString& dir)> path; // made inside `dir`
    const char* says; // nullptr: opens
};

QString container(const QString& dir)
{
    Container c;
    c.addFolder(QStringLiteral("Notes"), c.addAccount(QStringLiteral("iCloud")));
    testsupport::writeContainer(c, dir + QStringLiteral("/container"));
    return dir + QStringLiteral("/container");
}

const Input kInputs[] = {
    {"LibraryFolder", [](const QString&) { return platform::resourceDirectory() + QStringLiteral("/SampleLibrary"); },
     nullptr},
    {"LibraryDescription",
     [](const QString&) { return platform::resourceDirectory() + QStringLiteral("/SampleLibrary/library.json"); },
     nullptr},
    {"NotesFolder", [](const QString& dir) { return container(dir); }, nullptr},
    {"NotesDatabase", [](const QString& dir) { return container(dir) + QStringLiteral("/NoteStore.sqlite"); }, nullptr},
    {"EmptyFolder", [](const QString& dir) { return dir; }, "holds neither library.json nor NoteStore.sqlite"},
    {"Missing", [](const QString& dir) { return dir + QStringLiteral("/nothing"); }, "does not exist"},
    {"OtherFile",
     [](const QString& dir) {
         testsupport::writeFile(dir + QStringLiteral("/notes.txt"), QByteArray("my notes\n").repeated(100));
         return dir + QStringLiteral("/notes.txt");
     },
     "is not a SQLite database"},
};

class Inputs : public ::testing::TestWithParam<Input> {};

TEST_P(Inputs, OpenOrSayWhatWasExpected)
{
    const testsupport::TempDir dir;
    const QString path = GetParam().path(dir.path());
    platform::Error error;
    const auto app = app::openNotes(path, &error);
    if (!GetParam().says) {
        ASSERT_TRUE(app) << error.localizedDescription().toStdString();
        EXPECT_FALSE(app->accounts().isEmpty());
        return;
    }
    EXPECT_FALSE(app);
    EXPECT_TRUE(error.localizedDescription().contains(path)) << error.localizedDescription().toStdString();
    EXPECT_TRUE(error.localizedDescription().contains(QLatin1String(GetParam().says)))
        << error.localizedDescription().toStdString();
}

INSTANTIATE_TEST_SUITE_P(NoteStore, Inputs, ::testing::ValuesIn(kInputs),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- The command ------------------------------------------------------------

TEST(NoteStoreCommand, ExportsAGeneratedNotesFolderWithoutTouchingIt)
{
    const testsupport::TempDir dir;
    const QString notes = dir.filePath(QStringLiteral("group.com.apple.notes"));
    Container c;
    const int account = c.addAccount(QStringLiteral("iCloud"));
    const int folder = c.addFolder(QStringLiteral("Recipes"), account);
    const int nested = c.addFolder(QStringLiteral("Baking"), account, folder);
    const int trash = c.addFolder(QStringLiteral("Recently Deleted"), account);
    c.folders[size_t(trash)].folderType = 1;
    c.addNote(QStringLiteral("Bread"), nested,
              styledText({TextRun(QStringLiteral("Bread\n"), 0), TextRun(QStringLiteral("Flour & water")).withWeight(1)}),
              appleTime(2024, 2, 3, 4, 5));
    const int late = c.addNote(QStringLiteral("Soup"), folder, plainText(QStringLiteral("Soup"), QStringLiteral("Hot")),
                               appleTime(2025, 1, 1));
    c.notes[size_t(late)].walOnly = true;
    c.addNote(QStringLiteral("Gone"), trash, plainText(QStringLiteral("Gone"), QStringLiteral("x")), appleTime(2025, 1, 1));
    testsupport::writeContainer(c, notes);
    const auto before = testsupport::fingerprint(notes);

    const QString destination = dir.filePath(QStringLiteral("out"));
    const CommandResult run = runExport({QStringLiteral("--library"), notes, QStringLiteral("--destination"), destination,
                               QStringLiteral("--no-handoff")},
                              dir);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(testsupport::tree(destination),
              (QStringList{".notes-export", "iCloud/", "iCloud/Recipes/", "iCloud/Recipes/Baking/",
                           "iCloud/Recipes/Baking/Bread.html", "iCloud/Recipes/Soup.html", "out.plist"}));
    const QByteArray bread = testsupport::readFile(destination + QStringLiteral("/iCloud/Recipes/Baking/Bread.html"));
    EXPECT_TRUE(bread.contains("Flour &amp; water")) << bread.constData();
    EXPECT_TRUE(bread.contains("<b>")) << bread.constData();
    EXPECT_EQ(platform::filedates::modificationDate(platform::fileurl::fromPath(
                  destination + QStringLiteral("/iCloud/Recipes/Baking/Bread.html"), false)),
              QDateTime(QDate(2024, 2, 3), QTime(4, 5), Qt::UTC));
    EXPECT_EQ(testsupport::fingerprint(notes), before);
}

TEST(NoteStoreCommand, RefusesADestinationInsideTheNotesFolderGivenByItsDatabase)
{
    const testsupport::TempDir dir;
    const QString notes = container(dir.path());
    const auto before = testsupport::fingerprint(notes);
    const CommandResult run = runExport({QStringLiteral("--library"), notes + QStringLiteral("/NoteStore.sqlite"),
                               QStringLiteral("--destination"), notes + QStringLiteral("/export"),
                               QStringLiteral("--no-handoff")},
                              dir);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(testsupport::fingerprint(notes), before);
}

} // namespace
