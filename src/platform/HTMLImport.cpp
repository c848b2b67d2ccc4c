#include "platform/HTMLImport.h"

#include "platform/HTMLPagePreparation.h"
#include "platform/UniformTypes.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QRegularExpression>
#include <cctype>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

namespace platform {

namespace {

constexpr double kDefaultSize = 12.0;
const QString kDefaultFamily = QStringLiteral("Helvetica");

// Pages may name images and style sheets anywhere; none of them is read.
class IsolatedDocument final : public QTextDocument {
protected:
    QVariant loadResource(int, const QUrl&) override { return {}; }
};

// The importer's relative sizes (small ... xx-large) as factors.
double sizeAdjustmentFactor(int adjustment)
{
    switch (std::clamp(adjustment, -2, 3)) {
    case -2: return 0.75;
    case -1: return 0.85;
    case 1: return 1.2;
    case 2: return 1.5;
    case 3: return 2.0;
    default: return 1.0;
    }
}

ColorRef colorFromBrush(const QBrush& brush)
{
    const QColor color = brush.color();
    return Color::withRGBA(color.redF(), color.greenF(), color.blueF(), color.alphaF());
}

AttributeDictionary characterAttributes(const QTextCharFormat& format, const ParagraphStyle& paragraph)
{
    AttributeDictionary attributes;
    const QStringList families = format.fontFamilies().toStringList();
    QString family = families.isEmpty() ? kDefaultFamily : families.first().trimmed();
    if (family.isEmpty())
        family = kDefaultFamily;
    double size = format.fontPointSize();
    if (size <= 0 && format.hasProperty(QTextFormat::FontPixelSize))
        size = format.intProperty(QTextFormat::FontPixelSize); // CSS pixels count as points
    if (size <= 0)
        size = kDefaultSize * sizeAdjustmentFactor(format.intProperty(QTextFormat::FontSizeAdjustment));
    const bool bold = format.fontWeight() >= QFont::DemiBold;
    attributes.set(NSFontAttributeName, fontWithTraits(family, size, bold, format.fontItalic()));
    attributes.set(NSParagraphStyleAttributeName, paragraph);
    if (format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().style() != Qt::NoBrush)
        attributes.set(NSForegroundColorAttributeName, colorFromBrush(format.foreground()));
    if (format.hasProperty(QTextFormat::BackgroundBrush) && format.background().style() != Qt::NoBrush)
        attributes.set(NSBackgroundColorAttributeName, colorFromBrush(format.background()));
    if (format.fontUnderline())
        attributes.set(NSUnderlineStyleAttributeName, NSUnderlineStyleSingle);
    if (format.fontStrikeOut())
        attributes.set(NSStrikethroughStyleAttributeName, NSUnderlineStyleSingle);
    if (format.isAnchor() && !format.anchorHref().isEmpty())
        attributes.set(NSLinkAttributeName, QUrl(format.anchorHref()));
    return attributes;
}

ParagraphStyle paragraphStyle(const QTextBlock& block)
{
    const QTextBlockFormat format = block.blockFormat();
    ParagraphStyle style = ParagraphStyle::defaultParagraphStyle();
    const Qt::Alignment alignment = format.alignment() & Qt::AlignHorizontal_Mask;
    if (alignment & Qt::AlignRight)
        style.alignment = TextAlignment::Right;
    else if (alignment & Qt::AlignHCenter)
        style.alignment = TextAlignment::Center;
    else if (alignment & Qt::AlignJustify)
        style.alignment = TextAlignment::Justified;
    else if (format.hasProperty(QTextFormat::BlockAlignment) && (alignment & Qt::AlignLeft))
        style.alignment = TextAlignment::Left;
    style.headIndent = std::max(0.0, format.leftMargin());
    style.firstLineHeadIndent = std::max(0.0, format.leftMargin() + format.textIndent());
    style.tailIndent = -std::max(0.0, format.rightMargin());
    style.paragraphSpacingBefore = std::max(0.0, format.topMargin());
    style.paragraphSpacing = std::max(0.0, format.bottomMargin());
    style.headerLevel = std::clamp(format.headingLevel(), 0, 6);
    if (const QTextList* list = block.textList()) {
        // List items hang their text after the marker.
        const double indent = 36.0 * std::max(1, list->format().indent());
        style.headIndent = std::max(style.headIndent, indent);
        style.firstLineHeadIndent = style.headIndent - 36.0;
    }
    return style;
}

QString listMarker(const QTextBlock& block)
{
    const QTextList* list = block.textList();
    if (!list)
        return {};
    QString marker;
    switch (list->format().style()) {
    case QTextListFormat::ListDisc: marker = QStringLiteral("•"); break;
    case QTextListFormat::ListCircle: marker = QStringLiteral("◦"); break;
    case QTextListFormat::ListSquare: marker = QStringLiteral("▪"); break;
    default: marker = list->itemText(block).trimmed(); break;
    }
    return u'\t' + marker + u'\t';
}

bool isEmptyElement(QByteArrayView name)
{
    static constexpr QByteArrayView names[] = {"area", "base", "br", "col", "embed", "hr", "img", "input",
                                               "link", "meta", "param", "source", "track", "wbr"};
    // Every tag of a long page comes here: the length rules out most at once.
    for (const QByteArrayView candidate : names)
        if (candidate.size() == name.size() && name.compare(candidate, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// A picture the page carries in itself ("data:image/png;base64,…"); any
// other source would have to be fetched, and is not.
TextAttachmentRef embeddedPicture(const QTextCharFormat& format, const PictureSource& pictureSource)
{
    if (!format.isImageFormat())
        return nullptr;
    const QString source = format.toImageFormat().name();
    static const QRegularExpression dataURL(QStringLiteral("^data:(image/[A-Za-z0-9.+-]+);base64,"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = dataURL.match(source);
    if (!match.hasMatch())
        return pictureSource && !source.startsWith(QLatin1String("data:"), Qt::CaseInsensitive) ? pictureSource(source)
                                                                                                 : nullptr;
    auto decoded = QByteArray::fromBase64Encoding(QStringView(source).mid(match.capturedEnd()).toLatin1(),
                                                  QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty())
        return nullptr;
    const QString suffix = uti::preferredFilenameExtensionForType(uti::preferredIdentifierForMIMEType(match.captured(1)));
    auto attachment = std::make_shared<TextAttachment>();
    attachment->fileName = suffix.isEmpty() ? QStringLiteral("Picture") : QStringLiteral("Picture.") + suffix;
    attachment->contents = std::move(decoded.decoded);
    return attachment;
}

} // namespace

int htmlNestingDepth(const QByteArray& html)
{
    int depth = 0, deepest = 0;
    const qsizetype size = html.size();
    for (qsizetype i = html.indexOf('<'); i >= 0 && i + 1 < size; i = html.indexOf('<', i + 1)) {
        const char next = html.at(i + 1);
        const qsizetype close = html.indexOf('>', i + 1);
        if (close < 0)
            break;
        if (next == '/') {
            depth = std::max(0, depth - 1);
        } else if (std::isalpha(static_cast<unsigned char>(next)) && html.at(close - 1) != '/') {
            qsizetype end = i + 1;
            while (end < close && std::isalnum(static_cast<unsigned char>(html.at(end))))
                ++end;
            if (!isEmptyElement(QByteArrayView(html).sliced(i + 1, end - i - 1)))
                deepest = std::max(deepest, ++depth);
        }
        i = close;
    }
    return deepest;
}

std::optional<AttributedString> attributedStringFromHTML(const QByteArray& html, Error* error,
                                                         const PictureSource& pictureSource, bool* flattened)
{
    // The importer measures fonts, which needs the GUI side of Qt.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        setError(error, Error(kHTMLImportErrorDomain, 1,
                              QStringLiteral("Styled text can only be made by a program with a GUI application object.")));
        return std::nullopt;
    }
    IsolatedDocument document;
    const bool tooDeep = htmlNestingDepth(html) > kMaxHTMLNesting;
    if (flattened)
        *flattened = tooDeep;
    if (tooDeep)
        document.setHtml(htmlpage::flattenedToText(QString::fromUtf8(html)));
    else
        document.setHtml(htmlpage::preparedForImport(QString::fromUtf8(html)));

    // A page has few distinct formats, shared by most of its paragraphs and
    // runs (Qt numbers each distinct one): each is turned into attributes
    // only when it differs from the one before.
    int paragraphFormat = -1;
    const QTextList* paragraphList = nullptr;
    ParagraphStyle paragraph;
    int attributesFormat = -1; // -1 once the paragraph style changes
    AttributeDictionary formatAttributes;
    const auto attributesFor = [&](int index, const QTextCharFormat& format) -> const AttributeDictionary& {
        if (index != attributesFormat) {
            formatAttributes = characterAttributes(format, paragraph);
            attributesFormat = index;
        }
        return formatAttributes;
    };

    AttributedString result;
    bool first = true;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormatIndex() != paragraphFormat || block.textList() != paragraphList) {
            paragraph = paragraphStyle(block);
            paragraphFormat = block.blockFormatIndex();
            paragraphList = block.textList();
            attributesFormat = -1;
        }
        if (!first)
            result.append(QStringLiteral("\n"), result.length() > 0
                                                     ? result.attributesAt(result.length() - 1)
                                                     : attributesFor(block.charFormatIndex(), block.charFormat()));
        first = false;
        const QString marker = listMarker(block);
        if (!marker.isEmpty())
            result.append(marker, attributesFor(block.charFormatIndex(), block.charFormat()));
        struct Piece {
            QString text;
            int formatIndex;
            QTextCharFormat format;
            TextAttachmentRef picture;
        };
        std::vector<Piece> pieces;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QString text = fragment.text();
            const QTextCharFormat format = fragment.charFormat();
            // A picture of the page's own stays where the page has it.
            TextAttachmentRef picture = embeddedPicture(format, pictureSource);
            if (picture) {
                text.removeIf([](QChar c) { return c != QChar(QChar::ObjectReplacementCharacter); });
                text.replace(QChar(QChar::ObjectReplacementCharacter), QChar(NSAttachmentCharacter));
            } else {
                text.remove(QChar(QChar::ObjectReplacementCharacter));
            }
            text.replace(QChar(QChar::ParagraphSeparator), QChar(u'\n'));
            pieces.push_back({text, fragment.charFormatIndex(), format, std::move(picture)});
        }
        // The page's own line breaks leave a blank at a paragraph's end,
        // which HTML never shows.
        while (!pieces.empty()) {
            QString& last = pieces.back().text;
            while (last.endsWith(u' '))
                last.chop(1);
            if (!last.isEmpty())
                break;
            pieces.pop_back();
        }
        for (const auto& [text, formatIndex, format, picture] : pieces) {
            if (text.isEmpty())
                continue;
            const AttributeDictionary& attributes = attributesFor(formatIndex, format);
            if (!picture) {
                result.append(text, attributes);
                continue;
            }
            AttributeDictionary withPicture = attributes; // a repeated picture shares one decoded copy
            withPicture.set(NSAttachmentAttributeName, picture);
            result.append(text, withPicture);
        }
    }
    return result;
}

} // namespace platform
