#include "app/Spawn.h"
#include "platform/PropertyList.h"
#include "support/FileFaults.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace testsupport;

namespace {

// notes-export run on a library on disk, with a fault along the way.
class NotesExportFaults : public testing::Test, protected ExportScene {
protected:
    QStringList arguments() const
    {
        return {QStringLiteral("--library"), library.path, QStringLiteral("--destination"), destination,
                QStringLiteral("--no-handoff")};
    }

    // Only the test build reads NI_FILE_FAULT.
    void run(const QString& fileFault = QString())
    {
        QProcessEnvironment environment = privateEnvironment(work);
        environment.insert(QStringLiteral("NI_FILE_FAULT"), fileFault);
        last = runProgram(fileFault.isEmpty() ? "notes-export" : "notes-export-with-faults", arguments(), environment);
    }

    // The reason is the last line on standard error.
    QString reason() const { return last.err.trimmed().section(u'\n', -1); }

    ProgramRun last;
};

} // namespace

TEST_F(NotesExportFaults, AFullOrReadOnlyDiskEndsWithTheFileItCouldNotSave)
{
    // For read-only: the destination, its marker, "Work", "Notes", "Sub", then three notes.
    const std::pair<const char*, const char*> cases[] = {{"ENOSPC,bytes=10000", "No space left on device."},
                                                         {"EROFS,items=8", "Read-only file system."}};
    for (const auto& [fault, reasonEnd] : cases) {
        SCOPED_TRACE(fault);
        prepare(work.filePath(QStringLiteral("out ") + QString::fromLatin1(fault)));
        run(QString::fromLatin1(fault));
        EXPECT_EQ(reason(), QStringLiteral("notes-export: The file “Note 3.html” couldn’t be saved: ") + QString::fromUtf8(reasonEnd));
        // Neither the manifest nor the hand-off URL; whole notes only.
        EXPECT_EQ(last.exitCode, 1);
        EXPECT_EQ(last.out, QString());
        EXPECT_FALSE(manifestExists());
        EXPECT_EQ(expectWholeNoteFiles(), 3);
        EXPECT_EQ(changesOutsideDestination(), "");
    }
}

namespace {

// Runs notes-export with its standard error into a pipe that
// nobody reads until `whileStalled` has run: the program prints progress
// from its main thread, and the export waits for that thread, so once the
// main thread waits in a write to the full pipe the export stops at its
// next note. The note in hand may still be being written.
struct StalledRun : ProgramRun {
    // The program was still running, stopped on the pipe, when
    // `whileStalled` ran.
    bool stalled = false;
};

// The main thread of `child` sits in a write to standard error.
bool blockedWritingStandardError(pid_t child)
{
    QFile file(QStringLiteral("/proc/%1/syscall").arg(child));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> fields = file.readLine().trimmed().split(' ');
    return fields.size() > 1 && fields[0] == QByteArray::number(SYS_write) &&
           fields[1].toLongLong(nullptr, 16) == STDERR_FILENO;
}

StalledRun runStalled(const QStringList& arguments, const QProcessEnvironment& environment,
                      const std::function<void(pid_t)>& whileStalled)
{
    StalledRun result;
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        return result;
    // Room for more progress lines (about 170 bytes each here) than notes
    // may wait unwritten behind a rich-text note's conversion (1,024), so
    // that some are on disk by the time the output stands still, however
    // slow the conversion; the 3,000 notes still overflow it.
    fcntl(pipeEnds[1], F_SETPIPE_SZ, 256 * 1024);
    const pid_t child = spawn(programPath(QStringLiteral("notes-export")), arguments, environment, pipeEnds[1]);
    close(pipeEnds[1]);
    if (child < 0) {
        close(pipeEnds[0]);
        return result;
    }
    // Until the program stands still, or is gone. The bound only keeps a
    // broken program from hanging the test.
    for (int waited = 0; waited < 60000; ++waited) {
        siginfo_t info{};
        const bool gone = waitid(P_PID, id_t(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == child;
        result.stalled = !gone && blockedWritingStandardError(child);
        if (result.stalled || gone)
            break;
        QThread::msleep(1);
    }
    whileStalled(child);
    QFile errors;
    errors.open(pipeEnds[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    result.err = QString::fromUtf8(errors.readAll());
    int status = 0;
    waitpid(child, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace

// ---- Interruptions, a second run, two runs at once ----

namespace {

const QString kLongPrefix = QStringLiteral("A note with a name long enough to fill the progress line quickly").repeated(2);

// Staging folders in `temporary`, by name.
QStringList stagingFolders(const QString& temporary)
{
    return QDir(temporary).entryList({QStringLiteral("notes-export-*")}, QDir::Dirs | QDir::Hidden);
}

class NotesExportInterruptions : public NotesExportFaults {
protected:
    void SetUp() override
    {
        // Far more notes than the pipe holds lines for, so the export is still
        // mid-way when the main thread waits on the pipe, however fast it runs.
        prepare(work.filePath(QStringLiteral("out")), 3000, 100, kLongPrefix, true);
        QDir().mkpath(temporary);
    }
    QProcessEnvironment interruptible() const
    {
        QProcessEnvironment result = privateEnvironment(work);
        result.insert(QStringLiteral("TMPDIR"), temporary);
        return result;
    }
    void runWith(const QStringList& arguments)
    {
        last = runProgram(QStringLiteral("notes-export"), arguments, interruptible());
    }

    QString temporary = work.filePath(QStringLiteral("tmp"));
};

} // namespace

// Term and hang-up end like Ctrl-C; after a kill the staging folder stays
// behind until the next run, which may reach the destination through a link.
TEST_F(NotesExportInterruptions, TheNextRunReplacesThePartialExportAndTheOldStaging)
{
    // Folders of our pattern whose owner lives, and other folders, stay.
    const QStringList others{QStringLiteral("notes-export-%1-abcdef").arg(getpid()), QStringLiteral("notes-export-keep")};
    for (const QString& name : others)
        QDir(temporary).mkdir(name);
    const QString link = work.filePath(QStringLiteral("Link to export"));
    ASSERT_EQ(symlink(QFile::encodeName(destination).constData(), QFile::encodeName(link).constData()), 0);
    for (const int signal : {SIGTERM, SIGHUP, SIGINT, SIGKILL}) {
        SCOPED_TRACE(strsignal(signal));
        const bool killed = signal == SIGKILL;
        const StalledRun result =
            runStalled(arguments(), interruptible(), [signal](pid_t child) { kill(child, signal); });
        EXPECT_TRUE(result.stalled) << "the export ended before the signal";
        EXPECT_EQ(result.exitCode, killed ? -1 : 130) << result.err.toStdString();
        if (!killed) {
            EXPECT_TRUE(result.err.contains(QStringLiteral("Notes written: "))) << result.err.toStdString();
            EXPECT_TRUE(result.err.trimmed().endsWith(QStringLiteral("notes-export: export cancelled")));
        }
        // The attachment was staged before the stop; its folder went with the export.
        EXPECT_EQ(stagingFolders(temporary).size(), others.size() + (killed ? 1 : 0));
        EXPECT_FALSE(manifestExists());
        // Only whole notes under their names, whatever was being written.
        EXPECT_GT(expectWholeNoteFiles(), 0);

        // The next run finds its earlier export also through a link.
        runWith(QStringList(arguments()).replaceInStrings(destination, link));
        EXPECT_EQ(last.exitCode, 0) << last.err.toStdString();
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        // The manifest takes the name the folder was given.
        EXPECT_TRUE(QFile::exists(link + QStringLiteral("/Link to export.plist")));
        // All but "Deep", which carries an attachment and so is written as ".rtfd".
        EXPECT_EQ(expectWholeNoteFiles(), int(library.bodies.size()) - 1);
        EXPECT_EQ(changesOutsideDestination(), "");
        EXPECT_EQ(stagingFolders(temporary), others);
    }
}

TEST_F(NotesExportInterruptions, ASecondRunIntoTheSharedFolderIsRefusedWhileTheFirstRuns)
{
    const QStringList shared{QStringLiteral("--library"), library.path, QStringLiteral("--no-handoff")};
    const QString sharedFolder = work.filePath(QStringLiteral("data/group.app.ostrel/Notes Import"));
    const StalledRun first = runStalled(shared, interruptible(), [&](pid_t) {
        const QStringList whileFirstRuns = tree(sharedFolder);
        runWith(shared);
        // None of the first run's files went; the note it had in hand may have
        // landed, taking its hidden temporary with it.
        const QStringList after = tree(sharedFolder);
        for (const QString& entry : whileFirstRuns)
            EXPECT_TRUE(after.contains(entry) ||
                        (entry != QStringLiteral(".notes-export") && (u'/' + entry).contains(QStringLiteral("/."))))
                << entry.toStdString();
    });
    EXPECT_TRUE(first.stalled);
    EXPECT_EQ(last.exitCode, 1);
    EXPECT_EQ(reason(), QStringLiteral("notes-export: Another import is running. Wait until it has finished, then try again."));
    EXPECT_EQ(first.exitCode, 0) << first.err.toStdString();
    // Its manifest lists its own notes, each once.
    const auto manifest = platform::plist::propertyListFromData(readFile(sharedFolder + QStringLiteral("/Notes Import.plist")), nullptr);
    ASSERT_TRUE(manifest);
    EXPECT_EQ(manifestEntries(manifest->toMap(), sharedFolder).size(), 2 + 1 + int(library.bodies.size()));
}

// An attachment whose file is missing is left out and named; a file system
// mounted inside that export later is not emptied by the next run.
TEST_F(NotesExportFaults, AMissingAttachmentIsLeftOutAndAFileSystemMountedInsideTheExportIsNotEmptied)
{
    prepare(work.filePath(QStringLiteral("out")), 2, 100, QStringLiteral("Note"), true);
    ASSERT_TRUE(QFile::remove(library.path + QStringLiteral("/files/manual.pdf")));
    libraryBefore = snapshotTree(library.path);
    run();
    ASSERT_EQ(last.exitCode, 0) << last.err.toStdString();
    EXPECT_TRUE(last.err.contains(QStringLiteral("Attachments that could not be saved and were left out: 1.\n"
                                                 "  Deep: manual.pdf (its file is missing)\n")))
        << last.err.toStdString();
    EXPECT_EQ(tree(destination + QStringLiteral("/Work/Notes/Sub/Deep.rtfd")), QStringList{QStringLiteral("TXT.rtf")});
    EXPECT_EQ(changesOutsideDestination(), "");
    const QString mountPoint = destination + QStringLiteral("/Work/Mounted");
    ASSERT_TRUE(QDir().mkpath(mountPoint));
    SmallFileSystem mounted(1 << 20, mountPoint);
    if (!mounted.isMounted())
        GTEST_SKIP() << mounted.failure().toStdString();
    writeFile(mountPoint + QStringLiteral("/precious.txt"), "not the export's");
    run();
    EXPECT_EQ(last.exitCode, 1);
    EXPECT_EQ(reason(), QStringLiteral("notes-export: “Notes Import” couldn’t be removed: Invalid cross-device link; "
                                       "still there: Notes Import/Work/Mounted (Invalid cross-device link)."));
    EXPECT_EQ(readFile(mountPoint + QStringLiteral("/precious.txt")), QByteArray("not the export's"));
    EXPECT_EQ(changesOutsideDestination(), "");
}
