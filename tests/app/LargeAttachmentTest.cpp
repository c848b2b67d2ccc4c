#include "app/Spawn.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>

namespace {

constexpr qint64 kAttachmentSize = qint64(1) << 30;
constexpr long kPeakMemoryBoundKB = 300 * 1024;

struct ChildRun {
    int status = -1;
    long peakKB = -1;
};

// Runs the program and reports its own peak resident memory.
ChildRun runMeasured(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment)
{
    ChildRun run;
    const pid_t child = testsupport::spawn(program, arguments, environment);
    struct rusage usage {};
    if (child > 0 && wait4(child, &run.status, 0, &usage) == child)
        run.peakKB = usage.ru_maxrss;
    return run;
}

} // namespace

// A note carrying a 1 GiB video exports without the video passing through memory.
TEST(LargeAttachment, ExportsWithPeakMemoryFarBelowItsSize)
{
    testsupport::TempDir dir;
    const QString library = dir.filePath(QStringLiteral("library"));
    testsupport::writeFile(library + QStringLiteral("/library.json"), R"({
        "accounts": [{"id": "a", "name": "Personal", "folders": ["f"]}],
        "folders": [{"id": "f", "name": "Trips", "notes": ["n"]}],
        "notes": [{"id": "n", "name": "Holiday", "body": "<div>The whole day on film.</div>", "attachments": ["v"]}],
        "attachments": [{"id": "v", "name": "day.mp4", "file": "day.mp4"}]})");
    {
        QFile video(library + QStringLiteral("/day.mp4"));
        ASSERT_TRUE(video.open(QIODevice::WriteOnly));
        video.write("....ftypisom");
        ASSERT_TRUE(video.resize(kAttachmentSize)); // sparse: no disk to speak of
    }
    const QString destination = dir.filePath(QStringLiteral("out"));
    const QString temporary = dir.filePath(QStringLiteral("tmp"));
    ASSERT_TRUE(QDir().mkpath(temporary));
    QProcessEnvironment environment = testsupport::privateEnvironment(dir);
    environment.insert(QStringLiteral("TMPDIR"), temporary);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("runtime")));
    const ChildRun run = runMeasured(QCoreApplication::applicationDirPath() + QStringLiteral("/notes-export"),
                                     {QStringLiteral("--library"), library, QStringLiteral("--destination"),
                                      destination, QStringLiteral("--no-handoff")},
                                     environment);
    ASSERT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << run.status;

    const QString packaged = destination + QStringLiteral("/Personal/Trips/Holiday.rtfd/day.mp4");
    EXPECT_EQ(QFileInfo(packaged).size(), kAttachmentSize);
    QFile copy(packaged);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.read(12), "....ftypisom");
    EXPECT_LT(run.peakKB, kPeakMemoryBoundKB) << "peak resident memory: " << run.peakKB << " KB";
    RecordProperty("PeakKB", std::to_string(run.peakKB));
    // The staged copy went with the export.
    EXPECT_EQ(testsupport::tree(temporary), QStringList{});
}
