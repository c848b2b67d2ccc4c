#include "export/ExportTestSupport.h"
#include "platform/PropertyList.h"
#include "support/FaultyFileManager.h"
#include "support/FileFaults.h"

#include <QDirIterator>
#include <QFile>
#include <cerrno>
#include <QRegularExpression>
#include <set>
#include <thread>

using namespace testsupport;

namespace {

const QByteArray kTwoAccounts = R"({
  "accounts": [{"id": "a1", "name": "Work", "folders": ["f1"]}, {"id": "a2", "name": "Work", "folders": ["f2"]}],
  "folders": [{"id": "f1", "name": "Notes", "folders": ["f3"], "notes": ["n1", "n2", "n3", "after", "empty"]},
              {"id": "f2", "name": "Notes", "notes": ["locked"]},
              {"id": "f3", "name": "Sub/folder"}],
  "notes": [{"id": "n1", "name": "Same", "body": "<div>one — 1</div>", "creationDate": "2020-01-02T03:04:05Z",
             "modificationDate": "2021-01-02T03:04:05Z"},
            {"id": "n2", "name": "Same", "body": "<div>two</div>", "attachments": ["img", "link", "noext"]},
            {"id": "n3", "name": "Same", "body": "<div>three</div>", "attachments": ["pdf"], "passwordProtected": true},
            {"id": "after", "name": "After", "body": "<div>after</div>"}, {"id": "empty", "name": "Empty", "body": ""},
            {"id": "locked", "name": "Secret", "body": "<div>s</div>", "passwordProtected": true}],
  "attachments": [{"id": "img", "name": "photo.JPG"}, {"id": "link", "name": "site.pdf", "URL": "https://example.org"},
                  {"id": "noext", "name": "README"}, {"id": "pdf", "name": "report.pdf"}]
})";

} // namespace

// Rich-text notes are converted on a thread of their own while the walk goes
// on; the disk must still see every change from the export's own thread, in
// the order of the walk (the HTML note after the rich-text one too), as when
// each note was written at once.
TEST(Export, WritesTheTreeTheFilesAndTheManifest)
{
    ExportRun run(libraryApp(kTwoAccounts));
    // Each change under the destination as the item it is for (a folder, or the
    // note file or package it lies in, not the hidden name it is written under),
    // and the threads changes came from.
    platform::FaultyFileManager disk(ENOSPC); // a disk that never fills
    QStringList items;
    std::set<std::thread::id> threads;
    disk.onChange = [&](const QUrl& url) {
        threads.insert(std::this_thread::get_id());
        const QString path = platform::fileurl::path(url);
        if (!path.startsWith(run.destination + u'/'))
            return;
        const QString relative = path.mid(run.destination.size() + 1);
        static const QRegularExpression note(QStringLiteral("(?:^|/)([^./][^/]*\\.(?:html|rtfd|plist))(?:/|$)"));
        const QRegularExpressionMatch match = note.match(relative);
        const QString item = match.hasMatch() ? match.captured(1) : relative;
        if (items.isEmpty() || items.last() != item)
            items << item;
    };
    FileManagerReplacement replacement(&disk);
    QStringList descriptions;
    QObject::connect(run.operation->progress().get(), &platform::Progress::changed, [&] {
        const QString text = run.operation->progress()->localizedDescription();
        if (descriptions.isEmpty() || descriptions.last() != text)
            descriptions.append(text);
    });
    run.perform();
    ASSERT_EQ(run.failure(), QString());
    ASSERT_TRUE(run.operation->plistURL());

    EXPECT_EQ(tree(run.destination),
              (QStringList{"Notes Import.plist", "Work 1/", "Work 1/Notes/", "Work 1/Notes/Secret.html", "Work/",
                           "Work/Notes/", "Work/Notes/After.html", "Work/Notes/Same 1.html", "Work/Notes/Same.html",
                           "Work/Notes/Same.rtfd/", "Work/Notes/Same.rtfd/TXT.rtf", "Work/Notes/Sub-folder/"}));
    EXPECT_EQ(readFile(run.destination + QStringLiteral("/Work/Notes/Same.html")), "<div>one — 1</div>");

    // Progress names each note as it is written.
    EXPECT_EQ(descriptions, (QStringList{"Preparing to export…", "Exporting “Same”…", "Exporting “After”…",
                                         "Exporting “Secret”…", "Finishing…"}));
    EXPECT_EQ(run.operation->progress()->totalUnitCount(), 5);
    EXPECT_EQ(run.operation->progress()->completedUnitCount(), 5);

    const QByteArray plist = readFile(platform::fileurl::path(*run.operation->plistURL()));
    const QVariantMap manifest = platform::plist::propertyListFromData(plist, nullptr).value_or(QVariant()).toMap();
    EXPECT_EQ(manifest.value(QStringLiteral("Options")).toMap(),
              (QVariantMap{{QStringLiteral("convertHTMLFragments"), true}}));
    // The ".rtfd" package is an item, not a folder; a file and a package were encrypted.
    EXPECT_EQ(manifestEntries(manifest, run.destination),
              (QStringList{"Work 1/", "Work 1/Notes/", "Work 1/Notes/Secret.html*", "Work/", "Work/Notes/",
                           "Work/Notes/After.html", "Work/Notes/Same 1.html", "Work/Notes/Same.html",
                           "Work/Notes/Same.rtfd/*", "Work/Notes/Sub-folder/"}));
    EXPECT_EQ(run.operation->passwordProtectedFileURLs().size(), 2);
    EXPECT_EQ(items, (QStringList{"Work", "Work/Notes", "Work/Notes/Sub-folder", "Same.html", "Same 1.html",
                                       "Same.rtfd", "After.html", "Work 1", "Work 1/Notes", "Secret.html",
                                       "Notes Import.plist"}));
    EXPECT_EQ(threads.size(), 1u);
    EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);
}

TEST(Export, AnAccountFolderThatCannotBeMadeStopsTheExport)
{
    ExportRun run(libraryApp(kTwoAccounts));
    // The destination is a regular file: not even root can write into it.
    QDir(run.destination).removeRecursively();
    writeFile(run.destination, "x");
    run.perform();
    EXPECT_TRUE(run.failure().contains(QStringLiteral("“Work”"))) << run.failure().toStdString();
    EXPECT_FALSE(run.operation->plistURL());
}

TEST(Export, AWriteFailureInTheMiddleOfAFolderStopsWithThatError)
{
    auto app = libraryApp(kTwoAccounts);
    ExportRun run(app);
    const QString folder = run.destination + QStringLiteral("/Work/Notes");
    // Before the second note is written, its folder turns into a plain file.
    // The notes are all named "Same"; the second asked for its attachments is n2.
    std::atomic<int> asked{0};
    app->setRequestObserver([folder, &asked](const WatchedNotesApplication::Request& request) {
        if (request.what == QLatin1String("note.attachments") && ++asked == 2 && QFileInfo(folder).isDir()) {
            QDir(folder).removeRecursively();
            QFile file(folder);
            file.open(QIODevice::WriteOnly);
        }
    });
    run.perform();
    EXPECT_TRUE(run.failure().contains(QStringLiteral("couldn’t be saved"))) << run.failure().toStdString();
    EXPECT_FALSE(run.operation->plistURL());
    EXPECT_FALSE(QFile::exists(run.destination + QStringLiteral("/Notes Import.plist")));
    EXPECT_EQ(run.operation->progress()->completedUnitCount(), 1);
}

TEST(Export, CancellingStopsAtTheNextNoteOrAccountWithoutAManifest)
{
    const QByteArray twoAccounts = R"({"accounts": [{"id": "a1", "name": "One", "folders": ["f1"]}, {"id": "a2", "name": "Two", "folders": ["f2"]}],
        "folders": [{"id": "f1", "name": "F", "notes": ["n1", "n3"]}, {"id": "f2", "name": "G", "notes": ["n2"]}],
        "notes": [{"id": "n1", "name": "N", "body": "x"}, {"id": "n3", "name": "O", "body": "z"}, {"id": "n2", "name": "M", "body": "y"}]})";
    // A note's dates are read after its file is written; the last note's
    // modification date is the account's last request.
    const struct {
        const char* what;
        const char* note; // any note when empty
        QStringList written;
        int notes;
    } cases[] = {
        {"note.body", "", {}, 0},
        {"note.creationDate", "N", {"One/", "One/F/", "One/F/N.html"}, 1},
        {"note.modificationDate", "O", {"One/", "One/F/", "One/F/N.html", "One/F/O.html"}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto app = libraryApp(twoAccounts);
        ExportRun run(app);
        std::weak_ptr<ExportNoteOperation> weak = run.operation;
        app->setRequestObserver([weak, &c](const WatchedNotesApplication::Request& request) {
            if (request.what == QLatin1String(c.what) && (!*c.note || request.objectID == QLatin1String(c.note)))
                if (auto operation = weak.lock())
                    operation->cancel();
        });
        run.perform();
        EXPECT_EQ(tree(run.destination), c.written);
        EXPECT_FALSE(run.operation->plistURL());
        EXPECT_EQ(run.failure(), QString());
        EXPECT_EQ(run.operation->progress()->completedUnitCount(), c.notes);
    }
}

// A note's count and the next note's name may share one trip to the main
// thread. Still, each note is named before its file exists and counted
// after; a note without a body is never named; and a cancel made when the
// count changes stops the export there, naming and writing no further note.
TEST(Export, ProgressNamesEachNoteBeforeItsFileAndCountsItAfter)
{
    const QByteArray library = R"({"accounts": [{"id": "a", "name": "A", "folders": ["f", "g"]}],
        "folders": [{"id": "f", "name": "F", "notes": ["n1", "n2", "e", "n3", "l", "n4"]}, {"id": "g", "name": "G", "notes": ["n5"]}],
        "notes": [{"id": "n1", "name": "One", "body": "<div>1</div>"}, {"id": "n2", "name": "Two", "body": "<div>2</div>"},
                  {"id": "e", "name": "Empty", "body": ""}, {"id": "n3", "name": "Three", "body": "<div>3</div>"},
                  {"id": "l", "name": "Locked", "body": "<div>l</div>", "passwordProtected": true},
                  {"id": "n4", "name": "Four", "body": "<div>4</div>"}, {"id": "n5", "name": "Five", "body": "<div>5</div>"}]})";
    const QStringList names{"One", "Two", "Three", "Locked", "Four", "Five"};
    for (const qsizetype cancelAt : {qsizetype(1), qsizetype(3), qsizetype(4), names.size()}) {
        SCOPED_TRACE(cancelAt);
        ExportRun run(libraryApp(library));
        const auto written = [&] {
            QStringList files;
            for (QDirIterator it(run.destination, {QStringLiteral("*.html")}, QDir::Files, QDirIterator::Subdirectories);
                 it.hasNext();)
                files << QFileInfo(it.next()).completeBaseName();
            return files;
        };
        QStringList named;
        qint64 counted = 0;
        const platform::Progress& progress = *run.operation->progress();
        QObject::connect(&progress, &platform::Progress::changed, [&] {
            if (progress.completedUnitCount() != counted) {
                EXPECT_EQ(progress.completedUnitCount(), counted + 1);
                counted = progress.completedUnitCount();
                EXPECT_EQ(written().size(), counted);
                if (counted == cancelAt)
                    run.operation->cancel();
            }
            static const QRegularExpression exporting(QStringLiteral("^Exporting “(.*)”…$"));
            const QString name = exporting.match(progress.localizedDescription()).captured(1);
            if (!name.isEmpty() && (named.isEmpty() || named.last() != name)) {
                EXPECT_FALSE(written().contains(name)) << name.toStdString();
                EXPECT_FALSE(run.operation->isCancelled()) << name.toStdString();
                named << name;
            }
        });
        run.perform();
        EXPECT_EQ(named, names.first(cancelAt));
        EXPECT_EQ(counted, cancelAt);
        EXPECT_EQ(written().size(), cancelAt);
    }
}
