#include "notestore/HtmlWriter.h"

#include <array>

namespace notestore {

namespace {

constexpr QChar kReplacement(0xFFFD);

// Characters an HTML text may not hold: controls other than tab and the
// line ends, lone surrogates and the two non-characters at the plane's end.
constexpr bool forbidden(char16_t c)
{
    return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0x7F || c == 0xFFFE || c == 0xFFFF;
}

// Copies stretches of characters that need nothing done in one append
// each; only what must change is written piece by piece.
// No reserve() here: it allocates the exact size asked for, so one per
// piece of text would copy the whole page again each time it fills up.
void appendEscaped(QString& out, QStringView text, bool keepBlanks, bool& afterBlank)
{
    qsizetype run = 0; // start of the stretch not yet copied
    const auto flush = [&](qsizetype end) {
        if (end > run)
            out.append(text.mid(run, end - run));
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const QChar* replacement = nullptr;
        QLatin1String entity;
        if (c == u' ') {
            if (keepBlanks || !afterBlank) {
                afterBlank = true;
                continue;
            }
            entity = QLatin1String("&nbsp;");
        } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            afterBlank = false;
            continue;
        } else if (QChar::isSurrogate(c) || forbidden(c)) {
            replacement = &kReplacement;
        } else {
            switch (c) {
            case u'&': entity = QLatin1String("&amp;"); break;
            case u'<': entity = QLatin1String("&lt;"); break;
            case u'>': entity = QLatin1String("&gt;"); break;
            case u'"': entity = QLatin1String("&quot;"); break;
            case u'\'': entity = QLatin1String("&#39;"); break;
            default:
                afterBlank = false;
                continue;
            }
        }
        flush(i);
        run = i + 1;
        if (replacement)
            out += *replacement;
        else
            out += entity;
        afterBlank = false;
    }
    flush(text.size());
}

// The same for UTF-8 text, which holds no surrogates: U+FFFE and U+FFFF
// are EF BF BE and EF BF BF, and no other multi-byte character needs care.
// Bytes that may need more than a copy: blanks, markup, controls and the
// first byte of U+FFFE and U+FFFF. Most text has none, and is skipped a
// byte at a time with one look-up.
constexpr auto kSpecialBytes = [] {
    std::array<bool, 256> special{};
    for (int c = 0; c < 256; ++c)
        special[size_t(c)] = (c < 0x80 && forbidden(char16_t(c))) || c == ' ' || c == '&' || c == '<' || c == '>' ||
                             c == '"' || c == '\'' || c == 0xEF;
    return special;
}();

void appendEscapedUTF8(std::string& out, QByteArrayView text, bool keepBlanks, bool& afterBlank)
{
    static constexpr char kReplacementUTF8[] = "\xEF\xBF\xBD";
    const char* const data = text.data();
    const qsizetype size = text.size();
    qsizetype run = 0;
    const auto flush = [&](qsizetype end) {
        if (end > run)
            out.append(data + run, size_t(end - run));
    };
    for (qsizetype i = 0; i < size; ++i) {
        if (!kSpecialBytes[static_cast<unsigned char>(data[i])]) {
            afterBlank = false;
            while (i + 1 < size && !kSpecialBytes[static_cast<unsigned char>(data[i + 1])])
                ++i;
            continue;
        }
        const auto c = static_cast<unsigned char>(data[i]);
        const char* replacement = nullptr;
        qsizetype length = 1;
        if (c >= 0x80) {
            if (c == 0xEF && i + 2 < size && static_cast<unsigned char>(data[i + 1]) == 0xBF &&
                (static_cast<unsigned char>(data[i + 2]) & 0xFE) == 0xBE) {
                replacement = kReplacementUTF8;
                length = 3;
            } else {
                afterBlank = false;
                continue;
            }
        } else if (c == ' ') {
            if (keepBlanks || !afterBlank) {
                afterBlank = true;
                continue;
            }
            replacement = "&nbsp;";
        } else if (forbidden(c)) {
            replacement = kReplacementUTF8;
        } else {
            switch (c) {
            case '&': replacement = "&amp;"; break;
            case '<': replacement = "&lt;"; break;
            case '>': replacement = "&gt;"; break;
            case '"': replacement = "&quot;"; break;
            case '\'': replacement = "&#39;"; break;
            default:
                afterBlank = false;
                continue;
            }
        }
        flush(i);
        i += length - 1;
        run = i + 1;
        out.append(replacement);
        afterBlank = false;
    }
    flush(size);
}

} // namespace

void HtmlWriter::open(const char* tag, QByteArrayView attributes)
{
    m_out += '<';
    m_out += tag;
    m_out.append(attributes.data(), size_t(attributes.size()));
    m_out += '>';
    m_open.push_back(tag);
}

void HtmlWriter::closeTo(size_t depth)
{
    while (m_open.size() > depth) {
        m_out += "</";
        m_out += m_open.back();
        m_out += '>';
        m_open.pop_back();
    }
}

void HtmlWriter::text(QByteArrayView text)
{
    appendEscapedUTF8(m_out, text, m_preformatted, m_afterBlank);
}

void HtmlWriter::lineBreak()
{
    m_out += "<br>";
    m_afterBlank = true;
}

void HtmlWriter::newline()
{
    m_out += '\n';
    m_afterBlank = true;
}

void HtmlWriter::raw(QByteArrayView html)
{
    m_out.append(html.data(), size_t(html.size()));
    m_afterBlank = true;
}

QByteArray HtmlWriter::finish()
{
    closeTo(0);
    QByteArray html(m_out.data(), qsizetype(m_out.size()));
    m_out.clear();
    return html;
}

QString attribute(const char* name, const QString& value)
{
    QString out = u' ' + QLatin1String(name) + QLatin1String("=\"");
    bool afterBlank = false;
    appendEscaped(out, value, true, afterBlank);
    out += u'"';
    return out;
}

} // namespace notestore
