#include "colors/ColorExtensions.h"

#include "colors/SecureUnarchiveColorFromDataTransformer.h"
#include "platform/LocalizedString.h"
#include "platform/UserDefaults.h"

#include <QPainter>
#include <QPen>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <limits>

namespace otl {

using platform::Color;
using Space = platform::Color::Space;

namespace {

ColorPtr listColor(const char* list, const char* key, ColorPtr fallback)
{
    if (const auto colorList = platform::ColorList::named(QLatin1String(list)))
        if (ColorPtr color = colorList->colorWithKey(QLatin1String(key)))
            return color;
    return fallback;
}

std::optional<Color::RGBA> deviceRGBA(const ColorPtr& color)
{
    if (!color)
        return std::nullopt;
    const ColorPtr rgb = color->usingColorSpace(Space::DeviceRGB);
    return rgb ? rgb->rgba() : std::nullopt;
}

// 0...1 with NaN counting as 1, times 255, halves away from zero.
unsigned byteComponent(double value)
{
    const double clamped = std::isnan(value) ? 1.0 : std::clamp(value, 0.0, 1.0);
    return static_cast<unsigned>(std::lround(clamped * 255.0));
}

unsigned percent(double value)
{
    const double clamped = std::isnan(value) ? 1.0 : std::clamp(value, 0.0, 1.0);
    return static_cast<unsigned>(std::lround(clamped * 100.0));
}

QString alphaText(double alpha)
{
    return QString::asprintf("%g", alpha);
}

} // namespace

// ---- Decimal

double Decimal::toDouble() const
{
    if (notANumber)
        return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(mantissa) / std::pow(10.0, scale);
}

QString Decimal::toString() const
{
    if (notANumber)
        return QStringLiteral("NaN");
    std::int64_t m = mantissa;
    int s = scale;
    while (s > 0 && m % 10 == 0) {
        m /= 10;
        --s;
    }
    const bool negative = m < 0;
    // Digits of the magnitude without overflowing on the smallest value.
    QString digits = QString::number(static_cast<unsigned long long>(negative ? -(m + 1) : m) + (negative ? 1 : 0));
    if (s > 0) {
        if (digits.size() <= s)
            digits = QString(s - digits.size() + 1, QLatin1Char('0')) + digits;
        digits.insert(digits.size() - s, QLatin1Char('.'));
    }
    return negative ? QLatin1Char('-') + digits : digits;
}

bool Decimal::operator==(const Decimal& other) const
{
    if (notANumber || other.notANumber)
        return false;
    std::int64_t a = mantissa, b = other.mantissa;
    int sa = scale, sb = other.scale;
    while (sa > sb) {
        if (a % 10 != 0)
            return false;
        a /= 10;
        --sa;
    }
    while (sb > sa) {
        if (b % 10 != 0)
            return false;
        b /= 10;
        --sb;
    }
    return a == b;
}

// ---- Colours from resources and colour lists

ColorPtr powerColor() { return Color::named(QStringLiteral("PowerColor")); }

ColorPtr linkTextColor()
{
    const ColorPtr power = powerColor();
    return power ? power->shadowWithLevel(0.1) : ColorPtr{};
}

ColorPtr yellowHighlightColor() { return Color::named(QStringLiteral("YellowHighlightColor")); }
ColorPtr greenHighlightColor() { return Color::named(QStringLiteral("GreenHighlightColor")); }
ColorPtr blueHighlightColor() { return Color::named(QStringLiteral("BlueHighlightColor")); }
ColorPtr pinkHighlightColor() { return Color::named(QStringLiteral("PinkHighlightColor")); }
ColorPtr purpleHighlightColor() { return Color::named(QStringLiteral("PurpleHighlightColor")); }

QList<ColorPtr> allHighlightColors()
{
    return {yellowHighlightColor(), greenHighlightColor(), blueHighlightColor(), pinkHighlightColor(),
            purpleHighlightColor()};
}

QStringList allHighlightColorNames()
{
    return {platform::localizedString("Yellow"), platform::localizedString("Green"),
            platform::localizedString("Blue"), platform::localizedString("Pink"),
            platform::localizedString("Purple")};
}

ColorPtr appleWhiteColor() { return listColor("Apple", "White", Color::white()); }
ColorPtr appleBlackColor() { return listColor("Apple", "Black", Color::black()); }
ColorPtr crayonsWhiteColor() { return listColor("Crayons", "Snow", Color::white()); }
ColorPtr crayonsBlackColor() { return listColor("Crayons", "Licorice", Color::black()); }

ColorPtr defaultNoteBackgroundColor()
{
    const OTLSecureUnarchiveColorFromDataTransformer transformer;
    const QVariant stored = platform::UserDefaults::standard().object(QStringLiteral("OTLNoteDefaultBackgroundColor"));
    const QVariant value = transformer.transformedValue(stored);
    ColorPtr color = value.canConvert<ColorPtr>() ? value.value<ColorPtr>() : ColorPtr{};
    if (!color || isWhiteColor(color) || isBlackColor(color))
        return Color::textBackgroundColor();
    return color;
}

QImage menuImageForColor(const ColorPtr& color, const QSizeF& size)
{
    const double width = size.width();
    const double height = size.height();
    const auto toPixels = [](double points) {
        if (!std::isfinite(points) || points <= 0)
            return 0;
        return static_cast<int>(std::ceil(std::min(points, 16384.0)));
    };
    QImage image(toPixels(width), toPixels(height), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.fill(Qt::transparent);

    const ColorPtr fill = color ? color : Color::white();
    const auto paintColor = [](const ColorPtr& c) -> std::optional<QColor> {
        const ColorPtr rgb = c ? c->usingColorSpace(Space::GenericRGB) : ColorPtr{};
        if (!rgb)
            return std::nullopt;
        const auto v = *rgb->rgba();
        const auto unit = [](double x) { return std::isnan(x) ? 0.0 : std::clamp(x, 0.0, 1.0); };
        return QColor::fromRgbF(unit(v.red), unit(v.green), unit(v.blue), unit(v.alpha));
    };

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF disc = QRectF(0, 0, width, height).adjusted(2.0, 2.0, -2.0, -2.0);
    if (const auto inside = paintColor(fill)) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(*inside);
        painter.drawEllipse(disc);
    }
    if (const auto ring = paintColor(fill->shadowWithLevel(0.1))) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(*ring, 1.0));
        painter.drawEllipse(disc.adjusted(0.5, 0.5, -0.5, -0.5));
    }
    painter.end();
    return image;
}

// ---- Property-list form

QVariantMap propertyListRepresentation(const ColorPtr& color)
{
    const auto c = deviceRGBA(color);
    if (!c)
        return {};
    return {{QStringLiteral("red"), c->red},
            {QStringLiteral("green"), c->green},
            {QStringLiteral("blue"), c->blue},
            {QStringLiteral("alpha"), c->alpha}};
}

ColorPtr colorFromPropertyListRepresentation(const QVariantMap& dictionary)
{
    // Single precision, as the stored form is read back elsewhere; values
    // beyond its range become infinite rather than undefined.
    const auto narrowed = [](double value) -> double {
        if (std::isnan(value))
            return value;
        if (std::fabs(value) > std::numeric_limits<float>::max())
            return std::copysign(std::numeric_limits<double>::infinity(), value);
        return static_cast<double>(static_cast<float>(value));
    };
    const auto component = [&](const char* key) -> double {
        const QVariant value = dictionary.value(QLatin1String(key));
        if (value.typeId() == QMetaType::QString) {
            // Like a string's float value: the leading number, 0 when there is none.
            static const QRegularExpression leadingNumber(
                QStringLiteral("^\\s*([+-]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][+-]?\\d+)?)"));
            const auto match = leadingNumber.match(value.toString());
            return match.hasMatch() ? narrowed(match.captured(1).toDouble()) : 0.0;
        }
        bool ok = false;
        const double number = value.toDouble(&ok);
        return ok ? narrowed(number) : 0.0;
    };
    return Color::withRGBA(component("red"), component("green"), component("blue"), component("alpha"));
}

// ---- Comparisons and tests

bool isEqualToColorFernwickVersion(const ColorPtr& color, const ColorPtr& other)
{
    if (!color || !other)
        return false;
    if (color->type() == Color::Type::Catalog && other->type() == Color::Type::Catalog
        && color->catalogNameComponent() == other->catalogNameComponent())
        return true;
    const auto components = [](const ColorPtr& c) -> std::optional<Color::RGBA> {
        const ColorPtr based = c->usingType(Color::Type::ComponentBased);
        return based ? deviceRGBA(based) : std::nullopt;
    };
    const auto a = components(color);
    const auto b = components(other);
    if (!a || !b)
        return false;
    constexpr double kEpsilon = std::numeric_limits<double>::epsilon();
    return std::fabs(a->red - b->red) <= kEpsilon && std::fabs(a->green - b->green) <= kEpsilon
        && std::fabs(a->blue - b->blue) <= kEpsilon && std::fabs(a->alpha - b->alpha) <= kEpsilon;
}

bool isEqualToColorOTLVersion(const ColorPtr& color, const ColorPtr& other)
{
    return isEqualToColorFernwickVersion(color, other);
}

bool isWhiteColor(const ColorPtr& color)
{
    return color
        && (isEqualToColorOTLVersion(color, Color::white()) || isEqualToColorOTLVersion(color, appleWhiteColor())
            || isEqualToColorOTLVersion(color, crayonsWhiteColor()));
}

bool isBlackColor(const ColorPtr& color)
{
    return color
        && (isEqualToColorOTLVersion(color, Color::black()) || isEqualToColorOTLVersion(color, appleBlackColor())
            || isEqualToColorOTLVersion(color, crayonsBlackColor()));
}

bool isDarkColorOstrel(const ColorPtr& color)
{
    const auto c = deviceRGBA(color);
    if (!c)
        return false;
    const double luminance = (299 * c->red + 587 * c->green + 114 * c->blue) / 1000;
    return luminance < 0.65 && c->alpha > 0.5;
}

// ---- Number formats

QString hexadecimalString(const ColorPtr& color)
{
    const auto c = deviceRGBA(color);
    if (!c)
        return {};
    // Truncation toward zero to 32 bits, saturating instead of overflowing.
    const auto hex = [](double component) {
        const double scaled = component * 255.99998474121094;
        qint32 value = 0;
        if (scaled >= 2147483647.0)
            value = std::numeric_limits<qint32>::max();
        else if (scaled <= -2147483648.0)
            value = std::numeric_limits<qint32>::min();
        else if (!std::isnan(scaled))
            value = static_cast<qint32>(scaled);
        return QString::asprintf("%02x", static_cast<unsigned>(value));
    };
    return QLatin1Char('#') + hex(c->red) + hex(c->green) + hex(c->blue);
}

Decimal decimalNumberForColorComponent(double component)
{
    // Qt's formatting ignores the C locale, so the decimal point is a dot.
    const QByteArray text = QString::asprintf("%lf", component).toLatin1();
    Decimal result;
    const char* p = text.constData();
    const bool negative = *p == '-';
    if (negative)
        ++p;
    // The text has six decimals; read it exactly as a count of millionths.
    // Up to 38 digits fit; the rounded result must fit the mantissa.
    unsigned __int128 millionths = 0;
    int digits = 0;
    for (; *p; ++p) {
        if (*p == '.')
            continue;
        if (*p < '0' || *p > '9' || ++digits > 38) {
            result.notANumber = true;
            return result;
        }
        millionths = millionths * 10 + unsigned(*p - '0');
    }
    unsigned __int128 rounded = millionths / 1000;
    if (millionths % 1000 >= 500)
        ++rounded;
    if (digits == 0 || rounded > static_cast<unsigned __int128>(std::numeric_limits<std::int64_t>::max())) {
        result.notANumber = true;
        return result;
    }
    const auto thousandths = static_cast<std::int64_t>(rounded);
    result.mantissa = negative ? -thousandths : thousandths;
    result.scale = 3;
    return result;
}

// ---- CSS colour strings

bool hcsGetRedGreenBlueAlpha(const ColorPtr& color, double* red, double* green, double* blue, double* alpha)
{
    if (!color)
        return false;
    const ColorPtr rgb = color->usingColorSpace(Space::GenericRGB);
    if (const auto c = rgb ? rgb->rgba() : std::nullopt) {
        if (red)
            *red = c->red;
        if (green)
            *green = c->green;
        if (blue)
            *blue = c->blue;
        if (alpha)
            *alpha = c->alpha;
        return true;
    }
    const auto w = color->whiteAlpha();
    if (!w)
        return false;
    for (double* out : {red, green, blue})
        if (out)
            *out = w->white;
    if (alpha)
        *alpha = w->alpha;
    return true;
}

bool hcsGetHueSaturationBrightnessAlpha(const ColorPtr& color, double* hue, double* saturation, double* brightness,
                                        double* alpha)
{
    if (!color)
        return false;
    double h = 0, s = 0, b = 0, a = 0;
    if (const auto c = color->hsba()) {
        h = c->hue;
        s = c->saturation;
        b = c->brightness;
        a = c->alpha;
    } else if (const auto w = color->whiteAlpha()) {
        b = w->white;
        a = w->alpha;
    } else {
        return false;
    }
    if (hue)
        *hue = h;
    if (saturation)
        *saturation = s;
    if (brightness)
        *brightness = b;
    if (alpha)
        *alpha = a;
    return true;
}

QString hexStringValue(const ColorPtr& color)
{
    double r = 0, g = 0, b = 0, a = 0;
    if (!hcsGetRedGreenBlueAlpha(color, &r, &g, &b, &a))
        return {};
    QString text = QString::asprintf("#%02X%02X%02X", byteComponent(r), byteComponent(g), byteComponent(b));
    if (a < 1.0)
        text += QString::asprintf("%02X", byteComponent(std::max(a, 0.0)));
    return text;
}

QString rgbStringValue(const ColorPtr& color)
{
    double r = 0, g = 0, b = 0, a = 0;
    if (!hcsGetRedGreenBlueAlpha(color, &r, &g, &b, &a))
        return {};
    if (a == 1.0)
        return QString::asprintf("rgb(%u, %u, %u)", byteComponent(r), byteComponent(g), byteComponent(b));
    return QString::asprintf("rgba(%u, %u, %u, ", byteComponent(r), byteComponent(g), byteComponent(b))
        + alphaText(a) + QLatin1Char(')');
}

QString hslStringValue(const ColorPtr& color)
{
    double h = 0, s = 0, v = 0, a = 0;
    if (!hcsGetHueSaturationBrightnessAlpha(color, &h, &s, &v, &a))
        return {};
    const double t = (2 - s) * v;
    double d = t <= 1 ? t : 2 - t;
    if (d == 0)
        d = 1;
    const double saturation = s * v / d;
    const double lightness = t / 2;
    // Hue as a whole number of degrees in 0...359; out-of-range hues wrap.
    const double degrees = std::round(h * 360);
    unsigned hue = 0;
    if (std::isfinite(degrees)) {
        double wrapped = std::fmod(degrees, 360.0);
        if (wrapped < 0)
            wrapped += 360;
        hue = static_cast<unsigned>(wrapped) % 360;
    }
    if (a == 1.0)
        return QString::asprintf("hsl(%u, %u%%, %u%%)", hue, percent(saturation), percent(lightness));
    return QString::asprintf("hsla(%u, %u%%, %u%%, ", hue, percent(saturation), percent(lightness)) + alphaText(a)
        + QLatin1Char(')');
}

} // namespace otl
