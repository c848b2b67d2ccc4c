#include "platform/PropertyList.h"

#include <gtest/gtest.h>

using namespace platform::plist;

// XML is read in the user-defaults and nesting tests.
TEST(PropertyList, GarbageIsRefused)
{
    platform::Error error;
    EXPECT_FALSE(propertyListFromData("not a property list", &error));
    EXPECT_FALSE(error.localizedDescription().isEmpty());
    EXPECT_FALSE(propertyListFromData(QByteArray(), nullptr));
    EXPECT_FALSE(dataFromPropertyList(QVariant::fromValue(std::nullptr_t{}), Format::Binary, nullptr));
}

namespace {

// A binary property list of one dictionary {key: value}, both given as
// encoded string objects (marker byte included), written out by hand.
QByteArray oneEntryDictionary(const QByteArray& key, const QByteArray& value)
{
    QByteArray data("bplist00");
    const char offsets[] = {8, 11, char(11 + key.size())};
    data += QByteArray("\xD1\x01\x02", 3) + key + value;
    const qsizetype table = data.size();
    data += QByteArray(offsets, 3);
    data += QByteArray(6, '\0') + QByteArray("\x01\x01", 2);
    data += QByteArray(7, '\0') + '\x03' + QByteArray(8, '\0') + QByteArray(7, '\0') + char(table);
    return data;
}

} // namespace

TEST(PropertyList, EmbeddedNulsNeverCrash)
{
    // Found by fuzzing: libplist aborts the program when asked for a copy
    // of a key (or a UTF-16 string) with a NUL inside. Such keys are refused;
    // string values read (libplist itself may end them at the NUL).
    for (const QByteArray& string : {QByteArray("\x53x\0y", 4), QByteArray("\x63\0x\0\0\0y", 7)}) {
        const auto value = propertyListFromData(oneEntryDictionary("\x51k", string), nullptr);
        ASSERT_TRUE(value);
        EXPECT_TRUE(value->toMap().value(QStringLiteral("k")).toString().startsWith(u'x'));
    }
    for (const QByteArray& key : {QByteArray("\x53" "a\0b", 4), QByteArray("\x63\0a\0\0\0b", 7)}) {
        platform::Error error;
        EXPECT_FALSE(propertyListFromData(oneEntryDictionary(key, "\x51v"), &error));
        EXPECT_FALSE(error.localizedDescription().isEmpty());
    }
    // The same layout with a plain key reads.
    EXPECT_TRUE(propertyListFromData(oneEntryDictionary("\x53" "abc", "\x51v"), nullptr));
}
