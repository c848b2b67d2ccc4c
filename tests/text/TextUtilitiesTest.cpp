#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "support/TestSupport.h"
#include "text/TextUtilities.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace fw;
using Ranges = QList<TextRange>;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }
const QString kEmoji = QString::fromUcs4(U"\U0001F600", 1);   // two units, not a letter
const QString kScriptX = QString::fromUcs4(U"\U0001D4B3", 1); // two units, a letter

// Hashtag tests read the standard defaults from a private config folder.
class Hashtags : public ::testing::Test {
protected:
    void writeDefaults(const QVariantMap& values)
    {
        using namespace platform;
        const QString path = UserDefaults::pathForDomain(QString::fromLatin1(UserDefaults::kApplicationDomain));
        ASSERT_TRUE(path.startsWith(m_home.dir.path()));
        const auto bytes = plist::dataFromPropertyList(values, plist::Format::Binary, nullptr);
        ASSERT_TRUE(bytes);
        testsupport::writeFile(path, *bytes);
    }

    testsupport::PrivateHome m_home;
    Ranges ranges;
};

TEST_F(Hashtags, WordStartsPunctuationAndUnderscores)
{
    EXPECT_EQ(tagNamesAndRangesFromHashtags(s("#tag. line\n#tag, a#no # #my_tag #_"), &ranges),
              (QStringList{"tag", "tag", "my tag", " "}));
    EXPECT_EQ(ranges, (Ranges{{0, 4}, {11, 4}, {24, 7}, {32, 2}}));
    EXPECT_EQ(uniqueTagNamesFromHashtags(s("#a #b #a")), (QSet<QString>{"a", "b"}));
}

TEST_F(Hashtags, RangesCountUtf16UnitsOutsideTheBasicPlane)
{
    // An emoji ends a tag; a letter outside the plane belongs to it whole.
    const QString text = kEmoji + s(" #tag") + kEmoji + s(" #") + kScriptX + s("y#") + kScriptX;
    EXPECT_EQ(tagNamesAndRangesFromHashtags(text, &ranges), (QStringList{"tag", kScriptX + "y", kScriptX}));
    EXPECT_EQ(ranges, (Ranges{{3, 4}, {10, 4}, {14, 3}}));
    EXPECT_EQ(tagNamesAndRangesFromHashtags(s("#ab") + QChar(0xD83D) + s("c")), QStringList{"ab"});
}

TEST_F(Hashtags, NumericTagsFollowTheDefaultsSwitchAsItChanges)
{
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

TEST(StandardSearch, BoundsRepeatsAndSurrogatePairs)
{
    EXPECT_TRUE(localizedStandardRangesOfString(s("ab"), s("abc")).isEmpty());
    EXPECT_TRUE(localizedStandardRangesOfString(s("abc"), QString()).isEmpty());
    EXPECT_EQ(localizedStandardRangesOfString(s("xab"), s("ab")), (Ranges{{1, 2}}));
    EXPECT_EQ(localizedStandardRangesOfString(s("ab"), s("AB")), (Ranges{{0, 2}}));
    EXPECT_EQ(localizedStandardRangesOfString(s("abab"), s("ab")), (Ranges{{0, 2}, {2, 2}}));
    EXPECT_EQ(localizedStandardRangesOfString(s("aaaa a"), s("aa")), (Ranges{{0, 2}, {2, 2}}));
    EXPECT_EQ(localizedStandardRangesOfString(kEmoji + s(" CAFÉ ") + kEmoji + s("cafe"), s("cafe")),
              (Ranges{{3, 4}, {10, 4}}));
    EXPECT_EQ(localizedStandardRangesOfString(s("a") + kEmoji + s("b") + kEmoji, kEmoji), (Ranges{{1, 2}, {4, 2}}));
}

// Characters the comparison ignores match nothing at all: a term of only
// those finds nothing, and no match is ever empty.
TEST(StandardSearch, IgnorableTermsFindNothing)
{
    const QString ignorableTerms[] = {s("\u200B"), s("\u00AD"), s("\u0301"), s("\u200B\u00AD"), s("\u200D\u0301")};
    const QString texts[] = {s("abc"), s("a\u200Bb"), s("e\u0301 x"), s("\u00AD\u00AD\u00AD"), s("caf\u00E9")};
    for (const QString& term : ignorableTerms) {
        for (const QString& text : texts)
            EXPECT_TRUE(localizedStandardRangesOfString(text, term).isEmpty())
                << "term U+" << std::hex << int(term.at(0).unicode()) << " in " << text.toStdString();
    }
    for (const QString& term : {s("ca\u00ADfe"), s("\u200Bcafe"), s("cafe\u0301")}) {
        const Ranges found = localizedStandardRangesOfString(s("cafe, caf\u00E9 and CAFE"), term);
        EXPECT_EQ(found.size(), 3) << term.toStdString();
        for (const auto& range : found)
            EXPECT_GT(range.length, 0);
    }
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

TEST(Cleanup, NewlinesAndAttachments)
{
    EXPECT_EQ(stringByStandardizingNewlines(s("a\r\nb\n\rc\r\r|\r\n\r\n|\n\n|\n\r\n|x\r")),
              s("a\nb\nc\n\n|\n\n|\n\n|\n\n|x\n"));
    EXPECT_EQ(stringByStandardizingNewlines(s("\u2028\u2029\u0085\u000b") + kEmoji + s("\r") + kEmoji),
              s("\u2028\u2029\u0085\u000b") + kEmoji + s("\n") + kEmoji);
    EXPECT_EQ(stringWithoutAttachments(s("\uFFFCa\uFFFC\uFFFC") + kEmoji + s("\uFFFC\uFFFD")), s("a") + kEmoji + s("\uFFFD"));
}

} // namespace
