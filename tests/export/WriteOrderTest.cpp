// Rich-text notes are converted on a thread of their own while the walk goes
// on; the disk must still see every change from the export's own thread, in
// the order of the walk, as when each note was written at once.
#include "export/ExportTestSupport.h"
#include "platform/FileManager.h"
#include "platform/FileURL.h"
#include "support/FileFaults.h"

#include <QRegularExpression>
#include <mutex>
#include <set>
#include <thread>

namespace {

// Notes each change to the disk under `root`: the item it is for (a folder,
// or the note file or package the path lies in) and the thread it came from.
class RecordingFileManager final : public platform::FileManager {
public:
    explicit RecordingFileManager(QString root) : m_root(std::move(root)) {}

    bool createDirectory(const QUrl& url, bool intermediate, platform::Error* error) override
    {
        record(url);
        return FileManager::createDirectory(url, intermediate, error);
    }
    bool writeData(const QByteArray& data, const QUrl& url, platform::Error* error, const FileFinisher& finish) override
    {
        record(url);
        return FileManager::writeData(data, url, error, finish);
    }
    bool copyItem(const QUrl& from, const QUrl& to, platform::Error* error) override
    {
        record(to);
        return FileManager::copyItem(from, to, error);
    }
    bool removeItem(const QUrl& url, platform::Error* error) override
    {
        record(url);
        return FileManager::removeItem(url, error);
    }

    QStringList items;
    std::set<std::thread::id> threads;

private:
    void record(const QUrl& url)
    {
        const QString path = platform::fileurl::path(url);
        std::lock_guard lock(m_mutex);
        threads.insert(std::this_thread::get_id());
        if (!path.startsWith(m_root + u'/'))
            return;
        // The note file or package, not the hidden name it is written under.
        static const QRegularExpression note(QStringLiteral("(?:^|/)([^./][^/]*\\.(?:html|rtfd|plist))(?:/|$)"));
        const QRegularExpressionMatch match = note.match(path.mid(m_root.size() + 1));
        const QString item = match.hasMatch() ? match.captured(1) : path.mid(m_root.size() + 1);
        if (items.isEmpty() || items.last() != item)
            items << item;
    }

    QString m_root;
    std::mutex m_mutex;
};

} // namespace

TEST(Export, WritesFromItsOwnThreadInTheOrderOfTheWalk)
{
    // Rich-text notes (a file attachment each) between HTML ones, and a
    // folder made after them.
    const QByteArray json = R"({
      "accounts": [{"id": "a", "name": "A", "folders": ["f", "g"]}],
      "folders": [{"id": "f", "name": "F", "notes": ["r1", "h2", "r3", "h4"]}, {"id": "g", "name": "G", "notes": ["h5"]}],
      "notes": [{"id": "r1", "name": "r1", "body": "<h1>one</h1><div>x</div>", "attachments": ["pdf"]},
                {"id": "h2", "name": "h2", "body": "<div>two</div>"},
                {"id": "r3", "name": "r3", "body": "<div>three</div>", "attachments": ["pdf"]},
                {"id": "h4", "name": "h4", "body": "<div>four</div>"},
                {"id": "h5", "name": "h5", "body": "<div>five</div>"}],
      "attachments": [{"id": "pdf", "name": "report.pdf"}]
    })";
    testsupport::ExportRun run(testsupport::libraryApp(json));
    RecordingFileManager disk(run.destination);
    testsupport::FileManagerReplacement replacement(&disk);
    run.perform();
    ASSERT_TRUE(run.operation->plistURL());
    EXPECT_EQ(disk.items, (QStringList{"A", "A/F", "r1.rtfd", "h2.html", "r3.rtfd", "h4.html", "A/G", "h5.html",
                                       "Notes Import.plist"}));
    EXPECT_EQ(disk.threads.size(), 1u);
    EXPECT_EQ(disk.threads.count(std::this_thread::get_id()), 0u);
    EXPECT_EQ(run.operation->summary().richTextNoteCount, 2u);
}
