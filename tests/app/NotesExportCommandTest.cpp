#include "app/ImportFlow.h"
#include "app/Spawn.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

using testsupport::ProgramRun;
using testsupport::runProgram;

namespace {

// Base directories of one test, so no run reads or writes the user's own.
struct TestHome {
    TestHome() { environment.insert(QStringLiteral("OSTREL_STANDIN_LOG"), receivedLog); }

    testsupport::TempDir dir;
    QString dataHome = dir.filePath(QStringLiteral("data"));
    QString importFolder = dataHome + QStringLiteral("/group.app.ostrel/Notes Import");
    QString receivedLog = dir.filePath(QStringLiteral("received.log"));
    QProcessEnvironment environment = testsupport::privateEnvironment(dir);
};

} // namespace

// Each refusal names its reason and leaves the user's files as they were.
TEST(NotesExportCommand, RefusesBadLibrariesAndDestinationsTouchingNothing)
{
    const struct {
        const char* library; // where library.json goes: "R" the test folder, "S" the shared import folder
        const char* description;
        const char* arguments; // L the library, R the test folder
        int exitCode;
        const char* message;
    } cases[] = {
        {"R", "{}", "--library L --destination R/Documents", 1, "not empty"},
        {"R", "{\"notes\": [", "--library L --destination R/out", 1, "library.json"},
        {"R", "{}", "--library L --destination L/export", 1, "overlaps"},
        {"R", "{}", "--library L --destination R/Documents/thesis.txt", 1, "exists and is not a folder"},
        {"S", "{}", "--library L", 1, "overlaps"},
        {"R", "{}", "--bogus", 2, ""},
        {"R", "{}", "--library L --destination R/out extra", 2, "unexpected argument “extra”"},
        {"R", "{}", "--library L --destination R/out --password-file R/none", 1, "none” couldn’t be read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const TestHome home;
        testsupport::TempDir root;
        const QString library = (*c.library == 'S' ? home.importFolder : root.path()) + QStringLiteral("/My Library");
        testsupport::writeFile(library + QStringLiteral("/library.json"), c.description);
        testsupport::writeFile(root.filePath(QStringLiteral("Documents/thesis.txt")), "keep me");
        const QStringList before = testsupport::tree(root.path()) + testsupport::tree(home.importFolder);
        const QStringList arguments = (QString::fromLatin1(c.arguments).split(u' ') << QStringLiteral("--no-handoff"))
                                          .replaceInStrings(QRegularExpression(QStringLiteral("^L")), library)
                                          .replaceInStrings(QRegularExpression(QStringLiteral("^R")), root.path());
        const ProgramRun result = runProgram(QStringLiteral("notes-export"), arguments, home.environment);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_TRUE(result.err.contains(QString::fromUtf8(c.message))) << result.err.toStdString();
        EXPECT_EQ(testsupport::tree(root.path()) + testsupport::tree(home.importFolder), before);
        EXPECT_EQ(testsupport::readFile(root.filePath(QStringLiteral("Documents/thesis.txt"))), "keep me");
    }
}

// A recent Ostrel is handed the manifest in the shared container. Without
// one nothing is exported; one whose Exec line cannot carry the URL is
// reported and not started, and the export is kept.
TEST(NotesExportCommand, HandsTheExportOnlyToARecentOstrelThatTakesURLs)
{
    const struct {
        const char* installed; // no companion when null
        const char* code;      // what its Exec line has instead of %u
        const char* message;   // null: handed over
    } cases[] = {
        {nullptr, "%u", "Unable to locate the Ostrel application.\nMake sure Ostrel is installed and try again."},
        {"1.10.3", "%u",
         "This version of Ostrel is too old. Version 1.10.4 or later is required.\n"
         "Update to the latest version of Ostrel and try again."},
        {"1.10.4", "%f", "Cannot open Ostrel\nThe application “Ostrel” could not be given the address to open"},
        {"1.10.4", "", "command line takes no URLs (it has no %u or %U)."},
        {"1.11", "%u", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message ? c.message : "handed over");
        const TestHome home;
        if (c.installed) {
            // The stand-in companion goes into the test's data directory.
            const ProgramRun installed = runProgram(QStringLiteral("ostrel-standin"),
                {QStringLiteral("--install"), home.dataHome, QStringLiteral("--version"), c.installed},
                home.environment);
            ASSERT_EQ(installed.exitCode, 0) << installed.err.toStdString();
            const QString entry = home.dataHome + QStringLiteral("/applications/app.ostrel.Ostrel.desktop");
            const QByteArray exec = testsupport::readFile(entry).replace(" %u\n", QByteArray(" ") + c.code + "\n");
            testsupport::writeFile(entry, exec);
        }
        const QString leftOver = home.importFolder + QStringLiteral("/Left over");
        testsupport::writeFile(leftOver + QStringLiteral("/old.html"), "old");
        const ProgramRun result = runProgram(QStringLiteral("notes-export"), {}, home.environment);
        const QString manifest = home.importFolder + QStringLiteral("/Notes Import.plist");
        EXPECT_EQ(QFile::exists(manifest), QByteArray(c.code) != "%u" || !c.message);
        EXPECT_NE(QFile::exists(leftOver), QFile::exists(manifest));
        if (c.message) {
            EXPECT_EQ(result.exitCode, 1);
            EXPECT_TRUE(result.err.contains(QString::fromUtf8(c.message))) << result.err.toStdString();
            EXPECT_FALSE(QFile::exists(home.receivedLog));
            continue;
        }
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        // The stand-in runs on its own and records the URL once it has checked the manifest.
        ASSERT_TRUE(testsupport::spinUntil([&] { return testsupport::readFile(home.receivedLog).endsWith('\n'); }, 30000));
        const QString received = QString::fromUtf8(testsupport::readFile(home.receivedLog)).trimmed();
        // The stand-in, started by the hand-off, may write to the same output after the program's line.
        EXPECT_EQ(result.out.split(u'\n').value(0), manifest);
        EXPECT_EQ(received, app::handoffURL(QUrl::fromLocalFile(manifest)).toString(QUrl::FullyEncoded));
        // The stand-in reads the whole export through it.
        const ProgramRun accepted =
            runProgram(QStringLiteral("ostrel-standin"), {received}, QProcessEnvironment::systemEnvironment());
        EXPECT_EQ(accepted.exitCode, 0) << accepted.err.toStdString();
        EXPECT_TRUE(accepted.out.contains(QStringLiteral("16 items (1 encrypted)"))) << accepted.out.toStdString();
    }
}

// A clean run prints the manifest and the hand-off URL, and on standard error
// its progress and summary in the user's language (English where there is no
// translation) and nothing else, also where no session gave it a runtime
// folder (root in a plain shell).
TEST(NotesExportCommand, ExportsTheSampleSpeakingTheLanguageOfTheLocale)
{
    const struct {
        const char* lang;
        bool runtimeFolder;
        const char* refusal;  // of a library that does not exist
        const char* summary;  // of the sample: seventeen notes, one with an empty body
        const char* progress; // a note being exported
    } cases[] = {
        {"de_DE.UTF-8", true, "„R/Missing“ gibt es nicht.",
         "Geschriebene Notizen: 16 (15 als „.html“, 1 als „.rtfd“).\n", "„Tomato soup“ wird exportiert…"},
        {"C.UTF-8", false, "“R/Missing” does not exist.",
         "Notes written: 16 (15 as “.html”, 1 as “.rtfd”).\nNotes skipped for an empty body: 1.\n",
         "Exporting “Tomato soup”…"},
        {"sv_SE.UTF-8", true, "“R/Missing” does not exist.", "Notes written: 16 (15 as “.html”, 1 as “.rtfd”).\n",
         "Exporting “Tomato soup”…"},
    };
    const QRegularExpression english(QStringLiteral("^((\\[\\d+/\\d+\\] )?(Preparing to export|Exporting “.*”|Finishing)…|"
                                                    "Notes (written|skipped)[: ].*)$"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lang);
        const TestHome home;
        testsupport::TempDir root;
        QProcessEnvironment environment = home.environment;
        for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "XDG_RUNTIME_DIR"})
            environment.remove(QString::fromLatin1(variable));
        environment.insert(QStringLiteral("LANG"), QString::fromLatin1(c.lang));
        environment.insert(QStringLiteral("TMPDIR"), root.path());
        if (c.runtimeFolder) // private to the user, as a session's is
            environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.path());

        const QString missing = root.filePath(QStringLiteral("Missing"));
        const ProgramRun refused = runProgram(
            QStringLiteral("notes-export"), {QStringLiteral("--library"), missing, QStringLiteral("--no-handoff")},
            environment);
        EXPECT_EQ(refused.exitCode, 1);
        const QString refusal = QString::fromUtf8(c.refusal).replace(QStringLiteral("R/Missing"), missing);
        EXPECT_TRUE(refused.err.startsWith(QStringLiteral("notes-export: ") + refusal)) << refused.err.toStdString();

        const QString destination = root.filePath(QStringLiteral("Notes Import"));
        const QStringList arguments{QStringLiteral("--destination"), destination, QStringLiteral("--no-handoff")};
        const ProgramRun result = runProgram(QStringLiteral("notes-export"), arguments, environment);
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        const QString manifest = destination + QStringLiteral("/Notes Import.plist");
        const QString handoff = app::handoffURL(QUrl::fromLocalFile(manifest)).toString(QUrl::FullyEncoded);
        EXPECT_EQ(result.out, manifest + u'\n' + handoff + u'\n');
        // The hidden marker makes the folder recognisably ours.
        EXPECT_TRUE(QFile::exists(destination + QStringLiteral("/.notes-export")));
        EXPECT_TRUE(result.err.contains(QString::fromUtf8(c.summary))) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(QString::fromUtf8(c.progress))) << result.err.toStdString();
        if (QByteArray(c.progress).startsWith("Exporting")) {
            for (const QString& line : result.err.split(u'\n', Qt::SkipEmptyParts))
                EXPECT_TRUE(english.match(line).hasMatch()) << line.toStdString();
        }
        // Without a runtime folder the program makes the one Qt would use, private to the user.
        QStringList madePermissions;
        for (const QFileInfo& made : QDir(root.path()).entryInfoList({QStringLiteral("runtime-*")}, QDir::Dirs))
            madePermissions << QString::number(made.permissions() & 0x7077, 16);
        EXPECT_EQ(madePermissions, c.runtimeFolder ? QStringList() : QStringList{"7000"}); // rwx for the owner only

    }
}
