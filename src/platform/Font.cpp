#include "platform/Font.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <algorithm>
#include <cmath>

namespace platform {

Font::Font(Token, QString familyName, QString fontName, double pointSize, double weight)
    : m_familyName(std::move(familyName)), m_fontName(std::move(fontName)), m_pointSize(pointSize),
      m_weight(weight)
{
}

bool fontsEqual(const FontRef& font, const FontRef& other)
{
    if (!font || !other)
        return !font && !other;
    return font == other || *font == *other;
}

namespace {

// Qt's 100...900 weights on the platform's trait scale.
double traitForQtWeight(int qtWeight)
{
    static constexpr struct { int qt; double trait; } kTable[] = {
        {100, NSFontWeightUltraLight}, {200, NSFontWeightThin}, {300, NSFontWeightLight},
        {400, NSFontWeightRegular},    {500, NSFontWeightMedium}, {600, NSFontWeightSemibold},
        {700, NSFontWeightBold},       {800, NSFontWeightHeavy}, {900, NSFontWeightBlack},
    };
    const auto* best = &kTable[0];
    for (const auto& entry : kTable) {
        if (std::abs(entry.qt - qtWeight) < std::abs(best->qt - qtWeight))
            best = &entry;
    }
    return best->trait;
}

QString withoutSpaces(QString text)
{
    return text.remove(QLatin1Char(' '));
}

double effectiveSize(double size)
{
    return size > 0.0 ? size : FontCatalog::kDefaultFontSize;
}

const QString kUserFontName = QStringLiteral("HelveticaNeue");

} // namespace

FontCatalog& FontCatalog::shared()
{
    static FontCatalog catalog;
    return catalog;
}

FontCatalog::FontCatalog()
{
    addFamily(QStringLiteral("Helvetica Neue"),
              {{QStringLiteral("HelveticaNeue"), NSFontWeightRegular},
               {QStringLiteral("HelveticaNeue-Bold"), NSFontWeightBold}});
    addFamily(QStringLiteral("Menlo"),
              {{QStringLiteral("Menlo-Regular"), NSFontWeightRegular},
               {QStringLiteral("Menlo-Bold"), NSFontWeightBold}});

    // The font database needs the GUI application's platform integration.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    for (const QString& listed : QFontDatabase::families()) {
        // A family that several foundries install is listed once for each,
        // as "Nimbus Sans [URW ]"; documents name it plainly.
        const QString familyName = plainFamilyName(listed);
        if (family(familyName))
            continue;
        QList<Face> upright, italic;
        for (const QString& style : QFontDatabase::styles(familyName)) {
            const Face face{withoutSpaces(familyName) + QLatin1Char('-') + withoutSpaces(style),
                            traitForQtWeight(QFontDatabase::weight(familyName, style))};
            auto& faces = QFontDatabase::italic(familyName, style) ? italic : upright;
            if (std::none_of(faces.cbegin(), faces.cend(), [&](const Face& f) { return f.fontName == face.fontName; }))
                faces.append(face);
        }
        // A family with italic faces only (a script face) is still a family.
        if (!upright.isEmpty())
            addFamily(familyName, std::move(upright));
        else if (!italic.isEmpty())
            addFamily(familyName, std::move(italic));
    }
}

QString FontCatalog::plainFamilyName(const QString& listedName)
{
    // Family names may hold brackets of their own; only a trailing
    // " [foundry]" is the font database's addition.
    if (!listedName.endsWith(QLatin1Char(']')))
        return listedName;
    const qsizetype open = listedName.lastIndexOf(QLatin1String(" ["));
    return open > 0 ? listedName.left(open) : listedName;
}

void FontCatalog::addFamily(const QString& name, QList<Face> faces)
{
    m_families.append({name, std::move(faces)});
}

const FontCatalog::Family* FontCatalog::family(const QString& name) const
{
    for (const Family& candidate : m_families) {
        if (candidate.name == name)
            return &candidate;
    }
    return nullptr;
}

QStringList FontCatalog::familyNames() const
{
    QStringList names;
    for (const Family& candidate : m_families)
        names.append(candidate.name);
    return names;
}

FontRef FontCatalog::fontWithName(const QString& name, double size) const
{
    if (name.isEmpty())
        return nullptr;
    for (const Family& candidate : m_families) {
        for (const Face& face : candidate.faces) {
            if (face.fontName == name)
                return std::make_shared<const Font>(Font::Token{}, candidate.name, face.fontName,
                                                    effectiveSize(size), face.weight);
        }
    }
    if (family(name))
        return fontWithDescriptor({name, NSFontWeightRegular}, size);
    return nullptr;
}

FontRef FontCatalog::fontWithDescriptor(const FontDescriptor& descriptor, double size) const
{
    const Family* match = family(descriptor.family);
    if (!match || match->faces.isEmpty())
        return nullptr;
    const double wanted = descriptor.weight.value_or(NSFontWeightRegular);
    const Face* best = &match->faces.first();
    for (const Face& face : match->faces) {
        if (std::abs(face.weight - wanted) < std::abs(best->weight - wanted))
            best = &face;
    }
    return std::make_shared<const Font>(Font::Token{}, match->name, best->fontName, effectiveSize(size),
                                        best->weight);
}

FontRef FontCatalog::userFontOfSize(double size) const
{
    return fontWithName(kUserFontName, size);
}

} // namespace platform
