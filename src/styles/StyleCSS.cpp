// The style sheet of exported pages: one rule per standard note style.

#include "styles/OTLNoteTextStyle.h"

#include "colors/ColorExtensions.h"

#include <charconv>

using platform::Color;
using platform::ColorRef;
using platform::TextAlignment;

namespace {

// "%.01lf" without the C locale's decimal separator: one digit after the
// point, correctly rounded. Saved styles come from another program, so any
// finite value is possible; the largest double takes 309 digits here.
QString oneDecimal(double value)
{
    char buffer[512];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    if (result.ec != std::errc())
        return QStringLiteral("0.0");
    return QString::fromLatin1(buffer, int(result.ptr - buffer));
}

QString alignmentKeyword(TextAlignment alignment)
{
    switch (alignment) {
    case TextAlignment::Left: return QStringLiteral("left");
    case TextAlignment::Center: return QStringLiteral("center");
    case TextAlignment::Right: return QStringLiteral("right");
    case TextAlignment::Justified: return QStringLiteral("justify");
    case TextAlignment::Natural: break;
    }
    return QStringLiteral("inherit");
}

} // namespace

QString OTLNoteTextStyle::HTMLTagName() const
{
    switch (m_type) {
    case OTLNoteTextStyleTypeBody: return QStringLiteral("body");
    case OTLNoteTextStyleTypeTitle: return QStringLiteral("h1");
    case OTLNoteTextStyleTypeHeading: return QStringLiteral("h2");
    case OTLNoteTextStyleTypeMonospaced: return QStringLiteral("tt");
    case OTLNoteTextStyleTypeSubheading: return QStringLiteral("h3");
    default: return {};
    }
}

QString OTLNoteTextStyle::CSSDeclaration() const
{
    const QString tagName = HTMLTagName();
    if (tagName.isNull())
        return {};
    const platform::FontRef styleFont = font();
    const platform::ParagraphStyle paragraph = paragraphStyle();

    QStringList declarations;
    declarations.append(QStringLiteral("margin: 0.0px 0.0px ") + oneDecimal(paragraph.paragraphSpacing) + QStringLiteral("px 0.0px"));
    declarations.append(QStringLiteral("font-family: ") + styleFont->familyName() +
                        QStringLiteral("; font-size: ") + oneDecimal(styleFont->pointSize()) + QStringLiteral("px"));

    ColorRef color = foregroundColor();
    // Text that follows the appearance would vanish on a chosen background.
    if (shouldForceLightAppearance() && otl::isEqualToColorOTLVersion(color, Color::textColor()))
        color = Color::black();
    const QString colorString = otl::rgbStringValue(color);
    if (!colorString.isNull())
        declarations.append(QStringLiteral("color: ") + colorString);

    if (paragraph.lineHeightMultiple > 0.0)
        declarations.append(QStringLiteral("line-height: ") + oneDecimal(paragraph.lineHeightMultiple));
    declarations.append(QStringLiteral("text-align: ") + alignmentKeyword(paragraph.alignment));
    declarations.append(QStringLiteral("text-decoration: ") +
                        (m_underlineStyle == platform::NSUnderlineStyleSingle ? QStringLiteral("underline")
                                                                              : QStringLiteral("none")));
    if (m_type == OTLNoteTextStyleTypeBody) {
        const QString background = otl::rgbStringValue(otl::defaultNoteBackgroundColor());
        if (!background.isNull())
            declarations.append(QStringLiteral("background: ") + background);
    }
    return tagName + QStringLiteral(" {") + declarations.join(QStringLiteral("; ")) + QLatin1Char('}');
}

QString OTLNoteTextStyle::CSSDeclarationForStandardStyles()
{
    QString css;
    for (const OTLNoteTextStyleRef& style : allStyles()) {
        const QString declaration = style->CSSDeclaration();
        if (!declaration.isNull())
            css += declaration + QLatin1Char('\n');
    }
    return css;
}

bool OTLNoteTextStyle::shouldForceLightAppearance()
{
    return !otl::isEqualToColorOTLVersion(otl::defaultNoteBackgroundColor(), Color::textBackgroundColor());
}
