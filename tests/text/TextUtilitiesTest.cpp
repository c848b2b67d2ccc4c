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

// An emoji ends a tag; a letter outside the basic plane belongs to it whole.
TEST_F(Hashtags, WordStartsPunctuationUnderscoresAndUtf16Ranges)
{
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

TEST(Cleanup, NewlinesAndAttachments)
{
    EXPECT_EQ(stringByStandardizingNewlines(s("a\r\nb\n\rc\r\r|\r\n\r\n|\n\n|\n\r\n|x\r")),
              s("a\nb\nc\n\n|\n\n|\n\n|\n\n|x\n"));
    EXPECT_EQ(stringByStandardizingNewlines(s("\u2028\u2029\u0085\u000b") + kEmoji + s("\r") + kEmoji),
              s("\u2028\u2029\u0085\u000b") + kEmoji + s("\n") + kEmoji);
    EXPECT_EQ(stringWithoutAttachments(s("\uFFFCa\uFFFC\uFFFC") + kEmoji + s("\uFFFC\uFFFD")), s("a") + kEmoji + s("\uFFFD"));
}

} // namespace
