#include "colors/CSSColorParsing.h"
#include "colors/HTMLColorsScanner.h"

#include <gtest/gtest.h>

#include <algorithm>

using platform::ColorRef;

namespace {

// What each parser makes of a text: its RGBA, or nothing when alpha is negative.
TEST(CSSColor, EachParserReadsItsOwnFormsOnly)
{
    const double k88 = 136 / 255.0, kA9 = 0xA9 / 255.0;
    const struct {
        ColorRef (*parse)(const QString&);
        const char* text;
        double r, g, b, a;
    } cases[] = {
        {otl::colorWithHexString, "#F80", 1, k88, 0, 1},
        {otl::colorWithHexString, "#1234567", 0x12 / 255.0, 0x34 / 255.0, 0x56 / 255.0, 1},
        {otl::colorWithHexString, "#12345", 0, 0, 0, -1},
        // Out of range is passed on, not clamped; the argument count must match the name.
        {otl::colorWithRGBString, "RGB( 100% ,0,0 )", 1, 0, 0, 1},
        {otl::colorWithRGBString, "rgb(510, -255, 0)", 2, -1, 0, 1},
        {otl::colorWithRGBString, "rgb(255, 0, 0) x", 0, 0, 0, -1},
        {otl::colorWithCSS, " Red ", 1, 0, 0, 1},
        {otl::colorWithCSS, "DarkGray", kA9, kA9, kA9, 1},
        {otl::colorWithW3CNamedColor, "#FF0000", 0, 0, 0, -1},
        {otl::colorWithW3CNamedColor, "YellowGreen", 0x9A / 255.0, 0xCD / 255.0, 0x32 / 255.0, 1},
        // Hue wraps either way; saturation cancelling the lightness gives a finite black.
        {otl::colorWithHSLString, "hsl(120, 100%, 50%)", 0, 1, 0, 1},
        {otl::colorWithHSLString, "hsl(360, 100%, 50%)", 1, 0, 0, 1},
        {otl::colorWithHSLString, "hsl(-240, 100%, 50%)", 0, 1, 0, 1},
        {otl::colorWithHSLString, "hsl(0, 0%, 100%)", 1, 1, 1, 1},
        {otl::colorWithHSLString, "HSLA(240, 1, 0.5, 25%)", 0, 0, 1, 0.25},
        {otl::colorWithHSLString, "hsla(240, 100%, 50%)", 0, 0, 0, -1},
        {otl::colorWithHSLString, "hsl(0, -100%, 25%)", 0, 0, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const ColorRef color = c.parse(QString::fromLatin1(c.text));
        const auto rgba = color ? color->rgba() : std::nullopt;
        EXPECT_EQ(bool(color), c.a >= 0);
        ASSERT_EQ(bool(rgba), c.a >= 0);
        if (!rgba)
            continue;
        EXPECT_NEAR(rgba->red, c.r, 1e-6);
        EXPECT_NEAR(rgba->green, c.g, 1e-6);
        EXPECT_NEAR(rgba->blue, c.b, 1e-6);
        EXPECT_NEAR(rgba->alpha, c.a, 1e-9);
    }
    // gray() scales both white and alpha by 255.
    const std::tuple<const char*, double, double> grays[] = {
        {"GRAY( 128 , 0.5 )", double(float(128 / 255.0)), double(float(0.5 / 255.0))}, {"gray(50%, 50%)", 0.5, 0.5}};
    for (const auto& [text, white, alpha] : grays) {
        const ColorRef color = otl::colorWithCSS(QString::fromLatin1(text));
        const auto c = color ? color->whiteAlpha() : std::nullopt;
        ASSERT_TRUE(c) << text;
        EXPECT_DOUBLE_EQ(c->white, white);
        EXPECT_DOUBLE_EQ(c->alpha, alpha);
    }
    const QStringList names = otl::W3CColorNames();
    EXPECT_EQ(names.size(), 149);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    // A run stops at the length it is given; the range ahead starts where it stopped.
    platform::Scanner scanner(QStringLiteral("abcabc!"));
    QString read;
    EXPECT_EQ(hcs::hcs_scanCharactersInSet(scanner, platform::CharacterSet::withCharacters(u"abc"), 4, &read),
              (hcs::Range{0, 4}));
    EXPECT_EQ(read, "abca");
    EXPECT_EQ(hcs::hcs_rangeFromScanLocation(scanner), (hcs::Range{4, 3}));
}

} // namespace
