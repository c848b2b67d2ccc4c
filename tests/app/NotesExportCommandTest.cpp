#include "support/TestSupport.h"

#include "app/ImportFlow.h"
#include "platform/PropertyList.h"

#include <QCoreApplication>
#include <QUrl>
#include <QDir>
#include <QProcess>
#include <QUrlQuery>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

// Base directories of one test, so no run reads or writes the user's own.
class TestHome {
public:
    TestHome() { m_environment.insert(QStringLiteral("OSTREL_STANDIN_LOG"), receivedLog()); }
    const QProcessEnvironment& environment() const { return m_environment; }
    QString dataHome() const { return m_dir.filePath(QStringLiteral("data")); }
    QString importFolder() const { return dataHome() + QStringLiteral("/group.app.ostrel/Notes Import"); }
    QString receivedLog() const { return m_dir.filePath(QStringLiteral("received.log")); }

private:
    testsupport::TempDir m_dir;
    QProcessEnvironment m_environment = testsupport::privateEnvironment(m_dir);
};

Result runProgram(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QCoreApplication::applicationDirPath() + u'/' + program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

Result runCommand(const QStringList& arguments)
{
    static const TestHome home;
    return runProgram(QStringLiteral("notes-export"), arguments, home.environment());
}

// Puts the stand-in companion into the test's data directory.
void installStandin(const TestHome& home, const QString& version, const QString& program = QString())
{
    QStringList arguments{QStringLiteral("--install"), home.dataHome(), QStringLiteral("--version"), version};
    if (!program.isEmpty())
        arguments += {QStringLiteral("--exec"), program};
    const Result installed = runProgram(QStringLiteral("ostrel-standin"), arguments, home.environment());
    ASSERT_EQ(installed.exitCode, 0) << installed.err.toStdString();
}

} // namespace

TEST(NotesExportCommand, ExportsTheSampleAndPrintsTheManifest)
{
    testsupport::TempDir root;
    const QString destination = root.filePath(QStringLiteral("Notes Import"));
    const Result result = runCommand({QStringLiteral("--destination"), destination, QStringLiteral("--no-handoff")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList lines = result.out.trimmed().split(u'\n');
    ASSERT_EQ(lines.size(), 2) << result.out.toStdString();
    EXPECT_EQ(lines.at(0), destination + QStringLiteral("/Notes Import.plist"));
    EXPECT_EQ(lines.at(1), app::handoffURL(QUrl::fromLocalFile(lines.at(0))).toString(QUrl::FullyEncoded));
    const QStringList entries = testsupport::tree(destination);
    // Two accounts share a name; every folder appears once, nested as in Notes.
    EXPECT_TRUE(entries.contains(QStringLiteral("Personal/")));
    EXPECT_TRUE(entries.contains(QStringLiteral("Personal 1/")));
    EXPECT_TRUE(entries.contains(QStringLiteral("Personal/Travel/Japan- 2025/")));
    EXPECT_FALSE(entries.contains(QStringLiteral("Personal/Japan- 2025/")));
    EXPECT_TRUE(entries.contains(QStringLiteral("Work/Projects/Launch/Press/")));
    EXPECT_TRUE(entries.contains(QStringLiteral("Work/Archive/")));
    EXPECT_TRUE(result.err.contains(QStringLiteral("Exporting “Tomato soup”…")));
    EXPECT_TRUE(result.err.contains(QStringLiteral("Notes written: 16 (15 as “.html”, 1 as “.rtfd”).\n"
                                                   "Notes skipped for an empty body: 1.\n")))
        << result.err.toStdString();

    // The manifest lists exactly what is on disk, the manifest itself and
    // the hidden marker that makes the folder recognisably ours aside.
    EXPECT_TRUE(entries.contains(QStringLiteral(".notes-export")));
    const auto manifest = platform::plist::propertyListFromData(testsupport::readFile(lines.at(0)), nullptr);
    ASSERT_TRUE(manifest);
    QStringList listed = testsupport::manifestEntries(manifest->toMap(), destination);
    listed.replaceInStrings(QStringLiteral("*"), QString());
    QStringList onDisk;
    for (const QString& entry : entries) {
        if (!entry.contains(QRegularExpression(QStringLiteral("\\.rtfd/."))) && entry != QStringLiteral("Notes Import.plist") &&
            entry != QStringLiteral(".notes-export"))
            onDisk.append(entry);
    }
    EXPECT_EQ(listed, onDisk);
    // Seventeen notes, one with an empty body.
    EXPECT_EQ(onDisk.filter(QRegularExpression(QStringLiteral("\\.(html|rtfd/)$"))).size(), 16);
}

TEST(NotesExportCommand, ReplacesAnEarlierExportButNoOtherFolder)
{
    testsupport::TempDir root;
    const QString destination = root.filePath(QStringLiteral("Export"));
    ASSERT_EQ(runCommand({QStringLiteral("--destination"), destination, QStringLiteral("--no-handoff")}).exitCode, 0);
    testsupport::writeFile(destination + QStringLiteral("/stale.txt"), "old");
    ASSERT_EQ(runCommand({QStringLiteral("--destination"), destination, QStringLiteral("--no-handoff")}).exitCode, 0);
    EXPECT_FALSE(QFile::exists(destination + QStringLiteral("/stale.txt")));

    const QString precious = root.filePath(QStringLiteral("Documents"));
    testsupport::writeFile(precious + QStringLiteral("/thesis.txt"), "keep me");
    const Result refused = runCommand({QStringLiteral("--destination"), precious, QStringLiteral("--no-handoff")});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("not empty"))) << refused.err.toStdString();
    EXPECT_EQ(testsupport::readFile(precious + QStringLiteral("/thesis.txt")), QByteArray("keep me"));
}

TEST(NotesExportCommand, RefusesBadLibrariesAndDestinationsInsideTheLibrary)
{
    testsupport::TempDir root;
    const QString library = root.filePath(QStringLiteral("Library"));
    testsupport::writeFile(library + QStringLiteral("/library.json"), "{\"notes\": [");
    const Result malformed = runCommand({QStringLiteral("--library"), library, QStringLiteral("--destination"),
                                         root.filePath(QStringLiteral("out")), QStringLiteral("--no-handoff")});
    EXPECT_EQ(malformed.exitCode, 1);
    EXPECT_TRUE(malformed.err.contains(QStringLiteral("library.json"))) << malformed.err.toStdString();
    EXPECT_FALSE(QFile::exists(root.filePath(QStringLiteral("out"))));

    testsupport::writeFile(library + QStringLiteral("/library.json"), "{}");
    const Result inside = runCommand({QStringLiteral("--library"), library, QStringLiteral("--destination"),
                                      library + QStringLiteral("/export"), QStringLiteral("--no-handoff")});
    EXPECT_NE(inside.exitCode, 0);
    EXPECT_TRUE(inside.err.contains(QStringLiteral("overlaps"))) << inside.err.toStdString();
    EXPECT_EQ(testsupport::tree(library), QStringList{QStringLiteral("library.json")});

    EXPECT_EQ(runCommand({QStringLiteral("--bogus")}).exitCode, 2);
}

TEST(NotesExportCommand, RefusesToStartWithoutARecentOstrel)
{
    const TestHome home;
    const Result missing = runProgram(QStringLiteral("notes-export"), {}, home.environment());
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("Unable to locate the Ostrel application.\n"
                                                    "Make sure Ostrel is installed and try again.")))
        << missing.err.toStdString();
    EXPECT_FALSE(QFile::exists(home.importFolder()));

    installStandin(home, QStringLiteral("1.10.3"));
    const Result old = runProgram(QStringLiteral("notes-export"), {}, home.environment());
    EXPECT_EQ(old.exitCode, 1);
    EXPECT_TRUE(old.err.contains(QStringLiteral("This version of Ostrel is too old. Version 1.10.4 or later is required.\n"
                                                "Update to the latest version of Ostrel and try again.")))
        << old.err.toStdString();
    EXPECT_FALSE(QFile::exists(home.importFolder()));
}

TEST(NotesExportCommand, HandsTheManifestInTheSharedContainerToOstrel)
{
    const TestHome home;
    installStandin(home, QStringLiteral("1.11"));
    testsupport::writeFile(home.importFolder() + QStringLiteral("/Left over/old.html"), "old");

    const Result result = runProgram(QStringLiteral("notes-export"), {}, home.environment());
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QString manifest = home.importFolder() + QStringLiteral("/Notes Import.plist");
    EXPECT_EQ(result.out.trimmed().split(u'\n').value(0), manifest);
    EXPECT_FALSE(QFile::exists(home.importFolder() + QStringLiteral("/Left over")));

    // The stand-in runs on its own and records the URL once it has checked the manifest.
    ASSERT_TRUE(testsupport::spinUntil([&] { return testsupport::readFile(home.receivedLog()).endsWith('\n'); }, 30000));
    const QString received = QString::fromUtf8(testsupport::readFile(home.receivedLog())).trimmed();
    const QUrl url(received, QUrl::StrictMode);
    EXPECT_EQ(url.scheme(), QStringLiteral("ostrel"));
    EXPECT_EQ(url.host(), QStringLiteral("library"));
    const QString location = QUrlQuery(url).queryItemValue(QStringLiteral("location"), QUrl::FullyDecoded);
    EXPECT_TRUE(location.contains(QStringLiteral("Notes%20Import/Notes%20Import.plist"))) << location.toStdString();
    EXPECT_EQ(QUrl(location, QUrl::StrictMode).toLocalFile(), manifest);

    // The stand-in accepts exactly this URL and nothing sloppier.
    const Result accepted = runProgram(QStringLiteral("ostrel-standin"), {received}, QProcessEnvironment::systemEnvironment());
    EXPECT_EQ(accepted.exitCode, 0) << accepted.err.toStdString();
    EXPECT_TRUE(accepted.out.contains(QStringLiteral("16 items (1 encrypted)"))) << accepted.out.toStdString();
    QString once = received;
    once.replace(QStringLiteral("%2520"), QStringLiteral("%20"));
    EXPECT_EQ(runProgram(QStringLiteral("ostrel-standin"), {once}, QProcessEnvironment::systemEnvironment()).exitCode, 1);
    QString otherHost = received;
    otherHost.replace(QStringLiteral("//library"), QStringLiteral("//notes"));
    EXPECT_EQ(runProgram(QStringLiteral("ostrel-standin"), {otherHost}, QProcessEnvironment::systemEnvironment()).exitCode, 1);
    const QStringList notes = testsupport::tree(home.importFolder()).filter(QRegularExpression(QStringLiteral("\\.html$")));
    ASSERT_FALSE(notes.isEmpty());
    ASSERT_TRUE(QFile::remove(home.importFolder() + u'/' + notes.constFirst()));
    EXPECT_EQ(runProgram(QStringLiteral("ostrel-standin"), {received}, QProcessEnvironment::systemEnvironment()).exitCode, 1);
}

TEST(NotesExportCommand, AFailedHandoffIsReported)
{
    const TestHome home;
    testsupport::TempDir programs;
    installStandin(home, QStringLiteral("1.10.4"), programs.filePath(QStringLiteral("missing ostrel")));
    const Result result = runProgram(QStringLiteral("notes-export"), {}, home.environment());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(QStringLiteral("Cannot open Ostrel\n"))) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(QStringLiteral("missing ostrel"))) << result.err.toStdString();
    // The export itself is kept.
    EXPECT_TRUE(QFile::exists(home.importFolder() + QStringLiteral("/Notes Import.plist")));
}

TEST(NotesExportCommand, AnExecLineThatCannotCarryTheURLIsReportedNotStarted)
{
    for (const char* code : {"%f", "%F", ""}) {
        SCOPED_TRACE(code);
        const TestHome home;
        installStandin(home, QStringLiteral("1.10.4"));
        const QString entry = home.dataHome() + QStringLiteral("/applications/app.ostrel.Ostrel.desktop");
        QByteArray text = testsupport::readFile(entry);
        ASSERT_TRUE(text.contains(" %u\n"));
        text.replace(" %u\n", QByteArray(" ") + code + "\n");
        testsupport::writeFile(entry, text);
        const Result result = runProgram(QStringLiteral("notes-export"), {}, home.environment());
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.err.contains(QStringLiteral("Cannot open Ostrel\n"))) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(QStringLiteral("takes no URLs"))) << result.err.toStdString();
        // Nothing was started that could have received it.
        EXPECT_FALSE(QFile::exists(home.receivedLog()));
    }
}

TEST(NotesExportCommand, NeverWipesALibraryKeptInTheSharedImportFolder)
{
    const TestHome home;
    const QString library = home.importFolder() + QStringLiteral("/My Library");
    testsupport::writeFile(library + QStringLiteral("/library.json"), "{}");
    const Result result =
        runProgram(QStringLiteral("notes-export"), {QStringLiteral("--library"), library, QStringLiteral("--no-handoff")},
                   home.environment());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(QStringLiteral("overlaps"))) << result.err.toStdString();
    EXPECT_TRUE(QFile::exists(library + QStringLiteral("/library.json")));
}
