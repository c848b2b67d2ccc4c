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
#include <sys/xattr.h>

using namespace platform;
using namespace testsupport;

namespace {

// A temporary folder, naming its items by URL.
struct Folder : TempDir {
    QUrl url(const QString& name, bool folder = false) const { return fileurl::fromPath(filePath(name), folder); }
};

} // namespace

TEST(UniformTypes, ConformanceAndItemsOnDisk)
{
    using namespace platform::uti;
    EXPECT_EQ(preferredIdentifierForFilenameExtension("JPG"), "public.jpeg");
    EXPECT_TRUE(typeConformsTo("public.jpeg", kUTTypeImage));
    const QString unknown = preferredIdentifierForFilenameExtension("zzq");
    EXPECT_TRUE(unknown.startsWith("dyn."));
    EXPECT_TRUE(typeConformsTo(unknown, kUTTypeData));
    EXPECT_FALSE(typeConformsTo(unknown, kUTTypeImage));

    Folder dir;
    QDir(dir.path()).mkdir("Doc.rtfd");
    QDir(dir.path()).mkdir("Version 1.5");
    writeFile(dir.filePath("photo.png"), "x");
    auto typeOf = [&](const char* name) { return typeIdentifierOfItem(dir.url(name)).value_or(QString()); };
    EXPECT_FALSE(typeConformsTo(typeOf("Doc.rtfd"), kUTTypeFolder));
    EXPECT_TRUE(typeConformsTo(typeOf("Version 1.5"), kUTTypeFolder));
    EXPECT_EQ(typeOf("photo.png"), "public.png");
    EXPECT_FALSE(typeIdentifierOfItem(dir.url("missing")));
}

TEST(FileDates, SetBothAndLeaveAMissingOneAlone)
{
    Folder dir;
    writeFile(dir.filePath("note.html"), "x");
    const QUrl url = dir.url("note.html");
    const QDateTime created = QDateTime::fromString("2020-05-01T10:00:00.250Z", Qt::ISODateWithMs);
    const QDateTime modified = QDateTime::fromString("2021-06-02T11:30:00Z", Qt::ISODate);
    Error error;
    if (!filedates::setDates(url, created, modified, &error) && error.code() == ENOTSUP)
        GTEST_SKIP() << "no extended attributes on this file system";
    EXPECT_EQ(filedates::creationDate(url), created);
    EXPECT_EQ(filedates::modificationDate(url), modified);
    filedates::setDates(url, std::nullopt, modified.addDays(3), nullptr);
    EXPECT_EQ(filedates::creationDate(url), created);
    EXPECT_EQ(filedates::modificationDate(url), modified.addDays(3));
    // The attribute is Qt's own ISO text in UTC, whatever zone the date has.
    for (const char* text : {"0001-01-01T00:00:00Z", "1999-12-31T23:59:59.999+02:00", "9999-12-31T23:59:59.999Z"}) {
        const QDateTime date = QDateTime::fromString(text, Qt::ISODateWithMs);
        filedates::setDates(url, date, std::nullopt, nullptr);
        char stored[64] = {};
        getxattr(dir.filePath("note.html").toUtf8().constData(), filedates::kCreationDateAttribute, stored, 63);
        EXPECT_EQ(QString::fromUtf8(stored), date.toUTC().toString(Qt::ISODateWithMs)) << text;
    }
}

TEST(FaultyFileManager, FailsLikeAFullOrReadOnlyDisk)
{
    Folder dir;
    FaultyFileManager disk(ENOSPC, 5);
    Error error;
    EXPECT_TRUE(disk.writeData("abc", dir.url("a"), &error));
    EXPECT_FALSE(disk.writeData("abc", dir.url("b"), &error));
    EXPECT_EQ(error.code(), ENOSPC);
    EXPECT_EQ(error.localizedDescription(), "The file “b” couldn’t be saved: No space left on device.");
    EXPECT_FALSE(QFile::exists(dir.filePath("b")));
    // What fits still goes in, and a full disk still lets files go.
    EXPECT_TRUE(disk.writeData("ab", dir.url("c"), &error));
    EXPECT_TRUE(disk.removeItem(dir.url("a"), &error));

    // A read-only disk keeps what it has.
    FaultyFileManager readOnly(EROFS, FaultyFileManager::kUnlimited, 1);
    EXPECT_TRUE(readOnly.createDirectory(dir.url("f", true), true, &error));
    EXPECT_TRUE(readOnly.createDirectory(dir.url("f", true), true, &error)); // already there: nothing to write
    EXPECT_FALSE(readOnly.createDirectory(dir.url("g", true), true, &error));
    EXPECT_EQ(error.localizedDescription(), "The folder “g” couldn’t be created: Read-only file system.");
    EXPECT_FALSE(readOnly.removeItem(dir.url("f", true), &error));
    EXPECT_TRUE(QFile::exists(dir.filePath("f")));
    EXPECT_FALSE(readOnly.copyItem(dir.url("f", true), dir.url("h"), &error));
    // Reading goes on, and fails only as reading does.
    EXPECT_FALSE(readOnly.contentsOfDirectory(dir.url("missing", true), true, &error));
    EXPECT_EQ(error.code(), ENOENT);
}

TEST(FileManagerOnAFullDisk, ACopyCutShortIsRemoved)
{
    SmallFileSystem small(16 * 1024);
    if (!small.isMounted())
        GTEST_SKIP() << small.failure().toStdString();
    Folder dir;
    writeFile(dir.filePath("big.pdf"), QByteArray(64 * 1024, 'x'));
    Error error;
    const QString target = small.path() + "/big.pdf";
    const QUrl targetURL = fileurl::fromPath(target, false);
    EXPECT_FALSE(FileManager::defaultManager()->copyItem(dir.url("big.pdf"), targetURL, &error));
    EXPECT_EQ(error.localizedDescription(), "The file “big.pdf” couldn’t be saved: No space left on device.");
    EXPECT_FALSE(QFile::exists(target));
}
