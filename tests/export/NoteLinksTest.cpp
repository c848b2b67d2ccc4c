#include "export/ExportTestSupport.h"
#include "export/NoteLinks.h"

using namespace testsupport;

namespace {

// Many start tags and few end tags, as a hostile library may hold: one
// pass over the body, whatever it holds.
TEST(NoteLinks, ManyLinksWithoutEndTagsAreOnePass)
{
    NoteLinkTable table;
    table.setFileOfNote(QStringLiteral("n"), platform::fileurl::fromPath(QStringLiteral("/d/N.html"), false));
    const QUrl folder = platform::fileurl::fromPath(QStringLiteral("/d"), true);
    const QString gone = QStringLiteral("<a href=\"%1\">x").arg(noteLinkURL(QStringLiteral("gone")));
    const QString known = QStringLiteral("<a href=\"%1\">y").arg(noteLinkURL(QStringLiteral("n")));
    const QString unquoted = QStringLiteral("<a href=\"x-exported-note:n<b>");
    const int count = 100'000;
    EXPECT_EQ(table.resolved(gone.repeated(count) + QStringLiteral("</a>"), folder, true), QStringLiteral("x").repeated(count));
    EXPECT_EQ(table.resolved(known.repeated(count), folder, true), QStringLiteral("<a href=\"N.html\">y").repeated(count));
    EXPECT_EQ(table.resolved(unquoted.repeated(count) + u'"', folder, true), unquoted.repeated(count) + u'"');
}

// Notes that wait for the end of the walk (they link to notes named after
// them): one whose body cannot be read again is left out and links to it
// become text; after a cancel none is written, and no file ever holds an
// unresolved link. A note with no body is never named.
TEST(NoteLinks, NotesThatWaitAreReadAgainOrNotWritten)
{
    const QByteArray json = R"({
      "accounts": [{"id": "a", "name": "One", "folders": ["f"]}],
      "folders": [{"id": "f", "name": "F", "notes": ["w1", "w2", "e", "t"]}],
      "notes": [{"id": "w1", "name": "First", "body": "<div><a href=\"x-exported-note:t\">t</a></div>"},
                {"id": "w2", "name": "Second", "body": "<div><a href=\"x-exported-note:t\">t</a> <a href=\"x-exported-note:w1\">first</a> <a href=\"x-exported-note:e\">empty</a></div>"},
                {"id": "e", "name": "Empty", "body": ""},
                {"id": "t", "name": "Target", "body": "<div>t</div>"}]
    })";
    // Each body is read to count it and to write it; a note that waits is read once more.
    const struct {
        const char* name;
        bool cancel; // when Target is written; else the third read of First's body fails
        QStringList written;
        QByteArray second; // the file "Second.html"
    } cases[] = {
        {"BodyGoneAtTheEnd", false, {"Notes Import.plist", "One/", "One/F/", "One/F/Second.html", "One/F/Target.html"},
         "<div><a href=\"Target.html\">t</a> first empty</div>"},
        {"CancelledBeforeTheEnd", true, {"One/", "One/F/", "One/F/Target.html"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto app = libraryApp(json);
        ExportRun run(app);
        std::weak_ptr<ExportNoteOperation> weak = run.operation;
        std::atomic<int> targetReads{0}, firstReads{0};
        const auto isBody = [](const WatchedNotesApplication::Request& request, const char* note) {
            return request.what == QLatin1String("note.body") && request.objectID == QLatin1String(note);
        };
        app->setRequestObserver([&, weak](const WatchedNotesApplication::Request& request) {
            if (c.cancel && isBody(request, "Target") && ++targetReads == 2)
                if (auto running = weak.lock())
                    running->cancel();
        });
        app->setFailingRequests([&](const WatchedNotesApplication::Request& request) {
            return !c.cancel && isBody(request, "First") && ++firstReads == 3;
        });
        run.perform();
        EXPECT_EQ(tree(run.destination), c.written);
        EXPECT_EQ(bool(run.operation->plistURL()), !c.cancel);
        // Each note is counted once, whenever it was written.
        EXPECT_EQ(run.operation->progress()->completedUnitCount(), c.written.filter(QStringLiteral(".html")).size());
        EXPECT_EQ(readFile(run.destination + QStringLiteral("/One/F/Second.html")), c.second);
    }
}

} // namespace
