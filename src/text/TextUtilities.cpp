#include "text/TextUtilities.h"

#include "platform/CharacterSet.h"
#include "platform/LocalizedString.h"
#include "platform/StringCompare.h"
#include "platform/UserDefaults.h"
#include "text/Trimming.h"

#include <cmath>
#include <limits>
#include <memory>
#include <unicode/ucol.h>
#include <unicode/usearch.h>

namespace fw {

namespace {

namespace cs = platform::charset;

constexpr char16_t kHash = u'#';
constexpr char16_t kTagExtra = u'_';
constexpr char16_t kAttachment = 0xFFFC;

// What a regular expression's \s matches: U+0009 to U+000D, NEL and the Z*
// separators (the White_Space property).
bool isPatternSpace(char16_t c)
{
    if ((c >= 0x0009 && c <= 0x000D) || c == 0x0085)
        return true;
    return (U_GET_GC_MASK(UChar32(c)) & U_GC_Z_MASK) != 0;
}

bool isDigitsOnly(QStringView tag)
{
    for (const QChar c : tag) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// The tag of the part starting at `begin`: its leading run of alphanumerics
// and "_", tested per character so a surrogate pair is never split.
qsizetype tagLength(const QString& text, qsizetype begin, qsizetype end)
{
    qsizetype i = begin;
    qsizetype units = 0;
    while (i < end) {
        const char32_t c = codePointAt(text, i, &units);
        if (c != kTagExtra && !cs::isAlphanumeric(c))
            break;
        i += units;
    }
    // A pair that straddles the part's end cannot happen: "#" is not a surrogate.
    return i - begin;
}

bool numericTagsAllowed()
{
    // Read on every test so a change made by the companion app applies at once.
    return platform::UserDefaults::standard().boolValue(QString::fromLatin1(kAllowNumericHashtagsKey));
}

// One "#\S+" run that starts a word: every "#" in it begins a part.
void collectParts(const QString& text, qsizetype begin, qsizetype end, QStringList* names, QList<TextRange>* ranges)
{
    qsizetype hash = begin;
    while (hash < end) {
        const qsizetype partBegin = hash + 1;
        const qsizetype next = QStringView(text).mid(partBegin, end - partBegin).indexOf(kHash);
        const qsizetype partEnd = next < 0 ? end : partBegin + next;
        const qsizetype length = tagLength(text, partBegin, partEnd);
        const QStringView tag = QStringView(text).mid(partBegin, length);
        const bool rejected = tag.isEmpty() || (isDigitsOnly(tag) && !numericTagsAllowed());
        if (!rejected) {
            QString name = tag.toString();
            name.replace(kTagExtra, u' ');
            names->append(name);
            if (ranges)
                ranges->append({hash, 1 + length});
        }
        hash = partEnd;
    }
}

struct CollatorCloser {
    void operator()(UCollator* c) const { ucol_close(c); }
};
struct SearchCloser {
    void operator()(UStringSearch* s) const { usearch_close(s); }
};

// Fills the count into a localised "%ld …" phrase.
QString countPhrase(qint64 count, const char* one, const char* many)
{
    QString format = platform::localizedString(count == 1 ? one : many);
    format.replace(QStringLiteral("%ld"), QStringLiteral("%@"));
    return platform::stringWithFormat(format, {QString::number(count)});
}

qint64 wholeCount(double value)
{
    // Saturate rather than overflow for absurdly long intervals.
    constexpr double kMax = 9.0e18;
    return value >= kMax ? qint64(kMax) : qint64(value);
}

} // namespace

QStringList tagNamesAndRangesFromHashtags(const QString& text, QList<TextRange>* ranges)
{
    QStringList names;
    if (ranges)
        ranges->clear();
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        if (text.at(i) != kHash || i + 1 >= n || isPatternSpace(text.at(i + 1).unicode())) {
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < n && !isPatternSpace(text.at(end).unicode()))
            ++end;
        if (i == 0 || cs::isWhitespaceAndNewline(text.at(i - 1).unicode()))
            collectParts(text, i, end, &names, ranges);
        i = end;
    }
    return names;
}

QSet<QString> uniqueTagNamesFromHashtags(const QString& text)
{
    const QStringList names = tagNamesAndRangesFromHashtags(text);
    return QSet<QString>(names.begin(), names.end());
}

QList<TextRange> localizedStandardRangesOfString(const QString& text, const QString& term)
{
    if (term.isEmpty() || term.size() > text.size() || text.size() > std::numeric_limits<int32_t>::max())
        return {};

    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UCollator, CollatorCloser> collator(ucol_open(platform::collationLocaleID().constData(), &status));
    if (U_FAILURE(status))
        return {};
    // Primary strength: base letters only, so case and accents do not count.
    ucol_setStrength(collator.get(), UCOL_PRIMARY);
    ucol_setAttribute(collator.get(), UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    // A term of characters the comparison ignores (U+200B, U+00AD, a lone
    // combining mark) would match an empty span anywhere: it finds nothing.
    const UChar nothing[] = {0};
    if (U_FAILURE(status) || ucol_strcoll(collator.get(), reinterpret_cast<const UChar*>(term.utf16()),
                                          int32_t(term.size()), nothing, 0) == UCOL_EQUAL)
        return {};

    std::unique_ptr<UStringSearch, SearchCloser> search(usearch_openFromCollator(
        reinterpret_cast<const UChar*>(term.utf16()), int32_t(term.size()),
        reinterpret_cast<const UChar*>(text.utf16()), int32_t(text.size()), collator.get(), nullptr, &status));
    if (U_FAILURE(status))
        return {};

    // One forward pass; each search resumes after the previous match.
    QList<TextRange> ranges;
    for (int32_t at = usearch_first(search.get(), &status); U_SUCCESS(status) && at != USEARCH_DONE;
         at = usearch_next(search.get(), &status)) {
        // A match covers at least one unit of the text.
        if (const int32_t length = usearch_getMatchedLength(search.get()); length > 0)
            ranges.append({at, length});
    }
    return ranges;
}

QString stringForTimeInterval(double seconds)
{
    // Negative and NaN intervals mean nothing is left.
    const double t = seconds > 0 ? seconds : 0;
    if (const qint64 days = wholeCount(std::floor(t / 86400)); days >= 1)
        return countPhrase(days, QT_TRANSLATE_NOOP("platform", "%ld day remaining"), QT_TRANSLATE_NOOP("platform", "%ld days remaining"));
    if (const qint64 hours = wholeCount(std::floor(t / 3600)); hours >= 1)
        return countPhrase(hours, QT_TRANSLATE_NOOP("platform", "%ld hour remaining"), QT_TRANSLATE_NOOP("platform", "%ld hours remaining"));
    if (const qint64 minutes = wholeCount(std::floor(t / 60)); minutes >= 1)
        return countPhrase(minutes, QT_TRANSLATE_NOOP("platform", "%ld minute remaining"), QT_TRANSLATE_NOOP("platform", "%ld minutes remaining"));
    return countPhrase(wholeCount(std::ceil(t)), QT_TRANSLATE_NOOP("platform", "%ld second remaining"), QT_TRANSLATE_NOOP("platform", "%ld seconds remaining"));
}

QString stringByStandardizingNewlines(const QString& text)
{
    QString result;
    result.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            const QChar pairWith = c == u'\r' ? u'\n' : u'\r';
            if (i + 1 < n && text.at(i + 1) == pairWith)
                ++i;
            result += u'\n';
        } else {
            result += c;
        }
    }
    return result;
}

QString stringWithoutAttachments(const QString& text)
{
    QString result = text;
    result.remove(QChar(kAttachment));
    return result;
}

} // namespace fw
