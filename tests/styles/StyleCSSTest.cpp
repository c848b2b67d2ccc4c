#include "styles/StyleTestSupport.h"

#include <limits>

using namespace platform;
using namespace stylestest;

namespace {

using StyleCSSTest = CatalogueTest;

QString rule(const char* element, const char* margin, const char* family, const char* size, const char* color,
             const char* extra = "")
{
    return QString::asprintf("%s {margin: 0.0px 0.0px %s 0.0px; font-family: %s; font-size: %s; color: %s; "
                             "text-align: inherit; text-decoration: none%s}\n",
                             element, margin, family, size, color, extra);
}

} // namespace

TEST_F(StyleCSSTest, DefaultSheetInEitherAppearance)
{
    // A black note background counts as none; a chosen one forces black text, but
    // not over a colour a style chose.
    const struct {
        Appearance appearance;
        ColorRef noteBackground;
        const char* text;
        const char* background;
        ColorRef headingColor = nullptr; // saved for the heading
        const char* heading = nullptr;   // its colour in the sheet; the text's when null
    } cases[] = {
        {Appearance::Light, nullptr, "rgb(0, 0, 0)", "; background: rgb(255, 255, 255)"},
        {Appearance::Dark, nullptr, "rgba(255, 255, 255, 0.85)", "; background: rgb(31, 31, 31)"},
        {Appearance::Dark, Color::black(), "rgba(255, 255, 255, 0.85)", "; background: rgb(31, 31, 31)"},
        {Appearance::Dark, Color::withRGBA(1, 1, 0.8, 1), "rgb(0, 0, 0)", "; background: rgb(255, 255, 204)",
         Color::withRGBA(0, 0, 1, 1), "rgb(0, 0, 255)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.background);
        if (c.noteBackground) {
            ASSERT_TRUE(
                fw::archiveObject(UserDefaults::standard(), QVariant::fromValue(c.noteBackground), kBackgroundKey));
        }
        if (c.headingColor) {
            auto heading = OTLNoteTextStyle::defaultHeadingNoteTextStyle();
            heading->setForegroundColor(c.headingColor);
            saveStyles({heading});
        }
        setAppearance(c.appearance);
        EXPECT_EQ(OTLNoteTextStyle::shouldForceLightAppearance(), c.headingColor != nullptr);
        EXPECT_EQ(OTLNoteTextStyle::CSSDeclarationForStandardStyles(),
                  rule("h1", "0.0px", "Helvetica Neue", "17.0px", c.text) +
                      rule("h2", "2.0px", "Helvetica Neue", "14.0px", c.heading ? c.heading : c.text) +
                      rule("h3", "2.0px", "Helvetica Neue", "13.0px", c.text) +
                      rule("body", "0.0px", "Helvetica Neue", "12.0px", c.text, c.background) +
                      rule("tt", "0.0px", "Menlo", "12.0px", c.text));
    }
}

// Saved styles come from another program: any finite number is printed in
// full, one decimal, and nothing but what was written reaches the sheet.
TEST_F(StyleCSSTest, HugeSpacingAndLineHeightArePrintedInFullWithTheAlignment)
{
    const std::tuple<double, TextAlignment, const char*> cases[] = {
        {1e62, TextAlignment::Left, "left"},
        {1e63, TextAlignment::Right, "right"},
        {1e300, TextAlignment::Center, "center"},
        {std::numeric_limits<double>::max(), TextAlignment::Justified, "justify"},
        {123456789.3, TextAlignment::Natural, "inherit"},
        {0.05, TextAlignment::Left, "left"},
    };
    for (const auto& [value, alignment, keyword] : cases) {
        SCOPED_TRACE(value);
        auto style = OTLNoteTextStyle::defaultTitleNoteTextStyle();
        ParagraphStyle paragraph;
        paragraph.paragraphSpacing = value;
        paragraph.lineHeightMultiple = value;
        paragraph.alignment = alignment;
        style->setParagraphStyle(paragraph);
        const QString css = style->CSSDeclaration();
        // Qt's own formatting, independent of ours and of the C locale.
        const QString number = QString::number(value, 'f', 1);
        EXPECT_TRUE(css.startsWith(QStringLiteral("h1 {margin: 0.0px 0.0px ") + number + QStringLiteral("px 0.0px; ")))
            << css.left(400).toStdString();
        EXPECT_TRUE(css.contains(QStringLiteral("; line-height: ") + number + QStringLiteral("; ")));
        EXPECT_TRUE(css.contains(QStringLiteral("; text-align: ") + QLatin1String(keyword) + u';'));
        for (const QChar c : css)
            ASSERT_TRUE(c.unicode() >= 0x20 && c.unicode() < 0x7F) << "unwritten byte " << int(c.unicode());
    }
}
