#include "platform/Color.h"

#include <cmath>
#include <gtest/gtest.h>

using platform::Color;
using platform::ColorList;
using platform::ColorRef;
using Space = Color::Space;

namespace {

class AppearanceGuard {
public:
    AppearanceGuard() : m_saved(platform::currentAppearance()) {}
    ~AppearanceGuard() { platform::setAppearance(m_saved); }

private:
    platform::Appearance m_saved;
};

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

TEST(Color, ComponentReadersAnswerOnlyForTheirOwnSpace)
{
    const ColorRef rgb = Color::withRGBA(0.25, 0.5, 0.75, 0.4);
    EXPECT_EQ(rgb->type(), Color::Type::ComponentBased);
    EXPECT_EQ(rgb->colorSpace(), Space::DeviceRGB);
    expectRGBA(rgb, 0.25, 0.5, 0.75, 0.4);
    EXPECT_FALSE(rgb->whiteAlpha());

    const ColorRef grey = Color::withWhite(0.3, 0.6);
    EXPECT_FALSE(grey->rgba());
    EXPECT_FALSE(grey->hsba());
    ASSERT_TRUE(grey->whiteAlpha());
    EXPECT_DOUBLE_EQ(grey->whiteAlpha()->white, 0.3);
    EXPECT_DOUBLE_EQ(grey->whiteAlpha()->alpha, 0.6);

    const ColorRef apple = ColorList::named(QStringLiteral("Apple"))->colorWithKey(QStringLiteral("White"));
    EXPECT_EQ(apple->type(), Color::Type::Catalog);
    EXPECT_FALSE(apple->rgba());
    EXPECT_FALSE(apple->whiteAlpha());
    EXPECT_FALSE(apple->colorSpace());
}

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

TEST(Color, HSBRoundTripsThroughRGB)
{
    expectRGBA(Color::withHSBA(0, 1, 1, 1), 1, 0, 0, 1);
    expectRGBA(Color::withHSBA(1.0 / 3, 1, 1, 1), 0, 1, 0, 1);
    expectRGBA(Color::withHSBA(2.0 / 3, 1, 0.5, 0.25), 0, 0, 0.5, 0.25);
    expectRGBA(Color::withHSBA(1.0, 1, 1, 1), 1, 0, 0, 1); // a full turn is red again

    const auto hsb = Color::withRGBA(0.2, 0.6, 0.4, 1)->hsba();
    ASSERT_TRUE(hsb);
    EXPECT_NEAR(hsb->hue, 150.0 / 360, 1e-12);
    EXPECT_NEAR(hsb->saturation, 2.0 / 3, 1e-12);
    EXPECT_NEAR(hsb->brightness, 0.6, 1e-12);
    const auto back = Color::withHSBA(hsb->hue, hsb->saturation, hsb->brightness, 1)->rgba();
    EXPECT_TRUE(std::abs(back->red - 0.2) < 1e-12 && std::abs(back->green - 0.6) < 1e-12 && std::abs(back->blue - 0.4) < 1e-12);
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

TEST(Color, SystemColoursFollowTheAppearance)
{
    AppearanceGuard guard;
    const ColorRef background = Color::textBackgroundColor();
    const ColorRef text = Color::textColor();
    EXPECT_EQ(background->type(), Color::Type::Catalog);
    EXPECT_EQ(background->catalogNameComponent(), QStringLiteral("textBackgroundColor"));

    platform::setAppearance(platform::Appearance::Light);
    expectRGBA(background->usingColorSpace(Space::DeviceRGB), 1, 1, 1, 1);
    expectRGBA(text->usingColorSpace(Space::DeviceRGB), 0, 0, 0, 1);

    // The same object resolves anew once the appearance changes.
    platform::setAppearance(platform::Appearance::Dark);
    const auto dark = background->usingColorSpace(Space::DeviceRGB)->rgba();
    EXPECT_LT(dark->red, 0.5);
    EXPECT_GT(text->usingColorSpace(Space::DeviceRGB)->rgba()->red, 0.5);
}

TEST(Color, ShadowBlendsTowardBlackAndKeepsAlpha)
{
    const ColorRef shaded = Color::withRGBA(1, 0.5, 0, 0.5)->shadowWithLevel(0.1);
    expectRGBA(shaded, 0.9, 0.45, 0, 0.5);
    expectRGBA(Color::withWhite(1, 1)->shadowWithLevel(2), 0, 0, 0, 1); // level is clamped
}
