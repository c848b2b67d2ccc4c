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

// A rule of a plain sheet, as the scan below reads it.
struct PlainRule {
    size_t sheet;
    qsizetype start, length; // the whole rule within its sheet
    QStringView selector, declarations;
};

// The page's rules, when each sheet holds plain rules only: no at-rule,
// comment, escape, string, pseudo-class, universal selector or nested
// brace, any of which could reach elements in ways not read here.
std::optional<std::vector<PlainRule>> plainRules(const std::vector<QString>& sheets)
{
    std::vector<PlainRule> rules;
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
            const auto unread = [](QChar c) { return QStringView(u"@/\\\"':*{}").contains(c); };
            if (selector.isEmpty() || std::any_of(selector.begin(), selector.end(), unread) ||
                declarations.contains(u'{'))
                return std::nullopt;
            rules.push_back({index, position, close + 1 - position, selector, declarations});
            position = close + 1;
        }
    }
    return rules;
}

// The declarations of a rule, split at the semicolons outside strings and
// parentheses ("url(data:image/png;base64,…)"); nothing when a string or a
// parenthesis is left open.
std::optional<std::vector<QStringView>> declarationsOf(QStringView block)
{
    std::vector<QStringView> declarations;
    qsizetype start = 0, depth = 0;
    QChar quote;
    for (qsizetype i = 0; i < block.size(); ++i) {
        const QChar c = block.at(i);
        if (c == u'\\') {
            ++i;
        } else if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            if (--depth < 0)
                return std::nullopt;
        } else if (c == u';' && depth == 0) {
            declarations.push_back(block.sliced(start, i - start).trimmed());
            start = i + 1;
        }
    }
    if (!quote.isNull() || depth != 0)
        return std::nullopt;
    declarations.push_back(block.sliced(start).trimmed());
    return declarations;
}

// Qt gives the body's background, margins and padding to the document's
// frame, which the styled text never carries, and "text-align: inherit"
// on the body inherits nothing. Written on the body, each would still be
// copied into the format of every paragraph and run of the page.
bool reachesTheText(QStringView declaration)
{
    const qsizetype colon = declaration.indexOf(u':');
    if (colon < 0)
        return true; // not read here: Qt sees it as before
    const QStringView property = declaration.first(colon).trimmed();
    const auto is = [&](QLatin1String name) {
        return property.compare(name, Qt::CaseInsensitive) == 0 ||
               (property.size() > name.size() && property.startsWith(name, Qt::CaseInsensitive) &&
                property.at(name.size()) == u'-');
    };
    if (is(QLatin1String("background")) || is(QLatin1String("margin")) || is(QLatin1String("padding")))
        return false;
    return !(property.compare(QLatin1String("text-align"), Qt::CaseInsensitive) == 0 &&
             declaration.sliced(colon + 1).trimmed().compare(QLatin1String("inherit"), Qt::CaseInsensitive) == 0);
}

struct BodyRules {
    std::vector<const PlainRule*> rules;
    QString declarations; // those that reach the text, in the order of the page
};

// The rules for `body`, when no other rule could select the body element
// (or its parent).
std::optional<BodyRules> bodyRules(const std::vector<PlainRule>& rules)
{
    BodyRules found;
    for (const PlainRule& rule : rules) {
        if (rule.selector.compare(QLatin1String("body"), Qt::CaseInsensitive) == 0) {
            found.rules.push_back(&rule);
            QStringView whole = rule.declarations.trimmed();
            while (whole.endsWith(u';'))
                whole = whole.chopped(1).trimmed();
            const auto declarations = declarationsOf(whole);
            for (const QStringView own : declarations ? *declarations : std::vector{whole}) {
                if (own.isEmpty() || (declarations && !reachesTheText(own)))
                    continue;
                if (!found.declarations.isEmpty())
                    found.declarations += QLatin1String("; ");
                found.declarations += own;
            }
        } else if (rule.selector.contains(QLatin1String("body"), Qt::CaseInsensitive) ||
                   rule.selector.contains(QLatin1String("html"), Qt::CaseInsensitive)) {
            return std::nullopt;
        }
    }
    if (found.rules.empty())
        return std::nullopt;
    return found;
}

bool isNameCharacter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

// Rules that select by element name alone ("h2", "h2, tt") for names no tag
// of the page has. Qt matches every rule against every element and its
// ancestors, so a sheet costs each element of a long note even when none
// of its rules applies; the note styles name headings and `tt`, which most
// rich-text notes do not all use.
std::vector<const PlainRule*> rulesForAbsentElements(const QString& html, const std::vector<PlainRule>& rules)
{
    struct Candidate {
        const PlainRule* rule;
        std::vector<QStringView> names;
        bool used = false;
    };
    std::vector<Candidate> candidates;
    for (const PlainRule& rule : rules) {
        Candidate candidate{&rule, {}};
        for (const QStringView part : rule.selector.tokenize(u',')) {
            const QStringView name = part.trimmed();
            // The page's root elements may be implied; every other element has its tag.
            if (name.isEmpty() || !std::all_of(name.begin(), name.end(), isNameCharacter) ||
                name.compare(QLatin1String("body"), Qt::CaseInsensitive) == 0 ||
                name.compare(QLatin1String("html"), Qt::CaseInsensitive) == 0) {
                candidate.names.clear();
                break;
            }
            candidate.names.push_back(name);
        }
        if (!candidate.names.empty())
            candidates.push_back(std::move(candidate));
    }
    // Any tag-like text counts, in a comment or a script too. The scan ends
    // once every candidate is known to be used.
    size_t unsure = candidates.size();
    for (qsizetype i = unsure == 0 ? -1 : html.indexOf(u'<'); i >= 0 && unsure > 0; i = html.indexOf(u'<', i + 1)) {
        qsizetype start = i + 1;
        if (start < html.size() && html.at(start) == u'/')
            ++start;
        qsizetype end = start;
        while (end < html.size() && isNameCharacter(html.at(end)))
            ++end;
        const QStringView tag = QStringView(html).sliced(start, end - start);
        for (Candidate& candidate : candidates) {
            if (candidate.used)
                continue;
            candidate.used = std::any_of(candidate.names.begin(), candidate.names.end(), [&](QStringView name) {
                return name.size() == tag.size() && name.compare(tag, Qt::CaseInsensitive) == 0;
            });
            unsure -= candidate.used;
        }
        i = end - 1;
    }
    std::vector<const PlainRule*> unused;
    for (const Candidate& candidate : candidates)
        if (!candidate.used)
            unused.push_back(candidate.rule);
    return unused;
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
    std::vector<const PlainRule*> removed;
    const auto rules = forSomeMedia ? std::nullopt : plainRules(sheets);
    if (const auto body = rules ? bodyRules(*rules) : std::nullopt) {
        const QString& declarations = body->declarations;
        const QChar quote = !declarations.contains(u'"') ? u'"' : u'\'';
        const bool quotable = !declarations.contains(quote) && !declarations.contains(u'&') &&
                              !declarations.contains(u'<') && !declarations.contains(u'>');
        if (const auto tag = quotable ? plainBodyTag(html, spans) : std::nullopt) {
            removed = body->rules;
            if (!declarations.isEmpty())
                edits.push_back({*tag, 0, QStringLiteral(" style=") + quote + declarations + quote});
        }
    }
    if (rules) {
        const auto unused = rulesForAbsentElements(html, *rules);
        removed.insert(removed.end(), unused.begin(), unused.end());
    }
    // The rules point into the sheets, so the sheets change only after.
    std::vector<QString> kept = sheets;
    std::sort(removed.begin(), removed.end(), [](const PlainRule* a, const PlainRule* b) {
        return std::pair(a->sheet, a->start) > std::pair(b->sheet, b->start);
    });
    for (const PlainRule* rule : removed)
        kept[rule->sheet].remove(rule->start, rule->length);
    for (size_t index = 0; index < kept.size(); ++index)
        edits.push_back({spans[index].first, spans[index].second - spans[index].first, kept[index]});
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
