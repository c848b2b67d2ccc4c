// Keyed-archive coding of paragraph styles ("NSParagraphStyle") and their
// tab stops ("NSTextTab"). Every field is written; a reader refuses values
// that no paragraph style could hold rather than guessing.
#include "platform/KeyedArchiver.h"
#include "platform/ParagraphStyle.h"

#include <cmath>
#include <optional>

namespace platform {

namespace {

// Alignments by meaning, numbered the same on every machine.
constexpr std::pair<TextAlignment, qint64> kAlignmentCodes[] = {
    {TextAlignment::Left, 0},      {TextAlignment::Right, 1},   {TextAlignment::Center, 2},
    {TextAlignment::Justified, 3}, {TextAlignment::Natural, 4},
};

constexpr long kMaxHeaderLevel = 6;

qint64 alignmentCode(TextAlignment alignment)
{
    for (const auto& [value, code] : kAlignmentCodes)
        if (value == alignment)
            return code;
    return 4;
}

std::optional<TextAlignment> alignmentFromCode(qint64 code)
{
    for (const auto& [value, known] : kAlignmentCodes)
        if (known == code)
            return value;
    return std::nullopt;
}

void fail(KeyedUnarchiver& coder, const QString& what)
{
    coder.failWithError(Error(QString::fromLatin1(kCocoaErrorDomain), kCoderReadCorruptError,
                              QStringLiteral("The archived paragraph style has %1.").arg(what)));
}

// Lengths are finite; NaN or infinity would spread into layout and CSS.
bool decodeLength(KeyedUnarchiver& coder, const char* key, double* out)
{
    const double value = coder.decodeDouble(QLatin1String(key));
    if (!std::isfinite(value)) {
        fail(coder, QStringLiteral("a non-finite “%1”").arg(QLatin1String(key)));
        return false;
    }
    *out = value;
    return true;
}

void encodeTab(const QVariant& object, KeyedArchiver& coder)
{
    const TextTab tab = object.value<TextTab>();
    coder.encodeInteger(alignmentCode(tab.alignment), QStringLiteral("NSTabAlignment"));
    coder.encodeDouble(tab.location, QStringLiteral("NSLocation"));
}

QVariant decodeTab(KeyedUnarchiver& coder)
{
    TextTab tab;
    const auto alignment = alignmentFromCode(coder.decodeInteger(QStringLiteral("NSTabAlignment")));
    if (!alignment) {
        fail(coder, QStringLiteral("a tab stop of unknown alignment"));
        return {};
    }
    tab.alignment = *alignment;
    if (!decodeLength(coder, "NSLocation", &tab.location))
        return {};
    return coder.error() ? QVariant() : QVariant::fromValue(tab);
}

void encodeParagraphStyle(const QVariant& object, KeyedArchiver& coder)
{
    const ParagraphStyle style = object.value<ParagraphStyle>();
    coder.encodeInteger(alignmentCode(style.alignment), QStringLiteral("NSAlignment"));
    coder.encodeDouble(style.lineSpacing, QStringLiteral("NSLineSpacing"));
    coder.encodeDouble(style.paragraphSpacing, QStringLiteral("NSParagraphSpacing"));
    coder.encodeDouble(style.paragraphSpacingBefore, QStringLiteral("NSParagraphSpacingBefore"));
    coder.encodeDouble(style.headIndent, QStringLiteral("NSHeadIndent"));
    coder.encodeDouble(style.tailIndent, QStringLiteral("NSTailIndent"));
    coder.encodeDouble(style.firstLineHeadIndent, QStringLiteral("NSFirstLineHeadIndent"));
    coder.encodeDouble(style.lineHeightMultiple, QStringLiteral("NSLineHeightMultiple"));
    coder.encodeDouble(style.minimumLineHeight, QStringLiteral("NSMinimumLineHeight"));
    coder.encodeDouble(style.maximumLineHeight, QStringLiteral("NSMaximumLineHeight"));
    coder.encodeInteger(qint64(style.baseWritingDirection), QStringLiteral("NSWritingDirection"));
    coder.encodeInteger(style.headerLevel, QStringLiteral("NSHeaderLevel"));
    QVariantList tabs;
    for (const TextTab& tab : style.tabStops)
        tabs.append(QVariant::fromValue(tab));
    coder.encodeObject(tabs, QStringLiteral("NSTabs"));
    coder.encodeDouble(style.defaultTabInterval, QStringLiteral("NSDefaultTabInterval"));
}

QVariant decodeParagraphStyle(KeyedUnarchiver& coder)
{
    ParagraphStyle style;
    // Absent keys keep the plain defaults (natural alignment and direction).
    if (coder.containsValueForKey(QStringLiteral("NSAlignment"))) {
        const auto alignment = alignmentFromCode(coder.decodeInteger(QStringLiteral("NSAlignment")));
        if (!alignment) {
            fail(coder, QStringLiteral("an unknown alignment"));
            return {};
        }
        style.alignment = *alignment;
    }
    if (!decodeLength(coder, "NSLineSpacing", &style.lineSpacing)
        || !decodeLength(coder, "NSParagraphSpacing", &style.paragraphSpacing)
        || !decodeLength(coder, "NSParagraphSpacingBefore", &style.paragraphSpacingBefore)
        || !decodeLength(coder, "NSHeadIndent", &style.headIndent)
        || !decodeLength(coder, "NSTailIndent", &style.tailIndent)
        || !decodeLength(coder, "NSFirstLineHeadIndent", &style.firstLineHeadIndent)
        || !decodeLength(coder, "NSLineHeightMultiple", &style.lineHeightMultiple)
        || !decodeLength(coder, "NSMinimumLineHeight", &style.minimumLineHeight)
        || !decodeLength(coder, "NSMaximumLineHeight", &style.maximumLineHeight)
        || !decodeLength(coder, "NSDefaultTabInterval", &style.defaultTabInterval))
        return {};
    if (coder.containsValueForKey(QStringLiteral("NSWritingDirection"))) {
        const qint64 direction = coder.decodeInteger(QStringLiteral("NSWritingDirection"));
        if (direction < -1 || direction > 1) {
            fail(coder, QStringLiteral("an unknown writing direction"));
            return {};
        }
        style.baseWritingDirection = WritingDirection(direction);
    }
    const qint64 headerLevel = coder.decodeInteger(QStringLiteral("NSHeaderLevel"));
    if (headerLevel < 0 || headerLevel > kMaxHeaderLevel) {
        fail(coder, QStringLiteral("a header level out of range"));
        return {};
    }
    style.headerLevel = long(headerLevel);
    const QVariant tabs =
        coder.decodeObjectOfClasses({QStringLiteral("NSArray"), QStringLiteral("NSTextTab")}, QStringLiteral("NSTabs"));
    if (tabs.isValid()) {
        if (tabs.typeId() != QMetaType::QVariantList) {
            fail(coder, QStringLiteral("tab stops that are not a list"));
            return {};
        }
        for (const QVariant& tab : tabs.toList()) {
            if (tab.metaType() != QMetaType::fromType<TextTab>()) {
                fail(coder, QStringLiteral("a tab stop that is not one"));
                return {};
            }
            style.tabStops.append(tab.value<TextTab>());
        }
    }
    return coder.error() ? QVariant() : QVariant::fromValue(style);
}

} // namespace

ArchivableClass paragraphStyleArchivableClass()
{
    return ArchivableClass::make(QStringLiteral("NSParagraphStyle"), QMetaType::fromType<ParagraphStyle>(),
                                 encodeParagraphStyle, decodeParagraphStyle);
}

ArchivableClass textTabArchivableClass()
{
    return ArchivableClass::make(QStringLiteral("NSTextTab"), QMetaType::fromType<TextTab>(), encodeTab, decodeTab);
}

} // namespace platform
