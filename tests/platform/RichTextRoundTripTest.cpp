#include "platform/AttributedString.h"
#include "support/FaultyFileManager.h"
#include "platform/FileURL.h"
#include "platform/FileWrapper.h"
#include "platform/HTMLImport.h"
#include "platform/RTFDWriter.h"
#include "platform/RichText.h"
#include "support/FileFaults.h"
#include "support/TestSupport.h"
#include "support/TextDocumentSupport.h"

#include <QFileInfo>
#include <QTextDocument>
#include <QTextImageFormat>
#include <cerrno>
#include <gtest/gtest.h>
#include <tuple>

using namespace platform;
using testsupport::formatOfText;

namespace {

AttributeDictionary attributes(FontRef font)
{
    AttributeDictionary dictionary;
    dictionary.set(NSFontAttributeName, std::move(font));
    return dictionary;
}

} // namespace

TEST(RTFDWriter, TextAndCharacterStylesComeBackEscapesIncluded)
{
    const QString original = "Braces {} and \\ back\tslash — café 京都 😀\nsecond\u2028line";
    const QByteArray rtf = rtfFromAttributedString(AttributedString(original));
    QTextDocument document;
    ASSERT_TRUE(readRichText(rtf, document));
    EXPECT_EQ(document.toPlainText(), QString(original).replace(QChar(0x2028), u'\n')); // plain text shows a line break
    // Everything outside ASCII is escaped.
    EXPECT_TRUE(std::all_of(rtf.begin(), rtf.end(), [](char c) { return uchar(c) < 0x80; }));

    AttributedString text;
    AttributeDictionary styled = attributes(fontWithTraits(QStringLiteral("Helvetica Neue"), 17, true, true));
    styled.set(NSUnderlineStyleAttributeName, NSUnderlineStyleSingle);
    styled.set(NSStrikethroughStyleAttributeName, NSUnderlineStyleSingle);
    styled.set(NSForegroundColorAttributeName, Color::withRGBA(1, 0, 0, 1));
    styled.set(NSBackgroundColorAttributeName, Color::withRGBA(0, 0, 1, 1));
    text.append(QStringLiteral("styled"), styled);
    text.append(QStringLiteral("plain"), attributes(fontWithTraits(QStringLiteral("Menlo"), 12, false, false)));
    AttributeDictionary link = attributes(fontWithTraits(QStringLiteral("Menlo"), 12, false, false));
    link.set(NSLinkAttributeName, QUrl(QStringLiteral("https://example.org/a b?q=\"x\"")));
    text.append(QStringLiteral("link"), link);

    document.clear();
    ASSERT_TRUE(readRichText(rtfFromAttributedString(text), document));
    EXPECT_EQ(document.toPlainText(), QStringLiteral("styledplainlink"));
    const auto style = [&](const QString& text) {
        const QTextCharFormat f = formatOfText(document, text);
        return std::tuple(f.fontFamilies().toStringList(), f.fontPointSize(), f.fontWeight(), f.fontItalic(),
                          f.fontUnderline(), f.fontStrikeOut());
    };
    EXPECT_EQ(style("styled"), std::tuple(QStringList{"Helvetica Neue"}, 17.0, int(QFont::Bold), true, true, true));
    EXPECT_EQ(style("plain"), std::tuple(QStringList{"Menlo"}, 12.0, int(QFont::Normal), false, false, false));
    const QTextCharFormat first = formatOfText(document, QStringLiteral("styled"));
    EXPECT_EQ(first.foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(first.background().color(), QColor(0, 0, 255));
    EXPECT_EQ(formatOfText(document, "link").anchorHref(), "https://example.org/a%20b?q=%22x%22");
}

TEST(RichTextReader, AttachmentReferencesWithoutTheirCharacterStillCount)
{
    QTextDocument document;
    ASSERT_TRUE(readRichText("{\\rtf1 a{{\\NeXTGraphic f.pdf \\width20 \\height40}}b\\par {\\NeXTGraphic g.pdf}", document));
    EXPECT_EQ(document.toPlainText(), QStringLiteral("a%1b\n%1").arg(QChar(0xFFFC)));
    const QTextCharFormat format = formatOfText(document, QString(QChar(0xFFFC)));
    EXPECT_EQ(format.toImageFormat().name(), QStringLiteral("f.pdf"));
    EXPECT_EQ(format.toImageFormat().width(), 1);
    EXPECT_EQ(format.toImageFormat().height(), 2);
}

TEST(FileWrapper, WritesWholePackagesAtomicallyOrNone)
{
    testsupport::TempDir dir;
    const QUrl target = fileurl::fromPath(dir.filePath("doc.rtfd"), true);
    const auto write = [&](std::vector<FileWrapper> files, Error* error) {
        return FileWrapper::directory({}, std::move(files)).writeToURL(target, true, error);
    };
    testsupport::writeFile(dir.filePath("doc.rtfd"), "a plain file in the way");
    ASSERT_TRUE(write({FileWrapper::regularFile("TXT.rtf", "new")}, nullptr));
    const QStringList written{"doc.rtfd/", "doc.rtfd/TXT.rtf"};
    EXPECT_EQ(testsupport::tree(dir.path()), written);

    Error error;
    for (const QString& bad : {QString("../escape"), QString(".."), QString()}) {
        EXPECT_FALSE(write({FileWrapper::regularFile("ok", "1"), FileWrapper::regularFile(bad, "2")}, &error));
        EXPECT_FALSE(error.localizedDescription().isEmpty());
        // The old package stays whole and nothing is left beside it.
        EXPECT_EQ(testsupport::tree(dir.path()), written);
    }
    {
        // A full disk fails with the system's reason, naming the file, and leaves the old package.
        FaultyFileManager fullDisk(ENOSPC, 2);
        testsupport::FileManagerReplacement replacement(&fullDisk);
        EXPECT_FALSE(write({FileWrapper::regularFile("TXT.rtf", "too long")}, &error));
        EXPECT_EQ(error.localizedDescription(), "The file “TXT.rtf” couldn’t be saved: No space left on device.");
        EXPECT_EQ(testsupport::readFile(dir.filePath("doc.rtfd/TXT.rtf")), "new");
        EXPECT_EQ(testsupport::tree(dir.path()), written);
    }

    // An attachment backed by a file is copied when written, not before.
    const QString source = dir.filePath("big.pdf");
    testsupport::writeFile(source, "%PDF-1.4 first");
    auto attachment = std::make_shared<TextAttachment>();
    attachment->fileName = "big.pdf";
    attachment->contentsFilePath = source;
    AttributedString text(QStringLiteral("see "));
    text.append(AttributedString::withAttachment(attachment));
    const std::optional<FileWrapper> package = rtfdFileWrapper(text);
    ASSERT_TRUE(package);
    EXPECT_TRUE(package->children[1].regularFileContents.isEmpty());
    testsupport::writeFile(source, "%PDF-1.4 as written"); // what is on disk when written counts
    const QString note = dir.filePath("Note.rtfd");
    ASSERT_TRUE(package->writeToURL(fileurl::fromPath(note, true), true, &error))
        << error.localizedDescription().toStdString();
    EXPECT_EQ(testsupport::readFile(note + "/big.pdf"), "%PDF-1.4 as written");
    // A source gone by then fails the package, naming the file.
    QFile::remove(source);
    const QString other = dir.filePath("Other.rtfd");
    EXPECT_FALSE(package->writeToURL(fileurl::fromPath(other, true), true, &error));
    EXPECT_TRUE(error.localizedDescription().contains("“big.pdf”")) << error.localizedDescription().toStdString();
    EXPECT_FALSE(QFileInfo::exists(other));
}

TEST(HTMLImport, KeepsStructureAndDropsWhatIsNotText)
{
    const QByteArray page = R"(<html><head><style>h2 {font-size: 14.5px; font-family: Menlo}</style></head><body>
        <h2>Head</h2><ul><li>one</li><li>two</li></ul><ol><li>first</li></ol>
        <p><s>gone</s> <u>under</u> <span style="color: #00ff00">green</span> <img src="/etc/passwd">
        <a href="https://example.org">site</a></p></body></html>)";
    Error error;
    const std::optional<AttributedString> text = attributedStringFromHTML(page, &error);
    ASSERT_TRUE(text) << error.localizedDescription().toStdString();
    // The picture from a local file is left out.
    EXPECT_EQ(text->string().split(u'\n'),
              (QStringList{"Head", "\t•\tone", "\t•\ttwo", "\t1.\tfirst", "gone under green  site"}));

    const AttributeDictionary& head = text->attributesAt(0);
    const FontRef font = head.value(NSFontAttributeName)->font();
    EXPECT_EQ(std::pair(font->pointSize(), font->familyName()), std::pair(14.5, QString("Menlo")));
    EXPECT_EQ(head.value(NSParagraphStyleAttributeName)->paragraphStyle()->headerLevel, 2);

    const auto of = [&](const char* word) {
        return text->attributesAt(int(text->string().indexOf(QLatin1String(word))));
    };
    EXPECT_TRUE(of("gone").contains(NSStrikethroughStyleAttributeName));
    EXPECT_TRUE(of("under").contains(NSUnderlineStyleAttributeName));
    EXPECT_EQ(of("green").value(NSForegroundColorAttributeName)->color()->rgba()->green, 1.0);
    EXPECT_EQ(*of("site").value(NSLinkAttributeName)->link(), QUrl(QStringLiteral("https://example.org")));
}

// Pictures from data URLs stay where the page has them, each a file of the
// package named in the RTF with its size; nothing else becomes a picture.
TEST(HTMLImport, PicturesStayWhereThePageHasThem)
{
    const QByteArray png = testsupport::imageBytes("PNG", Qt::red, 3, 2);
    const struct {
        QByteArray body;
        QString expected; // '@' stands for an attachment character
    } cases[] = {
        {"<div>before <img src=\"data:image/png;base64," + png.toBase64() + "\"> after</div>", "before @ after"},
        {R"(<div>x<img src="data:text/plain;base64,aGk=">y</div>)", "xy"},
        {R"(<div>x<img src="data:image/png;base64,@@@">y</div>)", "xy"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body.left(60).toStdString());
        const auto text = attributedStringFromHTML("<html><body>" + c.body + "</body></html>");
        ASSERT_TRUE(text);
        const QString expected = QString(c.expected).replace(u'@', QChar(NSAttachmentCharacter));
        EXPECT_EQ(text->string(), expected);
        const qsizetype pictures = c.expected.count(u'@');
        const std::optional<FileWrapper> package = rtfdFileWrapper(*text);
        ASSERT_TRUE(package);
        ASSERT_EQ(qsizetype(package->children.size()), 1 + pictures);
        QTextDocument document;
        ASSERT_TRUE(readRichText(package->children[0].regularFileContents, document));
        EXPECT_EQ(document.toPlainText(), expected);
        if (pictures > 0) {
            EXPECT_EQ(package->children[1].regularFileContents, png);
            EXPECT_TRUE(package->children[1].preferredFilename.endsWith(QLatin1String(".png")));
            const QTextImageFormat format = formatOfText(document, QString(QChar(0xFFFC))).toImageFormat();
            EXPECT_EQ(std::pair(format.width(), format.height()), std::pair(3.0, 2.0));
        }
    }
}

// The page's body rule is inherited as in a browser: an inner element keeps
// its own font and size, while text with none of its own takes the body's.
// Where the page's own sheets could also select the body, the rule stays in
// the sheet and still styles the text.
TEST(HTMLImport, TheBodyRuleIsInheritedNotForcedOnEveryElement)
{
    const QByteArray sheet = "h1 {font-family: Menlo; font-size: 17.0px}\n"
                             "body {margin: 0.0px; font-family: Helvetica Neue; font-size: 12.0px; color: rgb(0, 0, 0)}\n";
    const struct {
        QByteArray extraSheet, body;
        const char* word;
        QString family;
        double size;
        bool quotedFamily = false;
    } cases[] = {
        {"", "<div>plain</div>", "plain", "Helvetica Neue", 12},
        {"", "<h1>head</h1>", "head", "Menlo", 17},
        {"", "<div><code>mono <i>slanted</i></code></div>", "slanted", "monospace", 12},
        {"", "<pre>pre <b>bold</b></pre>", "bold", "monospace", 12},
        {"", R"(<div style="font-family: Courier">cour <i>slanted</i></div>)", "slanted", "Courier", 12},
        // Quotes in the rule are kept.
        {"", "<div>plain</div>", "plain", "Helvetica Neue", 12, true},
        // A later body rule wins, as in a browser.
        {"body {font-size: 20px}", "<div>plain</div>", "plain", "Helvetica Neue", 20},
        // Rules that could also reach the body leave the sheet as it is.
        {"* {color: red}", "<div>plain</div>", "plain", "Helvetica Neue", 12},
        {"@media print {p {color: red}}", "<div>plain</div>", "plain", "Helvetica Neue", 12},
        {"", "<div>plain</div><BODY>", "plain", "Helvetica Neue", 12}, // a second body tag
        // Rules for the elements a page has still apply, however the tags are written.
        {"", "<H1 class=\"x\">head</H1>", "head", "Menlo", 17},
        {"h2, tt {font-family: Courier}", "<div><TT>mono</TT></div>", "mono", "Courier", 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.extraSheet + " " + c.body).toStdString());
        QByteArray rules = sheet;
        if (c.quotedFamily)
            rules.replace("font-family: Helvetica Neue", "font-family: \"Helvetica Neue\"");
        const QByteArray page = "<html><head><style>" + rules + c.extraSheet + "</style></head><body>" + c.body +
                                "</body></html>";
        const auto text = attributedStringFromHTML(page);
        ASSERT_TRUE(text);
        const qsizetype at = text->string().indexOf(QLatin1String(c.word));
        ASSERT_GE(at, 0);
        const FontRef font = text->attributesAt(int(at)).value(NSFontAttributeName)->font();
        EXPECT_EQ(std::pair(font->familyName(), font->pointSize()), std::pair(c.family, c.size));
    }
}

// Qt gives a body's background, margins and padding to the document's frame,
// never to its text, and "text-align: inherit" on the body inherits nothing;
// the page's preparation leaves them out of the body rule it moves to the
// body tag. Each page comes out as its reference does, to the byte.
TEST(HTMLImport, TheBodyBoxAndBackgroundNeverReachTheText)
{
    const QByteArray content = "text <a href=\"https://example.org\">link</a> <b>bold</b><h2>head</h2><ul><li>item</li></ul>"
                               "<table><tr><td>cell</td><td>two</td></tr></table><pre>pre\ntext</pre><div style=\"text-align: "
                               "right\">right</div>";
    const struct {
        QByteArray page, reference;
    } cases[] = {
        // What Qt does with them, written on the body by hand.
        {"<body style=\"background: red; margin: 20pt; padding: 5pt; text-align: inherit\">", "<body>"},
        // A body rule: what reaches the text is kept, the box and background left out.
        {"<style>body {background: red; margin: 20px; padding-left: 3px; text-align: inherit; color: rgb(0, 0, 255)}</style><body>",
         "<body style=\"color: rgb(0, 0, 255)\">"},
        // Semicolons in strings and parentheses belong to their declaration.
        {"<style>body {font-family: \"Courier; New\"; background: url(data:image/png;base64,AAAA); font-size: 14px}</style><body>",
         "<body style='font-family: \"Courier; New\"; font-size: 14pt'>"},
        {"<style>body {font-family: \"Sans;background:none\"}</style><body>", "<body style='font-family: \"Sans;background:none\"'>"},
        // A centred body is inherited.
        {"<style>body {text-align: center}</style><body>", "<body style=\"text-align: center\">"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page.toStdString());
        const auto text = attributedStringFromHTML("<html><head></head>" + c.page + content + "</body></html>");
        const auto reference = attributedStringFromHTML("<html><head></head>" + c.reference + content + "</body></html>");
        ASSERT_TRUE(text && reference);
        EXPECT_EQ(rtfFromAttributedString(*text), rtfFromAttributedString(*reference));
    }
}
