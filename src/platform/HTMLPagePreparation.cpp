#include "platform/HTMLPagePreparation.h"

#include <QRegularExpression>
#include <algorithm>
#include <optional>
#include <vector>

namespace platform::htmlpage {

namespace {

struct Edit {
    qsizetype position;
    qsizetype length; // of the text replaced
    QString text;
};

QString withEdits(const QString& html, std::vector<Edit> edits)
{
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.position < b.position; });
    QString result;
    result.reserve(html.size() + 64);
    qsizetype last = 0;
    for (const Edit& edit : edits) {
        result += QStringView(html).sliced(last, edit.position - last);
        result += edit.text;
        last = edit.position + edit.length;
    }
    result += QStringView(html).sliced(last);
    return result;
}

struct BodyRules {
    struct Place {
        size_t sheet;
        qsizetype start, length; // the whole rule within its sheet
    };
    std::vector<Place> places;
    QString declarations; // all of them, in the order of the page
};

// The rules for `body` in the page's style sheets, when no other rule could
// select the body element (or its parent) and each sheet holds plain rules
// only. Anything the scan cannot vouch for keeps the rules in their sheets.
std::optional<BodyRules> bodyRules(const std::vector<QString>& sheets)
{
    BodyRules found;
    for (size_t index = 0; index < sheets.size(); ++index) {
        const QString& sheet = sheets[index];
        qsizetype position = 0;
        for (;;) {
            const qsizetype open = sheet.indexOf(u'{', position);
            if (open < 0) {
                if (!QStringView(sheet).sliced(position).trimmed().isEmpty())
                    return std::nullopt;
                break;
            }
            const qsizetype close = sheet.indexOf(u'}', open);
            if (close < 0)
                return std::nullopt;
            const QStringView selector = QStringView(sheet).sliced(position, open - position).trimmed();
            const QStringView declarations = QStringView(sheet).sliced(open + 1, close - open - 1);
            // At-rules, comments, escapes, strings, pseudo-classes and the
            // universal selector could all reach the body in ways not read here.
            const auto unread = [](QChar c) { return QStringView(u"@/\\\"':*{}").contains(c); };
            if (selector.isEmpty() || std::any_of(selector.begin(), selector.end(), unread) ||
                declarations.contains(u'{'))
                return std::nullopt;
            if (selector.compare(QLatin1String("body"), Qt::CaseInsensitive) == 0) {
                found.places.push_back({index, position, close + 1 - position});
                QStringView own = declarations.trimmed();
                while (own.endsWith(u';'))
                    own = own.chopped(1).trimmed();
                if (!own.isEmpty()) {
                    if (!found.declarations.isEmpty())
                        found.declarations += QLatin1String("; ");
                    found.declarations += own;
                }
            } else if (selector.contains(QLatin1String("body"), Qt::CaseInsensitive) ||
                       selector.contains(QLatin1String("html"), Qt::CaseInsensitive)) {
                return std::nullopt;
            }
            position = close + 1;
        }
    }
    if (found.places.empty())
        return std::nullopt;
    return found;
}

// Where the page's only body tag ends its name ("<body|>"), if it is a plain
// "<body>" that the importer reads as a tag: not in a style element, comment
// or script.
std::optional<qsizetype> plainBodyTag(const QString& html, const std::vector<std::pair<qsizetype, qsizetype>>& styles)
{
    // Qt's search in any case goes character by character; a page has few '<'.
    const auto bodyTagFrom = [&](qsizetype from) -> qsizetype {
        for (qsizetype i = html.indexOf(u'<', from); i >= 0; i = html.indexOf(u'<', i + 1))
            if (QStringView(html).sliced(i + 1).startsWith(QLatin1String("body"), Qt::CaseInsensitive))
                return i;
        return -1;
    };
    const qsizetype at = bodyTagFrom(0);
    if (at < 0 || bodyTagFrom(at + 5) >= 0)
        return std::nullopt;
    if (at + 5 >= html.size() || html.at(at + 5) != u'>')
        return std::nullopt;
    const QStringView before = QStringView(html).first(at);
    if (before.contains(QLatin1String("<!--")) || before.contains(QLatin1String("<script"), Qt::CaseInsensitive))
        return std::nullopt;
    for (const auto& [start, end] : styles)
        if (at >= start && at < end)
            return std::nullopt;
    return at + 5;
}

} // namespace

QString preparedForImport(const QString& html)
{
    // Qt's style sheet parser drops fractional pixel lengths ("17.0px").
    // Pixels count as points here, and points may be fractional, so the
    // page's style elements are given points instead.
    static const QRegularExpression styleElement(QStringLiteral("(<style\\b[^>]*>)(.*?)(</style\\s*>)"),
                                                 QRegularExpression::CaseInsensitiveOption
                                                     | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression pixels(QStringLiteral("(\\d*\\.\\d+|\\d+)px\\b"),
                                           QRegularExpression::CaseInsensitiveOption);
    std::vector<std::pair<qsizetype, qsizetype>> spans;
    std::vector<QString> sheets;
    bool forSomeMedia = false; // such a sheet may not apply at all
    for (const QRegularExpressionMatch& match : styleElement.globalMatch(html)) {
        forSomeMedia = forSomeMedia || match.capturedView(1).contains(QLatin1String("media"), Qt::CaseInsensitive);
        spans.emplace_back(match.capturedStart(2), match.capturedEnd(2));
        sheets.push_back(match.captured(2).replace(pixels, QStringLiteral("\\1pt")));
    }

    // Qt gives every element its ancestors' inheritable declarations again,
    // after the element's own defaults: a body rule would undo the font
    // family of an element inside <code>, <pre> or a div with a font of its
    // own, and a later body rule's size, and costs every element a second
    // look at the sheet. Given to the body element itself, the rules are
    // inherited as in a browser.
    std::vector<Edit> edits;
    if (const auto rules = forSomeMedia ? std::nullopt : bodyRules(sheets)) {
        const QString& declarations = rules->declarations;
        const QChar quote = !declarations.contains(u'"') ? u'"' : u'\'';
        const bool quotable = !declarations.contains(quote) && !declarations.contains(u'&') &&
                              !declarations.contains(u'<') && !declarations.contains(u'>');
        if (const auto tag = quotable ? plainBodyTag(html, spans) : std::nullopt) {
            // Last first, so the earlier places stay where they were.
            for (auto place = rules->places.rbegin(); place != rules->places.rend(); ++place)
                sheets[place->sheet].remove(place->start, place->length);
            edits.push_back({*tag, 0, QStringLiteral(" style=") + quote + declarations + quote});
        }
    }
    for (size_t index = 0; index < sheets.size(); ++index)
        edits.push_back({spans[index].first, spans[index].second - spans[index].first, sheets[index]});
    return withEdits(html, std::move(edits));
}

QString flattenedToText(const QString& html)
{
    static const QRegularExpression hidden(QStringLiteral("<(style|script|title|head)\\b.*?</\\1\\s*>"),
                                           QRegularExpression::CaseInsensitiveOption
                                               | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression breaking(
        QStringLiteral("<(br|/p|/div|/li|/h[1-6]|/tr|/blockquote|/pre)\\b[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QString text = html;
    text.remove(hidden);
    text.replace(breaking, QStringLiteral("\x01"));
    text.remove(tag);
    // Nested blocks end together; one line break stands for all of them.
    static const QRegularExpression breaks(QStringLiteral("\x01(?:\\s*\x01)+"));
    text.replace(breaks, QStringLiteral("\x01"));
    text.replace(u'\x01', QStringLiteral("<br>"));
    return text;
}

} // namespace platform::htmlpage
