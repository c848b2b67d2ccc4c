#include "platform/Color.h"

#include <array>
#include <gtest/gtest.h>

using platform::Color;
using platform::ColorList;
using platform::ColorRef;
using Space = Color::Space;
using RGBA = std::array<double, 4>;

namespace {

RGBA rgba(const ColorRef& color)
{
    const auto c = color ? color->rgba() : std::nullopt;
    return c ? RGBA{c->red, c->green, c->blue, c->alpha} : RGBA{-1, -1, -1, -1};
}

} // namespace

TEST(Color, ConversionsBetweenSpacesAndKinds)
{
    EXPECT_EQ(rgba(Color::withWhite(0.7, 0.5)->usingColorSpace(Space::DeviceRGB)), (RGBA{0.7, 0.7, 0.7, 0.5}));
    EXPECT_NEAR(Color::withRGBA(1, 1, 1, 0.5)->usingColorSpace(Space::Gray)->whiteAlpha()->white, 1.0, 1e-12);

    const ColorRef crayon = ColorList::named(QStringLiteral("Crayons"))->colorWithKey(QStringLiteral("Licorice"));
    EXPECT_EQ(rgba(crayon->usingColorSpace(Space::DeviceRGB)), (RGBA{0, 0, 0, 1}));
    EXPECT_FALSE(Color::withWhite(1, 1)->usingType(Color::Type::Catalog));
}

TEST(Color, PatternHasNoComponentFormAndNothingCrashes)
{
    const ColorRef pattern = Color::pattern(QStringLiteral("Paper"));
    EXPECT_EQ(pattern->type(), Color::Type::Pattern);
    EXPECT_FALSE(pattern->usingColorSpace(Space::DeviceRGB) || pattern->usingColorSpace(Space::Gray));
    EXPECT_FALSE(pattern->usingType(Color::Type::ComponentBased) || pattern->shadowWithLevel(0.1));
    EXPECT_FALSE(pattern->rgba() || pattern->hsba() || pattern->whiteAlpha());
}

TEST(Color, ColourListsAndMissingKeys)
{
    EXPECT_FALSE(ColorList::named(QStringLiteral("Nope")));
    EXPECT_FALSE(Color::named(QStringLiteral("NoSuchColor")));
    const auto apple = ColorList::named(QStringLiteral("Apple"));
    ASSERT_TRUE(apple);
    EXPECT_TRUE(apple->allKeys().contains(QStringLiteral("Black")));
    EXPECT_FALSE(apple->colorWithKey(QStringLiteral("Snow")));

    const ColorRef snow = ColorList::named(QStringLiteral("Crayons"))->colorWithKey(QStringLiteral("Snow"));
    ASSERT_TRUE(snow);
    EXPECT_EQ(snow->catalogNameComponent(), QStringLiteral("Snow"));
    EXPECT_EQ(snow->colorListName(), QStringLiteral("Crayons"));
    EXPECT_EQ(rgba(snow->usingColorSpace(Space::DeviceRGB)), (RGBA{1, 1, 1, 1}));
}
