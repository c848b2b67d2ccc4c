#include "colors/CSSColorParsing.h"
#include "colors/HTMLColorsScanner.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

using platform::ColorRef;
using platform::Scanner;

namespace {

void expectRGBA(const ColorRef& color, double r, double g, double b, double a)
{
    ASSERT_TRUE(color);
    const auto c = color->rgba();
    ASSERT_TRUE(c);
    EXPECT_NEAR(c->red, r, 1e-6);
    EXPECT_NEAR(c->green, g, 1e-6);
    EXPECT_NEAR(c->blue, b, 1e-6);
    EXPECT_NEAR(c->alpha, a, 1e-9);
}

void expectWhite(const ColorRef& color, double white, double alpha)
{
    ASSERT_TRUE(color);
    const auto c = color->whiteAlpha();
    ASSERT_TRUE(c);
    EXPECT_DOUBLE_EQ(c->white, white);
    EXPECT_DOUBLE_EQ(c->alpha, alpha);
}

TEST(CSSColorHex, ShortAndLongFormsAgree)
{
    expectRGBA(otl::colorWithHexString("#F80"), 1.0, 136 / 255.0, 0, 1.0);
    expectRGBA(otl::colorWithHexString("#FF8800"), 1.0, 136 / 255.0, 0, 1.0);
    expectRGBA(otl::colorWithHexString("#f808"), 1.0, 136 / 255.0, 0, 136 / 255.0);
    expectRGBA(otl::colorWithHexString("#FF880080"), 1.0, 136 / 255.0, 0, 128 / 255.0);
    expectRGBA(otl::colorWithHexString("#1234567"), 0x12 / 255.0, 0x34 / 255.0, 0x56 / 255.0, 1.0);
    expectRGBA(otl::colorWithHexString("\n  #abc \t"), 0xAA / 255.0, 0xBB / 255.0, 0xCC / 255.0, 1.0);
}

TEST(CSSColorHex, RejectsBadLengthsAndGaps)
{
    EXPECT_FALSE(otl::colorWithHexString("#12"));
    EXPECT_FALSE(otl::colorWithHexString("# 123"));
    EXPECT_FALSE(otl::colorWithHexString("#12345"));
    EXPECT_FALSE(otl::colorWithHexString("#123456789"));
    EXPECT_FALSE(otl::colorWithHexString("123"));
    EXPECT_FALSE(otl::colorWithHexString("#12g"));
}

TEST(CSSColorHex, FifthDigitIsLeftUnread)
{
    Scanner scanner("#12345");
    ColorRef color;
    ASSERT_TRUE(hcs::scanHexColor(scanner, &color));
    EXPECT_EQ(scanner.scanLocation(), 5);
    expectRGBA(color, 0x11 / 255.0, 0x22 / 255.0, 0x33 / 255.0, 0x44 / 255.0);
}

TEST(CSSColorRGB, FormsOfRed)
{
    for (const char* text : {"rgb(255, 0, 0)", "RGB( 255 ,0,0 )", "rgb(100%, 0%, 0%)", " rgb(\n255,0,0)\n"})
        expectRGBA(otl::colorWithRGBString(text), 1, 0, 0, 1);
    expectRGBA(otl::colorWithRGBString("rgba(255, 0, 0, 0.5)"), 1, 0, 0, 0.5);
    expectRGBA(otl::colorWithRGBString("RGBA(255, 0, 0, 50%)"), 1, 0, 0, 0.5);
    // Out of range is passed on, not clamped.
    expectRGBA(otl::colorWithRGBString("rgb(510, -255, 0)"), 2, -1, 0, 1);
}

TEST(CSSColorRGB, ArgumentCountMustMatchTheName)
{
    EXPECT_FALSE(otl::colorWithRGBString("rgba(255, 0, 0)"));
    EXPECT_FALSE(otl::colorWithRGBString("rgb(255, 0, 0, 1)"));
    EXPECT_FALSE(otl::colorWithRGBString("rgb(255 0 0)"));
    EXPECT_FALSE(otl::colorWithRGBString("rgb(255, 0, 0"));
    EXPECT_FALSE(otl::colorWithRGBString("rgb(255, 0, 0) x"));
    EXPECT_FALSE(otl::colorWithRGBString("rgbx(255, 0, 0)"));
}

TEST(CSSColorHSL, ConvertsAndWrapsHue)
{
    const ColorRef green = otl::colorWithHSLString("hsl(120, 100%, 50%)");
    ASSERT_TRUE(green);
    const auto hsb = green->hsba();
    ASSERT_TRUE(hsb);
    EXPECT_NEAR(hsb->hue, double(float(120.0 / 360.0)), 1e-6);
    EXPECT_NEAR(hsb->saturation, 1, 1e-6);
    EXPECT_NEAR(hsb->brightness, 1, 1e-6);

    expectRGBA(otl::colorWithHSLString("hsl(360, 100%, 50%)"), 1, 0, 0, 1);
    expectRGBA(otl::colorWithHSLString("hsl(-240, 100%, 50%)"), 0, 1, 0, 1);
    expectRGBA(otl::colorWithHSLString("hsl(0, 0%, 100%)"), 1, 1, 1, 1);
    expectRGBA(otl::colorWithHSLString("HSLA(240, 1, 0.5, 25%)"), 0, 0, 1, 0.25);
    EXPECT_FALSE(otl::colorWithHSLString("hsla(240, 100%, 50%)"));
}

TEST(CSSColorHSL, SaturationCancellingLightnessGivesFiniteBlack)
{
    const ColorRef color = otl::colorWithHSLString("hsl(0, -100%, 25%)");
    ASSERT_TRUE(color);
    const auto hsb = color->hsba();
    ASSERT_TRUE(hsb);
    EXPECT_EQ(hsb->saturation, 0);
    EXPECT_EQ(hsb->brightness, 0);
}

TEST(CSSColorGray, WhiteAndAlphaBothScaledBy255)
{
    expectWhite(otl::colorWithCSS("gray(128)"), double(float(128 / 255.0)), 1.0);
    expectWhite(otl::colorWithCSS("gray(50%, 50%)"), 0.5, 0.5);
    expectWhite(otl::colorWithCSS("GRAY( 128 , 0.5 )"), double(float(128 / 255.0)), double(float(0.5 / 255.0)));
    EXPECT_FALSE(otl::colorWithCSS("gray(128,)"));
    EXPECT_FALSE(otl::colorWithCSS("gray(128, 1, 1)"));
    EXPECT_FALSE(otl::colorWithCSS("gray()"));
}

TEST(CSSColorNames, CaseSpacingAndSpellings)
{
    for (const char* text : {"red", "RED", " Red "})
        expectRGBA(otl::colorWithCSS(text), 1, 0, 0, 1);
    expectRGBA(otl::colorWithCSS("transparent"), 0, 0, 0, 0);
    expectRGBA(otl::colorWithCSS("darkgrey"), 0xA9 / 255.0, 0xA9 / 255.0, 0xA9 / 255.0, 1);
    expectRGBA(otl::colorWithCSS("DarkGray"), 0xA9 / 255.0, 0xA9 / 255.0, 0xA9 / 255.0, 1);
    // Without a parenthesis gray falls through to the name table.
    expectRGBA(otl::colorWithCSS("gray"), 128 / 255.0, 128 / 255.0, 128 / 255.0, 1);
    EXPECT_FALSE(otl::colorWithCSS("redx"));
    EXPECT_FALSE(otl::colorWithCSS("gray(1"));
    EXPECT_FALSE(otl::colorWithW3CNamedColor("#FF0000"));
}

TEST(CSSColorNames, LongestNameWinsAndTrailingTextIsLeft)
{
    Scanner scanner("lightgoldenrodyellowish");
    ColorRef color;
    ASSERT_TRUE(hcs::scanW3CNamedColor(scanner, &color));
    EXPECT_EQ(scanner.scanLocation(), 20);
    expectRGBA(color, 0xFA / 255.0, 0xFA / 255.0, 0xD2 / 255.0, 1);

    expectRGBA(otl::colorWithCSS("LightSlateGrey"), 0x77 / 255.0, 0x88 / 255.0, 0x99 / 255.0, 1);
    expectRGBA(otl::colorWithCSS("bluEviolet"), 0x8A / 255.0, 0x2B / 255.0, 0xE2 / 255.0, 1);
}

TEST(CSSColorScanner, FailedScansLeaveLocationAndFlags)
{
    Scanner scanner("  rgba(1, 2, 3) tail");
    scanner.setCaseSensitive(true);
    ColorRef color = otl::colorWithCSS("red");
    EXPECT_FALSE(hcs::scanCSSColor(scanner, &color));
    EXPECT_FALSE(color);
    EXPECT_EQ(scanner.scanLocation(), 0);
    EXPECT_TRUE(scanner.caseSensitive());
    ASSERT_TRUE(scanner.charactersToBeSkipped());
    EXPECT_TRUE(scanner.charactersToBeSkipped()->contains(u' '));
}

TEST(CSSColorScanner, ColoursInSequence)
{
    Scanner scanner("#fff rgb(0,0,0)\thsl(0,0%,0%) gray(0) navy");
    int count = 0;
    while (hcs::scanCSSColor(scanner))
        ++count;
    EXPECT_EQ(count, 5);
    EXPECT_TRUE(scanner.isAtEnd());
}

TEST(CSSColorScanner, CharactersInSetStopsAtMaxLength)
{
    Scanner scanner("abcabc!");
    const auto set = platform::CharacterSet::withCharacters(u"abc");
    QString read;
    EXPECT_EQ(hcs::hcs_scanCharactersInSet(scanner, set, 4, &read), (hcs::Range{0, 4}));
    EXPECT_EQ(read, "abca");
    EXPECT_EQ(hcs::hcs_scanCharactersInSet(scanner, set, 10, &read), (hcs::Range{4, 2}));
    EXPECT_EQ(hcs::hcs_scanCharactersInSet(scanner, set, 10, &read), (hcs::Range{6, 0}));
    EXPECT_EQ(read, "");
    EXPECT_EQ(hcs::hcs_rangeFromScanLocation(scanner), (hcs::Range{6, 1}));
}

TEST(W3CColorNames, SortedByCodeUnit)
{
    const QStringList names = otl::W3CColorNames();
    ASSERT_EQ(names.size(), 149);
    EXPECT_EQ(names.first(), "AliceBlue");
    EXPECT_EQ(names.last(), "transparent");
    EXPECT_LT(names.indexOf("DarkGoldenRod"), names.indexOf("DarkGray"));
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
}

// Typed from the CSS colour list, independently of the parser's table.
constexpr const char* kStandardColors = R"(
aliceblue f0f8ff antiquewhite faebd7 aqua 00ffff aquamarine 7fffd4 azure f0ffff beige f5f5dc bisque ffe4c4
black 000000 blanchedalmond ffebcd blue 0000ff blueviolet 8a2be2 brown a52a2a burlywood deb887 cadetblue 5f9ea0
chartreuse 7fff00 chocolate d2691e coral ff7f50 cornflowerblue 6495ed cornsilk fff8dc crimson dc143c cyan 00ffff
darkblue 00008b darkcyan 008b8b darkgoldenrod b8860b darkgray a9a9a9 darkgreen 006400 darkgrey a9a9a9 darkkhaki bdb76b
darkmagenta 8b008b darkolivegreen 556b2f darkorange ff8c00 darkorchid 9932cc darkred 8b0000 darksalmon e9967a
darkseagreen 8fbc8f darkslateblue 483d8b darkslategray 2f4f4f darkslategrey 2f4f4f darkturquoise 00ced1
darkviolet 9400d3 deeppink ff1493 deepskyblue 00bfff dimgray 696969 dimgrey 696969 dodgerblue 1e90ff firebrick b22222
floralwhite fffaf0 forestgreen 228b22 fuchsia ff00ff gainsboro dcdcdc ghostwhite f8f8ff gold ffd700 goldenrod daa520
gray 808080 green 008000 greenyellow adff2f grey 808080 honeydew f0fff0 hotpink ff69b4 indianred cd5c5c indigo 4b0082
ivory fffff0 khaki f0e68c lavender e6e6fa lavenderblush fff0f5 lawngreen 7cfc00 lemonchiffon fffacd lightblue add8e6
lightcoral f08080 lightcyan e0ffff lightgoldenrodyellow fafad2 lightgray d3d3d3 lightgreen 90ee90 lightgrey d3d3d3
lightpink ffb6c1 lightsalmon ffa07a lightseagreen 20b2aa lightskyblue 87cefa lightslategray 778899
lightslategrey 778899 lightsteelblue b0c4de lightyellow ffffe0 lime 00ff00 limegreen 32cd32 linen faf0e6
magenta ff00ff maroon 800000 mediumaquamarine 66cdaa mediumblue 0000cd mediumorchid ba55d3 mediumpurple 9370db
mediumseagreen 3cb371 mediumslateblue 7b68ee mediumspringgreen 00fa9a mediumturquoise 48d1cc mediumvioletred c71585
midnightblue 191970 mintcream f5fffa mistyrose ffe4e1 moccasin ffe4b5 navajowhite ffdead navy 000080 oldlace fdf5e6
olive 808000 olivedrab 6b8e23 orange ffa500 orangered ff4500 orchid da70d6 palegoldenrod eee8aa palegreen 98fb98
paleturquoise afeeee palevioletred db7093 papayawhip ffefd5 peachpuff ffdab9 peru cd853f pink ffc0cb plum dda0dd
powderblue b0e0e6 purple 800080 rebeccapurple 663399 red ff0000 rosybrown bc8f8f royalblue 4169e1 saddlebrown 8b4513
salmon fa8072 sandybrown f4a460 seagreen 2e8b57 seashell fff5ee sienna a0522d silver c0c0c0 skyblue 87ceeb
slateblue 6a5acd slategray 708090 slategrey 708090 snow fffafa springgreen 00ff7f steelblue 4682b4 tan d2b48c
teal 008080 thistle d8bfd8 tomato ff6347 turquoise 40e0d0 violet ee82ee wheat f5deb3 white ffffff whitesmoke f5f5f5
yellow ffff00 yellowgreen 9acd32
)";

TEST(W3CColorNames, EveryStandardNameHasItsStandardValue)
{
    const QStringList words =
        QString::fromLatin1(kStandardColors).split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    ASSERT_EQ(words.size(), 2 * 148);
    QStringList tableNames = otl::W3CColorNames();
    tableNames.removeAll("transparent");
    QStringList lowered;
    for (const QString& name : tableNames)
        lowered << name.toLower();
    for (qsizetype i = 0; i < words.size(); i += 2) {
        SCOPED_TRACE(words[i].toStdString());
        EXPECT_TRUE(lowered.contains(words[i]));
        bool ok = false;
        const unsigned rgb = words[i + 1].toUInt(&ok, 16);
        ASSERT_TRUE(ok);
        const ColorRef color = otl::colorWithW3CNamedColor(words[i]);
        expectRGBA(color, (rgb >> 16) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, 1.0);
        EXPECT_TRUE(otl::colorWithCSS(words[i].toUpper()));
    }
}

} // namespace
