#include "platform/RichText.h"

#include <QColor>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <array>
#include <map>
#include <vector>

namespace platform {

namespace {

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Windows-1252 differs from Latin-1 only in 0x80-0x9F.
QChar fromCp1252(unsigned char byte)
{
    static constexpr std::array<char16_t, 32> high = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    if (byte >= 0x80 && byte <= 0x9F)
        return QChar(high[byte - 0x80]);
    return QChar(char16_t(byte));
}

} // namespace

RichTextToken RichTextTokenizer::next()
{
    RichTextToken token;
    const qsizetype size = m_input.size();
    if (m_position >= size)
        return token;

    const char c = m_input[m_position];
    if (c == '{') {
        ++m_position;
        token.type = RichTextToken::GroupStart;
        return token;
    }
    if (c == '}') {
        ++m_position;
        token.type = RichTextToken::GroupEnd;
        return token;
    }
    if (c != '\\') {
        const qsizetype start = m_position;
        while (m_position < size && m_input[m_position] != '\\' && m_input[m_position] != '{'
               && m_input[m_position] != '}')
            ++m_position;
        token.type = RichTextToken::Text;
        token.text = m_input.sliced(start, m_position - start).toByteArray();
        token.text.removeIf([](char ch) { return ch == '\r' || ch == '\n'; });
        return token;
    }

    ++m_position; // the backslash
    if (m_position >= size)
        return token;
    const char first = m_input[m_position];
    if (!isLetter(first)) {
        ++m_position;
        token.type = RichTextToken::ControlSymbol;
        token.word = QByteArray(1, first);
        if (first == '\'') {
            // Two hex digits; a malformed escape yields no byte.
            if (m_position + 1 < size) {
                const int high = hexValue(m_input[m_position]);
                const int low = hexValue(m_input[m_position + 1]);
                if (high >= 0 && low >= 0) {
                    token.text = QByteArray(1, char(high * 16 + low));
                    m_position += 2;
                }
            }
        } else if (first == '\r' || first == '\n') {
            token.type = RichTextToken::ControlWord;
            token.word = "par";
        }
        return token;
    }

    const qsizetype wordStart = m_position;
    while (m_position < size && isLetter(m_input[m_position]) && m_position - wordStart < 32)
        ++m_position;
    token.type = RichTextToken::ControlWord;
    token.word = m_input.sliced(wordStart, m_position - wordStart).toByteArray();

    bool negative = false;
    if (m_position < size && m_input[m_position] == '-' && m_position + 1 < size && isDigit(m_input[m_position + 1])) {
        negative = true;
        ++m_position;
    }
    if (m_position < size && isDigit(m_input[m_position])) {
        qint64 value = 0;
        while (m_position < size && isDigit(m_input[m_position])) {
            if (value < 100000000)
                value = value * 10 + (m_input[m_position] - '0');
            ++m_position;
        }
        token.parameter = int(negative ? -value : value);
    }
    // One blank after a control word belongs to it.
    if (m_position < size && m_input[m_position] == ' ')
        ++m_position;

    if (token.word == "bin" && token.parameter && *token.parameter > 0) {
        // Binary data is never text; step over it.
        m_position = std::min<qint64>(size, m_position + *token.parameter);
    }
    return token;
}

namespace {

enum class Destination {
    Text,         // visible text
    Skip,         // fonttbl, stylesheet, unknown \* groups, ...
    ColorTable,
    FieldInstruction,
    FontTable,
    Attachment,   // {\NeXTGraphic name \width.. \height..}
};

struct GroupState {
    Destination destination = Destination::Text;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    int font = -1; // font table index; -1 is the default font
    int fontSizeHalfPoints = 24;
    int foreground = 0; // colour table index; 0 is the automatic colour
    int background = 0;
    int unicodeSkip = 1;
    int field = -1;     // index into Reader::m_fields of the enclosing field
    bool fieldResult = false;
};

struct Field {
    QString instruction;
    QString link;
};

class Reader {
public:
    explicit Reader(QTextDocument& document)
    {
        document.clear();
        m_cursor = QTextCursor(&document);
        m_states.push_back(GroupState{});
    }

    void read(QByteArrayView rtf)
    {
        RichTextTokenizer tokenizer(rtf);
        for (;;) {
            const RichTextToken token = tokenizer.next();
            if (token.type == RichTextToken::End)
                break;
            handle(token);
        }
        if (m_pendingAttachment)
            insertAttachment(); // truncated input still keeps the reference
        flush();
    }

private:
    // Deeper groups than this are read as part of their parent, so hostile
    // nesting cannot grow the stack without bound.
    static constexpr int kMaxDepth = 256;

    GroupState& state() { return m_states.back(); }

    void handle(const RichTextToken& token)
    {
        switch (token.type) {
        case RichTextToken::GroupStart:
            m_ignorableNext = false;
            if (int(m_states.size()) >= kMaxDepth) {
                ++m_overflowDepth;
                return;
            }
            flush();
            m_skipCount = 0;
            m_states.push_back(state());
            m_groupJustOpened = true;
            return;
        case RichTextToken::GroupEnd:
            if (m_overflowDepth > 0) {
                --m_overflowDepth;
                return;
            }
            if (m_states.size() <= 1)
                return; // a stray closing brace
            flush();
            m_skipCount = 0;
            closeGroup();
            return;
        case RichTextToken::ControlSymbol:
            controlSymbol(token);
            if (token.word == "*")
                return; // the destination's name follows
            break;
        case RichTextToken::ControlWord:
            controlWord(token);
            break;
        case RichTextToken::Text:
            text(token.text);
            break;
        case RichTextToken::End:
            return;
        }
        m_groupJustOpened = false;
    }

    void closeGroup()
    {
        const GroupState closing = m_states.back();
        m_states.pop_back();
        if (closing.destination == Destination::Attachment && state().destination != Destination::Attachment) {
            m_pendingAttachment = m_attachment;
            m_pendingAttachment->name = m_pendingAttachment->name.trimmed();
            m_pendingAttachmentDepth = int(m_states.size());
        } else if (m_pendingAttachment && int(m_states.size()) < m_pendingAttachmentDepth) {
            // The reference had no character of its own; it still stands.
            insertAttachment();
        }
        if (closing.destination == Destination::FieldInstruction && closing.field >= 0
            && state().destination != Destination::FieldInstruction)
            m_fields[closing.field].link = hyperlinkTarget(m_fields[closing.field].instruction);
    }

    static QString hyperlinkTarget(const QString& instruction)
    {
        const QString trimmed = instruction.trimmed();
        if (!trimmed.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive))
            return {};
        QString rest = trimmed.mid(9).trimmed();
        // Switches such as \l or \o may come before or after the target.
        while (rest.startsWith(u'\\')) {
            const qsizetype blank = rest.indexOf(u' ');
            rest = blank < 0 ? QString() : rest.mid(blank + 1).trimmed();
        }
        if (rest.startsWith(u'"')) {
            const qsizetype end = rest.indexOf(u'"', 1);
            return end < 0 ? rest.mid(1) : rest.mid(1, end - 1);
        }
        const qsizetype blank = rest.indexOf(u' ');
        return blank < 0 ? rest : rest.left(blank);
    }

    void controlSymbol(const RichTextToken& token)
    {
        const char symbol = token.word.isEmpty() ? 0 : token.word[0];
        if (symbol != '*' && symbol != '\'' && m_skipCount > 0) {
            --m_skipCount; // a control symbol is one fallback character
            return;
        }
        switch (symbol) {
        case '*':
            m_ignorableNext = m_groupJustOpened;
            return;
        case '\'':
            if (!token.text.isEmpty())
                appendCharacter(fromCp1252(static_cast<unsigned char>(token.text[0])));
            return;
        case '~':
            appendCharacter(QChar(0x00A0));
            return;
        case '_':
            appendCharacter(QChar(0x2011));
            return;
        case '-':
            return;
        case '\\':
        case '{':
        case '}':
            appendCharacter(QChar(char16_t(symbol)));
            return;
        case '\t':
            appendCharacter(u'\t');
            return;
        default:
            return;
        }
    }

    void controlWord(const RichTextToken& token)
    {
        const QByteArray& word = token.word;
        const int parameter = token.parameter.value_or(1);
        const bool startsGroup = m_groupJustOpened;
        const bool ignorable = m_ignorableNext;
        m_ignorableNext = false;

        if (startsGroup && enterDestination(word, ignorable))
            return;
        if (ignorable && startsGroup) {
            state().destination = Destination::Skip;
            return;
        }

        if (state().destination == Destination::FontTable) {
            if (word == "f")
                m_pendingFont = token.parameter.value_or(0);
            return;
        }
        if (state().destination == Destination::Attachment) {
            if (word == "width")
                m_attachment.width = std::max(0, token.parameter.value_or(0));
            else if (word == "height")
                m_attachment.height = std::max(0, token.parameter.value_or(0));
            return;
        }
        if (state().destination == Destination::ColorTable) {
            if (word == "red")
                m_pendingColor.setRed(std::clamp(parameter, 0, 255)), m_pendingColorSet = true;
            else if (word == "green")
                m_pendingColor.setGreen(std::clamp(parameter, 0, 255)), m_pendingColorSet = true;
            else if (word == "blue")
                m_pendingColor.setBlue(std::clamp(parameter, 0, 255)), m_pendingColorSet = true;
            return;
        }

        if (word == "u") {
            // \uN is a signed 16-bit value; the fallback characters follow.
            int value = token.parameter.value_or(0);
            if (value < 0)
                value += 65536;
            if (value >= 0 && value <= 0xFFFF)
                appendCharacter(QChar(char16_t(value)), false);
            m_skipCount = state().unicodeSkip;
            return;
        }
        if (m_skipCount > 0) {
            --m_skipCount; // a control word is one fallback character
            return;
        }

        // Control words that stand for one character.
        static const std::pair<QByteArrayView, char16_t> characterWords[] = {
            {"line", QChar::LineSeparator}, {"tab", u'\t'},      {"emdash", 0x2014}, {"endash", 0x2013},
            {"bullet", 0x2022},             {"lquote", 0x2018}, {"rquote", 0x2019}, {"ldblquote", 0x201C},
            {"rdblquote", 0x201D},
        };
        for (const auto& [name, character] : characterWords) {
            if (word == name) {
                appendCharacter(QChar(character));
                return;
            }
        }

        GroupState& s = state();
        if (word == "uc")
            s.unicodeSkip = std::clamp(token.parameter.value_or(1), 0, 16);
        else if (word == "par")
            newParagraph();
        else if (word == "pard") {
            flush();
            m_blockFormat = QTextBlockFormat();
        } else if (word == "ql" || word == "qr" || word == "qc" || word == "qj") {
            flush();
            m_blockFormat.setAlignment(word == "qr"   ? Qt::AlignRight
                                       : word == "qc" ? Qt::AlignHCenter
                                       : word == "qj" ? Qt::AlignJustify
                                                      : Qt::AlignLeft);
        } else if (word == "li" || word == "ri" || word == "fi") {
            // Twips; 15 of them make a pixel at the usual 96 dots per inch.
            flush();
            const qreal pixels = token.parameter.value_or(0) / 15.0;
            if (word == "li")
                m_blockFormat.setLeftMargin(std::max<qreal>(0, pixels));
            else if (word == "ri")
                m_blockFormat.setRightMargin(std::max<qreal>(0, pixels));
            else
                m_blockFormat.setTextIndent(pixels);
        } else if (word == "plain") {
            flush();
            s.bold = s.italic = s.underline = s.strikethrough = false;
            s.font = -1;
            s.fontSizeHalfPoints = 24;
            s.foreground = s.background = 0;
        } else if (word == "b") {
            flush();
            s.bold = parameter != 0;
        } else if (word == "i") {
            flush();
            s.italic = parameter != 0;
        } else if (word == "ul") {
            flush();
            s.underline = parameter != 0;
        } else if (word == "ulnone") {
            flush();
            s.underline = false;
        } else if (word == "strike" || word == "striked") {
            flush();
            s.strikethrough = parameter != 0;
        } else if (word == "f") {
            flush();
            s.font = token.parameter.value_or(0);
        } else if (word == "deff") {
            m_defaultFont = token.parameter.value_or(0);
        } else if (word == "fs") {
            flush();
            if (token.parameter && *token.parameter > 0)
                s.fontSizeHalfPoints = std::min(*token.parameter, 3200);
        } else if (word == "cf") {
            flush();
            s.foreground = std::max(0, token.parameter.value_or(0));
        } else if (word == "cb" || word == "highlight") {
            flush();
            s.background = std::max(0, token.parameter.value_or(0));
        }
        // Everything else (fonts, margins, document settings) has no effect here.
    }

    // Handles a control word that opens a group; true when it named a destination.
    bool enterDestination(const QByteArray& word, bool ignorable)
    {
        GroupState& s = state();
 if (word == "fonttbl") {
            flush();
            s.destination = Destination::FontTable;
            return true;
        }
        if (word == "NeXTGraphic") {
            flush();
            s.destination = Destination::Attachment;
            m_attachment = AttachmentReference{};
            return true;
        }
        if (word == "stylesheet" || word == "info" || word == "pict" || word == "header"
            || word == "footer" || word == "headerl" || word == "headerr" || word == "footerl"
            || word == "footerr" || word == "listtable" || word == "listoverridetable" || word == "object"
            || word == "filetbl" || word == "revtbl" || word == "footnote" || word == "themedata"
            || word == "colorschememapping" || word == "latentstyles" || word == "datastore"
            || word == "xmlnstbl" || word == "rsidtbl" || word == "generator") {
            flush();
            s.destination = Destination::Skip;
            return true;
        }
        if (word == "colortbl") {
            s.destination = Destination::ColorTable;
            m_colors.clear();
            m_pendingColor = QColor(0, 0, 0);
            m_pendingColorSet = false;
            return true;
        }
        if (word == "field") {
            flush();
            m_fields.push_back(Field{});
            s.field = int(m_fields.size()) - 1;
            s.fieldResult = false;
            return true;
        }
        if (word == "fldinst") {
            if (s.field >= 0 && s.destination != Destination::Skip)
                s.destination = Destination::FieldInstruction;
            else
                s.destination = Destination::Skip;
            return true;
        }
        if (word == "fldrslt") {
            if (s.field >= 0)
                s.fieldResult = true;
            return true;
        }
        (void)ignorable;
        return false;
    }

    void text(const QByteArray& bytes)
    {
        const Destination destination = state().destination;
        if (destination == Destination::FontTable) {
            for (char c : bytes) {
                if (c == ';') {
                    if (m_pendingFont >= 0)
                        m_fonts[m_pendingFont] = m_pendingFontName.trimmed();
                    m_pendingFont = -1;
                    m_pendingFontName.clear();
                } else if (m_pendingFont >= 0) {
                    m_pendingFontName.append(fromCp1252(static_cast<unsigned char>(c)));
                }
            }
            return;
        }
        if (destination == Destination::ColorTable) {
            for (char c : bytes) {
                if (c == ';') {
                    m_colors.push_back(m_pendingColorSet ? std::optional<QColor>(m_pendingColor) : std::nullopt);
                    m_pendingColor = QColor(0, 0, 0);
                    m_pendingColorSet = false;
                }
            }
            return;
        }
        for (char c : bytes)
            appendCharacter(fromCp1252(static_cast<unsigned char>(c)));
    }

    // `countsAsFallback`: whether this character may be one that a
    // preceding \uN asked to skip.
    void appendCharacter(QChar character, bool countsAsFallback = true)
    {
        if (countsAsFallback && m_skipCount > 0) {
            --m_skipCount;
            return;
        }
        const GroupState& s = state();
        if (s.destination == Destination::FieldInstruction) {
            if (s.field >= 0)
                m_fields[s.field].instruction.append(character);
            return;
        }
        if (s.destination == Destination::Attachment) {
            m_attachment.name.append(character);
            return;
        }
        if (s.destination != Destination::Text)
            return;
        if (m_pendingAttachment) {
            // The character after a reference stands for the attachment.
            insertAttachment();
            return;
        }
        if (m_pending.isEmpty())
            m_pendingFormat = charFormat();
        m_pending.append(character);
    }

    QTextCharFormat charFormat() const
    {
        const GroupState& s = m_states.back();
        QTextCharFormat format;
        format.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(s.italic);
        format.setFontUnderline(s.underline);
        format.setFontStrikeOut(s.strikethrough);
        const auto font = m_fonts.find(s.font >= 0 ? s.font : m_defaultFont);
        if (font != m_fonts.end() && !font->second.isEmpty())
            format.setFontFamilies(QStringList{font->second});
        format.setFontPointSize(s.fontSizeHalfPoints / 2.0);
        if (const auto color = tableColor(s.foreground))
            format.setForeground(*color);
        if (const auto color = tableColor(s.background))
            format.setBackground(*color);
        if (s.fieldResult && s.field >= 0 && !m_fields[s.field].link.isEmpty()) {
            format.setAnchor(true);
            format.setAnchorHref(m_fields[s.field].link);
        }
        return format;
    }

    std::optional<QColor> tableColor(int index) const
    {
        if (index <= 0 || index >= int(m_colors.size()))
            return std::nullopt;
        return m_colors[index];
    }

    void insertAttachment()
    {
        flush();
        prepareBlock();
        QTextImageFormat format;
        format.merge(charFormat());
        format.setName(m_pendingAttachment->name);
        format.setProperty(kRichTextAttachmentFileNameProperty, m_pendingAttachment->name);
        if (m_pendingAttachment->width > 0)
            format.setWidth(m_pendingAttachment->width / 20.0);
        if (m_pendingAttachment->height > 0)
            format.setHeight(m_pendingAttachment->height / 20.0);
        m_cursor.insertImage(format);
        m_pendingAttachment.reset();
    }

    void prepareBlock()
    {
        if (m_blockIsFresh) {
            m_cursor.setBlockFormat(m_blockFormat);
            m_blockIsFresh = false;
        }
    }

    void flush()
    {
        if (m_pending.isEmpty())
            return;
        prepareBlock();
        m_cursor.insertText(m_pending, m_pendingFormat);
        m_pending.clear();
    }

    void newParagraph()
    {
        if (state().destination != Destination::Text)
            return;
        if (m_pendingAttachment)
            insertAttachment();
        flush();
        if (m_blockIsFresh)
            m_cursor.setBlockFormat(m_blockFormat);
        m_cursor.insertBlock(m_blockFormat, charFormat());
        m_blockIsFresh = true;
    }

    QTextCursor m_cursor;
    std::vector<GroupState> m_states;
    int m_overflowDepth = 0;
    bool m_groupJustOpened = false;
    bool m_ignorableNext = false;
    int m_skipCount = 0;
    QTextBlockFormat m_blockFormat;
    bool m_blockIsFresh = true;
    QString m_pending;
    QTextCharFormat m_pendingFormat;
    std::vector<std::optional<QColor>> m_colors;
    QColor m_pendingColor{0, 0, 0};
    bool m_pendingColorSet = false;
    std::vector<Field> m_fields;
    std::map<int, QString> m_fonts;
    int m_defaultFont = 0;
    int m_pendingFont = -1;
    QString m_pendingFontName;
    struct AttachmentReference {
        QString name;
        int width = 0; // twips
        int height = 0;
    };
    AttachmentReference m_attachment;
    std::optional<AttachmentReference> m_pendingAttachment;
    int m_pendingAttachmentDepth = 0;
};

} // namespace

bool readRichText(QByteArrayView rtf, QTextDocument& document, Error* error)
{
    qsizetype start = 0;
    while (start < rtf.size() && QChar::isSpace(uchar(rtf[start])))
        ++start;
    if (!rtf.sliced(start).startsWith(QByteArrayView("{\\rtf"))) {
        document.clear();
        setError(error, Error(kRichTextErrorDomain, 1, QStringLiteral("The text is not in RTF format.")));
        return false;
    }
    Reader reader(document);
    reader.read(rtf.sliced(start));
    return true;
}

} // namespace platform
