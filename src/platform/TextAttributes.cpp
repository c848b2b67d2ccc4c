#include "platform/TextAttributes.h"

namespace platform {

bool colorsEqual(const ColorRef& color, const ColorRef& other)
{
    if (!color || !other)
        return !color && !other;
    if (color == other)
        return true;
    if (color->type() != other->type() || color->colorSpace() != other->colorSpace())
        return false;
    switch (color->type()) {
    case Color::Type::Catalog:
        return color->colorListName() == other->colorListName() &&
               color->catalogNameComponent() == other->catalogNameComponent();
    case Color::Type::Pattern:
        return color->patternImageName() == other->patternImageName();
    case Color::Type::ComponentBased:
        break;
    }
    if (color->colorSpace() == Color::Space::Gray) {
        const auto a = color->whiteAlpha();
        const auto b = other->whiteAlpha();
        return a && b && a->white == b->white && a->alpha == b->alpha;
    }
    const auto a = color->rgba();
    const auto b = other->rgba();
    return a && b && a->red == b->red && a->green == b->green && a->blue == b->blue && a->alpha == b->alpha;
}

FontRef AttributeValue::font() const
{
    const auto* font = std::get_if<FontRef>(&m_value);
    return font ? *font : nullptr;
}

const ParagraphStyle* AttributeValue::paragraphStyle() const
{
    return std::get_if<ParagraphStyle>(&m_value);
}

ColorRef AttributeValue::color() const
{
    const auto* color = std::get_if<ColorRef>(&m_value);
    return color ? *color : nullptr;
}

const QString* AttributeValue::string() const
{
    return std::get_if<QString>(&m_value);
}

const QUrl* AttributeValue::link() const
{
    return std::get_if<QUrl>(&m_value);
}

TextAttachmentRef AttributeValue::attachment() const
{
    const auto* attachment = std::get_if<TextAttachmentRef>(&m_value);
    return attachment ? *attachment : nullptr;
}

bool AttributeValue::isNumber() const
{
    return std::holds_alternative<std::int64_t>(m_value) || std::holds_alternative<double>(m_value);
}

std::int64_t AttributeValue::integerValue() const
{
    if (const auto* integer = std::get_if<std::int64_t>(&m_value))
        return *integer;
    if (const auto* number = std::get_if<double>(&m_value))
        return std::int64_t(*number);
    return 0;
}

double AttributeValue::doubleValue() const
{
    if (const auto* integer = std::get_if<std::int64_t>(&m_value))
        return double(*integer);
    if (const auto* number = std::get_if<double>(&m_value))
        return *number;
    return 0.0;
}

bool AttributeValue::operator==(const AttributeValue& other) const
{
    if (isNumber() && other.isNumber())
        return doubleValue() == other.doubleValue();
    if (m_value.index() != other.m_value.index())
        return false;
    if (const auto* font = std::get_if<FontRef>(&m_value))
        return fontsEqual(*font, std::get<FontRef>(other.m_value));
    if (const auto* color = std::get_if<ColorRef>(&m_value))
        return colorsEqual(*color, std::get<ColorRef>(other.m_value));
    return m_value == other.m_value;
}

const AttributeValue* AttributeDictionary::find(const QString& name) const
{
    for (const Entry& entry : m_entries) {
        if (entry.first == name)
            return &entry.second;
    }
    return nullptr;
}

void AttributeDictionary::set(const QString& name, AttributeValue value)
{
    for (Entry& entry : m_entries) {
        if (entry.first == name) {
            entry.second = std::move(value);
            return;
        }
    }
    m_entries.emplace_back(name, std::move(value));
}

void AttributeDictionary::remove(const QString& name)
{
    std::erase_if(m_entries, [&](const Entry& entry) { return entry.first == name; });
}

QStringList AttributeDictionary::keys() const
{
    QStringList names;
    for (const Entry& entry : m_entries)
        names.append(entry.first);
    return names;
}

bool AttributeDictionary::operator==(const AttributeDictionary& other) const
{
    if (size() != other.size())
        return false;
    for (const Entry& entry : m_entries) {
        const AttributeValue* theirs = other.find(entry.first);
        if (!theirs || !(*theirs == entry.second))
            return false;
    }
    return true;
}

} // namespace platform
