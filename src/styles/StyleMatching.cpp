#include "styles/OTLNoteTextStyle.h"

#include "platform/LocalizedString.h"

using platform::AttributeDictionary;
using platform::AttributeValue;
using platform::NSParagraphStyleAttributeName;
using platform::ParagraphStyle;

namespace {

ParagraphStyle withNaturalDirection(ParagraphStyle style)
{
    style.baseWritingDirection = platform::WritingDirection::Natural;
    return style;
}

} // namespace

bool OTLNoteTextStyle::matchesAttributes(const AttributeDictionary& attributes) const
{
    return matchesAttributes(attributes, otherAllowedAttributeNames());
}

bool OTLNoteTextStyle::matchesAttributes(const AttributeDictionary& attributes,
                                         const std::optional<QStringList>& ignoringAttributes) const
{
    const AttributeDictionary own = this->attributes();
    for (const auto& [key, value] : attributes) {
        const bool isParagraphStyle = key == NSParagraphStyleAttributeName;
        // A value under the paragraph key that is no paragraph style matches nothing.
        if (isParagraphStyle && !value.paragraphStyle())
            return false;
        if (isParagraphStyle && !m_applyToParagraph && !value.paragraphStyle()->lineSpacingMatchesStyle(paragraphStyle()))
            return false;
        if (ignoringAttributes && ignoringAttributes->contains(key))
            continue;
        const AttributeValue* mine = own.value(key);
        if (!mine)
            return false;
        if (isParagraphStyle) {
            if (withNaturalDirection(*mine->paragraphStyle()) != withNaturalDirection(*value.paragraphStyle()))
                return false;
        } else if (!(*mine == value)) {
            return false;
        }
    }
    return true;
}

bool OTLNoteTextStyle::matchesStyle(const OTLNoteTextStyle& style) const
{
    return matchesAttributes(style.attributes(), std::nullopt);
}

AttributeDictionary OTLNoteTextStyle::attributesWithOtherAttributes(const AttributeDictionary& attributes) const
{
    AttributeDictionary merged = this->attributes();
    const QStringList allowed = otherAllowedAttributeNames();
    for (const auto& [key, value] : attributes) {
        if (allowed.contains(key))
            merged.set(key, value);
    }
    if (m_applyToParagraph)
        return merged;
    const AttributeValue* theirs = attributes.value(NSParagraphStyleAttributeName);
    if (theirs && theirs->paragraphStyle()) {
        ParagraphStyle paragraph = *theirs->paragraphStyle();
        paragraph.applyLineSpacingFromStyle(paragraphStyle());
        merged.set(NSParagraphStyleAttributeName, paragraph);
    } else {
        // Nothing usable in the text: the style's own paragraph style stays.
        merged.set(NSParagraphStyleAttributeName, paragraphStyle());
    }
    return merged;
}

OTLNoteTextStyleRef OTLNoteTextStyle::styleThatMatchesAttributes(const AttributeDictionary& attributes)
{
    for (const OTLNoteTextStyleRef& style : allStyles()) {
        if (style->matchesAttributes(attributes))
            return style;
    }
    return nullptr;
}

OTLNoteTextStyleRef OTLNoteTextStyle::customStyleFromAttributes(const AttributeDictionary& attributes)
{
    const auto valueOf = [&attributes](const QString& key) {
        const AttributeValue* value = attributes.value(key);
        return value ? *value : AttributeValue();
    };
    auto style = create();
    style->setName(platform::localizedString("New Style"));
    style->setType(OTLNoteTextStyleTypeCustom);
    style->setFont(valueOf(platform::NSFontAttributeName).font());
    const AttributeValue paragraph = valueOf(NSParagraphStyleAttributeName);
    if (const ParagraphStyle* paragraphStyle = paragraph.paragraphStyle())
        style->setParagraphStyle(*paragraphStyle);
    style->setForegroundColor(valueOf(platform::NSForegroundColorAttributeName).color());
    style->setUnderlineStyle(valueOf(platform::NSUnderlineStyleAttributeName).integerValue());
    style->setStrikethrough(valueOf(platform::NSStrikethroughStyleAttributeName).integerValue());
    return style;
}
