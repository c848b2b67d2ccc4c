#pragma once

// A strict checker for the HTML fragments the note builder writes: read as
// XML once br and img (the only elements that stand alone) are closed, so
// every element closes in order, attributes are quoted and entities known;
// a ">" outside a tag and a lone surrogate are refused too. Shared by the
// tests and the fuzzers.

#include <QRegularExpression>
#include <QString>
#include <QStringView>
#include <QXmlStreamReader>

namespace wellformed {

// Empty when `html` is well formed, else what is wrong and where. The text
// content (entities decoded, tags dropped, <br> as U+2028) goes to `text`.
inline QString check(QStringView html, QString* text = nullptr)
{
    const auto at = [](QStringView in, qsizetype i, const QString& what) {
        return QStringLiteral("%1 at %2: ...%3").arg(what).arg(i).arg(in.mid(std::max<qsizetype>(0, i - 20), 40));
    };
    for (qsizetype i = 0; i < html.size(); ++i) {
        if (html[i].isHighSurrogate() && i + 1 < html.size() && html[i + 1].isLowSurrogate())
            ++i;
        else if (html[i].isSurrogate())
            return at(html, i, QStringLiteral("lone surrogate"));
    }
    static const QRegularExpression tag(QStringLiteral("<[^<>]*>"));
    const qsizetype stray = html.toString().remove(tag).indexOf(u'>');
    if (stray >= 0)
        return QStringLiteral("unescaped > in the text, at %1 of it").arg(stray);
    static const QRegularExpression standAlone(QStringLiteral("<(br|img)((?: [a-z-]+=\"[^\"]*\")*)>"));
    QString xml = QStringLiteral("<html>") + html.toString() + QStringLiteral("</html>");
    // By number, XML neither refuses &nbsp; nor turns a carriage return into a
    // line feed; the text gives the blank the checks compare.
    xml.replace(standAlone, QStringLiteral("<\\1\\2/>"))
        .replace(QStringLiteral("&nbsp;"), QStringLiteral("&#32;"))
        .replace(u'\r', QStringLiteral("&#13;"));
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (text && token == QXmlStreamReader::Characters)
            *text += reader.text();
        else if (text && token == QXmlStreamReader::StartElement && reader.name() == u"br")
            *text += QChar(0x2028);
    }
    if (reader.hasError())
        return at(xml, reader.characterOffset(), reader.errorString());
    return {};
}

} // namespace wellformed
