#include "platform/Scanner.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>

using platform::CharacterSet;
using platform::Scanner;

namespace {

TEST(Scanner, NumbersAtTheirExtremesAndWhatWasRead)
{
    const std::pair<QString, float> floats[] = {
        {"1e99999999999999999999", FLT_MAX},
        {"1e-99999999", 0.0f},
        {"0." + QString(100000, u'0') + "1e100000", 0.1f},
    };
    for (const auto& [text, expected] : floats) {
        float value = 0;
        Scanner scanner(text);
        ASSERT_TRUE(scanner.scanFloat(&value));
        EXPECT_FLOAT_EQ(value, expected) << text.left(20).toStdString();
        EXPECT_TRUE(scanner.isAtEnd());
    }

    const struct {
        const char* text;
        bool scans;
        unsigned value;
        qsizetype end;
    } hex[] = {
        {" 0x1F", true, 31, 5}, {"FFFFFFFFFFFF!", true, UINT_MAX, 12}, {"0xg", true, 0, 1}, {"g1", false, 7, 0},
    };
    for (const auto& c : hex) {
        SCOPED_TRACE(c.text);
        unsigned value = 7;
        Scanner scanner(c.text);
        EXPECT_EQ(scanner.scanHexInt(&value), c.scans);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(scanner.scanLocation(), c.end);
    }

    // What was read, when asked for: a string as the text has it, whatever its case.
    QString read;
    EXPECT_TRUE(Scanner("\n RGB(").scanString(u"rgb", &read));
    EXPECT_EQ(read, "RGB");
    EXPECT_TRUE(Scanner("  ab\u00e9c").scanCharactersFromSet(CharacterSet::withCharacters(u"ab\u00e9"), &read));
    EXPECT_EQ(read, u"ab\u00e9");
}

} // namespace
