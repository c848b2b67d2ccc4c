#include "notestore/InlineStyle.h"

#include "export/NoteLinks.h"
#include "notestore/HtmlWriter.h"
#include "notestore/NoteLinkTargets.h"

#include <QUrl>

#include <algorithm>
#include <cmath>

namespace notestore {

namespace {

int component(float value)
{
    if (!std::isfinite(value))
        return 0;
    return int(std::lround(std::clamp(double(value), 0.0, 1.0) * 255.0));
}

// Light tints that keep black text readable.
QString highlightColor(int highlight)
{
    switch (highlight) {
    case 1: return QStringLiteral("#e3d1ff"); // purple
    case 2: return QStringLiteral("#ffd1e8"); // pink
    case 3: return QStringLiteral("#ffdcb0"); // orange
    case 4: return QStringLiteral("#c4f2dc"); // mint
    case 5: return QStringLiteral("#c9e2ff"); // blue
    default: return QStringLiteral("#fff2a8"); // a kind newer than this program
    }
}

} // namespace

QString cssColor(const pb::RunColor& color)
{
    return QStringLiteral("#%1%2%3")
        .arg(component(color.red()), 2, 16, QChar(u'0'))
        .arg(component(color.green()), 2, 16, QChar(u'0'))
        .arg(component(color.blue()), 2, 16, QChar(u'0'));
}

QString safeLinkTarget(const QByteArray& link)
{
    QString text = QString::fromUtf8(link);
    // Browsers ignore these inside an address, so "java\tscript:" is a script.
    text.remove(QChar(u'\t'));
    text.remove(QChar(u'\n'));
    text.remove(QChar(u'\r'));
    const auto blank = [](QChar c) { return c.unicode() <= 0x20; };
    while (!text.isEmpty() && blank(text.front()))
        text.remove(0, 1);
    while (!text.isEmpty() && blank(text.back()))
        text.chop(1);
    if (text.isEmpty())
        return {};
    const QUrl url(text, QUrl::TolerantMode);
    if (!url.isValid())
        return {};
    const QString scheme = url.scheme().toLower();
    // The export's own address for links between notes is made only from
    // links Notes made.
    if (scheme == u"javascript" || scheme == u"vbscript" || scheme == u"data" || scheme == kNoteLinkScheme)
        return {};
    return QString::fromLatin1(url.toEncoded());
}

std::vector<InlineTag> inlineTags(const pb::Run& run)
{
    std::vector<InlineTag> tags;
    if (run.has_link()) {
        // A link to another note is pointed at that note's file by the export.
        const QString note = linkedNoteIdentifier(QString::fromStdString(run.link()).trimmed());
        const QString target = !note.isEmpty() ? noteLinkURL(note) : safeLinkTarget(QByteArray::fromStdString(run.link()));
        if (!target.isEmpty())
            tags.push_back({"a", attributeUTF8("href", target)});
    }
    QString style;
    if (run.has_color())
        style += QStringLiteral("color:") + cssColor(run.color());
    if (run.has_highlight() && run.highlight() != 0) {
        if (!style.isEmpty())
            style += u';';
        style += QStringLiteral("background-color:") + highlightColor(run.highlight());
    }
    if (!style.isEmpty())
        tags.push_back({"span", attributeUTF8("style", style)});
    const int weight = run.font_weight();
    if (weight == 1 || weight == 3)
        tags.push_back({"b", {}});
    if (weight == 2 || weight == 3)
        tags.push_back({"i", {}});
    if (run.underline() != 0)
        tags.push_back({"u", {}});
    // The style is for readers that no longer know <strike>, Qt among them.
    if (run.strikethrough() != 0)
        tags.push_back({"strike", attributeUTF8("style", QStringLiteral("text-decoration:line-through"))});
    if (run.baseline() > 0)
        tags.push_back({"sup", {}});
    else if (run.baseline() < 0)
        tags.push_back({"sub", {}});
    return tags;
}

} // namespace notestore
