#include "styles/OTLNoteTextStyle.h"

#include "colors/ColorExtensions.h"
#include "platform/KeyedArchiver.h"
#include "platform/LocalizedString.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "text/UserDefaultsExtensions.h"

#include <cmath>

using platform::Error;
using platform::FontCatalog;
using platform::KeyedArchiver;
using platform::KeyedUnarchiver;
using platform::ParagraphStyle;

namespace {

const QString kStringClass = QStringLiteral("NSString");

Error corrupt(const QString& description)
{
    return Error(QString::fromLatin1(platform::kCocoaErrorDomain), platform::kCoderReadCorruptError, description);
}

// A string field; null when absent. Anything but a string fails the coder.
QString decodeString(KeyedUnarchiver& coder, const QString& key)
{
    const QVariant value = coder.decodeObjectOfClass(kStringClass, key);
    if (value.isValid() && value.typeId() != QMetaType::QString) {
        coder.failWithError(corrupt(QStringLiteral("The style's “%1” is not a string.").arg(key)));
        return {};
    }
    return value.toString();
}

// "red", "green", "blue", "alpha" as finite numbers; nullopt (and the coder
// failed) for anything else.
std::optional<QVariantMap> decodeColorDictionary(KeyedUnarchiver& coder, const QString& key)
{
    const QVariant value = coder.decodeObjectOfClasses(
        {QStringLiteral("NSDictionary"), kStringClass, QStringLiteral("NSNumber")}, key);
    if (!value.isValid())
        return QVariantMap();
    const auto malformed = [&] {
        coder.failWithError(corrupt(QStringLiteral("The style's “%1” is not a colour dictionary.").arg(key)));
        return std::nullopt;
    };
    if (value.typeId() != QMetaType::QVariantMap)
        return malformed();
    const QVariantMap map = value.toMap();
    for (const QVariant& component : map) {
        const int type = component.typeId();
        if (type != QMetaType::Double && type != QMetaType::LongLong)
            return malformed();
        if (!std::isfinite(component.toDouble()))
            return malformed();
    }
    return map;
}

} // namespace

QList<OTLNoteTextStyleRef> OTLNoteTextStyle::stylesFromSavedValue(const QVariant& stored)
{
    registerCoding();
    if (!stored.isValid())
        return {};
    Error error;
    QList<OTLNoteTextStyleRef> styles;
    bool readable = false;
    if (stored.typeId() != QMetaType::QByteArray) {
        error = corrupt(QStringLiteral("The saved note styles are not data."));
    } else {
        const QVariant root = KeyedUnarchiver::unarchivedObjectOfClasses(
            {QStringLiteral("NSArray"), OTLNoteTextStyleClassName}, stored.toByteArray(), &error);
        if (root.isValid()) {
            readable = root.typeId() == QMetaType::QVariantList;
            for (const QVariant& element : root.toList()) {
                const auto style = element.value<OTLNoteTextStyleRef>();
                if (element.metaType() != QMetaType::fromType<OTLNoteTextStyleRef>() || !style) {
                    readable = false;
                    break;
                }
                styles.append(style);
            }
            if (!readable)
                error = corrupt(QStringLiteral("The saved note styles are not a list of styles."));
        }
    }
    if (readable)
        return styles;
    platform::logLine(platform::stringWithFormat(QStringLiteral("Error unarchiving saved note styles: %@"),
                                                 {fw::errorLogDescription(error)}));
    return {};
}

QList<OTLNoteTextStyleRef> OTLNoteTextStyle::readSavedStylesFromDefaults()
{
    return stylesFromSavedValue(platform::UserDefaults::standard().object(OTLNoteTextStylesKey));
}

void OTLNoteTextStyle::registerCoding()
{
    static const bool registered = [] {
        platform::ArchivableClass archivable;
        archivable.className = OTLNoteTextStyleClassName;
        archivable.metaType = QMetaType::fromType<OTLNoteTextStyleRef>();
        archivable.supportsSecureCoding = supportsSecureCoding();
        archivable.encode = [](const QVariant& object, KeyedArchiver& coder) {
            object.value<OTLNoteTextStyleRef>()->encodeWithCoder(coder);
        };
        archivable.decode = [](KeyedUnarchiver& coder) {
            const OTLNoteTextStyleRef style = initWithCoder(coder);
            return style ? QVariant::fromValue(style) : QVariant();
        };
        archivable.isNull = [](const QVariant& object) { return !object.value<OTLNoteTextStyleRef>(); };
        platform::registerArchivableClass(std::move(archivable));
        return true;
    }();
    (void)registered;
}

void OTLNoteTextStyle::encodeWithCoder(KeyedArchiver& coder) const
{
    coder.encodeInteger(m_type, QStringLiteral("type"));
    if (!m_name.isNull())
        coder.encodeObject(m_name, QStringLiteral("name"));
    if (m_font)
        coder.encodeObject(m_font->fontName(), QStringLiteral("fontName"));
    coder.encodeFloat(m_font ? static_cast<float>(m_font->pointSize()) : 0.0f, QStringLiteral("fontSize"));
    if (m_paragraphStyle)
        coder.encodeObject(QVariant::fromValue(*m_paragraphStyle), QStringLiteral("paragraphStyle"));
    coder.encodeInteger(m_underlineStyle, QStringLiteral("underlineStyle"));
    coder.encodeInteger(m_strikethrough, QStringLiteral("strikethrough"));
    // A colour without an RGB form (a pattern) has no dictionary to write.
    const QVariantMap color = otl::propertyListRepresentation(foregroundColor());
    if (!color.isEmpty())
        coder.encodeObject(color, QStringLiteral("foregroundColor"));
    coder.encodeBool(resetOnNewLine(), QStringLiteral("resetOnNewLine"));
    coder.encodeBool(m_applyToParagraph, QStringLiteral("applyToParagraph"));
    const QString identifier = customStyleIdentifier();
    if (!identifier.isNull())
        coder.encodeObject(identifier, QStringLiteral("customStyleIdentifier"));
}

OTLNoteTextStyleRef OTLNoteTextStyle::initWithCoder(KeyedUnarchiver& coder)
{
    auto style = create();
    style->setType(coder.decodeInteger(QStringLiteral("type")));

    const QString name = decodeString(coder, QStringLiteral("name"));
    if (!name.isNull())
        style->setName(name);

    const QString fontName = decodeString(coder, QStringLiteral("fontName"));
    const float fontSize = coder.decodeFloat(QStringLiteral("fontSize"));
    if (!std::isfinite(fontSize)) {
        coder.failWithError(corrupt(QStringLiteral("The style's font size is not a finite number.")));
        return nullptr;
    }
    platform::FontRef font = FontCatalog::shared().fontWithName(fontName, fontSize);
    if (!font)
        font = FontCatalog::shared().fontWithName(QStringLiteral("Helvetica Neue"), fontSize);
    style->setFont(font);

    const QVariant paragraph =
        coder.decodeObjectOfClass(QStringLiteral("NSParagraphStyle"), QStringLiteral("paragraphStyle"));
    if (paragraph.isValid()) {
        if (paragraph.metaType() != QMetaType::fromType<ParagraphStyle>()) {
            coder.failWithError(corrupt(QStringLiteral("The style's paragraph style is not one.")));
            return nullptr;
        }
        style->setParagraphStyle(paragraph.value<ParagraphStyle>());
    }

    style->setUnderlineStyle(coder.decodeInteger(QStringLiteral("underlineStyle")));
    style->setStrikethrough(coder.decodeInteger(QStringLiteral("strikethrough")));

    const auto color = decodeColorDictionary(coder, QStringLiteral("foregroundColor"));
    if (!color)
        return nullptr;
    if (!color->isEmpty())
        style->setForegroundColor(otl::colorFromPropertyListRepresentation(*color));

    style->setResetOnNewLine(coder.decodeBool(QStringLiteral("resetOnNewLine")));
    style->setApplyToParagraph(coder.decodeBool(QStringLiteral("applyToParagraph")));
    // Replaces the identifier setType may have made, also with none.
    style->setCustomStyleIdentifier(decodeString(coder, QStringLiteral("customStyleIdentifier")));

    if (coder.error())
        return nullptr;
    return style;
}

bool OTLNoteTextStyle::shouldSaveToDefaults() const
{
    if (m_type == OTLNoteTextStyleTypeCustom)
        return true;
    const OTLNoteTextStyleRef standard = defaultStyleForType(m_type);
    return standard && !matchesStyle(*standard);
}

void OTLNoteTextStyle::saveStylesToDefaults(const QList<OTLNoteTextStyleRef>& styles)
{
    registerCoding();
    QVariantList saved;
    for (const OTLNoteTextStyleRef& style : styles) {
        if (style && style->shouldSaveToDefaults())
            saved.append(QVariant::fromValue(style));
    }
    platform::UserDefaults& defaults = platform::UserDefaults::standard();
    if (saved.isEmpty())
        defaults.removeObject(OTLNoteTextStylesKey);
    else
        fw::archiveObject(defaults, saved, OTLNoteTextStylesKey);
    reloadStylesFromDefaults();
    platform::NotificationCenter::defaultCenter().post(OTLNoteTextStyleDefaultsDidChangeNotification);
}

void OTLNoteTextStyle::addCustomStyle(const OTLNoteTextStyleRef& style)
{
    QList<OTLNoteTextStyleRef> styles = allStyles();
    styles.append(style);
    saveStylesToDefaults(styles);
}
