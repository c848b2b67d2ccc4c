#include "platform/KeyedArchiver.h"
#include "platform/ParagraphStyle.h"
#include "platform/PropertyList.h"
#include "support/ArchiveSupport.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace platform;

namespace {

ParagraphStyle everyFieldSet()
{
    return {TextAlignment::Center, 1.5, 6, 3, 10, -10, 20, 1.25, 14, 30, WritingDirection::RightToLeft, 2,
            {{TextAlignment::Right, 50}, {TextAlignment::Justified, 80.5}}, 36};
}

// The archive of `style` with one field replaced (an invalid value removes it), read back.
QVariant decodedWithField(const ParagraphStyle& style, const QString& key, const QVariant& value, Error* error)
{
    QVariantList objects = testsupport::objectsOf(*KeyedArchiver::archivedData(QVariant::fromValue(style), true, error));
    QVariantMap root = objects[1].toMap();
    if (value.isValid())
        root[key] = value;
    else
        root.remove(key);
    objects[1] = root;
    return KeyedUnarchiver::unarchivedObjectOfClasses({"NSParagraphStyle"}, testsupport::keyedArchive(objects), error);
}

} // namespace

TEST(ParagraphStyleCoding, EveryFieldRoundTripsAndNonsenseIsRefused)
{
    EXPECT_EQ(decodedWithField(everyFieldSet(), "unused", {}, nullptr).value<ParagraphStyle>(), everyFieldSet());
    // Absent direction and alignment are the natural ones, not the first of each.
    EXPECT_EQ(decodedWithField(everyFieldSet(), "NSWritingDirection", {}, nullptr).value<ParagraphStyle>().baseWritingDirection,
              WritingDirection::Natural);
    EXPECT_EQ(decodedWithField(everyFieldSet(), "NSAlignment", {}, nullptr).value<ParagraphStyle>().alignment,
              TextAlignment::Natural);

    const std::pair<QString, QVariant> bad[] = {
        {"NSAlignment", qint64(99)},     {"NSWritingDirection", qint64(2)}, {"NSHeaderLevel", qint64(7)},
        {"NSLineSpacing", std::nan("")}, {"NSParagraphSpacing", INFINITY},  {"NSLineHeightMultiple", "1.5"},
    };
    for (const auto& [key, value] : bad) {
        Error error;
        EXPECT_FALSE(decodedWithField(everyFieldSet(), key, value, &error).isValid()) << key.toStdString();
        EXPECT_EQ(error.code(), kCoderReadCorruptError) << key.toStdString();
    }
}
