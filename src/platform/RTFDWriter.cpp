#include "platform/RTFDWriter.h"

#include "platform/FileURL.h"

#include <QHash>
#include <QFileInfo>
#include <QImageReader>
#include <QBuffer>
#include <QSet>
#include <cmath>

namespace platform {

namespace {

struct CharacterState {
    int font = 0;
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    int foreground = 0;
    int background = 0;
};

QByteArray number(long long value)
{
    return QByteArray::number(value);
}

int twips(double points)
{
    return int(std::lround(points * 20));
}

bool isMonospacedFamily(const QString& family)
{
    static const QStringList names = {QStringLiteral("Menlo"), QStringLiteral("Monaco"), QStringLiteral("Courier"),
                                      QStringLiteral("Courier New"), QStringLiteral("SF Mono")};
    return names.contains(family, Qt::CaseInsensitive) || family.contains(QLatin1String("Mono"), Qt::CaseInsensitive);
}

bool isSerifFamily(const QString& family)
{
    return family.startsWith(QLatin1String("Times"), Qt::CaseInsensitive)
        || family.compare(QLatin1String("Georgia"), Qt::CaseInsensitive) == 0;
}

// Text escaped for RTF. Outside ASCII: Latin-1 as \'hh, the rest as \uN
// with "?" for readers that do not know it.
void appendEscaped(QByteArray& out, QStringView text)
{
    // Plain ASCII, most of any text, goes over in stretches rather than
    // one character at a time.
    qsizetype plainFrom = 0;
    const auto flush = [&](qsizetype to) {
        const qsizetype count = to - plainFrom;
        if (count <= 0)
            return;
        const qsizetype at = out.size();
        out.resize(at + count);
        char* target = out.data() + at;
        for (qsizetype k = 0; k < count; ++k)
            target[k] = char(text[plainFrom + k].unicode());
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u >= 0x20 && u < 0x7F && u != '\\' && u != '{' && u != '}')
            continue;
        flush(i);
        plainFrom = i + 1;
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += char(u);
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u == 0x2028) {
            out += "\\line ";
        } else if (u == 0x00A0) {
            out += "\\~";
        } else if (u > 0xA0 && u <= 0xFF) {
            out += "\\'" + QByteArray::number(u, 16).rightJustified(2, '0');
        } else if (u >= 0x80) {
            out += "\\u" + number(qint16(u)) + '?';
        }
        // Other control characters have no place in the text.
    }
    flush(text.size());
}

QString uniqueName(const QString& wanted, QSet<QString>& taken)
{
    QString name = pathutil::fittingName(QFileInfo(wanted).fileName());
    if (name.isEmpty() || name == u'.' || name == QLatin1String(".."))
        name = QStringLiteral("Attachment");
    QString candidate = name;
    // The number goes before the extension and always fits, however long the name.
    for (int n = 2; taken.contains(candidate.toCaseFolded()); ++n)
        candidate = pathutil::fittingName(name, QStringLiteral(" %1").arg(n));
    taken.insert(candidate.toCaseFolded());
    return candidate;
}

// Size of the attachment's picture in twips; a plain file shows as an icon.
std::pair<int, int> attachmentSize(const TextAttachment& attachment)
{
    // Only the picture's header is read, whatever the file's size.
    QByteArray bytes = attachment.contents;
    QBuffer buffer(&bytes);
    QImageReader reader;
    if (attachment.contentsFilePath.isEmpty())
        reader.setDevice(&buffer);
    else
        reader.setFileName(attachment.contentsFilePath);
    const QSize size = reader.canRead() ? reader.size() : QSize();
    if (size.isValid() && size.width() > 0 && size.height() > 0)
        return {size.width() * 20, size.height() * 20};
    return {640, 640};
}

class Writer {
public:
    QByteArray write(const AttributedString& text, const QStringList& attachmentNames)
    {
        collectTables(text);
        QByteArray body;
        CharacterState state;
        state.font = state.halfPoints = -1; // so the first run names both
        const ParagraphStyle* paragraph = nullptr;
        ParagraphStyle plain = ParagraphStyle::defaultParagraphStyle();
        std::optional<QUrl> openLink;
        CharacterState beforeLink;
        int attachmentIndex = 0;
        bool paragraphStart = true;
        const QString& string = text.string();

        for (const AttributeRun& run : text.runs()) {
            const AttributeDictionary& attributes = run.attributes;
            const AttributeValue* linkValue = attributes.value(NSLinkAttributeName);
            const std::optional<QUrl> link = linkValue && linkValue->link() ? std::optional(*linkValue->link())
                                                                             : std::nullopt;
            if (openLink != link) {
                if (openLink) {
                    body += "}}";
                    state = beforeLink;
                }
                if (link) {
                    beforeLink = state;
                    body += "{\\field{\\*\\fldinst{HYPERLINK \"";
                    appendEscaped(body, QString::fromLatin1(link->toEncoded()));
                    body += "\"}}{\\fldrslt ";
                }
                openLink = link;
            }
            const CharacterState wanted = characterState(attributes);
            const AttributeValue* styleValue = attributes.value(NSParagraphStyleAttributeName);
            const ParagraphStyle* style = styleValue && styleValue->paragraphStyle() ? styleValue->paragraphStyle()
                                                                                     : &plain;
            const TextAttachmentRef attachment = attributes.value(NSAttachmentAttributeName)
                                                     ? attributes.value(NSAttachmentAttributeName)->attachment()
                                                     : nullptr;
            bool formatted = false;
            for (int i = run.location; i < run.location + run.length; ++i) {
                if (paragraphStart) {
                    if (!paragraph || !(*paragraph == *style))
                        writeParagraph(body, *style);
                    paragraph = style;
                    paragraphStart = false;
                }
                if (!formatted) {
                    writeCharacterChange(body, state, wanted);
                    state = wanted;
                    formatted = true;
                }
                const QChar c = string[i];
                if (c == u'\n' || c == QChar(QChar::ParagraphSeparator)) {
                    body += "\\par\n";
                    paragraphStart = true;
                } else if (c == QChar(NSAttachmentCharacter)) {
                    if (attachment && attachmentIndex < attachmentNames.size()) {
                        const auto [width, height] = attachmentSize(*attachment);
                        body += "{{\\NeXTGraphic ";
                        appendEscaped(body, attachmentNames[attachmentIndex++]);
                        body += " \\width" + number(width) + " \\height" + number(height) + " \\noorient\n}\\'ac}";
                    }
                } else {
                    const int end = nextSpecial(string, i, run.location + run.length);
                    appendEscaped(body, QStringView(string).mid(i, end - i));
                    i = end - 1;
                }
            }
        }
        if (openLink)
            body += "}}";

        QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0\n{\\fonttbl";
        for (int i = 0; i < m_fonts.size(); ++i) {
            const QString& family = m_fonts[i];
            out += "{\\f" + number(i) + (isMonospacedFamily(family) ? "\\fmodern" : isSerifFamily(family) ? "\\froman" : "\\fswiss")
                 + "\\fcharset0 ";
            appendEscaped(out, family);
            out += ";}";
        }
        out += "}\n{\\colortbl;";
        for (const QByteArray& color : m_colors)
            out += color + ';';
        out += "}\n";
        out += body;
        out += "}\n";
        return out;
    }

private:
    static int nextSpecial(const QString& string, int from, int end)
    {
        int i = from;
        while (i < end && string[i] != u'\n' && string[i] != QChar(QChar::ParagraphSeparator)
               && string[i] != QChar(NSAttachmentCharacter))
            ++i;
        return i;
    }

    void collectTables(const AttributedString& text)
    {
        m_fonts = {QStringLiteral("Helvetica")};
        for (const AttributeRun& run : text.runs()) {
            if (const AttributeValue* font = run.attributes.value(NSFontAttributeName); font && font->font()) {
                if (!m_fonts.contains(font->font()->familyName()))
                    m_fonts.append(font->font()->familyName());
            }
            for (const QString& name : {NSForegroundColorAttributeName, NSBackgroundColorAttributeName})
                colorIndex(run.attributes.value(name));
        }
    }

    int colorIndex(const AttributeValue* value)
    {
        if (!value || !value->color())
            return 0;
        ColorRef color = value->color();
        std::optional<Color::RGBA> rgba = color->rgba();
        if (!rgba) {
            if (const ColorRef converted = color->usingType(Color::Type::ComponentBased))
                rgba = converted->rgba();
            if (!rgba)
                if (const ColorRef converted = color->usingColorSpace(Color::Space::DeviceRGB))
                    rgba = converted->rgba();
        }
        if (!rgba)
            return 0;
        auto component = [](double v) { return quint32(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
        const quint32 red = component(rgba->red), green = component(rgba->green), blue = component(rgba->blue);
        const quint32 key = red << 16 | green << 8 | blue;
        if (const auto found = m_colorIndexes.constFind(key); found != m_colorIndexes.cend())
            return *found;
        m_colors.append("\\red" + number(red) + "\\green" + number(green) + "\\blue" + number(blue));
        m_colorIndexes.insert(key, int(m_colors.size()));
        return int(m_colors.size());
    }

    CharacterState characterState(const AttributeDictionary& attributes)
    {
        CharacterState state;
        if (const AttributeValue* value = attributes.value(NSFontAttributeName); value && value->font()) {
            const Font& font = *value->font();
            state.font = std::max(0, int(m_fonts.indexOf(font.familyName())));
            state.halfPoints = std::max(1, int(std::lround(font.pointSize() * 2)));
            state.bold = fontIsBold(font);
            state.italic = fontIsItalic(font);
        }
        if (const AttributeValue* value = attributes.value(NSUnderlineStyleAttributeName))
            state.underline = value->integerValue() != NSUnderlineStyleNone;
        if (const AttributeValue* value = attributes.value(NSStrikethroughStyleAttributeName))
            state.strikethrough = value->integerValue() != NSUnderlineStyleNone;
        state.foreground = colorIndex(attributes.value(NSForegroundColorAttributeName));
        state.background = colorIndex(attributes.value(NSBackgroundColorAttributeName));
        return state;
    }

    static void writeCharacterChange(QByteArray& out, const CharacterState& from, const CharacterState& to)
    {
        const qsizetype before = out.size();
        if (from.font != to.font)
            out += "\\f" + number(to.font);
        if (from.halfPoints != to.halfPoints)
            out += "\\fs" + number(to.halfPoints);
        if (from.bold != to.bold)
            out += to.bold ? "\\b" : "\\b0";
        if (from.italic != to.italic)
            out += to.italic ? "\\i" : "\\i0";
        if (from.underline != to.underline)
            out += to.underline ? "\\ul" : "\\ulnone";
        if (from.strikethrough != to.strikethrough)
            out += to.strikethrough ? "\\strike" : "\\strike0";
        if (from.foreground != to.foreground)
            out += "\\cf" + number(to.foreground);
        if (from.background != to.background)
            out += "\\cb" + number(to.background);
        if (out.size() != before)
            out += ' ';
    }

    static void writeParagraph(QByteArray& out, const ParagraphStyle& style)
    {
        out += "\\pard";
        switch (style.alignment) {
        case TextAlignment::Right: out += "\\qr"; break;
        case TextAlignment::Center: out += "\\qc"; break;
        case TextAlignment::Justified: out += "\\qj"; break;
        default: out += "\\ql"; break;
        }
        if (style.headIndent > 0)
            out += "\\li" + number(twips(style.headIndent));
        if (style.firstLineHeadIndent != style.headIndent)
            out += "\\fi" + number(twips(style.firstLineHeadIndent - style.headIndent));
        if (style.tailIndent < 0)
            out += "\\ri" + number(twips(-style.tailIndent));
        if (style.paragraphSpacingBefore > 0)
            out += "\\sb" + number(twips(style.paragraphSpacingBefore));
        if (style.paragraphSpacing > 0)
            out += "\\sa" + number(twips(style.paragraphSpacing));
        out += ' ';
    }

    QStringList m_fonts;
    QList<QByteArray> m_colors;
    QHash<quint32, int> m_colorIndexes; // by 0xRRGGBB, into m_colors from 1
};

} // namespace

QByteArray rtfFromAttributedString(const AttributedString& text, const QStringList& attachmentFileNames)
{
    return Writer().write(text, attachmentFileNames);
}

std::optional<FileWrapper> rtfdFileWrapper(const AttributedString& text, Error*)
{
    QSet<QString> taken = {kRTFDTextFileName.toCaseFolded()};
    QStringList names;
    std::vector<FileWrapper> files;
    const QString& string = text.string();
    for (const AttributeRun& run : text.runs()) {
        const AttributeValue* value = run.attributes.value(NSAttachmentAttributeName);
        if (!value || !value->attachment())
            continue;
        for (int i = run.location; i < run.location + run.length; ++i) {
            if (string[i] != QChar(NSAttachmentCharacter))
                continue;
            const TextAttachmentRef attachment = value->attachment();
            const QString name = uniqueName(attachment->fileName, taken);
            names.append(name);
            files.push_back(attachment->contentsFilePath.isEmpty()
                                ? FileWrapper::regularFile(name, attachment->contents)
                                : FileWrapper::regularFileCopiedFrom(name, attachment->contentsFilePath));
        }
    }
    files.insert(files.begin(), FileWrapper::regularFile(kRTFDTextFileName, rtfFromAttributedString(text, names)));
    return FileWrapper::directory(QString(), std::move(files));
}

} // namespace platform
