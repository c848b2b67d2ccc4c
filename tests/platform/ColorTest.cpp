#include "platform/Color.h"

#include <cmath>
#include <gtest/gtest.h>

using platform::Color;
using platform::ColorList;
using platform::ColorRef;
using Space = Color::Space;

namespace {

void expectRGBA(const ColorRef& color, double r, double g, double b, double a)
{
    ASSERT_TRUE(color);
    const auto c = color->rgba();
    ASSERT_TRUE(c);
    EXPECT_DOUBLE_EQ(c->red, r);
    EXPECT_DOUBLE_EQ(c->green, g);
    EXPECT_DOUBLE_EQ(c->blue, b);
    EXPECT_DOUBLE_EQ(c->alpha, a);
}

} // namespace

TEST(Color, ConversionsBetweenSpacesAndKinds)
{
    expectRGBA(Color::withRGBA(0.1, 0.2, 0.3, 0.4)->usingColorSpace(Space::GenericRGB), 0.1, 0.2, 0.3, 0.4);
    expectRGBA(Color::withRGBA(0.1, 0.2, 0.3, 0.4, Space::GenericRGB)->usingColorSpace(Space::DeviceRGB), 0.1, 0.2,
               0.3, 0.4);
    expectRGBA(Color::withWhite(0.7, 0.5)->usingColorSpace(Space::DeviceRGB), 0.7, 0.7, 0.7, 0.5);

    const auto grey = Color::withRGBA(1, 1, 1, 0.5)->usingColorSpace(Space::Gray);
    ASSERT_TRUE(grey);
    EXPECT_NEAR(grey->whiteAlpha()->white, 1.0, 1e-12);

    const ColorRef crayon = ColorList::named(QStringLiteral("Crayons"))->colorWithKey(QStringLiteral("Licorice"));
    expectRGBA(crayon->usingColorSpace(Space::DeviceRGB), 0, 0, 0, 1);
    expectRGBA(crayon->usingType(Color::Type::ComponentBased), 0, 0, 0, 1);
    EXPECT_FALSE(Color::withWhite(1, 1)->usingType(Color::Type::Catalog));
}

TEST(Color, PatternHasNoComponentFormAndNothingCrashes)
{
    const ColorRef pattern = Color::pattern(QStringLiteral("Paper"));
    EXPECT_EQ(pattern->type(), Color::Type::Pattern);
    EXPECT_FALSE(pattern->usingColorSpace(Space::DeviceRGB));
    EXPECT_FALSE(pattern->usingColorSpace(Space::Gray));
    EXPECT_FALSE(pattern->usingType(Color::Type::ComponentBased));
    EXPECT_FALSE(pattern->rgba());
    EXPECT_FALSE(pattern->hsba());
    EXPECT_FALSE(pattern->whiteAlpha());
    EXPECT_FALSE(pattern->shadowWithLevel(0.1));
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
    expectRGBA(snow->usingColorSpace(Space::DeviceRGB), 1, 1, 1, 1);
}

