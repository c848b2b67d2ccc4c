#include "export/ExportTestSupport.h"
#include "platform/FileDates.h"
#include "platform/FileURL.h"
#include "platform/PropertyList.h"

#include <QDir>
#include <QFile>

using testsupport::libraryApp;
using testsupport::runToEnd;
using testsupport::tree;

namespace {

struct Export {
    testsupport::TempDir root;
    QString destination = root.filePath(QStringLiteral("Notes Import"));
    std::shared_ptr<ExportNoteOperation> operation;

    explicit Export(std::shared_ptr<NotesApplication> app)
    {
        QDir().mkpath(destination);
        operation = ExportNoteOperation::exportOperationForApp(std::move(app), platform::fileurl::fromPath(destination, true));
    }
    QVariantMap manifest() const
    {
        const auto value = platform::plist::propertyListFromData(
            testsupport::readFile(destination + QStringLiteral("/Notes Import.plist")), nullptr);
        return value ? value->toMap() : QVariantMap();
    }
};

const QByteArray kTwoAccounts = R"({
  "accounts": [{"id": "a1", "name": "Work", "folders": ["f1"]}, {"id": "a2", "name": "Work", "folders": ["f2"]}],
  "folders": [{"id": "f1", "name": "Notes", "folders": ["f3"], "notes": ["n1", "n2", "n3", "empty"]},
              {"id": "f2", "name": "Notes", "notes": ["locked"]},
              {"id": "f3", "name": "Sub/folder"}],
  "notes": [{"id": "n1", "name": "Same", "body": "<div>one — 1</div>", "creationDate": "2020-01-02T03:04:05Z",
             "modificationDate": "2021-01-02T03:04:05Z"},
            {"id": "n2", "name": "Same", "body": "<div>two</div>", "attachments": ["img", "link", "noext"]},
            {"id": "n3", "name": "Same", "body": "<div>three</div>", "attachments": ["pdf"], "passwordProtected": true},
            {"id": "empty", "name": "Empty", "body": ""},
            {"id": "locked", "name": "Secret", "body": "<div>s</div>", "passwordProtected": true}],
  "attachments": [{"id": "img", "name": "photo.JPG"}, {"id": "link", "name": "site.pdf", "URL": "https://example.org"},
                  {"id": "noext", "name": "README"}, {"id": "pdf", "name": "report.pdf"}]
})";

} // namespace

TEST(Export, WritesTheTreeTheFilesAndTheManifest)
{
    Export run(libraryApp(kTwoAccounts));
    runToEnd(run.operation);
    ASSERT_FALSE(run.operation->operationError()) << run.operation->operationError()->localizedDescription().toStdString();
    ASSERT_TRUE(run.operation->plistURL());

    EXPECT_EQ(tree(run.destination),
              (QStringList{"Notes Import.plist", "Work 1/", "Work 1/Notes/", "Work 1/Notes/Secret.html", "Work/",
                           "Work/Notes/", "Work/Notes/Same 1.html", "Work/Notes/Same.html", "Work/Notes/Same.rtfd/",
                           "Work/Notes/Same.rtfd/TXT.rtf", "Work/Notes/Sub-folder/"}));
    const QString same = run.destination + QStringLiteral("/Work/Notes/Same.html");
    EXPECT_EQ(testsupport::readFile(same), QStringLiteral("<div>one — 1</div>").toUtf8());
    const QUrl sameURL = platform::fileurl::fromPath(same, false);
    EXPECT_EQ(platform::filedates::modificationDate(sameURL),
              QDateTime::fromString(QStringLiteral("2021-01-02T03:04:05Z"), Qt::ISODate));

    const auto progress = run.operation->progress();
    EXPECT_EQ(progress->totalUnitCount(), 4);
    EXPECT_EQ(progress->completedUnitCount(), 4);
    EXPECT_EQ(progress->localizedDescription(), QStringLiteral("Finishing…"));

    const QVariantMap manifest = run.manifest();
    EXPECT_EQ(manifest.value(QStringLiteral("Options")).toMap(),
              (QVariantMap{{QStringLiteral("convertHTMLFragments"), true}}));
    // The ".rtfd" package is an item, not a folder; a file and a package were encrypted.
    EXPECT_EQ(testsupport::manifestEntries(manifest, run.destination),
              (QStringList{"Work 1/", "Work 1/Notes/", "Work 1/Notes/Secret.html*", "Work/", "Work/Notes/",
                           "Work/Notes/Same 1.html", "Work/Notes/Same.html", "Work/Notes/Same.rtfd/*", "Work/Notes/Sub-folder/"}));
    EXPECT_EQ(run.operation->passwordProtectedFileURLs().size(), 2);

    const ExportSummary summary = run.operation->summary();
    EXPECT_EQ(summary.htmlNoteCount, 3u);
    EXPECT_EQ(summary.richTextNoteCount, 1u);
    EXPECT_EQ(summary.emptyNoteCount, 1u);
}

TEST(Export, AnEmptyLibraryStillGetsAManifest)
{
    Export run(libraryApp("{}"));
    QFile::copy(QStringLiteral("/dev/null"), run.destination + QStringLiteral("/.DS_Store"));
    testsupport::writeFile(run.destination + QStringLiteral("/.hidden"), "x");
    runToEnd(run.operation);
    ASSERT_TRUE(run.operation->plistURL());
    EXPECT_EQ(run.operation->progress()->totalUnitCount(), 0);
    EXPECT_TRUE(testsupport::manifestEntries(run.manifest(), run.destination).isEmpty());
    EXPECT_TRUE(run.manifest().contains(QStringLiteral("Options")));
}

TEST(Export, AnAccountFolderThatCannotBeMadeStopsTheExport)
{
    testsupport::TempDir root;
    testsupport::writeFile(root.filePath(QStringLiteral("file")), "x");
    // The destination runs through a regular file: not even root can write there.
    auto operation = ExportNoteOperation::exportOperationForApp(
        libraryApp(kTwoAccounts), platform::fileurl::fromPath(root.filePath(QStringLiteral("file/dest")), true));
    runToEnd(operation);
    ASSERT_TRUE(operation->operationError());
    EXPECT_TRUE(operation->operationError()->localizedDescription().contains(QStringLiteral("Work")));
    EXPECT_FALSE(operation->plistURL());
}

TEST(Export, AWriteFailureInTheMiddleOfAFolderStopsWithThatError)
{
    auto app = libraryApp(kTwoAccounts);
    Export run(app);
    const QString folder = run.destination + QStringLiteral("/Work/Notes");
    // Before the second note is written, its folder turns into a plain file.
    // The notes are all named "Same"; the second asked for its attachments is n2.
    std::atomic<int> asked{0};
    app->setRequestObserver([folder, &asked](const testsupport::WatchedNotesApplication::Request& request) {
        if (request.what == QLatin1String("note.attachments") && ++asked == 2 && QFileInfo(folder).isDir()) {
            QDir(folder).removeRecursively();
            QFile file(folder);
            file.open(QIODevice::WriteOnly);
        }
    });
    runToEnd(run.operation);
    ASSERT_TRUE(run.operation->operationError());
    EXPECT_TRUE(run.operation->operationError()->localizedDescription().contains(QStringLiteral("couldn’t be saved")));
    EXPECT_FALSE(run.operation->plistURL());
    EXPECT_FALSE(QFile::exists(run.destination + QStringLiteral("/Notes Import.plist")));
    EXPECT_EQ(run.operation->progress()->completedUnitCount(), 1);
}

TEST(Export, ProgressIsOnlyChangedOnTheMainThreadAndNamesEachNote)
{
    std::atomic<int> violations{0};
    auto previous = platform::Progress::setThreadViolationHandler([&](const char*) { ++violations; });
    auto app = libraryApp(kTwoAccounts);
    Export run(app);
    QStringList descriptions;
    std::atomic<int> namesReadOnMain{0};
    app->setRequestObserver([&](const testsupport::WatchedNotesApplication::Request& request) {
        if (request.what == QLatin1String("note.name") && platform::isMainThread())
            ++namesReadOnMain;
    });
    QObject::connect(run.operation->progress().get(), &platform::Progress::changed, [&] {
        const QString text = run.operation->progress()->localizedDescription();
        if (descriptions.isEmpty() || descriptions.last() != text)
            descriptions.append(text);
    });
    runToEnd(run.operation);
    platform::Progress::setThreadViolationHandler(previous);
    EXPECT_EQ(violations, 0);
    EXPECT_EQ(namesReadOnMain, 4); // the progress text's name, once per written note
    EXPECT_EQ(descriptions, (QStringList{QStringLiteral("Preparing to export…"), QStringLiteral("Exporting “Same”…"), QStringLiteral("Exporting “Secret”…"),
                                         QStringLiteral("Finishing…")}));
}

TEST(Export, NamesThatSanitizeToNothingGetAFallback)
{
    Export run(libraryApp(R"({"accounts": [{"id": "a", "name": " … ", "folders": ["f"]}],
        "folders": [{"id": "f", "name": "\n", "notes": ["n", "m"]}],
        "notes": [{"id": "n", "name": "   ", "body": "x"}, {"id": "m", "body": "y"}]})"));
    runToEnd(run.operation);
    ASSERT_TRUE(run.operation->plistURL());
    EXPECT_EQ(tree(run.destination),
              (QStringList{"Notes Import.plist", "Untitled Account/", "Untitled Account/Untitled Folder/",
                           "Untitled Account/Untitled Folder/Untitled Note 1.html",
                           "Untitled Account/Untitled Folder/Untitled Note.html"}));
}

TEST(Export, CancellingStopsAtTheNextNoteOrAccountWithoutAManifest)
{
    const QByteArray twoAccounts = R"({"accounts": [{"id": "a1", "name": "One", "folders": ["f1"]}, {"id": "a2", "name": "Two", "folders": ["f2"]}],
        "folders": [{"id": "f1", "name": "F", "notes": ["n1", "n3"]}, {"id": "f2", "name": "G", "notes": ["n2"]}],
        "notes": [{"id": "n1", "name": "N", "body": "x"}, {"id": "n3", "name": "O", "body": "z"}, {"id": "n2", "name": "M", "body": "y"}]})";
    struct Case {
        const char* what;
        const char* note; // any note when empty
        QStringList written;
        int notes;
    };
    // A note's dates are read after its file is written; the last note's
    // modification date is the account's last request.
    const Case cases[] = {
        {"note.body", "", {}, 0},
        {"note.creationDate", "N", {"One/", "One/F/", "One/F/N.html"}, 1},
        {"note.modificationDate", "O", {"One/", "One/F/", "One/F/N.html", "One/F/O.html"}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto app = libraryApp(twoAccounts);
        Export run(app);
        std::weak_ptr<ExportNoteOperation> weak = run.operation;
        app->setRequestObserver([weak, &c](const testsupport::WatchedNotesApplication::Request& request) {
            if (request.what == QLatin1String(c.what) && (!*c.note || request.objectID == QLatin1String(c.note)))
                if (auto operation = weak.lock())
                    operation->cancel();
        });
        runToEnd(run.operation);
        EXPECT_EQ(tree(run.destination), c.written);
        EXPECT_FALSE(run.operation->plistURL());
        EXPECT_FALSE(run.operation->operationError());
        EXPECT_EQ(run.operation->progress()->completedUnitCount(), c.notes);
    }
}
