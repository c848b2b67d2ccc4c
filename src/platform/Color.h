#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace platform {

class Color;
using ColorRef = std::shared_ptr<const Color>;

// Light or dark look; the dynamic system colours follow it when resolved.
enum class Appearance { Light, Dark };
void setAppearance(Appearance appearance);
Appearance currentAppearance();

// An immutable colour with double components, shared by reference. Component
// readers answer nothing for a colour that does not hold such components
// (a grey colour has no red, a catalogue colour must be converted first).
class Color {
public:
    // Numbered as the platform numbers its colour types.
    enum class Type { ComponentBased = 0, Pattern = 1, Catalog = 2 };
    enum class Space { DeviceRGB, GenericRGB, Gray };

    struct RGBA { double red, green, blue, alpha; };
    struct HSBA { double hue, saturation, brightness, alpha; };
    struct WhiteAlpha { double white, alpha; };

    static ColorRef withRGBA(double red, double green, double blue, double alpha, Space space = Space::DeviceRGB);
    // Hue, saturation and brightness in 0...1 (hue 1 is a full turn).
    static ColorRef withHSBA(double hue, double saturation, double brightness, double alpha,
                             Space space = Space::DeviceRGB);
    static ColorRef withWhite(double white, double alpha);
    static ColorRef pattern(const QString& imageName);

    static ColorRef white();
    static ColorRef black();
    // Catalogue colours of the "System" list that resolve by the appearance.
    static ColorRef textColor();
    static ColorRef textBackgroundColor();

    // A colour from the resource file NamedColors.json, or null when the
    // file, the name or a usable value is missing.
    static ColorRef named(const QString& name);

    Type type() const { return m_type; }
    // The space of a component colour; nothing for the other kinds.
    std::optional<Space> colorSpace() const;
    // Key and list of a catalogue colour; empty otherwise.
    const QString& catalogNameComponent() const { return m_key; }
    const QString& colorListName() const { return m_list; }
    const QString& patternImageName() const { return m_key; }

    // Null when the conversion cannot be made (a pattern has no components).
    ColorRef usingColorSpace(Space space) const;
    ColorRef usingType(Type type) const;

    std::optional<RGBA> rgba() const;
    std::optional<HSBA> hsba() const;
    std::optional<WhiteAlpha> whiteAlpha() const;

    // The colour blended toward black by `level` (0...1), alpha kept; null
    // for a colour without RGB form.
    ColorRef shadowWithLevel(double level) const;

    struct Token { explicit Token() = default; };
    Color(Token, Type type, Space space, double c0, double c1, double c2, double alpha, QString list, QString key,
          ColorRef light, ColorRef dark);

private:
    ColorRef resolved() const;

    Type m_type;
    Space m_space;
    double m_c[3];
    double m_alpha;
    QString m_list;
    QString m_key;
    // What a catalogue colour stands for in the light and dark appearance.
    ColorRef m_light;
    ColorRef m_dark;
};

// A named list of catalogue colours ("Apple", "Crayons", "System").
class ColorList {
public:
    static std::optional<ColorList> named(const QString& name);

    const QString& name() const { return m_name; }
    QStringList allKeys() const;
    // Null when the list has no such key.
    ColorRef colorWithKey(const QString& key) const;

private:
    explicit ColorList(QString name) : m_name(std::move(name)) {}
    QString m_name;
};

} // namespace platform

// Colours travel in QVariant values (keyed archives, property lists).
Q_DECLARE_METATYPE(platform::ColorRef)
