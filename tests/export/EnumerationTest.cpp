#include "export/ExportTestSupport.h"

#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

namespace {

std::shared_ptr<ExportNoteOperation> enumerated(const std::shared_ptr<NotesApplication>& app)
{
    auto operation = ExportNoteOperation::exportOperationForApp(app, QUrl());
    EXPECT_TRUE(operation->getAccounts());
    return operation;
}

} // namespace

TEST(Enumeration, FailedRequestsCountAsEmpty)
{
    // Folder "A" holds a1, a2 (empty) and folder "C"; folder "B" holds b1.
    auto app = libraryApp(R"({"accounts": [{"id": "acc", "name": "Mine", "folders": ["A", "B", "C"]}],
        "folders": [{"id": "A", "name": "A", "folders": ["C"], "notes": ["a1", "a2"]},
                    {"id": "B", "name": "B", "notes": ["b1"]}, {"id": "C", "name": "C", "notes": ["c1", "c2", "c3"]}],
        "notes": [{"id": "a1", "body": "x"}, {"id": "a2", "body": ""}, {"id": "b1", "body": "x"},
                  {"id": "c1", "name": "c1", "body": "x"}, {"id": "c2", "body": "x"}, {"id": "c3", "body": "x"}]})");
    app->setFailingRequests([](const WatchedNotesApplication::Request& request) {
        return (request.what == QLatin1String("folder.notes") && request.objectID == QLatin1String("B")) ||
               (request.what == QLatin1String("note.body") && request.objectID == QLatin1String("c1"));
    });
    EXPECT_EQ(enumerated(app)->totalNoteCount(), 3u); // a1, c2, c3
}

// Counting looks at body files without reading them, and must count
// exactly the notes whose body the export will find.
TEST(Enumeration, BodyFilesCountWhenTheyHoldSomething)
{
    TempDir dir;
    writeFile(dir.filePath(QStringLiteral("full.html")), "<p>x</p>");
    writeFile(dir.filePath(QStringLiteral("empty.html")), "");
    ASSERT_EQ(mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo.html"))).constData(), 0600), 0);
    ASSERT_EQ(mkdir(QFile::encodeName(dir.filePath(QStringLiteral("folder.html"))).constData(), 0700), 0);
    ASSERT_EQ(symlink("full.html", QFile::encodeName(dir.filePath(QStringLiteral("link.html"))).constData()), 0);
    const struct {
        const char* file;
        quint64 counted;
    } cases[] = {{"full.html", 1}, {"empty.html", 0}, {"missing.html", 0},
                 {"fifo.html", 0}, {"folder.html", 0}, {"link.html", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QByteArray json = QByteArray(R"({"accounts": [{"id": "a", "folders": ["f"]}],
            "folders": [{"id": "f", "notes": ["n"]}], "notes": [{"id": "n", "bodyFile": ")") + c.file + R"("}]})";
        writeFile(dir.filePath(QStringLiteral("library.json")), json);
        const auto app = loadedApp(dir.path());
        ASSERT_TRUE(app);
        EXPECT_EQ(enumerated(app)->totalNoteCount(), c.counted);
    }
}
