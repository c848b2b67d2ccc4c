#include "platform/AttributedString.h"

namespace platform {

AttributedString::AttributedString(const QString& string, const AttributeDictionary& attributes)
{
    append(string, attributes);
}

AttributedString AttributedString::withAttachment(TextAttachmentRef attachment)
{
    AttributeDictionary attributes;
    attributes.set(NSAttachmentAttributeName, std::move(attachment));
    return AttributedString(QString(QChar(NSAttachmentCharacter)), attributes);
}

const AttributeDictionary& AttributedString::attributesAt(int index) const
{
    // Runs are sorted; a binary search keeps long documents cheap.
    auto it = std::upper_bound(m_runs.begin(), m_runs.end(), index,
                               [](int value, const AttributeRun& run) { return value < run.location; });
    Q_ASSERT(it != m_runs.begin());
    return std::prev(it)->attributes;
}

void AttributedString::append(const AttributedString& other)
{
    for (const AttributeRun& run : other.m_runs)
        append(other.m_string.mid(run.location, run.length), run.attributes);
}

void AttributedString::append(const QString& string, const AttributeDictionary& attributes)
{
    if (string.isEmpty())
        return;
    if (!m_runs.empty() && m_runs.back().attributes == attributes) {
        m_runs.back().length += int(string.size());
    } else {
        m_runs.push_back(AttributeRun{length(), int(string.size()), attributes});
    }
    m_string += string;
}

void AttributedString::appendString(const QString& string)
{
    append(string, m_runs.empty() ? AttributeDictionary() : m_runs.back().attributes);
}

FontRef fontWithTraits(const QString& family, double size, bool bold, bool italic)
{
    const double weight = bold ? NSFontWeightBold : NSFontWeightRegular;
    FontRef font = FontCatalog::shared().fontWithDescriptor({family, weight}, size);
    QString familyName = font ? font->familyName() : family;
    QString fontName = font ? font->fontName() : QString(family).remove(u' ');
    double faceWeight = font ? font->weight() : weight;
    if (!font && bold)
        fontName += QStringLiteral("-Bold");
    if (bold && faceWeight < NSFontWeightSemibold) {
        // The catalogue has no bold face; the name and weight still say bold.
        fontName += QStringLiteral("-Bold");
        faceWeight = NSFontWeightBold;
    }
    if (italic) {
        if (fontName.endsWith(QLatin1String("-Regular")))
            fontName.chop(8);
        fontName += fontName.contains(u'-') ? QStringLiteral("Italic") : QStringLiteral("-Italic");
    }
    if (font && !italic && font->fontName() == fontName)
        return font;
    const double pointSize = size > 0 ? size : FontCatalog::kDefaultFontSize;
    return std::make_shared<const Font>(Font::Token{}, familyName, fontName, pointSize, faceWeight);
}

bool fontIsBold(const Font& font)
{
    return font.weight() >= NSFontWeightSemibold;
}

bool fontIsItalic(const Font& font)
{
    return font.fontName().contains(QLatin1String("Italic")) || font.fontName().contains(QLatin1String("Oblique"));
}

} // namespace platform
