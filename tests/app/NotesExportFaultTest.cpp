#include "support/FileFaults.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

// notes-export run on a library on disk into "Notes Import" inside
// `parent`, checked afterwards for a failure that changed nothing but the
// destination.
class NotesExportFaults : public testing::Test {
protected:
    void prepare(const QString& parentPath, int noteCount = 8, int bodySize = 3000)
    {
        parent = parentPath;
        destination = parent + QStringLiteral("/Notes Import");
        writeFile(parent + QStringLiteral("/keep.txt"), "not ours");
        library = writeDiskLibrary(work.filePath(QStringLiteral("Library")), noteCount, bodySize);
        libraryBefore = snapshotTree(library.path);
        parentBefore = snapshotTree(parent, {QStringLiteral("Notes Import")}, false);
    }

    void run(const QString& fileFault = QString())
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), work.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), work.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_DATA_DIRS"), work.filePath(QStringLiteral("system")));
        if (!fileFault.isEmpty())
            environment.insert(QStringLiteral("NI_FILE_FAULT"), fileFault);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/notes-export"),
                      {QStringLiteral("--library"), library.path, QStringLiteral("--destination"), destination,
                       QStringLiteral("--no-handoff")});
        ASSERT_TRUE(process.waitForFinished(60000));
        exitCode = process.exitCode();
        out = QString::fromUtf8(process.readAllStandardOutput());
        err = QString::fromUtf8(process.readAllStandardError());
    }

    // The reason is the last line on standard error.
    QString reason() const { return err.trimmed().section(u'\n', -1); }

    void expectFailedCleanly(int expectedNotes = -1)
    {
        EXPECT_EQ(exitCode, 1) << err.toStdString();
        EXPECT_EQ(out, QString()); // no manifest, no hand-off URL
        EXPECT_FALSE(QFile::exists(destination + QStringLiteral("/Notes Import.plist")));
        const auto written = htmlFiles(destination);
        for (const auto& [name, bytes] : written) {
            ASSERT_TRUE(library.bodies.count(name)) << name.toStdString();
            EXPECT_EQ(bytes, library.bodies.at(name)) << name.toStdString() << " is not the note's whole body";
        }
        if (expectedNotes >= 0) {
            EXPECT_EQ(int(written.size()), expectedNotes);
        }
        EXPECT_EQ(treeDifferences(libraryBefore, snapshotTree(library.path)), "");
        EXPECT_EQ(treeDifferences(parentBefore, snapshotTree(parent, {QStringLiteral("Notes Import")}, false)), "");
    }

    TempDir work;
    QString parent, destination;
    DiskLibrary library;
    TreeSnapshot libraryBefore, parentBefore;
    int exitCode = -1;
    QString out, err;
};

} // namespace

TEST_F(NotesExportFaults, AFullFileSystemEndsWithTheReasonOnStandardError)
{
    SmallFileSystem small(64 * 1024);
    if (!small.isMounted())
        GTEST_SKIP() << small.failure().toStdString();
    prepare(small.path() + QStringLiteral("/out"), 40, 6000);
    run();
    EXPECT_TRUE(reason().startsWith(QStringLiteral("notes-export: The file “Note "))) << err.toStdString();
    EXPECT_TRUE(reason().endsWith(QStringLiteral("No space left on device."))) << err.toStdString();
    expectFailedCleanly();
    EXPECT_FALSE(htmlFiles(destination).empty());
}

TEST_F(NotesExportFaults, AFullDiskEndsWithTheFileItCouldNotSave)
{
    prepare(work.filePath(QStringLiteral("out")));
    run(QStringLiteral("ENOSPC,bytes=10000"));
    EXPECT_EQ(reason(), QStringLiteral("notes-export: The file “Note 3.html” couldn’t be saved: No space left on device."));
    expectFailedCleanly(3);
}

TEST_F(NotesExportFaults, ADiskThatTurnsReadOnlyEndsWithTheFileItCouldNotSave)
{
    prepare(work.filePath(QStringLiteral("out")));
    // The destination, "Work", "Notes", "Sub", then three notes.
    run(QStringLiteral("EROFS,items=7"));
    EXPECT_EQ(reason(), QStringLiteral("notes-export: The file “Note 3.html” couldn’t be saved: Read-only file system."));
    expectFailedCleanly(3);
}
