#include "platform/RichText.h"

#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

// What the reader makes of `rtf` in a document that held text before.
QString plain(const QByteArray& rtf)
{
    QTextDocument document(QStringLiteral("old"));
    platform::Error error;
    if (!platform::readRichText(rtf, document, &error)) {
        const bool emptied = document.isEmpty() && error.domain() == QLatin1String(platform::kRichTextErrorDomain);
        return emptied ? QStringLiteral("(refused)") : QStringLiteral("(refused, not emptied)");
    }
    // The raw text keeps no-break spaces, which toPlainText() turns into blanks.
    return document.toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

// One line per paragraph: its alignment and margins where set, then each
// run of text with what is set on it: bold, italic, underline, the size,
// the colours and the link.
QString described(const QByteArray& rtf)
{
    QTextDocument document;
    EXPECT_TRUE(platform::readRichText(rtf, document));
    QStringList lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat paragraph = block.blockFormat();
        QStringList line;
        if (paragraph.alignment() == Qt::AlignHCenter)
            line << QStringLiteral("centred");
        if (paragraph.leftMargin() != 0 || paragraph.textIndent() != 0)
            line << QStringLiteral("margin %1 %2").arg(paragraph.leftMargin()).arg(paragraph.textIndent());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            const std::pair<bool, QString> properties[] = {
                {format.fontWeight() == QFont::Bold, QStringLiteral("b")},
                {format.fontItalic(), QStringLiteral("i")},
                {format.fontUnderline(), QStringLiteral("u")},
                {format.hasProperty(QTextFormat::FontPointSize), QStringLiteral("%1pt").arg(format.fontPointSize())},
                {format.hasProperty(QTextFormat::ForegroundBrush), format.foreground().color().name()},
                {format.hasProperty(QTextFormat::BackgroundBrush), "on " + format.background().color().name()},
                {format.isAnchor(), "-> " + format.anchorHref()},
            };
            QStringList set;
            for (const auto& [present, text] : properties)
                if (present)
                    set << text;
            line << u'[' + it.fragment().text() + u'|' + set.join(u' ') + u']';
        }
        lines << line.join(u' ');
    }
    return lines.join(u'\n');
}

} // namespace

// Character formats follow groups; paragraphs, colours and hyperlink fields.
TEST(RichText, FormatsFollowGroupsParagraphsColoursAndLinks)
{
    const std::pair<QByteArray, QString> cases[] = {
        {"{\\rtf1\\ansi\\fs20 plain {\\b bold {\\i both}} \\ul under\\ulnone  {\\fs36 big}\\b on\\b0 off}",
         "[plain |10pt] [bold |b 10pt] [both|b i 10pt] [ |10pt] [under|u 10pt] [ |10pt] [big|18pt] [on|b 10pt] [off|10pt]"},
        {"{\\rtf1 one\\par\\qc\\li300\\fi-150 two\\line three\\par\\pard four}",
         "[one|12pt]\ncentred margin 20 -10 [two\u2028three|12pt]\n[four|12pt]"},
        {"{\\rtf1 a\\tab b\\emdash\\ldblquote c\\rdblquote\\bullet\\endash\\lquote\\rquote}",
         "[a\tb\u2014\u201Cc\u201D\u2022\u2013\u2018\u2019|12pt]"},
        {"{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
         "\\cf1 red\\cf2 blue\\cf0 auto\\cf9\\i missing\\i0{\\cb1 marked}}",
         "[red|12pt #ff0000] [blue|12pt #0000ff] [auto|12pt] [missing|i 12pt] [marked|12pt on #ff0000]"},
        {"{\\rtf1 see {\\field{\\*\\fldinst{HYPERLINK \"https://example.org/a b\"}}{\\fldrslt{\\ul the site}}} and "
         "{\\field{\\*\\fldinst PAGE}{\\fldrslt 3}} {\\field{\\*\\fldinst{HYPERLINK \\\\l \"top\"}}{\\fldrslt up}}}",
         "[see |12pt] [the site|u 12pt -> https://example.org/a b] [ and 3 |12pt] [up|12pt -> top]"},
    };
    for (const auto& [rtf, expected] : cases)
        EXPECT_EQ(described(rtf), expected) << rtf.toStdString();
}

// The text read from escapes, skipped groups and malformed input, which
// must never crash the reader and keeps what it can; what is not rich text
// at all is refused.
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
        {"plain text", QStringLiteral("(refused)")},
    };
    for (const auto& [rtf, text] : cases)
        EXPECT_EQ(plain(rtf), text) << rtf.left(80).toStdString();
}
