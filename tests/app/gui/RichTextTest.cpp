#include "platform/RichText.h"
#include "support/TestSupport.h"
#include "support/TextDocumentSupport.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextCursor>
#include <gtest/gtest.h>

namespace {

using testsupport::formatOfText;

QString plain(const QByteArray& rtf)
{
    QTextDocument document;
    EXPECT_TRUE(platform::readRichText(rtf, document));
    // The raw text keeps no-break spaces, which toPlainText() turns into blanks.
    return document.toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

} // namespace

TEST(RichText, BoldItalicUnderlineAndSizesFollowGroups)
{
    QTextDocument document;
    ASSERT_TRUE(platform::readRichText("{\\rtf1\\ansi\\fs20 plain {\\b bold {\\i both}} \\ul under\\ulnone  "
                                       "{\\fs36 big}\\b on\\b0 off}",
                                       document));
    EXPECT_EQ(document.toPlainText(), QStringLiteral("plain bold both under bigonoff"));
    EXPECT_EQ(formatOfText(document, QStringLiteral("plain ")).fontPointSize(), 10);
    EXPECT_EQ(formatOfText(document, QStringLiteral("bold ")).fontWeight(), QFont::Bold);
    EXPECT_FALSE(formatOfText(document, QStringLiteral("bold ")).fontItalic());
    const QTextCharFormat both = formatOfText(document, QStringLiteral("both"));
    EXPECT_EQ(both.fontWeight(), QFont::Bold);
    EXPECT_TRUE(both.fontItalic());
    EXPECT_EQ(formatOfText(document, QStringLiteral(" ")).fontWeight(), QFont::Normal);
    EXPECT_TRUE(formatOfText(document, QStringLiteral("under")).fontUnderline());
    EXPECT_EQ(formatOfText(document, QStringLiteral("big")).fontPointSize(), 18);
    EXPECT_EQ(formatOfText(document, QStringLiteral("on")).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatOfText(document, QStringLiteral("off")).fontWeight(), QFont::Normal);
}

TEST(RichText, ParagraphsAlignmentAndLineBreaks)
{
    QTextDocument document;
    ASSERT_TRUE(platform::readRichText("{\\rtf1 one\\par\\qc\\li300\\fi-150 two\\line three\\par\\pard four}", document));
    ASSERT_EQ(document.blockCount(), 3);
    EXPECT_EQ(document.begin().text(), QStringLiteral("one"));
    EXPECT_EQ(document.findBlockByNumber(1).text(), QStringLiteral("two\u2028three"));
    EXPECT_EQ(document.findBlockByNumber(1).blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(document.findBlockByNumber(1).blockFormat().leftMargin(), 20);
    EXPECT_EQ(document.findBlockByNumber(1).blockFormat().textIndent(), -10);
    EXPECT_EQ(document.findBlockByNumber(2).blockFormat().leftMargin(), 0);
    EXPECT_NE(document.findBlockByNumber(2).blockFormat().alignment(), Qt::AlignHCenter);

    ASSERT_TRUE(platform::readRichText("{\\rtf1 a\\tab b\\emdash\\ldblquote c\\rdblquote\\bullet\\endash\\lquote\\rquote}", document));
    EXPECT_EQ(document.toPlainText(), QStringLiteral("a\tb\u2014\u201Cc\u201D\u2022\u2013\u2018\u2019"));
}

TEST(RichText, ColourTableEntriesAndTheAutomaticColour)
{
    QTextDocument document;
    ASSERT_TRUE(platform::readRichText("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                                       "\\cf1 red\\cf2 blue\\cf0 auto\\cf9\\i missing\\i0{\\cb1 marked}}",
                                       document));
    EXPECT_EQ(document.toPlainText(), QStringLiteral("redblueautomissingmarked"));
    EXPECT_EQ(formatOfText(document, QStringLiteral("red")).foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(formatOfText(document, QStringLiteral("blue")).foreground().color(), QColor(0, 0, 255));
    EXPECT_FALSE(formatOfText(document, QStringLiteral("auto")).hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_FALSE(formatOfText(document, QStringLiteral("missing")).hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_EQ(formatOfText(document, QStringLiteral("marked")).background().color(), QColor(255, 0, 0));
}

TEST(RichText, HyperlinkFieldsBecomeAnchorsOverTheirResult)
{
    QTextDocument document;
    ASSERT_TRUE(platform::readRichText("{\\rtf1 see {\\field{\\*\\fldinst{HYPERLINK \"https://example.org/a b\"}}"
                                       "{\\fldrslt{\\ul the site}}} and {\\field{\\*\\fldinst PAGE}{\\fldrslt 3}} "
                                       "{\\field{\\*\\fldinst{HYPERLINK \\\\l \"top\"}}{\\fldrslt up}}}",
                                       document));
    EXPECT_EQ(document.toPlainText(), QStringLiteral("see the site and 3 up"));
    const QTextCharFormat anchor = formatOfText(document, QStringLiteral("the site"));
    EXPECT_TRUE(anchor.isAnchor());
    EXPECT_EQ(anchor.anchorHref(), QStringLiteral("https://example.org/a b"));
    EXPECT_TRUE(anchor.fontUnderline());
    EXPECT_FALSE(formatOfText(document, QStringLiteral("3")).isAnchor());
    EXPECT_FALSE(formatOfText(document, QStringLiteral(" and ")).isAnchor());
    EXPECT_EQ(formatOfText(document, QStringLiteral("up")).anchorHref(), QStringLiteral("top"));
}

// The text read from escapes, skipped groups and malformed input, which
// must never crash the reader and keeps what it can.
TEST(RichText, PlainTextOfEscapesSkippedGroupsAndMalformedInput)
{
    const QByteArray deep = "{\\rtf1 " + QByteArray(100000, '{') + "deep" + QByteArray(100000, '}') + "}";
    const std::pair<QByteArray, QString> cases[] = {
        // \uN skips one fallback character by default, \uc changes the count,
        // and a negative N is the UTF-16 unit N + 65536.
        {"{\\rtf1 a\\u8212-b}", QStringLiteral("a\u2014b")},
        {"{\\rtf1\\uc2 \\u8364EUR}", QStringLiteral("\u20ACR")},
        {"{\\rtf1\\uc0 \\u233 x}", QStringLiteral("\u00E9x")},
        {"{\\rtf1 \\u-10179\\'3f\\u-8704\\'3f!}", QStringLiteral("\U0001F600!")},
        {"{\\rtf1 {\\uc3 \\u233 ab}cd}", QStringLiteral("\u00E9cd")}, // the group end ends skipping
        {"{\\rtf1 \\'e9\\'80\\'93\\'95 x\\~y\\{\\}\\\\}", QStringLiteral("\u00E9\u20AC\u201C\u2022 x\u00A0y{}\\")},
        {"{\\rtf1{\\fonttbl{\\f0 Helvetica;}}{\\stylesheet{\\s0 Normal;}}{\\*\\expandedcolortbl;;}"
         "{\\*\\unknown {\\b nested} text}{\\info{\\title T}}shown{\\*\\bkmkstart x}\\par}",
         QStringLiteral("shown\n")},
        // A group that is not marked ignorable is read even when its word is unknown.
        {"{\\rtf1{\\madeup kept}}", QStringLiteral("kept")},
        {"{\\rtf1 a{\\*\\pict\\bin4 }{}}}b}", QStringLiteral("ab")}, // binary data never shows as text
        {"{\\rtf1 a}}}} b}", QStringLiteral("a b")},
        {"{\\rtf1 {\\b open", QStringLiteral("open")},
        {"{\\rtf1 x\\", QStringLiteral("x")},
        {"{\\rtf1 x\\'4", QStringLiteral("x4")},
        {"{\\rtf1 \\fs99999999999999 big \\u99999999 ?ok}", QStringLiteral("big ok")},
        {"{\\rtf1{\\field{\\fldrslt dangling}", QStringLiteral("dangling")},
        {deep, QStringLiteral("deep")},
    };
    for (const auto& [rtf, text] : cases)
        EXPECT_EQ(plain(rtf), text) << rtf.left(80).toStdString();
}

TEST(RichText, InputThatIsNotRichTextFailsAndLeavesAnEmptyDocument)
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("old"));
    platform::Error error;
    EXPECT_FALSE(platform::readRichText("plain text", document, &error));
    EXPECT_EQ(error.domain(), QLatin1String(platform::kRichTextErrorDomain));
    EXPECT_TRUE(document.isEmpty());
}

TEST(RichText, TheInformationTextReads)
{
    QTextDocument document;
    const QByteArray info = testsupport::readFile(QStringLiteral(NI_SOURCE_DIR "/resources/Info.rtf"));
    ASSERT_TRUE(platform::readRichText(info, document));
    const QString text = document.toPlainText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Import your notes into Ostrel\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("“Notes Import” in the storage")));
    EXPECT_TRUE(text.contains(QStringLiteral("Your Notes library is not changed")));
    EXPECT_FALSE(text.contains(u'\\'));
    EXPECT_FALSE(text.contains(QStringLiteral("Helvetica")));
    EXPECT_TRUE(formatOfText(document, QStringLiteral("the Ostrel website")).isAnchor());
}
