#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "support/TestSupport.h"
#include "text/StringHelpers.h"
#include "text/TextUtilities.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace fw;
using Ranges = QList<TextRange>;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }
const QString kEmoji = QString::fromUcs4(U"\U0001F600", 1);   // two units, not a letter
const QString kScriptX = QString::fromUcs4(U"\U0001D4B3", 1); // two units, a letter

// An emoji ends a tag; a letter outside the basic plane belongs to it whole.
TEST(Hashtags, WordStartsPunctuationUtf16RangesAndTheNumericSwitch)
{
    // The numeric switch is read from the standard defaults, here in a private config folder.
    using namespace platform;
    const testsupport::PrivateHome home;
    const QString defaults = UserDefaults::pathForDomain(QString::fromLatin1(UserDefaults::kApplicationDomain));
    ASSERT_TRUE(defaults.startsWith(home.dir.path()));
    const auto writeDefaults = [&](const QVariantMap& values) {
        testsupport::writeFile(defaults, plist::dataFromPropertyList(values, plist::Format::Binary, nullptr).value());
    };
    Ranges ranges;
    const struct {
        QString text;
        QStringList names;
        Ranges ranges;
    } cases[] = {
        {s("#tag. line\n#tag, a#no # #my_tag #_"), {"tag", "tag", "my tag", " "}, {{0, 4}, {11, 4}, {24, 7}, {32, 2}}},
        {kEmoji + s(" #tag") + kEmoji + s(" #") + kScriptX + s("y#") + kScriptX, {"tag", kScriptX + "y", kScriptX},
         {{3, 4}, {10, 4}, {14, 3}}},
        {s("#ab") + QChar(0xD83D) + s("c"), {"ab"}, {{0, 3}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tagNamesAndRangesFromHashtags(c.text, &ranges), c.names);
        EXPECT_EQ(ranges, c.ranges);
    }
    EXPECT_EQ(uniqueTagNamesFromHashtags(s("#a #b #a")), (QSet<QString>{"a", "b"}));

    // Numeric tags follow the defaults switch as it changes.
    const QString text = s("#123 #123abc #4_5 #\u0663");
    const QStringList withoutNumeric{"123abc", "4 5", s("\u0663")};
    EXPECT_EQ(tagNamesAndRangesFromHashtags(text), withoutNumeric);
    writeDefaults({{"OTLAllowNumericHashtags", true}});
    EXPECT_EQ(tagNamesAndRangesFromHashtags(text, &ranges), QStringList{"123"} + withoutNumeric);
    EXPECT_EQ(ranges.first(), (TextRange{0, 4}));
    // A different size makes sure the rewrite is seen even with coarse file times.
    writeDefaults({{"OTLAllowNumericHashtags", false}, {"Other", 1}});
    EXPECT_EQ(tagNamesAndRangesFromHashtags(text), withoutNumeric);
}

// Characters the comparison ignores match nothing at all: a term of only
// those finds nothing, and no match is ever empty.
TEST(StandardSearch, IgnoresCaseAndAccentsAndNeverMatchesEmpty)
{
    const QString cafes = s("cafe, caf\u00E9 and CAFE");
    const struct {
        QString text, term;
        Ranges expected;
    } cases[] = {
        {s("ab"), s("abc"), {}},
        {s("abc"), QString(), {}},
        {s("aaaa a"), s("aa"), {{0, 2}, {2, 2}}},
        {kEmoji + s(" CAFÉ ") + kEmoji + s("cafe"), s("cafe"), {{3, 4}, {10, 4}}},
        {s("a") + kEmoji + s("b") + kEmoji, kEmoji, {{1, 2}, {4, 2}}},
        {s("a\u200Bb"), s("\u200B"), {}},
        {s("e\u0301 x"), s("\u0301"), {}},
        {cafes, s("ca\u00ADfe"), {{0, 4}, {6, 4}, {15, 4}}},
        {cafes, s("cafe\u0301"), {{0, 4}, {6, 4}, {15, 4}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(localizedStandardRangesOfString(c.text, c.term), c.expected) << c.text.toStdString();
}

TEST(TimeInterval, NamesOnlyTheLargestWholeUnit)
{
    const std::pair<double, const char*> cases[] = {
        {0, "0 seconds remaining"},     {0.2, "1 second remaining"},     {59.5, "60 seconds remaining"},
        {60, "1 minute remaining"},     {119, "1 minute remaining"},     {3599, "59 minutes remaining"},
        {3600, "1 hour remaining"},     {86399, "23 hours remaining"},   {86400, "1 day remaining"},
        {47 * 3600, "1 day remaining"}, {2 * 86400, "2 days remaining"},
        // Negative and undefined intervals mean no time is left.
        {-0.5, "0 seconds remaining"},  {-90000, "0 seconds remaining"}, {std::nan(""), "0 seconds remaining"},
    };
    for (const auto& [seconds, phrase] : cases)
        EXPECT_EQ(stringForTimeInterval(seconds), s(phrase)) << seconds;
    EXPECT_TRUE(stringForTimeInterval(HUGE_VAL).endsWith(s(" days remaining")));
}

TEST(Cleaning, NewlinesAttachmentsEscapesControlsAndSets)
{
    EXPECT_EQ(stringByStandardizingNewlines(s("a\r\nb\n\rc\r\r|\r\n\r\n|\n\n|\n\r\n|x\r")),
              s("a\nb\nc\n\n|\n\n|\n\n|\n\n|x\n"));
    EXPECT_EQ(stringByStandardizingNewlines(s("\u2028\u2029\u0085\u000b") + kEmoji + s("\r") + kEmoji),
              s("\u2028\u2029\u0085\u000b") + kEmoji + s("\n") + kEmoji);
    EXPECT_EQ(stringWithoutAttachments(s("\uFFFCa\uFFFC\uFFFC") + kEmoji + s("\uFFFC\uFFFD")), s("a") + kEmoji + s("\uFFFD"));
    EXPECT_EQ(stringByRemovingNewlinesAndTabs(s("  a \u2028  b \n")), s("a b"));
    EXPECT_EQ(stringByRemovingNewlines(s("\ta\n\nb\r\u2028 ")), s("a  b \u2028"));
    EXPECT_EQ(stringByEscapingBackslashes(s("a\\b\\\\")), s("a\\\\b\\\\\\\\"));
    EXPECT_EQ(stringByEscapingQuotes(s("it's \"x\" \\")), s("it\\'s \\\"x\\\" \\"));
    EXPECT_EQ(stringByTrimmingWhitespace(s("\u00a0 x y\n\t")), s("x y"));
    const QString text = s("a\u0001b\u200Ec\uFFFF") + QChar(0xD800) + kEmoji + QChar(0xDC00) + QString::fromUcs4(U"\U000E0001", 1)
        + QString::fromUcs4(U"\U000E0080", 1) + s("d");
    EXPECT_EQ(stringByRemovingControlAndIllegalCharacters(text), s("abc") + kEmoji + s("d"));

    // A removed character between two halves makes them one character,
    // which is then tested as a whole.
    const QString halves = QString(QChar(0xD83D)) + u'x' + QChar(0xDE00) + u'y';
    EXPECT_EQ(stringByRemovingCharactersInSet(halves, [](char32_t c) { return c == u'x' || c == 0x1F600; }), s("y"));
    EXPECT_EQ(stringByRemovingCharactersInSet(halves, [](char32_t c) { return c == u'x'; }), kEmoji + u'y');
    // Long input stays fast and exact.
    const QString many = QString(200000, u'x') + u'z';
    EXPECT_EQ(stringByRemovingCharactersInSet(many, [](char32_t c) { return c == u'x'; }), s("z"));
}

TEST(GenerateFilename, TakesTheFirstSentenceWithoutMarkers)
{
    EXPECT_EQ(generateFilename(s("1. Buy milk. Then eggs")), s("Buy milk"));
    EXPECT_EQ(generateFilename(s("• - x")), s("x"));
    EXPECT_EQ(generateFilename(s("1000. Plan")), s("1000"));
    EXPECT_EQ(generateFilename(QString()), QString());
    EXPECT_EQ(generateFilename(s("\t First line\nsecond")), s("First line"));
    EXPECT_EQ(generateFilename(s("A\u200Bb")), s("A"));
    EXPECT_EQ(generateFilename(s("Pic \uFFFC here")), s("Pic  here"));
    EXPECT_EQ(generateFilenameTruncatingToPeriod(s("Version 1.5 notes"), false), s("Version 1.5 notes"));
    EXPECT_EQ(generateFilenameTruncatingToPeriod(s("...Dots..."), false), s("-..Dots..."));
}

TEST(Comparison, IgnoresCaseDiacriticsAndWidth)
{
    EXPECT_TRUE(isEqualToFilename(s("Résumé"), s("resume")));
    EXPECT_TRUE(isEqualToFilename(s("Re\u0301sume\u0301"), s("RÉSUMÉ")));
    EXPECT_TRUE(isCaseInsensitiveEqualToString(s("ＡＢＣ１"), s("abc1")));
    EXPECT_TRUE(isCaseInsensitiveEqualToString(s("Straße"), s("STRASSE")));
    EXPECT_FALSE(isEqualToFilename(s("①"), s("1"))); // a circled digit is not a width form
    EXPECT_FALSE(isEqualToFilename(kEmoji, QString::fromUcs4(U"\U0001F601", 1)));
}

// Names cut in the middle without splitting pairs, for the file system and URLs.
TEST(Conversion, TruncationFileSystemNamesAndURLs)
{
    const QString twenty = s("abcdefghijklmnopqrst");
    EXPECT_EQ(stringByTruncatingMiddleWithMaxLength(twenty, 10), s("abcde…pqrst"));
    EXPECT_EQ(stringByTruncatingMiddleWithMaxLength(twenty, 0), s("…"));

    const QString emoji = kEmoji.repeated(10);
    // Half of 5 is 2 units: exactly one emoji at each end.
    EXPECT_EQ(stringByTruncatingMiddleWithMaxLength(emoji, 5), kEmoji + s("…") + kEmoji);
    // Half of 6 is 3: a cut inside a pair drops that pair.
    EXPECT_EQ(stringByTruncatingMiddleWithMaxLength(emoji, 6), kEmoji + s("…") + kEmoji);
    EXPECT_EQ(stringByTruncatingMiddleWithMaxLength(emoji, 20), emoji);

    EXPECT_EQ(fileSystemRepresentationString(s("Résumé ") + kEmoji), s("Résumé ") + kEmoji);
    EXPECT_EQ(fileSystemRepresentationString(QString::fromUtf16(u"a\0b", 3)), s("a"));
    EXPECT_EQ(fileDisplayName(s("/tmp/Notes/")), s("Notes"));
    EXPECT_EQ(fileDisplayName(s("/")), s("/"));
    EXPECT_EQ(percentEncodedURLString(s("http://x.org/a b?q=é#f#g")), s("http://x.org/a%20b?q=%C3%A9#f%23g"));
    EXPECT_EQ(percentEncodedURLString(s("100% %41")), s("100%25%20%41"));
}

TEST(CString, DecodesOrRefuses)
{
    EXPECT_EQ(stringWithCString(nullptr, UTF8StringEncoding, 4), QString());
    EXPECT_EQ(stringWithCString("abc", UTF8StringEncoding, 0), QString());
    EXPECT_EQ(stringWithCString("ab\0cd", UTF8StringEncoding, 5), s("ab"));
    EXPECT_EQ(stringWithCString("\xF0\x9F\x98", UTF8StringEncoding, 3), std::nullopt); // cut character
    EXPECT_EQ(stringWithCString("\xED\xA0\x80", UTF8StringEncoding, 3), std::nullopt); // encoded surrogate
    EXPECT_EQ(stringWithCString("caf\xE9", ASCIIStringEncoding, 4), std::nullopt);
    EXPECT_EQ(stringWithCString("caf\xE9", ISOLatin1StringEncoding, 4), s("café"));
    EXPECT_EQ(stringWithCString("\x80", WindowsCP1252StringEncoding, 1), s("€"));
    EXPECT_EQ(stringWithCString("\x8E", MacOSRomanStringEncoding, 1), s("é"));
    EXPECT_EQ(stringWithCString("x", 9999, 1), std::nullopt);
    // UTF-16 honours the byte order mark.
    EXPECT_EQ(stringWithCString("\xFE\xFF\0A\0B", UTF16StringEncoding, 6), s("AB"));
    EXPECT_EQ(stringWithCString("\xFF\xFE" "A\0B\0", UTF16StringEncoding, 6), s("AB"));
    EXPECT_EQ(stringWithCString("A\0B\0\0\0C\0", UTF16StringEncoding, 8), s("AB")); // host order, ends at a NUL unit
    EXPECT_EQ(stringWithCString("=\xD8\0\xDE", UTF16StringEncoding, 4), kEmoji);
    EXPECT_EQ(stringWithCString("=\xD8" "A\0", UTF16StringEncoding, 4), std::nullopt); // lone surrogate
    EXPECT_EQ(stringWithCString("A\0B", UTF16StringEncoding, 3), std::nullopt); // half a unit
}

} // namespace
