#include "platform/KeyedArchiver.h"
#include "platform/ParagraphStyle.h"
#include "platform/PropertyList.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace platform;

namespace {

ParagraphStyle everyFieldSet()
{
    ParagraphStyle style;
    style.alignment = TextAlignment::Center;
    style.lineSpacing = 1.5;
    style.paragraphSpacing = 6;
    style.paragraphSpacingBefore = 3;
    style.headIndent = 10;
    style.tailIndent = -10;
    style.firstLineHeadIndent = 20;
    style.lineHeightMultiple = 1.25;
    style.minimumLineHeight = 14;
    style.maximumLineHeight = 30;
    style.baseWritingDirection = WritingDirection::RightToLeft;
    style.headerLevel = 2;
    style.tabStops = {{TextAlignment::Right, 50}, {TextAlignment::Justified, 80.5}};
    style.defaultTabInterval = 36;
    return style;
}

QVariant roundTrip(const QVariant& value, Error* error)
{
    const auto data = KeyedArchiver::archivedData(value, true, error);
    if (!data)
        return {};
    return KeyedUnarchiver::unarchivedObjectOfClasses({"NSParagraphStyle"}, *data, error);
}

} // namespace

TEST(ParagraphStyleCoding, EveryFieldRoundTrips)
{
    for (const ParagraphStyle& style : {everyFieldSet(), ParagraphStyle(), ParagraphStyle::defaultParagraphStyle()}) {
        Error error;
        const QVariant decoded = roundTrip(QVariant::fromValue(style), &error);
        ASSERT_TRUE(decoded.isValid()) << error.localizedDescription().toStdString();
        EXPECT_EQ(decoded.value<ParagraphStyle>(), style);
    }
}

TEST(ParagraphStyleCoding, RefusesValuesNoParagraphStyleHolds)
{
    // Rewrites one field of a good archive and reads it back.
    const auto withField = [](const QString& key, const QVariant& value) {
        const auto data = KeyedArchiver::archivedData(QVariant::fromValue(everyFieldSet()), true, nullptr);
        QVariantMap archive = plist::propertyListFromData(*data, nullptr)->toMap();
        QVariantList objects = archive["$objects"].toList();
        QVariantMap root = objects[1].toMap();
        root[key] = value;
        objects[1] = root;
        archive["$objects"] = objects;
        Error error;
        const QVariant decoded = KeyedUnarchiver::unarchivedObjectOfClasses(
            {"NSParagraphStyle"}, *plist::dataFromPropertyList(archive, plist::Format::Binary, nullptr), &error);
        return std::make_pair(decoded, error);
    };
    const std::pair<QString, QVariant> bad[] = {
        {"NSAlignment", qint64(99)},           {"NSWritingDirection", qint64(2)},
        {"NSHeaderLevel", qint64(-1)},         {"NSHeaderLevel", qint64(7)},
        {"NSLineSpacing", std::nan("")},       {"NSParagraphSpacing", INFINITY},
        {"NSLineHeightMultiple", "1.5"},
    };
    for (const auto& [key, value] : bad) {
        const auto [decoded, error] = withField(key, value);
        EXPECT_FALSE(decoded.isValid()) << key.toStdString();
        EXPECT_EQ(error.code(), kCoderReadCorruptError) << key.toStdString();
    }
    // Absent direction and alignment are the natural ones.
    const auto data = KeyedArchiver::archivedData(QVariant::fromValue(ParagraphStyle()), true, nullptr);
    QVariantMap archive = plist::propertyListFromData(*data, nullptr)->toMap();
    QVariantList objects = archive["$objects"].toList();
    QVariantMap root = objects[1].toMap();
    root.remove("NSAlignment");
    root.remove("NSWritingDirection");
    objects[1] = root;
    archive["$objects"] = objects;
    const QVariant decoded = KeyedUnarchiver::unarchivedObjectOfClasses(
        {"NSParagraphStyle"}, *plist::dataFromPropertyList(archive, plist::Format::Binary, nullptr), nullptr);
    EXPECT_EQ(decoded.value<ParagraphStyle>(), ParagraphStyle());
}

TEST(ParagraphStyleCoding, LineSpacingIsTheFourLineValues)
{
    ParagraphStyle style = everyFieldSet();
    ParagraphStyle other;
    EXPECT_FALSE(other.lineSpacingMatchesStyle(style));
    other.applyLineSpacingFromStyle(style);
    EXPECT_TRUE(other.lineSpacingMatchesStyle(style));
    EXPECT_EQ(other.lineSpacing, 1.5);
    EXPECT_EQ(other.lineHeightMultiple, 1.25);
    EXPECT_EQ(other.minimumLineHeight, 14);
    EXPECT_EQ(other.maximumLineHeight, 30);
    // Everything else stays the receiver's own.
    EXPECT_EQ(other.alignment, TextAlignment::Natural);
    EXPECT_EQ(other.paragraphSpacing, 0);
    EXPECT_TRUE(other.tabStops.isEmpty());
    // Spacing around paragraphs is not line spacing.
    style.paragraphSpacing = 99;
    EXPECT_TRUE(other.lineSpacingMatchesStyle(style));
}
