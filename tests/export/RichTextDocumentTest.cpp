#include "export/ExportTestSupport.h"
#include "platform/FileDates.h"
#include "platform/FileURL.h"
#include "platform/RichText.h"
#include "support/TextDocumentSupport.h"
#include "styles/OTLNoteTextStyle.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QFileInfo>
#include <QTextDocument>
#include <QTextImageFormat>

using testsupport::formatOfText;
using testsupport::libraryApp;
using testsupport::readFile;
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
        writeFile(m_library.filePath(QStringLiteral("photo.png")), QByteArray("\x89PNG\r\n\x1a\n", 8));
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

    // The package's text read back with our reader.
    void readBack(QTextDocument& document) const
    {
        platform::Error error;
        ASSERT_TRUE(platform::readRichText(readFile(packagePath() + QStringLiteral("/TXT.rtf")), document, &error))
            << error.localizedDescription().toStdString();
    }

    std::shared_ptr<ExportNoteOperation> m_operation = std::make_shared<ExportNoteOperation>();
    testsupport::TempDir m_library;
    testsupport::TempDir m_out;
    std::shared_ptr<LibraryNotesApplication> m_app;
};

} // namespace

TEST_F(RichTextNote, TextThenOneLineFeedThenTheFileAttachmentOnly)
{
    auto n = note(QStringLiteral("<h1>Plan</h1><div>Run <tt>make</tt> first</div>"),
                  R"({"id": "pdf", "name": "report.pdf", "file": "report.pdf",
                      "creationDate": "2020-05-06T07:08:09Z", "modificationDate": "2021-05-06T07:08:09Z"},
                     {"id": "img", "name": "photo.png", "file": "photo.png"},
                     {"id": "link", "name": "site.pdf", "URL": "https://example.org"})",
                  QStringLiteral(R"("pdf", "img", "link")"));
    platform::Error error;
    ASSERT_TRUE(m_operation->createRichTextFileForNote(*n, packageURL(), &error)) << error.localizedDescription().toStdString();

    EXPECT_EQ(tree(packagePath()), (QStringList{QStringLiteral("TXT.rtf"), QStringLiteral("report.pdf")}));
    EXPECT_EQ(readFile(packagePath() + QStringLiteral("/report.pdf")), kPDF);

    QTextDocument document;
    readBack(document);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("Plan\nRun make first\n") + QChar(0xFFFC));

    const QTextCharFormat heading = formatOfText(document, QStringLiteral("Plan"));
    const QTextCharFormat body = formatOfText(document, QStringLiteral("Run"));
    EXPECT_GT(heading.fontPointSize(), body.fontPointSize());
    EXPECT_EQ(heading.fontWeight(), QFont::Bold);
    EXPECT_EQ(body.fontWeight(), QFont::Normal);
    EXPECT_EQ(formatOfText(document, QStringLiteral("make")).fontFamilies().toStringList(),
              QStringList{QStringLiteral("Menlo")});

    const QTextCharFormat attachment = formatOfText(document, QString(QChar(0xFFFC)));
    ASSERT_TRUE(attachment.isImageFormat());
    EXPECT_EQ(attachment.toImageFormat().name(), QStringLiteral("report.pdf"));

    // The packaged file carries the attachment's date; the staged copies are gone.
    const QUrl packaged = platform::fileurl::fromPath(packagePath() + QStringLiteral("/report.pdf"), false);
    EXPECT_EQ(platform::filedates::modificationDate(packaged),
              QDateTime::fromString(QStringLiteral("2021-05-06T07:08:09Z"), Qt::ISODate));
    EXPECT_EQ(tree(platform::fileurl::path(m_operation->attachmentStagingDirectoryURL())), QStringList{});
    EXPECT_TRUE(m_operation->summary().attachmentsLeftOut.isEmpty());
}

TEST_F(RichTextNote, PicturesOfTheBodyStayWhereTheNoteHasThem)
{
    const QByteArray png = testsupport::imageBytes("PNG", Qt::green, 4, 3);
    const QString body = QStringLiteral("<div>Before</div><div><img src=\"data:image/png;base64,%1\"></div><div>After</div>")
                             .arg(QString::fromLatin1(png.toBase64()));
    auto n = note(body, R"({"id": "pdf", "name": "report.pdf", "file": "report.pdf"})", QStringLiteral(R"("pdf")"));
    platform::Error error;
    ASSERT_TRUE(m_operation->createRichTextFileForNote(*n, packageURL(), &error)) << error.localizedDescription().toStdString();
    EXPECT_EQ(tree(packagePath()),
              (QStringList{QStringLiteral("Picture.png"), QStringLiteral("TXT.rtf"), QStringLiteral("report.pdf")}));
    EXPECT_EQ(readFile(packagePath() + QStringLiteral("/Picture.png")), png);
    EXPECT_EQ(readFile(packagePath() + QStringLiteral("/report.pdf")), kPDF);
    QTextDocument document;
    readBack(document);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("Before\n%1\nAfter\n%1").arg(QChar(0xFFFC)));
}

TEST_F(RichTextNote, AnAttachmentThatCannotBeSavedIsLeftOut)
{
    auto n = note(QStringLiteral("<div>Only text</div>"), R"({"id": "gone", "name": "gone.pdf", "file": "missing.pdf"})",
                  QStringLiteral(R"("gone")"));
    platform::Error error;
    ASSERT_TRUE(m_operation->createRichTextFileForNote(*n, packageURL(), &error));
    EXPECT_EQ(tree(packagePath()), QStringList{QStringLiteral("TXT.rtf")});
    QTextDocument document;
    readBack(document);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("Only text"));
    EXPECT_EQ(m_operation->summary().attachmentsLeftOut, QStringList{QStringLiteral("Note: gone.pdf (its file is missing)")});
}

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

TEST_F(RichTextNote, EveryPageOfAnExportHasTheFirstPagesStyleSheet)
{
    const std::optional<QByteArray> first = m_operation->completeHTMLForHTMLFragment(QStringLiteral("<div>a</div>"));
    const QString css = m_operation->noteStylesCSSString();
    OTLNoteTextStyle::titleNoteTextStyle()->setFontSize(31);
    const std::optional<QByteArray> second = m_operation->completeHTMLForHTMLFragment(QStringLiteral("<div>a</div>"));
    EXPECT_EQ(m_operation->noteStylesCSSString(), css);
    // A new export takes the changed style.
    EXPECT_TRUE(std::make_shared<ExportNoteOperation>()->noteStylesCSSString().contains("font-size: 31.0px"));
    OTLNoteTextStyle::reloadStylesFromDefaults();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(*first, *second);
    EXPECT_FALSE(first->contains("31.0px"));
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

TEST_F(RichTextNote, ReplacesAnExistingPackageWhole)
{
    auto n = note(QStringLiteral("<div>new</div>"), "", QString());
    writeFile(packagePath() + QStringLiteral("/TXT.rtf"), "{\\rtf1 old}");
    writeFile(packagePath() + QStringLiteral("/stale.pdf"), "old");
    platform::Error error;
    ASSERT_TRUE(m_operation->createRichTextFileForNote(*n, packageURL(), &error));
    EXPECT_EQ(tree(m_out.path()), (QStringList{QStringLiteral("Note.rtfd/"), QStringLiteral("Note.rtfd/TXT.rtf")}));
    QTextDocument document;
    readBack(document);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("new"));
}
