#include "export/ExportTestSupport.h"
#include "support/FaultyFileManager.h"
#include "support/FileFaults.h"

#include <cerrno>
#include <unistd.h>

using namespace testsupport;
using platform::FaultyFileManager;

namespace {

// One export of a library on disk, with a fault along the way.
class ExportFaults : public testing::Test, protected ExportScene {
protected:
    // Runs the export; `afterNote` runs on the main thread, with the export
    // waiting, once `afterNotes` notes are written.
    void run(int afterNotes = -1, std::function<void()> afterNote = {})
    {
        operation = ExportNoteOperation::exportOperationForApp(loadedApp(library.path),
                                                               platform::fileurl::fromPath(destination, true));
        QObject context;
        onNotesWritten(operation->progress(), afterNotes, &context, std::move(afterNote));
        runToEnd(operation);
    }

    QString failure() const { return failureOf(*operation); }

    // No manifest, the note files written are whole and were counted, and
    // nothing outside the destination changed.
    void expectFailedCleanly(int expectedNotes = -1, const QString& libraryNow = QString())
    {
        EXPECT_TRUE(operation->operationError());
        EXPECT_FALSE(operation->plistURL());
        EXPECT_FALSE(manifestExists());
        const int written = expectWholeNoteFiles();
        EXPECT_EQ(written, operation->progress()->completedUnitCount());
        EXPECT_TRUE(expectedNotes < 0 || written == expectedNotes) << written;
        EXPECT_EQ(changesOutsideDestination(libraryNow), "");
    }

    std::shared_ptr<ExportNoteOperation> operation;
};

} // namespace

TEST_F(ExportFaults, AFullOrReadOnlyDiskEndsTheExportNamingWhatItCouldNotSave)
{
    constexpr qint64 kAny = FaultyFileManager::kUnlimited;
    const struct {
        int error;
        qint64 bytes, items;
        int turnsAfter; // notes written before every write fails; -1: when a budget is spent
        const char* failure;
        int notes;
    } cases[] = {
        // Room for "Deep" and two more notes, not for the third.
        {ENOSPC, 3 * 3000 + 1000, kAny, -1, "The file “Note 3.html” couldn’t be saved: No space left on device.", 3},
        // Every note fits, the manifest does not.
        {ENOSPC, 9 * 3000, kAny, -1, "The file “Notes Import.plist” couldn’t be saved: No space left on device.", 9},
        {EROFS, kAny, kAny, 3, "The file “Note 3.html” couldn’t be saved: Read-only file system.", 3},
        // The account folder fits, the folder "Notes" does not.
        {ENOSPC, kAny, 1, -1, "The folder “Notes” couldn’t be created: No space left on device.", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failure);
        prepare(work.filePath(QStringLiteral("out %1 %2").arg(c.error).arg(c.notes)));
        FaultyFileManager disk(c.error, c.bytes, c.items);
        FileManagerReplacement replacement(&disk);
        run(c.turnsAfter, [&] { disk.failFromNow(c.error); });
        EXPECT_EQ(failure(), QString::fromUtf8(c.failure));
        expectFailedCleanly(c.notes);
    }
    EXPECT_EQ(tree(destination), QStringList{QStringLiteral("Work/")});
}

TEST_F(ExportFaults, ARealFullFileSystemLeavesNoNoteFileCutShort)
{
    SmallFileSystem small(64 * 1024);
    if (!small.isMounted())
        GTEST_SKIP() << small.failure().toStdString();
    // Bodies that do not fill whole pages, so the last one is cut mid-file.
    prepare(small.path() + QStringLiteral("/out"), 40, 6000);
    run();
    EXPECT_TRUE(failure().endsWith(QStringLiteral("No space left on device."))) << failure().toStdString();
    expectFailedCleanly();
    EXPECT_GT(operation->progress()->completedUnitCount(), 0);
}

TEST_F(ExportFaults, ADestinationMadeReadOnlyForRealStopsAtTheNextNote)
{
    // Root ignores permissions, so it needs a file system it can remount;
    // anyone else can take the write permission away.
    SmallFileSystem small(1024 * 1024);
    if (geteuid() == 0 && !small.isMounted())
        GTEST_SKIP() << small.failure().toStdString();
    prepare(small.isMounted() ? small.path() + QStringLiteral("/out") : work.filePath(QStringLiteral("out")));
    run(3, [&] {
        if (small.isMounted())
            ASSERT_TRUE(small.remountReadOnly());
        else
            setTreeWritable(destination, false);
    });
    if (!small.isMounted())
        setTreeWritable(destination, true);
    EXPECT_TRUE(failure().startsWith(QStringLiteral("The file “Note 3.html” couldn’t be saved: "))) << failure().toStdString();
    expectFailedCleanly(3);
}

TEST_F(ExportFaults, ALibraryMovedOrReplacedMidExportEndsWithAnError)
{
    const struct {
        int notes;
        int afterNotes;
        bool replaced;
        const char* failure;
    } cases[] = {
        {8, 2, false, "The Notes library folder “%1” is no longer there: No such file or directory."},
        {8, 2, true, "The Notes library folder “%1” was replaced during the export."},
        // Moved when the last note of the subfolder is counted, which is
        // when the folder above names its first note.
        {7, 1, false, "The Notes library folder “%1” is no longer there: No such file or directory."},
        // Gone after the last note: still no manifest.
        {2, 3, false, "The Notes library folder “%1” is no longer there: No such file or directory."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failure);
        prepare(work.filePath(QStringLiteral("out %1 %2").arg(c.notes).arg(c.replaced)), c.notes);
        const QString moved = work.filePath(QStringLiteral("Moved Library %1 %2").arg(c.notes).arg(c.replaced));
        run(c.afterNotes, [&] {
            ASSERT_TRUE(QDir().rename(library.path, moved));
            ASSERT_TRUE(!c.replaced || QDir().mkpath(library.path));
        });
        EXPECT_EQ(failure(), QString::fromUtf8(c.failure).arg(library.path));
        // The library is whole where it went; nothing was written into it.
        expectFailedCleanly(c.afterNotes, moved);
    }
}

namespace {

// Lists nothing in one folder, as an unreadable folder would.
class UnlistableFolder final : public platform::FileManager {
public:
    explicit UnlistableFolder(QString path) : m_path(std::move(path)) {}
    std::optional<QList<QUrl>> contentsOfDirectory(const QUrl& url, bool skipsHiddenFiles, platform::Error* error) override
    {
        if (platform::fileurl::path(url) == m_path) {
            platform::setError(error, platform::Error::fromErrno(EACCES, QStringLiteral("The folder couldn’t be listed")));
            return std::nullopt;
        }
        return FileManager::contentsOfDirectory(url, skipsHiddenFiles, error);
    }

private:
    QString m_path;
};

} // namespace

TEST_F(ExportFaults, ADestinationThatCannotBeListedGetsNoEmptyManifest)
{
    prepare(work.filePath(QStringLiteral("out")), 2);
    UnlistableFolder disk(destination);
    FileManagerReplacement replacement(&disk);
    run();
    EXPECT_EQ(failure(), QStringLiteral("The folder couldn’t be listed: Permission denied."));
    expectFailedCleanly(3);
}
