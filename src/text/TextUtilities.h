#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// Hashtags, the standard search, time-left phrases and line-break and
// attachment clean-up. Locations and lengths count UTF-16 units.
namespace fw {

struct TextRange {
    qsizetype location = 0;
    qsizetype length = 0;

    qsizetype end() const { return location + length; }
    bool operator==(const TextRange&) const = default;
};

// The user-defaults switch that lets a tag consist of digits only.
inline constexpr const char* kAllowNumericHashtagsKey = "OTLAllowNumericHashtags";

// Tag names of the hashtags in `text`, in text order ("#my_tag" gives
// "my tag"; "#a#b" gives "a" and "b"). `ranges`, when given, receives the
// range of each name's "#" and tag.
QStringList tagNamesAndRangesFromHashtags(const QString& text, QList<TextRange>* ranges = nullptr);
QSet<QString> uniqueTagNamesFromHashtags(const QString& text);

// Every non-overlapping occurrence of `term`, ignoring case and diacritics
// the way the current locale compares text. A match covers whole
// characters, combining marks included.
QList<TextRange> localizedStandardRangesOfString(const QString& text, const QString& term);

// "3 minutes remaining" and the like: only the largest whole unit, seconds
// rounded up. Negative or undefined intervals read as no time left.
QString stringForTimeInterval(double seconds);

// CR LF, LF CR and a lone CR each become one LF.
QString stringByStandardizingNewlines(const QString& text);

// Without any U+FFFC (the placeholder rich text keeps for an attachment).
QString stringWithoutAttachments(const QString& text);

} // namespace fw
