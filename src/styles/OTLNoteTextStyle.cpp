#include "styles/OTLNoteTextStyle.h"

#include "colors/ColorExtensions.h"
#include "platform/LocalizedString.h"
#include "platform/NotificationCenter.h"
#include "platform/StringCompare.h"
#include "platform/UserDefaults.h"

#include <QMetaType>
#include <QMutexLocker>
#include <QUuid>
#include <algorithm>

using platform::AttributeDictionary;
using platform::Color;
using platform::ColorRef;
using platform::FontCatalog;
using platform::FontRef;
using platform::ParagraphStyle;

namespace {

// The six process-wide caches, filled on first use.
struct StyleCaches {
    OTLNoteTextStyleRef title;
    OTLNoteTextStyleRef heading;
    OTLNoteTextStyleRef subheading;
    OTLNoteTextStyleRef body;
    OTLNoteTextStyleRef monospaced;
    std::optional<QList<OTLNoteTextStyleRef>> customStyles;
};

StyleCaches& caches()
{
    static StyleCaches cacheSlots;
    return cacheSlots;
}

OTLNoteTextStyleRef cachedStyle(OTLNoteTextStyleRef& slot, std::int64_t type)
{
    if (!slot) {
        slot = OTLNoteTextStyle::savedStyleForType(type);
        if (!slot)
            slot = OTLNoteTextStyle::defaultStyleForType(type);
    }
    return slot;
}

OTLNoteTextStyleRef makeDefaultStyle(std::int64_t type, const QString& family, double size, double weight,
                                     const std::function<void(ParagraphStyle&)>& adjust, bool paragraphStyleRules)
{
    auto style = OTLNoteTextStyle::create();
    style->setType(type);
    style->setFont(FontCatalog::shared().fontWithDescriptor({family, weight}, size));
    ParagraphStyle paragraph = ParagraphStyle::defaultParagraphStyle();
    if (adjust)
        adjust(paragraph);
    style->setParagraphStyle(paragraph);
    style->setApplyToParagraph(paragraphStyleRules);
    style->setResetOnNewLine(paragraphStyleRules);
    return style;
}

const QString kHelveticaNeue = QStringLiteral("Helvetica Neue");

} // namespace

OTLNoteTextStyleRef OTLNoteTextStyle::create()
{
    registerCoding();
    return std::make_shared<OTLNoteTextStyle>();
}

// ---- Fields

void OTLNoteTextStyle::setApplyToParagraph(bool applyToParagraph)
{
    m_applyToParagraph = applyToParagraph;
    didChange(QStringLiteral("applyToParagraph"));
}

void OTLNoteTextStyle::setResetOnNewLine(bool resetOnNewLine)
{
    m_resetOnNewLine.store(resetOnNewLine);
    didChange(QStringLiteral("resetOnNewLine"));
}

ColorRef OTLNoteTextStyle::foregroundColor() const
{
    if (!m_foregroundColor)
        return standardForegroundColor();
    if (otl::isBlackColor(m_foregroundColor) || otl::isWhiteColor(m_foregroundColor))
        return Color::textColor();
    return m_foregroundColor;
}

void OTLNoteTextStyle::setForegroundColor(const ColorRef& color)
{
    // Pure black or white would not follow the appearance; the text colour does.
    if (!color || otl::isBlackColor(color) || otl::isWhiteColor(color))
        m_foregroundColor.reset();
    else
        m_foregroundColor = color;
    didChange(QStringLiteral("foregroundColor"));
}

QString OTLNoteTextStyle::name() const
{
    switch (m_type) {
    case OTLNoteTextStyleTypeBody: return platform::localizedString("Body");
    case OTLNoteTextStyleTypeTitle: return platform::localizedString("Title");
    case OTLNoteTextStyleTypeHeading: return platform::localizedString("Heading");
    case OTLNoteTextStyleTypeMonospaced: return platform::localizedString("Monospaced");
    case OTLNoteTextStyleTypeSubheading: return platform::localizedString("Subheading");
    default: return m_name;
    }
}

void OTLNoteTextStyle::setName(const QString& name)
{
    m_name = name;
    didChange(QStringLiteral("name"));
}

void OTLNoteTextStyle::setType(std::int64_t type)
{
    if (type == m_type)
        return;
    m_type = type;
    if (type == OTLNoteTextStyleTypeCustom && customStyleIdentifier().isNull())
        setCustomStyleIdentifier(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
    didChange(QStringLiteral("type"));
}

ParagraphStyle OTLNoteTextStyle::paragraphStyle() const
{
    return m_paragraphStyle ? *m_paragraphStyle : ParagraphStyle::defaultParagraphStyle();
}

void OTLNoteTextStyle::setParagraphStyle(const std::optional<ParagraphStyle>& paragraphStyle)
{
    m_paragraphStyle = paragraphStyle;
    didChange(QStringLiteral("paragraphStyle"));
}

void OTLNoteTextStyle::setUnderlineStyle(std::int64_t underlineStyle)
{
    m_underlineStyle = underlineStyle;
    didChange(QStringLiteral("underlineStyle"));
}

void OTLNoteTextStyle::setStrikethrough(std::int64_t strikethrough)
{
    m_strikethrough = strikethrough;
    didChange(QStringLiteral("strikethrough"));
}

FontRef OTLNoteTextStyle::font() const
{
    return m_font ? m_font : FontCatalog::shared().userFontOfSize(12.0);
}

void OTLNoteTextStyle::setFont(const FontRef& font)
{
    m_font = font;
    didChange(QStringLiteral("font"));
}

QStringList OTLNoteTextStyle::otherAllowedAttributeNames() const
{
    if (m_otherAllowedAttributeNames)
        return *m_otherAllowedAttributeNames;
    QStringList names{platform::NSBackgroundColorAttributeName, platform::NSLigatureAttributeName,
                      platform::NSAttachmentAttributeName,      platform::NSLinkAttributeName,
                      platform::NSWritingDirectionAttributeName, platform::NSVerticalGlyphFormAttributeName};
    // A character style leaves the paragraph's own style alone.
    if (!m_applyToParagraph)
        names.append(platform::NSParagraphStyleAttributeName);
    return names;
}

void OTLNoteTextStyle::setOtherAllowedAttributeNames(const std::optional<QStringList>& names)
{
    m_otherAllowedAttributeNames = names;
    didChange(QStringLiteral("otherAllowedAttributeNames"));
}

QString OTLNoteTextStyle::customStyleIdentifier() const
{
    QMutexLocker lock(&m_identifierMutex);
    return m_customStyleIdentifier;
}

void OTLNoteTextStyle::setCustomStyleIdentifier(const QString& identifier)
{
    {
        QMutexLocker lock(&m_identifierMutex);
        m_customStyleIdentifier = identifier;
    }
    didChange(QStringLiteral("customStyleIdentifier"));
}

QString OTLNoteTextStyle::fontName() const
{
    return font()->fontName();
}

void OTLNoteTextStyle::setFontName(const QString& fontName)
{
    setFont(FontCatalog::shared().fontWithName(fontName, fontSize()));
}

double OTLNoteTextStyle::fontSize() const
{
    return font()->pointSize();
}

void OTLNoteTextStyle::setFontSize(double fontSize)
{
    setFont(FontCatalog::shared().fontWithName(fontName(), fontSize));
}

QString OTLNoteTextStyle::identifier() const
{
    switch (m_type) {
    case OTLNoteTextStyleTypeBody: return QStringLiteral("OTLNoteStyleIdentifierBody");
    case OTLNoteTextStyleTypeTitle: return QStringLiteral("OTLNoteStyleIdentifierTitle");
    case OTLNoteTextStyleTypeHeading: return QStringLiteral("OTLNoteStyleIdentifierHeading");
    case OTLNoteTextStyleTypeMonospaced: return QStringLiteral("OTLNoteStyleIdentifierMonospace");
    case OTLNoteTextStyleTypeSubheading: return QStringLiteral("OTLNoteStyleIdentifierSubheading");
    default: return customStyleIdentifier();
    }
}

AttributeDictionary OTLNoteTextStyle::attributes() const
{
    AttributeDictionary attributes;
    attributes.set(platform::NSFontAttributeName, font());
    attributes.set(platform::NSParagraphStyleAttributeName, paragraphStyle());
    attributes.set(platform::NSForegroundColorAttributeName, foregroundColor());
    attributes.set(platform::NSUnderlineStyleAttributeName, m_underlineStyle);
    attributes.set(platform::NSStrikethroughStyleAttributeName, m_strikethrough);
    const QString styleIdentifier = identifier();
    if (!styleIdentifier.isNull())
        attributes.set(OTLNoteTextStyleIdentifierAttributeName, styleIdentifier);
    return attributes;
}

OTLNoteTextStyleRef OTLNoteTextStyle::copy() const
{
    auto style = create();
    style->setType(m_type);
    style->setName(m_name);
    style->setFont(m_font);
    style->setParagraphStyle(m_paragraphStyle);
    style->setUnderlineStyle(m_underlineStyle);
    style->setStrikethrough(m_strikethrough);
    style->setForegroundColor(m_foregroundColor);
    style->setResetOnNewLine(resetOnNewLine());
    style->setApplyToParagraph(m_applyToParagraph);
    // The source's identifier wins over one setType made up, even when null.
    style->setCustomStyleIdentifier(customStyleIdentifier());
    return style;
}

// ---- Change observation

OTLNoteTextStyle::ObserverToken OTLNoteTextStyle::addObserver(const QString& key, Observer observer)
{
    const ObserverToken token = m_nextToken++;
    m_observers.push_back({token, key, std::move(observer)});
    return token;
}

void OTLNoteTextStyle::removeObserver(ObserverToken token)
{
    std::erase_if(m_observers, [token](const Registration& registration) { return registration.token == token; });
}

QSet<QString> OTLNoteTextStyle::keyPathsForValuesAffectingFontName()
{
    return {QStringLiteral("font")};
}

QSet<QString> OTLNoteTextStyle::keyPathsForValuesAffectingFontSize()
{
    return {QStringLiteral("font")};
}

void OTLNoteTextStyle::didChange(const QString& key)
{
    if (m_observers.empty())
        return;
    const auto affects = [&key](const QString& observed) {
        if (observed == key)
            return true;
        if (observed == u"fontName")
            return keyPathsForValuesAffectingFontName().contains(key);
        if (observed == u"fontSize")
            return keyPathsForValuesAffectingFontSize().contains(key);
        return false;
    };
    // A copy, so observers may register or leave while being told.
    const std::vector<Registration> registrations = m_observers;
    for (const Registration& registration : registrations) {
        if (affects(registration.key))
            registration.observer(*this, registration.key);
    }
}

// ---- The catalogue

QList<OTLNoteTextStyleRef> OTLNoteTextStyle::standardStyles()
{
    return {titleNoteTextStyle(), headingNoteTextStyle(), subheadingNoteTextStyle(), bodyNoteTextStyle(),
            monospacedNoteTextStyle()};
}

QList<OTLNoteTextStyleRef> OTLNoteTextStyle::customStyles()
{
    std::optional<QList<OTLNoteTextStyleRef>>& slot = caches().customStyles;
    if (!slot) {
        QList<OTLNoteTextStyleRef> custom;
        for (const OTLNoteTextStyleRef& style : readSavedStylesFromDefaults()) {
            if (style && style->type() == OTLNoteTextStyleTypeCustom)
                custom.append(style);
        }
        std::stable_sort(custom.begin(), custom.end(), [](const auto& a, const auto& b) {
            return platform::localizedStandardCompare(a->name(), b->name()) < 0;
        });
        slot = custom;
    }
    return *slot;
}

QList<OTLNoteTextStyleRef> OTLNoteTextStyle::allStyles()
{
    return standardStyles() + customStyles();
}

OTLNoteTextStyleRef OTLNoteTextStyle::titleNoteTextStyle()
{
    return cachedStyle(caches().title, OTLNoteTextStyleTypeTitle);
}

OTLNoteTextStyleRef OTLNoteTextStyle::headingNoteTextStyle()
{
    return cachedStyle(caches().heading, OTLNoteTextStyleTypeHeading);
}

OTLNoteTextStyleRef OTLNoteTextStyle::subheadingNoteTextStyle()
{
    return cachedStyle(caches().subheading, OTLNoteTextStyleTypeSubheading);
}

OTLNoteTextStyleRef OTLNoteTextStyle::bodyNoteTextStyle()
{
    return cachedStyle(caches().body, OTLNoteTextStyleTypeBody);
}

OTLNoteTextStyleRef OTLNoteTextStyle::monospacedNoteTextStyle()
{
    return cachedStyle(caches().monospaced, OTLNoteTextStyleTypeMonospaced);
}

OTLNoteTextStyleRef OTLNoteTextStyle::defaultTitleNoteTextStyle()
{
    return makeDefaultStyle(OTLNoteTextStyleTypeTitle, kHelveticaNeue, 17, platform::NSFontWeightBold,
                            [](ParagraphStyle& paragraph) { paragraph.setHeaderLevel(1); }, true);
}

OTLNoteTextStyleRef OTLNoteTextStyle::defaultHeadingNoteTextStyle()
{
    return makeDefaultStyle(OTLNoteTextStyleTypeHeading, kHelveticaNeue, 14, platform::NSFontWeightBold,
                            [](ParagraphStyle& paragraph) {
                                paragraph.paragraphSpacing = 2.0;
                                paragraph.setHeaderLevel(2);
                            },
                            true);
}

OTLNoteTextStyleRef OTLNoteTextStyle::defaultSubheadingNoteTextStyle()
{
    return makeDefaultStyle(OTLNoteTextStyleTypeSubheading, kHelveticaNeue, 13, platform::NSFontWeightBold,
                            [](ParagraphStyle& paragraph) {
                                paragraph.paragraphSpacing = 2.0;
                                paragraph.setHeaderLevel(3);
                            },
                            true);
}

OTLNoteTextStyleRef OTLNoteTextStyle::defaultBodyNoteTextStyle()
{
    return makeDefaultStyle(OTLNoteTextStyleTypeBody, kHelveticaNeue, 12, platform::NSFontWeightRegular, {}, false);
}

OTLNoteTextStyleRef OTLNoteTextStyle::defaultMonospacedNoteTextStyle()
{
    return makeDefaultStyle(OTLNoteTextStyleTypeMonospaced, QStringLiteral("Menlo"), 12,
                            platform::NSFontWeightRegular,
                            [](ParagraphStyle& paragraph) { paragraph.lineSpacing = 1.0; }, false);
}

OTLNoteTextStyleRef OTLNoteTextStyle::defaultStyleForType(std::int64_t type)
{
    switch (type) {
    case OTLNoteTextStyleTypeBody: return defaultBodyNoteTextStyle();
    case OTLNoteTextStyleTypeTitle: return defaultTitleNoteTextStyle();
    case OTLNoteTextStyleTypeHeading: return defaultHeadingNoteTextStyle();
    case OTLNoteTextStyleTypeMonospaced: return defaultMonospacedNoteTextStyle();
    case OTLNoteTextStyleTypeSubheading: return defaultSubheadingNoteTextStyle();
    default: return nullptr;
    }
}

OTLNoteTextStyleRef OTLNoteTextStyle::defaultStyle()
{
    const QVariant stored = platform::UserDefaults::standard().object(OTLNoteTextStyleDefaultIdentifierKey);
    if (stored.typeId() == QMetaType::QString) {
        if (OTLNoteTextStyleRef style = styleWithIdentifier(stored.toString()))
            return style;
    }
    return bodyNoteTextStyle();
}

OTLNoteTextStyleRef OTLNoteTextStyle::styleWithIdentifier(const QString& identifier)
{
    if (identifier.isNull())
        return nullptr;
    for (const OTLNoteTextStyleRef& style : allStyles()) {
        const QString candidate = style->identifier();
        if (!candidate.isNull() && candidate == identifier)
            return style;
    }
    return nullptr;
}

ColorRef OTLNoteTextStyle::standardForegroundColor()
{
    return Color::textColor();
}

double OTLNoteTextStyle::scaleFactorForNoteTextSize(std::int64_t size)
{
    switch (size) {
    case 1: return 1.0;
    case 2: return 13.0 / 12.0;
    case 3: return 15.0 / 12.0;
    case 4: return 17.0 / 12.0;
    default: return 0.875;
    }
}

// ---- Saved styles

OTLNoteTextStyleRef OTLNoteTextStyle::savedStyleForType(std::int64_t type)
{
    if (type == OTLNoteTextStyleTypeCustom)
        return nullptr;
    for (const OTLNoteTextStyleRef& style : readSavedStylesFromDefaults()) {
        if (style && style->type() == type)
            return style;
    }
    return nullptr;
}

void OTLNoteTextStyle::reloadStylesFromDefaults()
{
    caches() = StyleCaches{};
    platform::NotificationCenter::defaultCenter().post(OTLNoteTextStyleDefaultsDidChangeNotification);
}
