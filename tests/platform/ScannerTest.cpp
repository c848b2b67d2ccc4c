#include "platform/Scanner.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>

using platform::CharacterSet;
using platform::Scanner;

namespace {

TEST(Scanner, FloatForms)
{
    struct Case {
        const char* text;
        float value;
        qsizetype end;
    };
    for (const Case& c : {Case{"  -1.5e2", -150.0f, 8}, Case{".5", 0.5f, 2}, Case{"5.", 5.0f, 2},
                          Case{"+0.1", 0.1f, 4}, Case{"1e", 1.0f, 1}, Case{"2E+3x", 2000.0f, 4},
                          Case{"007", 7.0f, 3}, Case{"1.25e-2%", 0.0125f, 7}}) {
        SCOPED_TRACE(c.text);
        Scanner scanner(c.text);
        float value = -1;
        ASSERT_TRUE(scanner.scanFloat(&value));
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(scanner.scanLocation(), c.end);
    }
}

TEST(Scanner, FloatFailuresDoNotMove)
{
    for (const char* text : {"", "  ", "e5", ".", "-", "+-1", "nan", "inf", "-.e1"}) {
        SCOPED_TRACE(text);
        Scanner scanner(text);
        float value = 42;
        EXPECT_FALSE(scanner.scanFloat(&value));
        EXPECT_EQ(value, 42);
        EXPECT_EQ(scanner.scanLocation(), 0);
    }
}

TEST(Scanner, FloatExtremesStayFinite)
{
    float value = 0;
    Scanner huge("1e99999999999999999999");
    ASSERT_TRUE(huge.scanFloat(&value));
    EXPECT_EQ(value, FLT_MAX);
    EXPECT_TRUE(huge.isAtEnd());

    Scanner negative("-4e38");
    ASSERT_TRUE(negative.scanFloat(&value));
    EXPECT_EQ(value, -FLT_MAX);

    Scanner tiny("1e-99999999");
    ASSERT_TRUE(tiny.scanFloat(&value));
    EXPECT_EQ(value, 0.0f);

    Scanner manyDigits(QString(100000, u'9'));
    ASSERT_TRUE(manyDigits.scanFloat(&value));
    EXPECT_EQ(value, FLT_MAX);
    EXPECT_TRUE(manyDigits.isAtEnd());

    Scanner longFraction("0." + QString(100000, u'0') + "1e100000");
    ASSERT_TRUE(longFraction.scanFloat(&value));
    EXPECT_FLOAT_EQ(value, 0.1f);
}

TEST(Scanner, HexInt)
{
    unsigned value = 0;
    Scanner prefixed(" 0x1F");
    ASSERT_TRUE(prefixed.scanHexInt(&value));
    EXPECT_EQ(value, 31u);

    Scanner saturating("FFFFFFFFFFFF!");
    ASSERT_TRUE(saturating.scanHexInt(&value));
    EXPECT_EQ(value, UINT_MAX);
    EXPECT_EQ(saturating.scanLocation(), 12);

    Scanner bareZero("0xg");
    ASSERT_TRUE(bareZero.scanHexInt(&value));
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(bareZero.scanLocation(), 1);

    Scanner none("g1");
    EXPECT_FALSE(none.scanHexInt(&value));
}

TEST(Scanner, StringsCaseAndSkipping)
{
    Scanner scanner("\n RGB(");
    EXPECT_FALSE(scanner.caseSensitive());
    scanner.setCaseSensitive(true);
    EXPECT_FALSE(scanner.scanString(u"rgb"));
    EXPECT_EQ(scanner.scanLocation(), 0);
    scanner.setCaseSensitive(false);
    QString read;
    ASSERT_TRUE(scanner.scanString(u"rgb", &read));
    EXPECT_EQ(read, "RGB");
    EXPECT_FALSE(scanner.scanString(u"(("));
    EXPECT_FALSE(scanner.isAtEnd());

    scanner.setCharactersToBeSkipped(std::nullopt);
    Scanner unskipped(" x");
    unskipped.setCharactersToBeSkipped(std::nullopt);
    EXPECT_FALSE(unskipped.isAtEnd());
    EXPECT_FALSE(unskipped.scanString(u"x"));
}

TEST(Scanner, CharactersFromSet)
{
    const CharacterSet set = CharacterSet::withCharacters(u"ab\u00e9");
    Scanner scanner("  ab\u00e9c");
    QString read;
    ASSERT_TRUE(scanner.scanCharactersFromSet(set, &read));
    EXPECT_EQ(read, u"ab\u00e9");
    EXPECT_FALSE(scanner.scanCharactersFromSet(set));
    EXPECT_EQ(scanner.scanLocation(), 5);
    EXPECT_EQ(Scanner("   \n\u2028").isAtEnd(), true);
}

} // namespace
