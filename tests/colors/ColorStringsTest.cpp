#include "colors/ColorExtensions.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using platform::Color;
using platform::ColorRef;
using Space = platform::Color::Space;

TEST(ColorStrings, HexRgbAndHsl)
{
    const ColorRef stripes = Color::pattern("Stripes");
    const struct {
        ColorRef color;
        const char *hex, *rgb, *hsl; // null: none
    } cases[] = {
        {Color::withRGBA(1, 0, 0, 1, Space::GenericRGB), "#FF0000", "rgb(255, 0, 0)", "hsl(0, 100%, 50%)"},
        {Color::withRGBA(1, 0, 0, 0.5, Space::GenericRGB), "#FF000080", "rgba(255, 0, 0, 0.5)",
         "hsla(0, 100%, 50%, 0.5)"},
        {Color::withRGBA(0.5, 0.5, 0.5, 1, Space::GenericRGB), "#808080", "rgb(128, 128, 128)", "hsl(0, 0%, 50%)"},
        {Color::withRGBA(0, 1, 0, 1), "#00FF00", "rgb(0, 255, 0)", "hsl(120, 100%, 50%)"},
        {Color::withRGBA(0, 0, 0, 1), "#000000", "rgb(0, 0, 0)", "hsl(0, 0%, 0%)"},
        {Color::withRGBA(0, 0, 1, 1), "#0000FF", "rgb(0, 0, 255)", "hsl(240, 100%, 50%)"},
        // A hue just under a full turn rounds up to 360 and wraps to 0.
        {Color::withHSBA(0.9999, 1, 1, 1), "#FF0000", "rgb(255, 0, 0)", "hsl(0, 100%, 50%)"},
        // Light colours take the other branch of the saturation formula.
        {Color::withRGBA(1, 0.5, 0.5, 1), "#FF8080", "rgb(255, 128, 128)", "hsl(0, 100%, 75%)"},
        {Color::withRGBA(0.25, 0.5, 0.5, 1), "#408080", "rgb(64, 128, 128)", "hsl(180, 33%, 38%)"},
        {Color::withWhite(0.2, 0.5), "#33333380", "rgba(51, 51, 51, 0.5)", "hsla(0, 0%, 20%, 0.5)"},
        // A catalogue colour has RGB components but no hue of its own.
        {platform::ColorList::named("Crayons")->colorWithKey("Snow"), "#FFFFFF", "rgb(255, 255, 255)", nullptr},
        // A pattern has neither components nor a white.
        {stripes, nullptr, nullptr, nullptr},
        {nullptr, nullptr, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rgb ? c.rgb : "none");
        EXPECT_EQ(otl::hexStringValue(c.color), QString::fromLatin1(c.hex));
        EXPECT_EQ(otl::rgbStringValue(c.color), QString::fromLatin1(c.rgb));
        EXPECT_EQ(otl::hslStringValue(c.color), QString::fromLatin1(c.hsl));
    }
    EXPECT_FALSE(otl::hcsGetRedGreenBlueAlpha(stripes, nullptr, nullptr, nullptr, nullptr));
    double red = -1, alpha = -1;
    EXPECT_TRUE(otl::hcsGetRedGreenBlueAlpha(Color::withWhite(0.25, 0.75), &red, nullptr, nullptr, &alpha));
    EXPECT_EQ(std::pair(red, alpha), std::pair(0.25, 0.75));
}
