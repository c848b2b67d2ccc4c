#include "platform/FileCopy.h"
#include "platform/FileManager.h"
#include "platform/FileURL.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::TempDir;

namespace {

bool copy(const QString& from, const QString& to, platform::Error* error)
{
    return platform::FileManager::defaultManager()->copyItem(platform::fileurl::fromPath(from, false),
                                                            platform::fileurl::fromPath(to, false), error);
}

// A file of `size` bytes holding `pieces` (offset, text) and holes elsewhere.
struct SparseCase {
    const char* name;
    qint64 size;
    std::vector<std::pair<qint64, QByteArray>> pieces;
};

void makeSparse(const QString& path, const SparseCase& c)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (const auto& [offset, bytes] : c.pieces) {
        ASSERT_TRUE(file.seek(offset));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    ASSERT_TRUE(file.resize(c.size));
}

qint64 allocatedBytes(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? qint64(info.st_blocks) * 512 : -1;
}

// Only the named entries: no temporary copy is ever left behind.
QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

class FileCopyOfContents : public testing::TestWithParam<SparseCase> {};

} // namespace

TEST_P(FileCopyOfContents, IsByteForByteAndKeepsHoles)
{
    const SparseCase& c = GetParam();
    TempDir dir;
    const QString source = dir.filePath(QStringLiteral("source.bin"));
    const QString target = dir.filePath(QStringLiteral("copy.bin"));
    makeSparse(source, c);
    platform::Error error;
    ASSERT_TRUE(copy(source, target, &error)) << error.localizedDescription().toStdString();
    EXPECT_EQ(QFileInfo(target).size(), c.size);
    QFile copy(target);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    for (const auto& [offset, bytes] : c.pieces) {
        ASSERT_TRUE(copy.seek(offset));
        EXPECT_EQ(copy.read(bytes.size()), bytes) << "at " << offset;
    }
    if (c.size <= (8 << 20)) {
        EXPECT_EQ(testsupport::readFile(target), testsupport::readFile(source));
    }
    // Holes are not filled in: a sparse disk image stays small on disk.
    EXPECT_LE(allocatedBytes(target), allocatedBytes(source) + (1 << 20));
    EXPECT_EQ(QFileInfo(target).lastModified(), QFileInfo(source).lastModified());
    EXPECT_EQ(entries(dir.path()), (QStringList{QStringLiteral("copy.bin"), QStringLiteral("source.bin")}));
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, FileCopyOfContents,
    testing::Values(SparseCase{"SeveralPieces", 3 * platform::kFileCopyChunkSize + 17,
                               {{0, QByteArray(platform::kFileCopyChunkSize + 3, 'a')},
                                {2 * platform::kFileCopyChunkSize, QByteArray(platform::kFileCopyChunkSize + 17, 'b')}}},
                    SparseCase{"HoleAtTheEnd", 1LL << 30, {{0, "head"}}}),
    [](const testing::TestParamInfo<SparseCase>& info) { return std::string(info.param.name); });

