#include "colors/CSSColorParsing.h"
#include "colors/HTMLColorsScanner.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

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
    for (const char* bad : {"#12", "# 123", "#12345", "#123456789", "123", "#12g"})
        EXPECT_FALSE(otl::colorWithHexString(bad)) << bad;
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
    for (const char* bad : {"rgba(255, 0, 0)", "rgb(255, 0, 0, 1)", "rgb(255 0 0)", "rgb(255, 0, 0", "rgb(255, 0, 0) x",
                            "rgbx(255, 0, 0)"})
        EXPECT_FALSE(otl::colorWithRGBString(bad)) << bad;
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

    // Saturation cancelling the lightness gives a finite black.
    const ColorRef black = otl::colorWithHSLString("hsl(0, -100%, 25%)");
    ASSERT_TRUE(black && black->hsba());
    EXPECT_EQ(black->hsba()->saturation, 0);
    EXPECT_EQ(black->hsba()->brightness, 0);
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
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
}

TEST(W3CColorNames, SampleOfStandardValues)
{
    // First, last and the grey/gray pairs; the rest share one table.
    const std::pair<const char*, unsigned> samples[] = {
        {"aliceblue", 0xf0f8ff}, {"yellowgreen", 0x9acd32}, {"dimgrey", 0x696969}, {"dimgray", 0x696969},
        {"slategrey", 0x708090}, {"rebeccapurple", 0x663399}, {"mediumvioletred", 0xc71585}, {"cyan", 0x00ffff}};
    for (const auto& [name, rgb] : samples) {
        SCOPED_TRACE(name);
        expectRGBA(otl::colorWithW3CNamedColor(name), (rgb >> 16) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                   (rgb & 0xFF) / 255.0, 1.0);
        EXPECT_TRUE(otl::colorWithCSS(QString::fromLatin1(name).toUpper()));
    }
}

} // namespace
