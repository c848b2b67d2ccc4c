#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace platform {

// Weight traits on the platform's scale (-1 lightest, 0 regular, 1 heaviest).
inline constexpr double NSFontWeightUltraLight = -0.8;
inline constexpr double NSFontWeightThin = -0.6;
inline constexpr double NSFontWeightLight = -0.4;
inline constexpr double NSFontWeightRegular = 0.0;
inline constexpr double NSFontWeightMedium = 0.23;
inline constexpr double NSFontWeightSemibold = 0.3;
inline constexpr double NSFontWeightBold = 0.4;
inline constexpr double NSFontWeightHeavy = 0.56;
inline constexpr double NSFontWeightBlack = 0.62;

class Font;
using FontRef = std::shared_ptr<const Font>;

// An immutable font: one face of a family at a point size, shared by
// reference like colours.
class Font {
public:
    struct Token { explicit Token() = default; };
    Font(Token, QString familyName, QString fontName, double pointSize, double weight);

    const QString& familyName() const { return m_familyName; }
    // The face's PostScript name ("HelveticaNeue-Bold").
    const QString& fontName() const { return m_fontName; }
    double pointSize() const { return m_pointSize; }
    double weight() const { return m_weight; }

    bool operator==(const Font& other) const = default;

private:
    QString m_familyName;
    QString m_fontName;
    double m_pointSize;
    double m_weight;
};

// Value equality; two nulls are equal.
bool fontsEqual(const FontRef& font, const FontRef& other);

// What a font is asked for by: a family and, optionally, the weight trait.
struct FontDescriptor {
    QString family;                // NSFontFamilyAttribute
    std::optional<double> weight;  // NSFontWeightTrait of NSFontTraitsAttribute
};

// The fonts this process can name. The families the default note styles use
// are built in, so documents look the same on every machine; the families
// installed here are added when a GUI application object exists.
class FontCatalog {
public:
    static FontCatalog& shared();

    // The size the platform gives for a size of 0 or less.
    static constexpr double kDefaultFontSize = 12.0;

    // A face by PostScript name, or a family by name (its regular face);
    // null for a name the catalogue does not know.
    FontRef fontWithName(const QString& name, double size) const;
    // The face of the family nearest the weight (regular without one); null
    // for an unknown family.
    FontRef fontWithDescriptor(const FontDescriptor& descriptor, double size) const;
    // The font for user text; never null.
    FontRef userFontOfSize(double size) const;

    QStringList familyNames() const;
    // A family as documents name it: the font database lists a family that
    // several foundries install as "<family> [<foundry>]", once for each.
    static QString plainFamilyName(const QString& listedName);

private:
    FontCatalog();

    struct Face {
        QString fontName;
        double weight;
    };
    struct Family {
        QString name;
        QList<Face> faces;
    };

    void addFamily(const QString& name, QList<Face> faces);
    const Family* family(const QString& name) const;

    QList<Family> m_families;
};

} // namespace platform
