#include "support/FaultyFileManager.h"
#include "platform/FileURL.h"
#include "support/FileFaults.h"
#include "support/TestSupport.h"

#include <QFile>
#include <cerrno>
#include <gtest/gtest.h>

using platform::FaultyFileManager;
using namespace testsupport;

static QUrl fileURL(const QString& path, bool folder = false)
{
    return platform::fileurl::fromPath(path, folder);
}

TEST(FaultyFileManager, WritesUntilTheBudgetIsSpentThenFailsLikeTheDisk)
{
    TempDir dir;
    FaultyFileManager disk(ENOSPC, 5);
    platform::Error error;
    EXPECT_TRUE(disk.writeData("abc", fileURL(dir.filePath(QStringLiteral("a"))), &error));
    EXPECT_FALSE(disk.writeData("abc", fileURL(dir.filePath(QStringLiteral("b"))), &error));
    EXPECT_EQ(error.code(), ENOSPC);
    EXPECT_EQ(error.localizedDescription(), QStringLiteral("The file “b” couldn’t be saved: No space left on device."));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("b"))));
    // What fits still goes in, and a full disk still lets files go.
    EXPECT_TRUE(disk.writeData("ab", fileURL(dir.filePath(QStringLiteral("c"))), &error));
    EXPECT_TRUE(disk.removeItem(fileURL(dir.filePath(QStringLiteral("a"))), &error));
}

TEST(FaultyFileManager, AReadOnlyDiskKeepsWhatItHas)
{
    TempDir dir;
    FaultyFileManager disk(EROFS, FaultyFileManager::kUnlimited, 1);
    platform::Error error;
    const QUrl folder = fileURL(dir.filePath(QStringLiteral("f")), true);
    EXPECT_TRUE(disk.createDirectory(folder, true, &error));
    EXPECT_TRUE(disk.createDirectory(folder, true, &error)); // already there: nothing to write
    EXPECT_FALSE(disk.createDirectory(fileURL(dir.filePath(QStringLiteral("g")), true), true, &error));
    EXPECT_EQ(error.localizedDescription(), QStringLiteral("The folder “g” couldn’t be created: Read-only file system."));
    EXPECT_FALSE(disk.removeItem(folder, &error));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("f"))));
    EXPECT_FALSE(disk.copyItem(folder, fileURL(dir.filePath(QStringLiteral("h"))), &error));
}

TEST(FileManagerOnAFullDisk, ACopyCutShortIsRemoved)
{
    SmallFileSystem small(16 * 1024);
    if (!small.isMounted())
        GTEST_SKIP() << small.failure().toStdString();
    TempDir dir;
    const QString source = dir.filePath(QStringLiteral("big.pdf"));
    writeFile(source, QByteArray(64 * 1024, 'x'));
    platform::Error error;
    const QString target = small.path() + QStringLiteral("/big.pdf");
    EXPECT_FALSE(platform::FileManager::defaultManager()->copyItem(fileURL(source), fileURL(target), &error));
    EXPECT_EQ(error.localizedDescription(), QStringLiteral("The file “big.pdf” couldn’t be saved: No space left on device."));
    EXPECT_FALSE(QFile::exists(target));
}
