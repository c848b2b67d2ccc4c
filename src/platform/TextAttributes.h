#pragma once

#include "platform/Color.h"
#include "platform/Font.h"
#include "platform/ParagraphStyle.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <concepts>
#include <cstdint>
#include <memory>
#include <utility>
#include <variant>
#include <vector>

namespace platform {

// Attribute names of styled text, spelled as the platform stores them.
inline const QString NSFontAttributeName = QStringLiteral("NSFont");
inline const QString NSParagraphStyleAttributeName = QStringLiteral("NSParagraphStyle");
inline const QString NSForegroundColorAttributeName = QStringLiteral("NSColor");
inline const QString NSBackgroundColorAttributeName = QStringLiteral("NSBackgroundColor");
inline const QString NSUnderlineStyleAttributeName = QStringLiteral("NSUnderline");
inline const QString NSStrikethroughStyleAttributeName = QStringLiteral("NSStrikethrough");
inline const QString NSLigatureAttributeName = QStringLiteral("NSLigature");
inline const QString NSKernAttributeName = QStringLiteral("NSKern");
inline const QString NSAttachmentAttributeName = QStringLiteral("NSAttachment");
inline const QString NSLinkAttributeName = QStringLiteral("NSLink");
inline const QString NSWritingDirectionAttributeName = QStringLiteral("NSWritingDirection");
inline const QString NSVerticalGlyphFormAttributeName = QStringLiteral("CTVerticalForms");

// Underline and strikethrough values.
inline constexpr std::int64_t NSUnderlineStyleNone = 0x00;
inline constexpr std::int64_t NSUnderlineStyleSingle = 0x01;
inline constexpr std::int64_t NSUnderlineStyleThick = 0x02;
inline constexpr std::int64_t NSUnderlineStyleDouble = 0x09;

// A file embedded in styled text. Attachments are equal only to themselves.
struct TextAttachment {
    QString fileName;
    QByteArray contents;
    // When set, the contents are this file's, copied only when the
    // document is written (attachments can be larger than memory).
    QString contentsFilePath = {};
};
using TextAttachmentRef = std::shared_ptr<const TextAttachment>;

// Colours compare by kind, space, components and catalogue key.
bool colorsEqual(const ColorRef& color, const ColorRef& other);

// One attribute value. Numbers compare by value whether stored as integer
// or double; fonts and colours by value; attachments by identity.
class AttributeValue {
public:
    using Storage = std::variant<std::monostate, FontRef, ParagraphStyle, ColorRef, std::int64_t, double, QString,
                                 QUrl, TextAttachmentRef>;

    AttributeValue() = default;
    AttributeValue(FontRef font) : m_value(std::move(font)) {}
    AttributeValue(ParagraphStyle style) : m_value(std::move(style)) {}
    AttributeValue(ColorRef color) : m_value(std::move(color)) {}
    template <std::integral Integer>
        requires(!std::same_as<Integer, bool>)
    AttributeValue(Integer number) : m_value(std::int64_t(number)) {}
    AttributeValue(double number) : m_value(number) {}
    AttributeValue(QString string) : m_value(std::move(string)) {}
    AttributeValue(QUrl link) : m_value(std::move(link)) {}
    AttributeValue(TextAttachmentRef attachment) : m_value(std::move(attachment)) {}

    bool isNull() const { return std::holds_alternative<std::monostate>(m_value); }
    const Storage& storage() const { return m_value; }

    // Null unless the value holds that kind.
    FontRef font() const;
    const ParagraphStyle* paragraphStyle() const;
    ColorRef color() const;
    const QString* string() const;
    const QUrl* link() const;
    TextAttachmentRef attachment() const;
    bool isNumber() const;
    // 0 for a value that is not a number.
    std::int64_t integerValue() const;
    double doubleValue() const;

    bool operator==(const AttributeValue& other) const;

private:
    Storage m_value;
};

// Attributes by name, keeping the order they were first set in. Equality
// ignores that order, as dictionaries do.
class AttributeDictionary {
public:
    using Entry = std::pair<QString, AttributeValue>;

    // Replaces the value in place when the name is present, else appends.
    void set(const QString& name, AttributeValue value);
    void remove(const QString& name);
    bool contains(const QString& name) const { return find(name) != nullptr; }
    // Null when absent.
    const AttributeValue* value(const QString& name) const { return find(name); }

    QStringList keys() const;
    int size() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.empty(); }
    std::vector<Entry>::const_iterator begin() const { return m_entries.begin(); }
    std::vector<Entry>::const_iterator end() const { return m_entries.end(); }

    bool operator==(const AttributeDictionary& other) const;

private:
    const AttributeValue* find(const QString& name) const;

    std::vector<Entry> m_entries;
};

} // namespace platform
