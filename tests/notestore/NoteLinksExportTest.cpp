#include "notestore/NoteStoreTestSupport.h"

#include "app/NotesAccess.h"
#include "export/ExportNoteOperation.h"
#include "export/ExportTestSupport.h"
#include "notestore-generate/LinkedNotes.h"
#include "platform/FileURL.h"

#include <QRegularExpression>

using namespace notestoregen;

namespace {

struct LinkedExport {
    testsupport::TempDir dir;
    QString destination = dir.filePath(QStringLiteral("out"));
    ExportSummary summary;
};

// The generated notes that link to each other, exported without passwords.
void exportLinkedNotes(LinkedExport& run)
{
    testsupport::writeContainer(linkedNotesContainer(), run.dir.filePath(QStringLiteral("container")));
    platform::Error error;
    const auto app = app::openNotes(run.dir.filePath(QStringLiteral("container")), &error);
    ASSERT_TRUE(app) << error.localizedDescription().toStdString();
    ASSERT_TRUE(QDir().mkpath(run.destination));
    const auto operation = ExportNoteOperation::exportOperationForApp(app, platform::fileurl::fromPath(run.destination, true));
    testsupport::runToEnd(operation);
    ASSERT_TRUE(operation->plistURL());
    run.summary = operation->summary();
}

// Every local link opens a file of the export; every link shows what the
// note shows, and maths are text in place.
TEST(NoteLinksExport, LinksLeadToTheExportedNotesOrAreText)
{
    LinkedExport run;
    exportLinkedNotes(run);
    if (HasFatalFailure())
        return;
    static const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\"|HYPERLINK \"([^\"]*)\""));
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    int local = 0;
    for (const QString& relative : testsupport::tree(run.destination)) {
        const QString path = run.destination + u'/' + relative;
        const bool rtf = relative.endsWith(QLatin1String(".rtfd/TXT.rtf"));
        if (!relative.endsWith(QLatin1String(".html")) && !rtf)
            continue;
        const QString text = QString::fromUtf8(testsupport::readFile(path));
        EXPECT_FALSE(text.contains(QChar(0xFFFC)) || text.contains(QLatin1String("\\u-4?"))
                     || text.contains(QLatin1String("applenotes:"))
                     || text.contains(QLatin1String("x-exported-note")))
            << relative.toStdString();
        // A package's links start from the folder it is in, as a page's do.
        const QDir base = QFileInfo(rtf ? QFileInfo(path).path() : path).dir();
        for (const QRegularExpressionMatch& match : href.globalMatch(text)) {
            const QString target = match.captured(1) + match.captured(2);
            if (scheme.match(target).hasMatch())
                continue;
            ++local;
            EXPECT_TRUE(QFileInfo::exists(base.filePath(QUrl::fromPercentEncoding(target.toUtf8()))))
                << relative.toStdString() << " -> " << target.toStdString();
        }
    }
    EXPECT_EQ(local, 8); // four in the index, one in each other note that links

    const std::vector<std::pair<const char*, const char*>> cases = {
        // Inline, to the older of two notes of one title, and as an address with an owner.
        {"iCloud/Notes/Index.html", R"(<a href="../Work/Meeting%201.html">Meeting</a>)"},
        {"iCloud/Notes/Index.html", R"(<a href="../Work/Meeting.html">its notes</a>)"},
        // No shown text: the target's title; the target is a package.
        {"iCloud/Notes/Index.html", R"(<a href="../Work/Projects%20%231/Plan.rtfd">Plan</a>)"},
        {"iCloud/Notes/Index.html",
         R"(<a href="../../On%20My%20Mac/Travel%20%26%20Plans%20100%25/Caf%C3%A9%20trip.html">Café trip</a>)"},
        // Not exported: in the trash, locked, in no database here.
        {"iCloud/Notes/Index.html", "Gone: Old draft&nbsp;and the draft</div>"},
        {"iCloud/Notes/Index.html", "Locked: Secret</div>"},
        {"iCloud/Notes/Index.html", "Shared: Shared note</div>"},
        {"iCloud/Notes/Index.html", "Sum: 40 + 2 = 42</div>"},
        {"iCloud/Notes/Index.html", "Graph: y = 2x + 1&nbsp;drawn</div>"},
        {"iCloud/Work/Meeting.html", R"(<a href="../Notes/Index.html">the index</a>)"},
        {"iCloud/Work/Meeting 1.html", R"(<a href="Meeting%201.html">this note</a>)"},
        {"On My Mac/Travel & Plans 100%/Café trip.html", R"(<a href="../../iCloud/Work/Meeting.html">the meeting</a>)"},
        {"iCloud/Work/Projects #1/Plan.rtfd/TXT.rtf", R"(HYPERLINK "../../Notes/Index.html")"},
        {"iCloud/Work/Projects #1/Plan.rtfd/TXT.rtf", R"( Index}}, not Old draft\par)"},
    };
    for (const auto& [file, fragment] : cases) {
        const QString text = QString::fromUtf8(testsupport::readFile(run.destination + u'/' + QString::fromUtf8(file)));
        EXPECT_TRUE(text.contains(QString::fromUtf8(fragment))) << file << ": " << text.toStdString();
    }
    // Maths are text, not attachments; the locked note is the one thing named.
    EXPECT_EQ(run.summary.attachmentsLeftOut, QStringList{});
    ASSERT_EQ(run.summary.notesLeftOut.size(), 1) << run.summary.lines().join(u'\n').toStdString();
    EXPECT_TRUE(run.summary.notesLeftOut[0].startsWith(QStringLiteral("“Secret”")));
}

} // namespace
