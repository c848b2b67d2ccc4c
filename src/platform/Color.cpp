#include "platform/Color.h"

#include "platform/Resources.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <atomic>
#include <cmath>

namespace platform {

namespace {

std::atomic<Appearance> g_appearance{Appearance::Light};

ColorRef make(Color::Type type, Color::Space space, double c0, double c1, double c2, double alpha,
              QString list = {}, QString key = {}, ColorRef light = {}, ColorRef dark = {})
{
    return std::make_shared<const Color>(Color::Token{}, type, space, c0, c1, c2, alpha, std::move(list),
                                         std::move(key), std::move(light), std::move(dark));
}

ColorRef catalogColor(const QString& list, const QString& key, ColorRef light, ColorRef dark)
{
    return make(Color::Type::Catalog, Color::Space::DeviceRGB, 0, 0, 0, 0, list, key, std::move(light),
                std::move(dark));
}

struct ListEntry {
    const char* key;
    double red, green, blue;
};

// The static lists; white and black are what callers look up by name.
constexpr ListEntry kAppleList[] = {
    {"Black", 0, 0, 0}, {"Blue", 0, 0, 1}, {"Brown", 0.6, 0.4, 0.2}, {"Cyan", 0, 1, 1},
    {"Green", 0, 1, 0}, {"Magenta", 1, 0, 1}, {"Orange", 1, 0.5, 0}, {"Purple", 0.5, 0, 0.5},
    {"Red", 1, 0, 0}, {"Yellow", 1, 1, 0}, {"White", 1, 1, 1},
};
constexpr ListEntry kCrayonsList[] = {
    {"Licorice", 0, 0, 0}, {"Lead", 0.13, 0.13, 0.13}, {"Steel", 0.47, 0.47, 0.47}, {"Silver", 0.84, 0.84, 0.84},
    {"Cayenne", 0.58, 0.07, 0}, {"Midnight", 0, 0.13, 0.58}, {"Lemon", 1, 0.98, 0}, {"Snow", 1, 1, 1},
};

template <std::size_t N>
const ListEntry* findEntry(const ListEntry (&list)[N], const QString& key)
{
    for (const ListEntry& entry : list)
        if (key == QLatin1String(entry.key))
            return &entry;
    return nullptr;
}

template <std::size_t N>
QStringList keysOf(const ListEntry (&list)[N])
{
    QStringList keys;
    for (const ListEntry& entry : list)
        keys << QString::fromLatin1(entry.key);
    return keys;
}

ColorRef systemColor(const QString& key)
{
    if (key == u"textColor")
        return catalogColor(QStringLiteral("System"), key, Color::withWhite(0, 1), Color::withWhite(1, 0.85));
    if (key == u"textBackgroundColor")
        return catalogColor(QStringLiteral("System"), key, Color::withWhite(1, 1), Color::withWhite(0.12, 1));
    return {};
}

// Reads a component from the resource file; only finite numbers count.
std::optional<double> jsonComponent(const QJsonObject& object, const char* key, double fallback)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined())
        return fallback;
    if (!value.isDouble() || !std::isfinite(value.toDouble()))
        return std::nullopt;
    return value.toDouble();
}

} // namespace

void setAppearance(Appearance appearance) { g_appearance.store(appearance); }
Appearance currentAppearance() { return g_appearance.load(); }

Color::Color(Token, Type type, Space space, double c0, double c1, double c2, double alpha, QString list, QString key,
             ColorRef light, ColorRef dark)
    : m_type(type), m_space(space), m_c{c0, c1, c2}, m_alpha(alpha), m_list(std::move(list)), m_key(std::move(key)),
      m_light(std::move(light)), m_dark(std::move(dark))
{
}

ColorRef Color::withRGBA(double red, double green, double blue, double alpha, Space space)
{
    if (space == Space::Gray)
        space = Space::DeviceRGB;
    return make(Type::ComponentBased, space, red, green, blue, alpha);
}

ColorRef Color::withHSBA(double hue, double saturation, double brightness, double alpha, Space space)
{
    // Hue wraps around; six sectors of the colour wheel.
    double h = std::fmod(hue, 1.0);
    if (h < 0)
        h += 1.0;
    if (!std::isfinite(h))
        h = 0;
    const double scaled = h * 6.0;
    const int sector = std::min(5, static_cast<int>(scaled));
    const double f = scaled - sector;
    const double v = brightness;
    const double p = v * (1 - saturation);
    const double q = v * (1 - saturation * f);
    const double t = v * (1 - saturation * (1 - f));
    double r = v, g = t, b = p;
    switch (sector) {
    case 0: r = v; g = t; b = p; break;
    case 1: r = q; g = v; b = p; break;
    case 2: r = p; g = v; b = t; break;
    case 3: r = p; g = q; b = v; break;
    case 4: r = t; g = p; b = v; break;
    default: r = v; g = p; b = q; break;
    }
    return withRGBA(r, g, b, alpha, space);
}

ColorRef Color::withWhite(double white, double alpha)
{
    return make(Type::ComponentBased, Space::Gray, white, 0, 0, alpha);
}

ColorRef Color::pattern(const QString& imageName)
{
    return make(Type::Pattern, Space::DeviceRGB, 0, 0, 0, 1, {}, imageName);
}

ColorRef Color::white() { return withWhite(1, 1); }
ColorRef Color::black() { return withWhite(0, 1); }
ColorRef Color::textColor() { return systemColor(QStringLiteral("textColor")); }
ColorRef Color::textBackgroundColor() { return systemColor(QStringLiteral("textBackgroundColor")); }

ColorRef Color::named(const QString& name)
{
    const QUrl url = urlForResource(QStringLiteral("NamedColors"), QStringLiteral("json"));
    if (url.isEmpty())
        return {};
    QFile file(url.toLocalFile());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    const QJsonValue entry = document.object().value(name);
    if (!entry.isObject())
        return {};
    const QJsonObject object = entry.toObject();
    const auto red = jsonComponent(object, "red", 0);
    const auto green = jsonComponent(object, "green", 0);
    const auto blue = jsonComponent(object, "blue", 0);
    const auto alpha = jsonComponent(object, "alpha", 1);
    if (!red || !green || !blue || !alpha)
        return {};
    const ColorRef value = withRGBA(*red, *green, *blue, *alpha);
    return catalogColor(QStringLiteral("NamedColors"), name, value, value);
}

std::optional<Color::Space> Color::colorSpace() const
{
    if (m_type != Type::ComponentBased)
        return std::nullopt;
    return m_space;
}

ColorRef Color::resolved() const
{
    return currentAppearance() == Appearance::Dark ? m_dark : m_light;
}

ColorRef Color::usingColorSpace(Space space) const
{
    if (m_type == Type::Pattern)
        return {};
    if (m_type == Type::Catalog) {
        const ColorRef components = resolved();
        return components ? components->usingColorSpace(space) : ColorRef{};
    }
    if (m_space == Space::Gray) {
        if (space == Space::Gray)
            return withWhite(m_c[0], m_alpha);
        return withRGBA(m_c[0], m_c[0], m_c[0], m_alpha, space);
    }
    if (space == Space::Gray)
        return withWhite(0.299 * m_c[0] + 0.587 * m_c[1] + 0.114 * m_c[2], m_alpha);
    // Device and generic RGB are the same numbers here.
    return withRGBA(m_c[0], m_c[1], m_c[2], m_alpha, space);
}

ColorRef Color::usingType(Type type) const
{
    if (type == Type::ComponentBased && m_type == Type::Catalog)
        return resolved();
    if (type != m_type)
        return {};
    return make(m_type, m_space, m_c[0], m_c[1], m_c[2], m_alpha, m_list, m_key, m_light, m_dark);
}

std::optional<Color::RGBA> Color::rgba() const
{
    if (m_type != Type::ComponentBased || m_space == Space::Gray)
        return std::nullopt;
    return RGBA{m_c[0], m_c[1], m_c[2], m_alpha};
}

std::optional<Color::HSBA> Color::hsba() const
{
    const auto rgb = rgba();
    if (!rgb)
        return std::nullopt;
    const double maxC = std::max({rgb->red, rgb->green, rgb->blue});
    const double minC = std::min({rgb->red, rgb->green, rgb->blue});
    const double delta = maxC - minC;
    double hue = 0;
    if (delta > 0) {
        if (maxC == rgb->red)
            hue = (rgb->green - rgb->blue) / delta;
        else if (maxC == rgb->green)
            hue = 2 + (rgb->blue - rgb->red) / delta;
        else
            hue = 4 + (rgb->red - rgb->green) / delta;
        hue /= 6;
        if (hue < 0)
            hue += 1;
    }
    const double saturation = maxC > 0 ? delta / maxC : 0;
    return HSBA{hue, saturation, maxC, rgb->alpha};
}

std::optional<Color::WhiteAlpha> Color::whiteAlpha() const
{
    if (m_type != Type::ComponentBased || m_space != Space::Gray)
        return std::nullopt;
    return WhiteAlpha{m_c[0], m_alpha};
}

ColorRef Color::shadowWithLevel(double level) const
{
    const ColorRef rgb = usingColorSpace(Space::GenericRGB);
    if (!rgb)
        return {};
    const double keep = 1 - std::clamp(std::isnan(level) ? 0.0 : level, 0.0, 1.0);
    const RGBA c = *rgb->rgba();
    return withRGBA(c.red * keep, c.green * keep, c.blue * keep, c.alpha, Space::GenericRGB);
}

std::optional<ColorList> ColorList::named(const QString& name)
{
    if (name == u"Apple" || name == u"Crayons" || name == u"System")
        return ColorList(name);
    return std::nullopt;
}

QStringList ColorList::allKeys() const
{
    if (m_name == u"Apple")
        return keysOf(kAppleList);
    if (m_name == u"Crayons")
        return keysOf(kCrayonsList);
    return {QStringLiteral("textColor"), QStringLiteral("textBackgroundColor")};
}

ColorRef ColorList::colorWithKey(const QString& key) const
{
    if (m_name == u"System")
        return systemColor(key);
    const ListEntry* entry = m_name == u"Apple" ? findEntry(kAppleList, key) : findEntry(kCrayonsList, key);
    if (!entry)
        return {};
    const ColorRef value = Color::withRGBA(entry->red, entry->green, entry->blue, 1);
    return catalogColor(m_name, key, value, value);
}

} // namespace platform
