#include "app/Spawn.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>

// A note carrying a 1 GiB video exports without the video passing through memory.
TEST(LargeAttachment, ExportsWithPeakMemoryFarBelowItsSize)
{
    constexpr qint64 kAttachmentSize = qint64(1) << 30;
    constexpr long kPeakMemoryBoundKB = 300 * 1024;
    testsupport::TempDir dir;
    const QString library = dir.filePath(QStringLiteral("library"));
    testsupport::writeFile(library + QStringLiteral("/library.json"), R"({
        "accounts": [{"id": "a", "name": "Personal", "folders": ["f"]}],
        "folders": [{"id": "f", "name": "Trips", "notes": ["n"]}],
        "notes": [{"id": "n", "name": "Holiday", "body": "<div>The whole day on film.</div>", "attachments": ["v"]}],
        "attachments": [{"id": "v", "name": "day.mp4", "file": "day.mp4"}]})");
    testsupport::writeFile(library + QStringLiteral("/day.mp4"), "....ftypisom");
    ASSERT_TRUE(QFile::resize(library + QStringLiteral("/day.mp4"), kAttachmentSize)); // sparse: no disk to speak of
    const QString destination = dir.filePath(QStringLiteral("out"));
    const QString temporary = dir.filePath(QStringLiteral("tmp"));
    ASSERT_TRUE(QDir().mkpath(temporary));
    QProcessEnvironment environment = testsupport::privateEnvironment(dir);
    environment.insert(QStringLiteral("TMPDIR"), temporary);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("runtime")));

    // The program's own peak resident memory.
    const pid_t child = testsupport::spawn(testsupport::programPath(QStringLiteral("notes-export")),
                                           {QStringLiteral("--library"), library, QStringLiteral("--destination"),
                                            destination, QStringLiteral("--no-handoff")},
                                           environment);
    int status = -1;
    struct rusage usage {};
    ASSERT_TRUE(child > 0 && wait4(child, &status, 0, &usage) == child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    const QString packaged = destination + QStringLiteral("/Personal/Trips/Holiday.rtfd/day.mp4");
    EXPECT_EQ(QFileInfo(packaged).size(), kAttachmentSize);
    QFile copy(packaged);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.read(12), "....ftypisom");
    EXPECT_LT(usage.ru_maxrss, kPeakMemoryBoundKB) << "peak resident memory: " << usage.ru_maxrss << " KB";
    RecordProperty("PeakKB", std::to_string(usage.ru_maxrss));
    // The staged copy went with the export.
    EXPECT_EQ(testsupport::tree(temporary), QStringList{});
}
