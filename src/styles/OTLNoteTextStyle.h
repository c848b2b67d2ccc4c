#pragma once

#include "platform/Color.h"
#include "platform/Font.h"
#include "platform/ParagraphStyle.h"
#include "platform/TextAttributes.h"

#include <QList>
#include <QMetaType>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class OTLNoteTextStyle;
using OTLNoteTextStyleRef = std::shared_ptr<OTLNoteTextStyle>;

namespace platform {
class KeyedArchiver;
class KeyedUnarchiver;
} // namespace platform

// Style types; the numbers are stored in archives shared with Ostrel.
inline constexpr std::int64_t OTLNoteTextStyleTypeBody = 0;
inline constexpr std::int64_t OTLNoteTextStyleTypeTitle = 1;
inline constexpr std::int64_t OTLNoteTextStyleTypeHeading = 2;
inline constexpr std::int64_t OTLNoteTextStyleTypeMonospaced = 3;
inline constexpr std::int64_t OTLNoteTextStyleTypeSubheading = 4;
inline constexpr std::int64_t OTLNoteTextStyleTypeCustom = 9999;

// Attribute whose value is the identifier of the style text carries.
inline const QString OTLNoteTextStyleIdentifierAttributeName = QStringLiteral("OTLNoteTextStyleIdentifier");
// User-defaults key of the identifier of the default style.
inline const QString OTLNoteTextStyleDefaultIdentifierKey = QStringLiteral("OTLNoteTextStyleDefaultIdentifier");
// User-defaults key of the archive of saved styles.
inline const QString OTLNoteTextStylesKey = QStringLiteral("OTLNoteTextStyles");
// Posted on the default notification centre, without object, when the saved
// styles may have changed.
inline const QString OTLNoteTextStyleDefaultsDidChangeNotification =
    QStringLiteral("OTLNoteTextStyleDefaultsDidChangeNotification");
// The class name styles are archived under; Ostrel reads the same name.
inline const QString OTLNoteTextStyleClassName = QStringLiteral("OTLNoteTextStyle");

// A named set of character and paragraph attributes for note text. Styles
// are shared, mutable objects; the class-level functions form the style
// catalogue with its process-wide caches.
class OTLNoteTextStyle {
public:
    // Every field empty or zero: a Body style without font or colour.
    OTLNoteTextStyle() = default;
    OTLNoteTextStyle(const OTLNoteTextStyle&) = delete;
    OTLNoteTextStyle& operator=(const OTLNoteTextStyle&) = delete;

    static OTLNoteTextStyleRef create();

    bool applyToParagraph() const { return m_applyToParagraph; }
    void setApplyToParagraph(bool applyToParagraph);
    // Carried and copied only; editors decide what it means.
    bool resetOnNewLine() const { return m_resetOnNewLine.load(); }
    void setResetOnNewLine(bool resetOnNewLine);

    // Never null: the standard colour when none is stored, and the text
    // colour for a stored black or white.
    platform::ColorRef foregroundColor() const;
    // Black, white and null all clear the field.
    void setForegroundColor(const platform::ColorRef& color);
    const platform::ColorRef& storedForegroundColor() const { return m_foregroundColor; }

    // The localised standard name for types 0...4, else the stored name.
    QString name() const;
    void setName(const QString& name);
    const QString& storedName() const { return m_name; }

    std::int64_t type() const { return m_type; }
    // Changing to the custom type gives a style without one an identifier.
    void setType(std::int64_t type);

    // The platform default when none is stored.
    platform::ParagraphStyle paragraphStyle() const;
    void setParagraphStyle(const std::optional<platform::ParagraphStyle>& paragraphStyle);
    const std::optional<platform::ParagraphStyle>& storedParagraphStyle() const { return m_paragraphStyle; }

    std::int64_t underlineStyle() const { return m_underlineStyle; }
    void setUnderlineStyle(std::int64_t underlineStyle);
    std::int64_t strikethrough() const { return m_strikethrough; }
    void setStrikethrough(std::int64_t strikethrough);

    // The 12-point user font when none is stored.
    platform::FontRef font() const;
    void setFont(const platform::FontRef& font);
    const platform::FontRef& storedFont() const { return m_font; }

    // Attribute names text may carry besides the style's own: the stored
    // override, else the default list.
    QStringList otherAllowedAttributeNames() const;
    void setOtherAllowedAttributeNames(const std::optional<QStringList>& names);

    // Null for a style without one.
    QString customStyleIdentifier() const;
    void setCustomStyleIdentifier(const QString& identifier);

    // Read from `font`; the setters replace the font by the catalogue's font
    // of that name and size, or clear it when there is none.
    QString fontName() const;
    void setFontName(const QString& fontName);
    double fontSize() const;
    void setFontSize(double fontSize);

    // The fixed identifier of a standard type, else the custom identifier.
    QString identifier() const;
    platform::AttributeDictionary attributes() const;

    // The element a style's text is exported in, null for custom types.
    QString HTMLTagName() const;
    // One CSS rule, null without an element.
    QString CSSDeclaration() const;

    // A new, independent style; observers and the attribute-name override
    // stay behind.
    OTLNoteTextStyleRef copy() const;

    // ---- Matching and merging
    // Whether text with attributes `attributes` carries this style: every
    // key it has must agree (an empty dictionary matches), except those in
    // `otherAllowedAttributeNames`.
    bool matchesAttributes(const platform::AttributeDictionary& attributes) const;
    // The same with the names to skip given; nullopt skips none. The base
    // writing direction of paragraph styles never decides.
    bool matchesAttributes(const platform::AttributeDictionary& attributes,
                           const std::optional<QStringList>& ignoringAttributes) const;
    bool matchesStyle(const OTLNoteTextStyle& style) const;
    // The style's attributes with the allowed others taken from `attributes`;
    // a character style keeps the text's paragraph style but with its own
    // line spacing.
    platform::AttributeDictionary attributesWithOtherAttributes(const platform::AttributeDictionary& attributes) const;

    // The first style of the catalogue that matches, or null.
    static OTLNoteTextStyleRef styleThatMatchesAttributes(const platform::AttributeDictionary& attributes);
    // A new, unsaved custom style named "New Style" from the attributes.
    static OTLNoteTextStyleRef customStyleFromAttributes(const platform::AttributeDictionary& attributes);

    // ---- Archiving
    static bool supportsSecureCoding() { return true; }
    void encodeWithCoder(platform::KeyedArchiver& coder) const;
    // Null when the coder holds no readable style (the coder has the error).
    static OTLNoteTextStyleRef initWithCoder(platform::KeyedUnarchiver& coder);
    // Makes styles known to the keyed archiver; done by create(), and safe
    // to call again from any thread.
    static void registerCoding();

    // Custom styles always; standard ones only when they differ from their
    // default; other types never.
    bool shouldSaveToDefaults() const;

    // ---- Change observation
    // An observer of a key hears every change to it and to the keys it is
    // derived from ("fontName" and "fontSize" follow "font").
    using Observer = std::function<void(OTLNoteTextStyle& style, const QString& key)>;
    using ObserverToken = std::uint64_t;
    ObserverToken addObserver(const QString& key, Observer observer);
    void removeObserver(ObserverToken token);
    static QSet<QString> keyPathsForValuesAffectingFontName();
    static QSet<QString> keyPathsForValuesAffectingFontSize();

    // ---- The catalogue
    static QList<OTLNoteTextStyleRef> standardStyles();
    static QList<OTLNoteTextStyleRef> customStyles();
    static QList<OTLNoteTextStyleRef> allStyles();

    static OTLNoteTextStyleRef titleNoteTextStyle();
    static OTLNoteTextStyleRef headingNoteTextStyle();
    static OTLNoteTextStyleRef subheadingNoteTextStyle();
    static OTLNoteTextStyleRef bodyNoteTextStyle();
    static OTLNoteTextStyleRef monospacedNoteTextStyle();

    // New styles with the default values on every call.
    static OTLNoteTextStyleRef defaultTitleNoteTextStyle();
    static OTLNoteTextStyleRef defaultHeadingNoteTextStyle();
    static OTLNoteTextStyleRef defaultSubheadingNoteTextStyle();
    static OTLNoteTextStyleRef defaultBodyNoteTextStyle();
    static OTLNoteTextStyleRef defaultMonospacedNoteTextStyle();
    static OTLNoteTextStyleRef defaultStyleForType(std::int64_t type);

    // The style named in the user defaults, else the body style.
    static OTLNoteTextStyleRef defaultStyle();
    static OTLNoteTextStyleRef styleWithIdentifier(const QString& identifier);

    static platform::ColorRef standardForegroundColor();
    static double scaleFactorForNoteTextSize(std::int64_t size);

    // ---- Saved styles
    // The saved style of a standard type, null for the custom type and when
    // none is saved.
    static OTLNoteTextStyleRef savedStyleForType(std::int64_t type);
    // Empties the six caches; the next access reads the saved styles again.
    static void reloadStylesFromDefaults();
    // Archives those of `styles` that need saving under "OTLNoteTextStyles"
    // (removing the key when none do), then reloads and notifies once more.
    static void saveStylesToDefaults(const QList<OTLNoteTextStyleRef>& styles);
    // Saves the catalogue with `style` added.
    static void addCustomStyle(const OTLNoteTextStyleRef& style);

    // The styles of a saved-styles value as the user defaults hold it: none
    // for no value, and none (with one log line) for anything unreadable.
    static QList<OTLNoteTextStyleRef> stylesFromSavedValue(const QVariant& stored);

    // ---- Style sheet of exported pages
    // One rule per standard style with an element, each ending in a line feed.
    static QString CSSDeclarationForStandardStyles();
    // On when the user chose a note background colour of their own.
    static bool shouldForceLightAppearance();

private:
    static QList<OTLNoteTextStyleRef> readSavedStylesFromDefaults();

    void didChange(const QString& key);

    bool m_applyToParagraph = false;
    std::atomic<bool> m_resetOnNewLine{false};
    platform::ColorRef m_foregroundColor;
    QString m_name;
    std::int64_t m_type = 0;
    std::optional<platform::ParagraphStyle> m_paragraphStyle;
    std::int64_t m_underlineStyle = 0;
    std::int64_t m_strikethrough = 0;
    platform::FontRef m_font;
    std::optional<QStringList> m_otherAllowedAttributeNames;
    mutable QMutex m_identifierMutex; // readers never see a half-written identifier
    QString m_customStyleIdentifier;

    struct Registration {
        ObserverToken token;
        QString key;
        Observer observer;
    };
    std::vector<Registration> m_observers;
    ObserverToken m_nextToken = 1;
};

Q_DECLARE_METATYPE(OTLNoteTextStyleRef)
