#pragma once

#include "platform/TextAttributes.h"

#include <QString>
#include <vector>

namespace platform {

// The character that stands for an attachment in styled text.
inline constexpr char16_t NSAttachmentCharacter = 0xFFFC;

// A stretch of text that shares one set of attributes.
struct AttributeRun {
    int location = 0;
    int length = 0;
    AttributeDictionary attributes;
};

// Styled text: plain UTF-16 text and the runs of attributes that cover it,
// in order, without gaps. Neighbouring runs always differ.
class AttributedString {
public:
    AttributedString() = default;
    explicit AttributedString(const QString& string, const AttributeDictionary& attributes = {});
    // One attachment character carrying `attachment`.
    static AttributedString withAttachment(TextAttachmentRef attachment);

    const QString& string() const { return m_string; }
    int length() const { return int(m_string.size()); }
    const std::vector<AttributeRun>& runs() const { return m_runs; }

    // The attributes at `index` (which must be inside the text).
    const AttributeDictionary& attributesAt(int index) const;

    void append(const AttributedString& other);
    void append(const QString& string, const AttributeDictionary& attributes);
    // `string` with the attributes of the last character (none when empty).
    void appendString(const QString& string);

    bool operator==(const AttributedString&) const = default;

private:
    QString m_string;
    std::vector<AttributeRun> m_runs;
};

// Fonts by traits. Italic faces are told by their name, as PostScript
// names do ("Menlo-Italic", "Helvetica-Oblique").
FontRef fontWithTraits(const QString& family, double size, bool bold, bool italic);
bool fontIsBold(const Font& font);
bool fontIsItalic(const Font& font);

} // namespace platform
