#include "support/FaultyFileManager.h"
#include "platform/FileDates.h"
#include "platform/FileManager.h"
#include "platform/FileURL.h"
#include "platform/UniformTypes.h"
#include "support/FileFaults.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <gtest/gtest.h>

using namespace platform;
using namespace testsupport;

TEST(UniformTypes, ConformanceAndItemsOnDisk)
{
    using namespace platform::uti;
    EXPECT_EQ(preferredIdentifierForFilenameExtension(QStringLiteral("JPG")), QStringLiteral("public.jpeg"));
    EXPECT_TRUE(typeConformsTo(QStringLiteral("public.jpeg"), kUTTypeImage));

    const QString unknown = preferredIdentifierForFilenameExtension(QStringLiteral("zzq"));
    EXPECT_TRUE(unknown.startsWith(QStringLiteral("dyn.")));
    EXPECT_TRUE(typeConformsTo(unknown, kUTTypeData));
    EXPECT_FALSE(typeConformsTo(unknown, kUTTypeImage));

    TempDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("Doc.rtfd"));
    QDir(dir.path()).mkdir(QStringLiteral("Version 1.5"));
    testsupport::writeFile(dir.filePath(QStringLiteral("photo.png")), "x");
    auto typeOf = [&](const char* name) {
        return typeIdentifierOfItem(fileurl::fromPath(dir.filePath(QLatin1String(name)), false)).value_or(QString());
    };
    EXPECT_FALSE(typeConformsTo(typeOf("Doc.rtfd"), kUTTypeFolder));
    EXPECT_TRUE(typeConformsTo(typeOf("Version 1.5"), kUTTypeFolder));
    EXPECT_EQ(typeOf("photo.png"), QStringLiteral("public.png"));
    EXPECT_FALSE(typeIdentifierOfItem(fileurl::fromPath(dir.filePath(QStringLiteral("missing")), false)));
}

TEST(FileDates, SetBothAndLeaveAMissingOneAlone)
{
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("note.html"));
    testsupport::writeFile(path, "x");
    const QUrl url = fileurl::fromPath(path, false);
    const QDateTime created = QDateTime::fromString(QStringLiteral("2020-05-01T10:00:00.250Z"), Qt::ISODateWithMs);
    const QDateTime modified = QDateTime::fromString(QStringLiteral("2021-06-02T11:30:00Z"), Qt::ISODate);

    Error error;
    if (!filedates::setDates(url, created, modified, &error) && error.code() == ENOTSUP)
        GTEST_SKIP() << "no extended attributes on this file system";
    EXPECT_EQ(filedates::creationDate(url), created);
    EXPECT_EQ(filedates::modificationDate(url), modified);

    const QDateTime later = modified.addDays(3);
    filedates::setDates(url, std::nullopt, later, nullptr);
    EXPECT_EQ(filedates::creationDate(url), created);
    EXPECT_EQ(filedates::modificationDate(url), later);
}

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
    // Reading goes on, and fails only as reading does.
    EXPECT_FALSE(disk.contentsOfDirectory(fileURL(dir.filePath(QStringLiteral("missing")), true), true, &error));
    EXPECT_EQ(error.code(), ENOENT);
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
