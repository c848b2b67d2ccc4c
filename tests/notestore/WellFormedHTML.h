#pragma once

// A strict checker for the HTML fragments the note builder writes: every
// element closed in order (only br and img stand alone), attributes quoted,
// entities known, no lone surrogates. Shared by the tests and the fuzzers.

#include <QString>
#include <QStringView>
#include <vector>

namespace wellformed {

inline bool isVoid(QStringView name)
{
    return name == u"br" || name == u"img";
}

inline bool isNameChar(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-';
}

// Empty when `html` is well formed, else what is wrong and where. The text
// content (entities decoded, tags dropped, <br> as U+2028) goes to `text`.
inline QString check(QStringView html, QString* text = nullptr)
{
    std::vector<QStringView> open;
    const qsizetype size = html.size();
    const auto at = [&](qsizetype i, const char* what) {
        return QStringLiteral("%1 at %2: ...%3").arg(QLatin1String(what)).arg(i).arg(html.mid(std::max<qsizetype>(0, i - 20), 40));
    };
    for (qsizetype i = 0; i < size; ++i) {
        if (html[i].isHighSurrogate() && i + 1 < size && html[i + 1].isLowSurrogate())
            ++i;
        else if (html[i].isSurrogate())
            return at(i, "lone surrogate");
    }
    for (qsizetype i = 0; i < size;) {
        const QChar c = html[i];
        if (c.isHighSurrogate() && i + 1 < size && html[i + 1].isLowSurrogate()) {
            if (text)
                *text += html.mid(i, 2);
            i += 2;
            continue;
        }
        if (c == u'>')
            return at(i, "unescaped >");
        if (c == u'&') {
            const qsizetype end = html.indexOf(u';', i);
            if (end < 0 || end - i > 8)
                return at(i, "bare &");
            const QStringView name = html.mid(i + 1, end - i - 1);
            QString decoded;
            if (name == u"amp") decoded = QStringLiteral("&");
            else if (name == u"lt") decoded = QStringLiteral("<");
            else if (name == u"gt") decoded = QStringLiteral(">");
            else if (name == u"quot") decoded = QStringLiteral("\"");
            else if (name == u"#39") decoded = QStringLiteral("'");
            else if (name == u"nbsp") decoded = QStringLiteral(" ");
            else return at(i, "unknown entity");
            if (text)
                *text += decoded;
            i = end + 1;
            continue;
        }
        if (c != u'<') {
            if (text)
                *text += c;
            ++i;
            continue;
        }
        const bool closing = i + 1 < size && html[i + 1] == u'/';
        qsizetype j = i + (closing ? 2 : 1);
        const qsizetype nameStart = j;
        while (j < size && isNameChar(html[j]))
            ++j;
        const QStringView name = html.mid(nameStart, j - nameStart);
        if (name.isEmpty())
            return at(i, "tag without a name");
        if (closing) {
            if (j >= size || html[j] != u'>')
                return at(i, "bad closing tag");
            if (open.empty() || open.back() != name)
                return at(i, "closes an element that is not the innermost open one");
            open.pop_back();
            i = j + 1;
            continue;
        }
        // Attributes: name="value", value free of < and ".
        for (;;) {
            if (j >= size)
                return at(i, "unfinished tag");
            if (html[j] == u'>')
                break;
            if (html[j] != u' ')
                return at(j, "attribute without a blank before it");
            ++j;
            const qsizetype attributeStart = j;
            while (j < size && isNameChar(html[j]))
                ++j;
            if (j == attributeStart || j + 1 >= size || html[j] != u'=' || html[j + 1] != u'"')
                return at(j, "attribute not name=\"value\"");
            const qsizetype end = html.indexOf(u'"', j + 2);
            if (end < 0)
                return at(j, "unfinished attribute");
            const QStringView value = html.mid(j + 2, end - j - 2);
            if (value.contains(u'<') || value.contains(u'>'))
                return at(j, "< or > in an attribute");
            j = end + 1;
        }
        if (!isVoid(name))
            open.push_back(name);
        else if (text && name == u"br")
            *text += QChar(0x2028);
        i = j + 1;
    }
    if (!open.empty())
        return QStringLiteral("unclosed <%1>").arg(open.back());
    return {};
}

} // namespace wellformed
