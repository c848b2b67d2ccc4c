#include "colors/ColorExtensions.h"

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
