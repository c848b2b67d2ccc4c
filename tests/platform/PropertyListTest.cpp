#include "platform/PropertyList.h"

#include <QDateTime>
#include <gtest/gtest.h>

using namespace platform::plist;

TEST(PropertyList, BinaryRoundTripKeepsEveryType)
{
    const QDateTime date = QDateTime::fromString(QStringLiteral("2024-03-01T09:30:00.500Z"), Qt::ISODateWithMs);
    const QVariantMap value{
        {QStringLiteral("string"), QStringLiteral("Kyoto — 京都")},
        {QStringLiteral("true"), true},
        {QStringLiteral("false"), false},
        {QStringLiteral("integer"), qint64(-42)},
        {QStringLiteral("large"), qint64(1) << 40},
        {QStringLiteral("real"), 0.5},
        {QStringLiteral("data"), QByteArray("\x00\x01\xff", 3)},
        {QStringLiteral("date"), date},
        {QStringLiteral("list"), QVariantList{QStringLiteral("a"), QVariantMap{}}},
    };
    const auto data = dataFromPropertyList(value, Format::Binary, nullptr);
    ASSERT_TRUE(data);
    EXPECT_TRUE(data->startsWith("bplist00"));
    const auto back = propertyListFromData(*data, nullptr);
    ASSERT_TRUE(back);
    const QVariantMap map = back->toMap();
    EXPECT_EQ(map, value);
    EXPECT_EQ(map.value(QStringLiteral("true")).metaType().id(), QMetaType::Bool);
    EXPECT_EQ(map.value(QStringLiteral("large")).toLongLong(), qint64(1) << 40);
}

TEST(PropertyList, XMLIsReadAndGarbageIsRefused)
{
    const QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>name</key><string>Work</string></dict></plist>)";
    const auto value = propertyListFromData(xml, nullptr);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->toMap().value(QStringLiteral("name")).toString(), QStringLiteral("Work"));

    platform::Error error;
    EXPECT_FALSE(propertyListFromData("not a property list", &error));
    EXPECT_FALSE(error.localizedDescription().isEmpty());
    EXPECT_FALSE(propertyListFromData(QByteArray(), nullptr));
    EXPECT_FALSE(dataFromPropertyList(QVariant::fromValue(std::nullptr_t{}), Format::Binary, nullptr));
}
