#include "support/TestSupport.h"

#include "platform/PropertyList.h"

#include <QCoreApplication>
#include <QUrl>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <gtest/gtest.h>

namespace {

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

Result runCommand(const QStringList& arguments)
{
    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/notes-export"), arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

TEST(NotesExportCommand, ExportsTheSampleAndPrintsTheManifest)
{
    testsupport::TempDir root;
    const QString destination = root.filePath(QStringLiteral("Notes Import"));
    const Result result = runCommand({QStringLiteral("--destination"), destination, QStringLiteral("--no-handoff")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out.trimmed(), destination + QStringLiteral("/Notes Import.plist"));
    const QStringList entries = testsupport::tree(destination);
    // Two accounts share a name; every folder appears once, nested as in Notes.
    EXPECT_TRUE(entries.contains(QStringLiteral("Personal/")));
    EXPECT_TRUE(entries.contains(QStringLiteral("Personal 1/")));
    EXPECT_TRUE(entries.contains(QStringLiteral("Personal/Travel/Japan- 2025/")));
    EXPECT_FALSE(entries.contains(QStringLiteral("Personal/Japan- 2025/")));
    EXPECT_TRUE(entries.contains(QStringLiteral("Work/Projects/Launch/Press/")));
    EXPECT_TRUE(entries.contains(QStringLiteral("Work/Archive/")));
    EXPECT_TRUE(result.err.contains(QStringLiteral("Exporting “Tomato soup”…")));

    // The manifest lists exactly what is on disk, the manifest itself aside.
    const auto manifest = platform::plist::propertyListFromData(testsupport::readFile(result.out.trimmed()), nullptr);
    ASSERT_TRUE(manifest);
    QStringList listed;
    std::function<void(const QVariantMap&)> walk = [&](const QVariantMap& folder) {
        listed.append(QDir(destination).relativeFilePath(QUrl(folder.value(QStringLiteral("identifier")).toString()).toLocalFile()) + u'/');
        for (const QVariant& item : folder.value(QStringLiteral("items")).toList()) {
            QString path = QDir(destination).relativeFilePath(QUrl(item.toMap().value(QStringLiteral("fileURL")).toString()).toLocalFile());
            listed.append(path.endsWith(QStringLiteral(".rtfd")) ? path + u'/' : path);
        }
        for (const QVariant& sub : folder.value(QStringLiteral("folders")).toList())
            walk(sub.toMap());
    };
    for (const QVariant& account : manifest->toMap().value(QStringLiteral("Files")).toMap().value(QStringLiteral("folders")).toList())
        walk(account.toMap());
    listed.sort();
    QStringList onDisk;
    for (const QString& entry : entries) {
        if (!entry.contains(QRegularExpression(QStringLiteral("\\.rtfd/."))) && entry != QStringLiteral("Notes Import.plist"))
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
    ASSERT_EQ(runCommand({QStringLiteral("--destination"), destination}).exitCode, 0);
    testsupport::writeFile(destination + QStringLiteral("/stale.txt"), "old");
    ASSERT_EQ(runCommand({QStringLiteral("--destination"), destination}).exitCode, 0);
    EXPECT_FALSE(QFile::exists(destination + QStringLiteral("/stale.txt")));

    const QString precious = root.filePath(QStringLiteral("Documents"));
    testsupport::writeFile(precious + QStringLiteral("/thesis.txt"), "keep me");
    const Result refused = runCommand({QStringLiteral("--destination"), precious});
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
                                         root.filePath(QStringLiteral("out"))});
    EXPECT_EQ(malformed.exitCode, 1);
    EXPECT_TRUE(malformed.err.contains(QStringLiteral("library.json"))) << malformed.err.toStdString();
    EXPECT_FALSE(QFile::exists(root.filePath(QStringLiteral("out"))));

    testsupport::writeFile(library + QStringLiteral("/library.json"), "{}");
    const Result inside = runCommand({QStringLiteral("--library"), library, QStringLiteral("--destination"),
                                      library + QStringLiteral("/export")});
    EXPECT_NE(inside.exitCode, 0);
    EXPECT_TRUE(inside.err.contains(QStringLiteral("overlaps"))) << inside.err.toStdString();
    EXPECT_EQ(testsupport::tree(library), QStringList{QStringLiteral("library.json")});

    EXPECT_EQ(runCommand({QStringLiteral("--bogus")}).exitCode, 2);
}

TEST(NotesExportCommand, InterruptCancelsAtTheNextNoteAndExitsWith130)
{
    testsupport::TempDir root;
    QByteArray notes, ids;
    for (int i = 0; i < 10000; ++i) {
        const QByteArray id = "n" + QByteArray::number(i);
        notes += (i ? "," : "") + QByteArray(R"({"id": ")") + id + R"(", "name": "Note", "body": "<div>x</div>"})";
        ids += (i ? ",\"" : "\"") + id + "\"";
    }
    const QString library = root.filePath(QStringLiteral("Library"));
    testsupport::writeFile(library + QStringLiteral("/library.json"),
                           R"({"accounts": [{"id": "a", "name": "A", "folders": ["f"]}],
                               "folders": [{"id": "f", "name": "F", "notes": [)" + ids + R"(]}], "notes": [)" + notes + "]}");
    const QString destination = root.filePath(QStringLiteral("out"));

    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/notes-export"),
                  {QStringLiteral("--library"), library, QStringLiteral("--destination"), destination});
    ASSERT_TRUE(process.waitForStarted());
    QByteArray err;
    while (!err.contains("Exporting") && process.state() == QProcess::Running) {
        process.waitForReadyRead(1000);
        err += process.readAllStandardError();
    }
    ::kill(pid_t(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 130) << (err + process.readAllStandardError()).toStdString();
    EXPECT_FALSE(QFile::exists(destination + QStringLiteral("/out.plist")));
    EXPECT_TRUE(QFile::exists(destination + QStringLiteral("/A/F/Note.html")));
}
