#include "colors/ColorExtensions.h"

#include <cmath>
#include <gtest/gtest.h>

using platform::Color;
using Space = platform::Color::Space;

TEST(ColorStrings, HexRgbAndHslOfPlainColours)
{
    const auto red = Color::withRGBA(1, 0, 0, 1, Space::GenericRGB);
    const auto halfRed = Color::withRGBA(1, 0, 0, 0.5, Space::GenericRGB);
    const auto grey = Color::withRGBA(0.5, 0.5, 0.5, 1, Space::GenericRGB);
    EXPECT_EQ(otl::hexStringValue(red), "#FF0000");
    EXPECT_EQ(otl::hexStringValue(halfRed), "#FF000080");
    EXPECT_EQ(otl::hexStringValue(grey), "#808080");
    EXPECT_EQ(otl::rgbStringValue(red), "rgb(255, 0, 0)");
    EXPECT_EQ(otl::rgbStringValue(halfRed), "rgba(255, 0, 0, 0.5)");
    EXPECT_EQ(otl::rgbStringValue(grey), "rgb(128, 128, 128)");
    EXPECT_EQ(otl::hslStringValue(Color::withRGBA(0, 1, 0, 1)), "hsl(120, 100%, 50%)");
    EXPECT_EQ(otl::hslStringValue(Color::withRGBA(1, 1, 1, 1)), "hsl(0, 0%, 100%)");
    EXPECT_EQ(otl::hslStringValue(Color::withRGBA(0, 0, 0, 1)), "hsl(0, 0%, 0%)");
}

TEST(ColorStrings, GreyCatalogueAndPatternColours)
{
    EXPECT_EQ(otl::rgbStringValue(Color::withWhite(0.2, 1)), "rgb(51, 51, 51)");
    EXPECT_EQ(otl::hslStringValue(Color::withWhite(0.2, 0.5)), "hsla(0, 0%, 20%, 0.5)");
    const auto snow = platform::ColorList::named("Crayons")->colorWithKey("Snow");
    EXPECT_EQ(otl::rgbStringValue(snow), "rgb(255, 255, 255)");
    // A pattern has neither components nor a white.
    EXPECT_TRUE(otl::rgbStringValue(Color::pattern("Stripes")).isNull());
    EXPECT_TRUE(otl::hexStringValue(Color::pattern("Stripes")).isNull());
    EXPECT_TRUE(otl::hslStringValue(Color::pattern("Stripes")).isNull());
    EXPECT_TRUE(otl::rgbStringValue(nullptr).isNull());
    EXPECT_FALSE(otl::hcsGetRedGreenBlueAlpha(Color::pattern("Stripes"), nullptr, nullptr, nullptr, nullptr));

    double red = -1, alpha = -1;
    EXPECT_TRUE(otl::hcsGetRedGreenBlueAlpha(Color::withWhite(0.25, 0.75), &red, nullptr, nullptr, &alpha));
    EXPECT_EQ(red, 0.25);
    EXPECT_EQ(alpha, 0.75);
}

TEST(ColorStrings, HslHueWrapsAndLightColours)
{
    // A hue just under a full turn rounds up to 360 and wraps to 0.
    EXPECT_EQ(otl::hslStringValue(Color::withHSBA(0.9999, 1, 1, 1)), "hsl(0, 100%, 50%)");
    EXPECT_EQ(otl::hslStringValue(Color::withRGBA(0, 0, 1, 1)), "hsl(240, 100%, 50%)");
    // Light colours take the other branch of the saturation formula.
    EXPECT_EQ(otl::hslStringValue(Color::withRGBA(1, 0.5, 0.5, 1)), "hsl(0, 100%, 75%)");
    EXPECT_EQ(otl::hslStringValue(Color::withRGBA(0.25, 0.5, 0.5, 1)), "hsl(180, 33%, 38%)");
}
