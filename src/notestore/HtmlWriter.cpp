#include "notestore/HtmlWriter.h"

namespace notestore {

namespace {

constexpr QChar kReplacement(0xFFFD);

// Characters an HTML text may not hold: controls other than tab and the
// line ends, lone surrogates and the two non-characters at the plane's end.
bool forbidden(char16_t c)
{
    return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0x7F || c == 0xFFFE || c == 0xFFFF;
}

void appendEscaped(QString& out, QStringView text, bool keepBlanks, bool& afterBlank)
{
    out.reserve(out.size() + text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
            afterBlank = false;
            continue;
        }
        if (c.isSurrogate() || forbidden(c.unicode())) {
            out += kReplacement;
            afterBlank = false;
            continue;
        }
        switch (c.unicode()) {
        case u'&': out += QLatin1String("&amp;"); break;
        case u'<': out += QLatin1String("&lt;"); break;
        case u'>': out += QLatin1String("&gt;"); break;
        case u'"': out += QLatin1String("&quot;"); break;
        case u'\'': out += QLatin1String("&#39;"); break;
        case u' ':
            if (!keepBlanks && afterBlank) {
                out += QLatin1String("&nbsp;");
                afterBlank = false;
                continue;
            }
            out += c;
            afterBlank = true;
            continue;
        default: out += c; break;
        }
        afterBlank = false;
    }
}

} // namespace

void HtmlWriter::open(const char* tag, const QString& attributes)
{
    m_out += u'<';
    m_out += QLatin1String(tag);
    m_out += attributes;
    m_out += u'>';
    m_open.push_back(tag);
}

void HtmlWriter::closeTo(size_t depth)
{
    while (m_open.size() > depth) {
        m_out += QLatin1String("</");
        m_out += QLatin1String(m_open.back());
        m_out += u'>';
        m_open.pop_back();
    }
}

void HtmlWriter::text(QStringView text)
{
    appendEscaped(m_out, text, m_preformatted, m_afterBlank);
}

void HtmlWriter::lineBreak()
{
    m_out += QLatin1String("<br>");
    m_afterBlank = true;
}

void HtmlWriter::newline()
{
    m_out += u'\n';
    m_afterBlank = true;
}

void HtmlWriter::raw(const QString& html)
{
    m_out += html;
    m_afterBlank = true;
}

QString HtmlWriter::finish()
{
    closeTo(0);
    return std::move(m_out);
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
