#include "colors/ColorExtensions.h"
#include "colors/SecureUnarchiveColorFromDataTransformer.h"

#include <QColor>
#include <array>
#include <cmath>
#include <gtest/gtest.h>

using otl::ColorPtr;
using platform::Color;
using Space = platform::Color::Space;

using RGBA = std::array<double, 4>;

namespace {

RGBA rgbaOf(const ColorPtr& color)
{
    const ColorPtr rgb = color ? color->usingColorSpace(Space::DeviceRGB) : ColorPtr{};
    const auto c = rgb ? rgb->rgba() : std::nullopt;
    return c ? RGBA{c->red, c->green, c->blue, c->alpha} : RGBA{-1, -1, -1, -1};
}

RGBA read(const QVariantMap& representation)
{
    return rgbaOf(otl::colorFromPropertyListRepresentation(representation));
}

} // namespace

// Written at full precision, read back at single precision.
TEST(ColorPropertyList, WritesDeviceRGBAndReadsBackAtSinglePrecision)
{
    const QVariantMap white = otl::propertyListRepresentation(Color::white());
    EXPECT_EQ(white, (QVariantMap{{"red", 1.0}, {"green", 1.0}, {"blue", 1.0}, {"alpha", 1.0}}));
    EXPECT_EQ(read(white), (RGBA{1, 1, 1, 1}));
    const QVariantMap written = otl::propertyListRepresentation(Color::withRGBA(0.1, 0.2, 0.3, 0.4));
    EXPECT_EQ(written.value("red").toDouble(), 0.1);
    EXPECT_EQ(read(written), (RGBA{0.1f, 0.2f, 0.3f, 0.4f}));

    // Missing entries read as 0; numeric strings are numbers too; out-of-range values come back as written.
    EXPECT_EQ(read({}), (RGBA{0, 0, 0, 0}));
    EXPECT_EQ(read({{"red", " 0.1xyz"}, {"green", ".5"}, {"blue", "none"}, {"alpha", true}}), (RGBA{0.1f, 0.5, 0, 1}));
    EXPECT_TRUE(std::isinf(read({{"red", 1e300}})[0]));
    EXPECT_EQ(read({{"red", 2.0}})[0], 2.0);

    EXPECT_TRUE(otl::propertyListRepresentation(Color::pattern("Stripes")).isEmpty());
    EXPECT_TRUE(otl::propertyListRepresentation(nullptr).isEmpty());
}

TEST(ColorTransformer, AcceptsOnlyAColourAtTheRootAndComparesWithinEpsilon)
{
    const OTLSecureUnarchiveColorFromDataTransformer transformer;
    const ColorPtr red = Color::withRGBA(1, 0, 0, 0.75);
    const QVariant data = transformer.reverseTransformedValue(QVariant::fromValue(red));
    ASSERT_EQ(data.typeId(), QMetaType::QByteArray);
    EXPECT_TRUE(otl::isEqualToColorOTLVersion(transformer.transformedValue(data).value<ColorPtr>(), red));

    const QVariant colourInArray = transformer.reverseTransformedValue(QVariantList{QVariant::fromValue(red)});
    ASSERT_EQ(colourInArray.typeId(), QMetaType::QByteArray);
    EXPECT_FALSE(transformer.transformedValue(colourInArray).isValid());
    EXPECT_FALSE(transformer.transformedValue(QVariant()).isValid());

    // Equal within an inclusive epsilon, across representations; a pattern or nothing equals nothing.
    EXPECT_TRUE(otl::isEqualToColorOTLVersion(Color::withWhite(1.0, 1.0), Color::withRGBA(1, 1, 1, 1)));
    const double eps = std::ldexp(1.0, -52);
    EXPECT_TRUE(otl::isEqualToColorOTLVersion(Color::withRGBA(0.5, 0.25, 0, 1), Color::withRGBA(0.5 + eps, 0.25, 0, 1)));
    EXPECT_FALSE(otl::isEqualToColorOTLVersion(Color::withRGBA(0.5, 0.25, 0, 1),
                                               Color::withRGBA(0.5 + 2 * eps, 0.25, 0, 1)));
    EXPECT_FALSE(otl::isEqualToColorOTLVersion(Color::pattern("Stripes"), Color::pattern("Stripes")));
    EXPECT_FALSE(otl::isEqualToColorOTLVersion(nullptr, red));
}

TEST(ColorTests, DarknessAndHexadecimal)
{
    EXPECT_TRUE(otl::isDarkColorOstrel(Color::black()));
    EXPECT_FALSE(otl::isDarkColorOstrel(Color::withWhite(0, 0.5)));
    EXPECT_TRUE(otl::isDarkColorOstrel(Color::withWhite(0, 0.51)));
    EXPECT_FALSE(otl::isDarkColorOstrel(Color::withRGBA(0.65, 0.65, 0.65, 1)));
    EXPECT_TRUE(otl::isDarkColorOstrel(Color::withRGBA(0.649, 0.649, 0.649, 1)));
    EXPECT_FALSE(otl::isDarkColorOstrel(Color::pattern("Stripes")));

    EXPECT_EQ(otl::hexadecimalString(Color::withRGBA(0.5, 0.5, 0.5, 1)), "#7f7f7f");
    EXPECT_EQ(otl::hexadecimalString(Color::white()), "#ffffff");
    EXPECT_EQ(otl::hexadecimalString(Color::withRGBA(1, 0, 0, 0.5)), "#ff0000");
    // Truncation, not rounding: 0.0625 scales to just under 16.
    EXPECT_EQ(otl::hexadecimalString(Color::withRGBA(0.0625, 0, 0.999, 1)), "#0f00ff");
    EXPECT_TRUE(otl::hexadecimalString(Color::pattern("Stripes")).isNull());
    EXPECT_TRUE(otl::hexadecimalString(nullptr).isNull());
}

TEST(ColorTests, DecimalComponentRoundsTheSixDecimalText)
{
    // 0.1235 is 0.12349999... as a double, but its six-decimal text ends in 500;
    // and the text is rounded twice: 0.0004996 prints as 0.000500.
    const std::pair<double, const char*> cases[] = {
        {0.12345, "0.123"}, {1.0 / 3, "0.333"}, {0.0005, "0.001"}, {0.1235, "0.124"},
        {0.0004996, "0.001"}, {0.000499, "0"}, {-0.0005, "-0.001"}, {0.9996, "1"},
        {123456789012.0005, "123456789012.001"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(otl::decimalNumberForColorComponent(value).toString(), text) << value;
    EXPECT_EQ(otl::decimalNumberForColorComponent(0.5), (otl::Decimal{5, 1}));
    EXPECT_TRUE(otl::decimalNumberForColorComponent(NAN).notANumber);
    EXPECT_TRUE(otl::decimalNumberForColorComponent(1e300).notANumber);
}

TEST(ColorMenuImage, DiscWithRing)
{
    const QImage image = otl::menuImageForColor(Color::withRGBA(1, 0, 0, 1), QSizeF(16, 16));
    ASSERT_EQ(image.size(), QSize(16, 16));
    EXPECT_EQ(image.pixelColor(8, 8), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(image.pixelColor(15, 15).alpha(), 0);
    EXPECT_EQ(image.pixelColor(1, 8).alpha(), 0); // outside the disc
    // The ring pixel just inside the left edge of the disc is the shadowed red.
    const QColor ring = image.pixelColor(2, 8);
    EXPECT_NEAR(ring.red(), 230, 2);
    EXPECT_EQ(ring.green(), 0);
    EXPECT_GT(ring.alpha(), 200);

    const QImage white = otl::menuImageForColor(nullptr, QSizeF(16, 16));
    EXPECT_EQ(white.pixelColor(8, 8), QColor(255, 255, 255));
    EXPECT_NEAR(white.pixelColor(8, 2).red(), 230, 2);
    EXPECT_TRUE(otl::menuImageForColor(nullptr, QSizeF(0, -3)).isNull());
}

TEST(ColorResources, HighlightAndLinkColours)
{
    const auto highlights = otl::allHighlightColors();
    ASSERT_EQ(highlights.size(), 5);
    for (const ColorPtr& color : highlights)
        EXPECT_TRUE(color);
    EXPECT_TRUE(otl::isEqualToColorOTLVersion(highlights[0], otl::yellowHighlightColor()));
    EXPECT_EQ(otl::allHighlightColorNames(), (QStringList{"Yellow", "Green", "Blue", "Pink", "Purple"}));

    const RGBA power = rgbaOf(otl::powerColor());
    const RGBA link = rgbaOf(otl::linkTextColor());
    EXPECT_DOUBLE_EQ(link[0], power[0] * 0.9);
    EXPECT_DOUBLE_EQ(link[2], power[2] * 0.9);
    EXPECT_EQ(link[3], power[3]);
}
