#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "support/TestSupport.h"
#include "text/TextUtilities.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <gtest/gtest.h>

using namespace fw;
using platform::UserDefaults;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }
const QString kEmoji = QString::fromUcs4(U"\U0001F600", 1);      // two units, not a letter
const QString kScriptX = QString::fromUcs4(U"\U0001D4B3", 1);    // two units, a letter

// Every test here reads the standard defaults from a private config folder.
class TextUtilitiesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", m_oldConfig); }

    void writeDefaults(const QVariantMap& values)
    {
        const QString path = UserDefaults::pathForDomain(QString::fromLatin1(UserDefaults::kApplicationDomain));
        ASSERT_TRUE(path.startsWith(m_dir.path()));
        const auto bytes = platform::plist::dataFromPropertyList(values, platform::plist::Format::Binary, nullptr);
        ASSERT_TRUE(bytes);
        QDir().mkpath(QFileInfo(path).path());
        testsupport::writeFile(path, *bytes);
    }

    static QStringList names(const QString& text, QList<TextRange>* ranges = nullptr)
    {
        return tagNamesAndRangesFromHashtags(text, ranges);
    }

    testsupport::TempDir m_dir;
    QByteArray m_oldConfig;
};

using Hashtags = TextUtilitiesTest;
using StandardSearch = TextUtilitiesTest;

TEST_F(Hashtags, OnlyAtTheStartOfAWord)
{
    QList<TextRange> ranges;
    EXPECT_EQ(names(s("#tag one"), &ranges), QStringList{"tag"});
    EXPECT_EQ(ranges, (QList<TextRange>{{0, 4}}));
    EXPECT_TRUE(names(s("email#tag")).isEmpty());
    EXPECT_EQ(names(s("line\n#tag")), QStringList{"tag"});
    EXPECT_EQ(names(s("a\u00a0#nbsp")), QStringList{"nbsp"});
    EXPECT_TRUE(names(s("# alone #")).isEmpty());
}

TEST_F(Hashtags, TagStopsAtPunctuationAndUnderscoresBecomeSpaces)
{
    QList<TextRange> ranges;
    EXPECT_EQ(names(s("#tag. #tag,"), &ranges), (QStringList{"tag", "tag"}));
    EXPECT_EQ(ranges, (QList<TextRange>{{0, 4}, {6, 4}}));
    EXPECT_EQ(names(s("#my_tag")), QStringList{"my tag"});
    EXPECT_EQ(names(s("#_")), QStringList{" "});
    EXPECT_TRUE(names(s("#.x")).isEmpty());
    EXPECT_EQ(names(s("Plan #Work_Items, #2024 and #x#y"), &ranges), (QStringList{"Work Items", "x", "y"}));
    EXPECT_EQ(ranges, (QList<TextRange>{{5, 11}, {28, 2}, {30, 2}}));
    EXPECT_EQ(uniqueTagNamesFromHashtags(s("#a #b #a")), (QSet<QString>{"a", "b"}));
}

TEST_F(Hashtags, EveryPartOfAChainCoversItsOwnHash)
{
    QList<TextRange> ranges;
    EXPECT_EQ(names(s("##x"), &ranges), QStringList{"x"});
    EXPECT_EQ(ranges, (QList<TextRange>{{1, 2}}));
    // A short first tag must not limit where the later parts are found.
    EXPECT_EQ(names(s("#a#longer_tag#b,#c"), &ranges), (QStringList{"a", "longer tag", "b", "c"}));
    EXPECT_EQ(ranges, (QList<TextRange>{{0, 2}, {2, 11}, {13, 2}, {16, 2}}));
    EXPECT_EQ(names(s("#a#"), &ranges), QStringList{"a"});
    EXPECT_EQ(names(s("#end#z"), &ranges), (QStringList{"end", "z"}));
    EXPECT_EQ(ranges.last(), (TextRange{4, 2}));
    // A hashtag glued to the end of a chain's run is not a new word.
    EXPECT_EQ(names(s("x#a #b")), QStringList{"b"});
}

TEST_F(Hashtags, RangesCountUtf16UnitsOutsideTheBasicPlane)
{
    QList<TextRange> ranges;
    // An emoji is not a tag character; it ends the tag and shifts later ranges by two.
    EXPECT_EQ(names(kEmoji + s(" #tag") + kEmoji + s(" #b"), &ranges), (QStringList{"tag", "b"}));
    EXPECT_EQ(ranges, (QList<TextRange>{{3, 4}, {10, 2}}));
    // A letter outside the plane belongs to the tag whole.
    EXPECT_EQ(names(s("#") + kScriptX + s("y#") + kScriptX, &ranges), (QStringList{kScriptX + "y", kScriptX}));
    EXPECT_EQ(ranges, (QList<TextRange>{{0, 4}, {4, 3}}));
    // A lone surrogate unit ends the tag without being kept.
    EXPECT_EQ(names(s("#ab") + QChar(0xD83D) + s("c")), QStringList{"ab"});
}

TEST_F(Hashtags, NumericTagsFollowTheDefaultsSwitchAsItChanges)
{
    const QString text = s("#123 #123abc #4_5 #");
    EXPECT_EQ(names(text), (QStringList{"123abc", "4 5"}));

    writeDefaults({{"OTLAllowNumericHashtags", true}});
    QList<TextRange> ranges;
    EXPECT_EQ(names(text, &ranges), (QStringList{"123", "123abc", "4 5"}));
    EXPECT_EQ(ranges.first(), (TextRange{0, 4}));
    EXPECT_EQ(names(s("##1")), QStringList{"1"});

    // A different size guarantees the rewrite is noticed even with coarse file times.
    writeDefaults({{"OTLAllowNumericHashtags", false}, {"Other", 1}});
    EXPECT_EQ(names(text), (QStringList{"123abc", "4 5"}));
    // Only ASCII digits make a tag numeric.
    EXPECT_EQ(names(s("#\u0663")), QStringList{s("\u0663")});
}

TEST_F(StandardSearch, IgnoresCaseAndDiacritics)
{
    EXPECT_EQ(localizedStandardRangesOfString(s("café and CAFÉ"), s("Cafe")), (QList<TextRange>{{0, 4}, {9, 4}}));
    EXPECT_EQ(localizedStandardRangesOfString(s("Résumé, RESUME"), s("resume")), (QList<TextRange>{{0, 6}, {8, 6}}));
    EXPECT_EQ(localizedStandardRangesOfString(s("cafe"), s("CAFÉ")), (QList<TextRange>{{0, 4}}));
    EXPECT_TRUE(localizedStandardRangesOfString(s("caff"), s("cafe")).isEmpty());
}

TEST_F(StandardSearch, CombiningMarksStayInsideTheMatch)
{
    // "é" as e + U+0301 in the text: the mark belongs to the match.
    EXPECT_EQ(localizedStandardRangesOfString(s("Cafe\u0301 x"), s("Cafe")), (QList<TextRange>{{0, 5}}));
    EXPECT_EQ(localizedStandardRangesOfString(s("Re\u0301sume\u0301"), s("résumé")), (QList<TextRange>{{0, 8}}));
    // A base letter alone never matches half of a longer character sequence.
    const QList<TextRange> found = localizedStandardRangesOfString(s("xe\u0301\u0323y"), s("e"));
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found.first(), (TextRange{1, 3}));
}

TEST_F(StandardSearch, BoundsAndRepeats)
{
    EXPECT_TRUE(localizedStandardRangesOfString(s("ab"), s("abc")).isEmpty());
    EXPECT_TRUE(localizedStandardRangesOfString(s("abc"), QString()).isEmpty());
    EXPECT_TRUE(localizedStandardRangesOfString(QString(), s("a")).isEmpty());
    EXPECT_EQ(localizedStandardRangesOfString(s("xab"), s("ab")), (QList<TextRange>{{1, 2}}));
    EXPECT_EQ(localizedStandardRangesOfString(s("ab"), s("AB")), (QList<TextRange>{{0, 2}}));
    EXPECT_EQ(localizedStandardRangesOfString(s("abab"), s("ab")), (QList<TextRange>{{0, 2}, {2, 2}}));
    // Matches do not overlap: each search resumes after the previous match.
    EXPECT_EQ(localizedStandardRangesOfString(s("aaaa a"), s("aa")), (QList<TextRange>{{0, 2}, {2, 2}}));
}

TEST_F(StandardSearch, RangesCountUtf16UnitsOutsideTheBasicPlane)
{
    EXPECT_EQ(localizedStandardRangesOfString(kEmoji + s(" CAFÉ ") + kEmoji + s("cafe"), s("cafe")),
              (QList<TextRange>{{3, 4}, {10, 4}}));
    EXPECT_EQ(localizedStandardRangesOfString(s("a") + kEmoji + s("b") + kEmoji, kEmoji),
              (QList<TextRange>{{1, 2}, {4, 2}}));
}

TEST(TimeInterval, NamesOnlyTheLargestWholeUnit)
{
    EXPECT_EQ(stringForTimeInterval(0), s("0 seconds remaining"));
    EXPECT_EQ(stringForTimeInterval(0.2), s("1 second remaining"));
    EXPECT_EQ(stringForTimeInterval(1), s("1 second remaining"));
    EXPECT_EQ(stringForTimeInterval(59.5), s("60 seconds remaining"));
    EXPECT_EQ(stringForTimeInterval(60), s("1 minute remaining"));
    EXPECT_EQ(stringForTimeInterval(119), s("1 minute remaining"));
    EXPECT_EQ(stringForTimeInterval(3599), s("59 minutes remaining"));
    EXPECT_EQ(stringForTimeInterval(3600), s("1 hour remaining"));
    EXPECT_EQ(stringForTimeInterval(86399), s("23 hours remaining"));
    EXPECT_EQ(stringForTimeInterval(86400), s("1 day remaining"));
    EXPECT_EQ(stringForTimeInterval(47 * 3600), s("1 day remaining"));
    EXPECT_EQ(stringForTimeInterval(2 * 86400), s("2 days remaining"));
}

TEST(TimeInterval, NegativeAndUndefinedIntervalsMeanNoTimeLeft)
{
    EXPECT_EQ(stringForTimeInterval(-0.5), s("0 seconds remaining"));
    EXPECT_EQ(stringForTimeInterval(-90000), s("0 seconds remaining"));
    EXPECT_EQ(stringForTimeInterval(std::nan("")), s("0 seconds remaining"));
    EXPECT_TRUE(stringForTimeInterval(HUGE_VAL).endsWith(s(" days remaining")));
}

TEST(Newlines, EachBreakBecomesOneLineFeed)
{
    EXPECT_EQ(stringByStandardizingNewlines(s("a\r\nb")), s("a\nb"));
    EXPECT_EQ(stringByStandardizingNewlines(s("a\n\rb")), s("a\nb"));
    EXPECT_EQ(stringByStandardizingNewlines(s("\r\r")), s("\n\n"));
    EXPECT_EQ(stringByStandardizingNewlines(s("\r\n\r\n")), s("\n\n"));
    EXPECT_EQ(stringByStandardizingNewlines(s("\n\n")), s("\n\n"));
    EXPECT_EQ(stringByStandardizingNewlines(s("\n\r\n")), s("\n\n"));
    EXPECT_EQ(stringByStandardizingNewlines(s("x\r")), s("x\n"));
    EXPECT_EQ(stringByStandardizingNewlines(s("\u2028\u2029\u0085\u000b")), s("\u2028\u2029\u0085\u000b"));
    EXPECT_EQ(stringByStandardizingNewlines(kEmoji + s("\r") + kEmoji), kEmoji + s("\n") + kEmoji);
}

TEST(Attachments, EveryPlaceholderIsRemoved)
{
    EXPECT_EQ(stringWithoutAttachments(s("\uFFFCa\uFFFC\uFFFC") + kEmoji + s("\uFFFC")), s("a") + kEmoji);
    EXPECT_EQ(stringWithoutAttachments(s("\uFFFC")), QString());
    EXPECT_EQ(stringWithoutAttachments(s("plain \uFFFD")), s("plain \uFFFD"));
}

} // namespace
