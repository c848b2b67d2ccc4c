#include "platform/FileDates.h"
#include "platform/FileManager.h"
#include "platform/FileURL.h"
#include "platform/UniformTypes.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <gtest/gtest.h>

using namespace platform;
using testsupport::TempDir;

TEST(FileManager, ListingSkipsHiddenEntriesAndMarksDirectories)
{
    TempDir dir;
    testsupport::writeFile(dir.filePath(QStringLiteral(".hidden")), "x");
    testsupport::writeFile(dir.filePath(QStringLiteral("note.html")), "x");
    QDir(dir.path()).mkdir(QStringLiteral("folder"));
    const auto entries = FileManager::defaultManager()->contentsOfDirectory(dir.url(), true, nullptr);
    ASSERT_TRUE(entries);
    QStringList strings;
    for (const QUrl& url : *entries)
        strings.append(fileurl::lastPathComponent(url) + (fileurl::hasDirectoryPath(url) ? QStringLiteral("/") : QString()));
    strings.sort();
    EXPECT_EQ(strings, (QStringList{QStringLiteral("folder/"), QStringLiteral("note.html")}));

    Error error;
    EXPECT_FALSE(FileManager::defaultManager()->contentsOfDirectory(
        fileurl::fromPath(dir.filePath(QStringLiteral("missing")), true), true, &error));
    EXPECT_EQ(error.code(), ENOENT);
}

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
