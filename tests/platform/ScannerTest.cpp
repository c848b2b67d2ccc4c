#include "platform/Scanner.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>

using platform::CharacterSet;
using platform::Scanner;

namespace {

TEST(Scanner, FloatExtremesStayFinite)
{
    const std::pair<QString, float> cases[] = {
        {"1e99999999999999999999", FLT_MAX},
        {"1e-99999999", 0.0f},
        {"0." + QString(100000, u'0') + "1e100000", 0.1f},
    };
    for (const auto& [text, expected] : cases) {
        float value = 0;
        Scanner scanner(text);
        ASSERT_TRUE(scanner.scanFloat(&value));
        EXPECT_FLOAT_EQ(value, expected) << text.left(20).toStdString();
        EXPECT_TRUE(scanner.isAtEnd());
    }
}

TEST(Scanner, HexInt)
{
    const struct {
        const char* text;
        bool scans;
        unsigned value;
        qsizetype end;
    } cases[] = {
        {" 0x1F", true, 31, 5}, {"FFFFFFFFFFFF!", true, UINT_MAX, 12}, {"0xg", true, 0, 1}, {"g1", false, 7, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        unsigned value = 7;
        Scanner scanner(c.text);
        EXPECT_EQ(scanner.scanHexInt(&value), c.scans);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(scanner.scanLocation(), c.end);
    }
}

TEST(Scanner, StringsAndCharacterSets)
{
    Scanner scanner("\n RGB(");
    scanner.setCaseSensitive(true);
    EXPECT_FALSE(scanner.scanString(u"rgb"));
    scanner.setCaseSensitive(false);
    QString read;
    ASSERT_TRUE(scanner.scanString(u"rgb", &read));
    EXPECT_EQ(read, "RGB");

    const CharacterSet set = CharacterSet::withCharacters(u"ab\u00e9");
    Scanner characters("  ab\u00e9c");
    ASSERT_TRUE(characters.scanCharactersFromSet(set, &read));
    EXPECT_EQ(read, u"ab\u00e9");
    EXPECT_FALSE(characters.scanCharactersFromSet(set));
    EXPECT_EQ(characters.scanLocation(), 5);
}

} // namespace
