#include "export/ExportTestSupport.h"
#include "platform/FileURL.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QFileInfo>

using testsupport::libraryApp;
using testsupport::tree;
using testsupport::writeFile;

namespace {

const QByteArray kPDF = "%PDF-1.4\n% a small test file\n%%EOF\n";

// One note in one folder, with the attachment files written beside the library.
class RichTextNote : public testing::Test {
protected:
    std::shared_ptr<NotesNote> note(const QString& body, const QByteArray& attachmentsJSON, const QString& noteAttachments)
    {
        writeFile(m_library.filePath(QStringLiteral("report.pdf")), kPDF);
        const QByteArray json = QStringLiteral(R"({"accounts": [{"id": "a", "name": "A", "folders": ["f"]}],
            "folders": [{"id": "f", "name": "F", "notes": ["n"]}],
            "notes": [{"id": "n", "name": "Note", "body": %1, "attachments": [%2]}],
            "attachments": [%3]})")
                                    .arg(QString::fromUtf8(QJsonDocument(QJsonArray{body}).toJson(QJsonDocument::Compact)).mid(1).chopped(1),
                                         noteAttachments, QString::fromUtf8(attachmentsJSON))
                                    .toUtf8();
        m_app = libraryApp(json, m_library.path());
        return m_app->accounts().first()->folders().first()->notes().first();
    }

    QString packagePath() const { return m_out.filePath(QStringLiteral("Note.rtfd")); }
    QUrl packageURL() const { return platform::fileurl::fromPath(packagePath(), true); }

    std::shared_ptr<ExportNoteOperation> m_operation = std::make_shared<ExportNoteOperation>();
    testsupport::TempDir m_library;
    testsupport::TempDir m_out;
    std::shared_ptr<NotesApplication> m_app;
};

} // namespace

TEST_F(RichTextNote, AttachmentNamesNeverReachOutsideTheStagingFolder)
{
    auto n = note(QStringLiteral("<div>x</div>"),
                  R"({"id": "up", "name": "../../x.pdf", "file": "report.pdf"},
                     {"id": "abs", "name": "/tmp/y.pdf", "file": "report.pdf"})",
                  QStringLiteral(R"("up", "abs")"));
    platform::Error error;
    ASSERT_TRUE(m_operation->createRichTextFileForNote(*n, packageURL(), &error));
    const QString staging = platform::fileurl::path(m_operation->attachmentStagingDirectoryURL());
    EXPECT_TRUE(staging.startsWith(QDir::tempPath()));
    EXPECT_FALSE(QFileInfo::exists(staging + QStringLiteral("/../../x.pdf")));
    EXPECT_EQ(tree(staging), QStringList{}); // staged inside it, and gone once packaged

    const QStringList package = tree(packagePath());
    ASSERT_EQ(package.size(), 3);
    for (const QString& name : package)
        EXPECT_FALSE(name.contains(u'/'));
}

TEST_F(RichTextNote, TheStyleSheetGoesInBeforeTheBody)
{
    const QString fragment = QStringLiteral("<div>/* HTML FRAGMENT CSS PLACEHOLDER */</div>");
    const std::optional<QByteArray> page = m_operation->completeHTMLForHTMLFragment(fragment);
    ASSERT_TRUE(page);
    const QString html = QString::fromUtf8(*page);
    EXPECT_EQ(html.count(QStringLiteral("/* HTML FRAGMENT CSS PLACEHOLDER */")), 1);
    EXPECT_FALSE(html.contains(QStringLiteral("<!-- HTML FRAGMENT BODY PLACEHOLDER -->")));
    const qsizetype css = html.indexOf(m_operation->noteStylesCSSString());
    ASSERT_GE(css, 0);
    EXPECT_LT(css, html.indexOf(QStringLiteral("</style>")));
    EXPECT_GT(html.indexOf(fragment), html.indexOf(QStringLiteral("<body")));
}

TEST_F(RichTextNote, AMissingTemplateFailsTheNote)
{
    auto n = note(QStringLiteral("<div>x</div>"), R"({"id": "pdf", "name": "report.pdf", "file": "report.pdf"})",
                  QStringLiteral(R"("pdf")"));
    m_operation->setPageTemplateURL(platform::fileurl::fromPath(m_out.filePath(QStringLiteral("none.html")), false));
    EXPECT_FALSE(m_operation->completeHTMLForHTMLFragment(QStringLiteral("x")));
    platform::Error error;
    EXPECT_FALSE(m_operation->createRichTextFileForNote(*n, packageURL(), &error));
    EXPECT_TRUE(error.localizedDescription().contains(QStringLiteral("NoteHTMLTemplate.html")));
    EXPECT_FALSE(QFileInfo::exists(packagePath()));
}

