#include "platform/Color.h"
#include "platform/KeyedArchiver.h"
#include "platform/ParagraphStyle.h"
#include "platform/PropertyList.h"
#include "support/ArchiveSupport.h"
#include "support/TestSupport.h"

#include <QSize>
#include <array>
#include <cmath>
#include <tuple>
#include <gtest/gtest.h>

using namespace platform;
using testsupport::keyedArchive;
using testsupport::uid;
using Space = Color::Space;
using RGBA = std::array<double, 4>;

namespace {

QByteArray archive(const QVariant& root)
{
    Error error;
    const auto data = KeyedArchiver::archivedData(root, true, &error);
    EXPECT_TRUE(data) << error.localizedDescription().toStdString();
    return data.value_or(QByteArray());
}

QVariantMap classInfo(const QString& name, const QStringList& chain)
{
    return {{"$classname", name}, {"$classes", chain}};
}

// Decodes and expects a read-corrupt error.
void expectRefused(const QByteArray& data, const QStringList& allowed, const char* what)
{
    SCOPED_TRACE(what);
    Error error;
    EXPECT_FALSE(KeyedUnarchiver::unarchivedObjectOfClasses(allowed, data, &error).isValid());
    EXPECT_EQ(std::pair(error.domain(), error.code()), std::pair(QString("NSCocoaErrorDomain"), 4864));
    EXPECT_FALSE(error.localizedDescription().isEmpty());
}

const QStringList kAll{"NSArray", "NSDictionary", "NSString", "NSNumber", "NSData", "NSColor"};

// `levels` arrays, each holding the one before `width` times, the first the number 1.
QByteArray nestedArrays(int levels, int width = 1)
{
    QVariantList objects{"$null", classInfo("NSArray", {"NSArray", "NSObject"}), qint64(1)};
    for (int level = 0; level < levels; ++level) {
        const QVariant previous = uid(quint64(objects.size() - 1));
        objects.append(QVariantMap{{"NS.objects", QVariantList(width, previous)}, {"$class", uid(1)}});
    }
    return keyedArchive(objects, quint64(objects.size() - 1));
}

RGBA rgba(const ColorRef& color)
{
    const auto c = color ? color->rgba() : std::nullopt;
    return c ? RGBA{c->red, c->green, c->blue, c->alpha} : RGBA{-1, -1, -1, -1};
}

// What a colour is: its kind, space, catalogue entry and device RGB components.
auto identity(const ColorRef& colour)
{
    return std::tuple(colour->type(), colour->colorSpace(), colour->catalogNameComponent(), colour->colorListName(),
                      rgba(colour->usingColorSpace(Space::DeviceRGB)));
}

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
    return KeyedUnarchiver::unarchivedObjectOfClasses({"NSParagraphStyle"}, keyedArchive(objects), error);
}

} // namespace

TEST(Color, ConversionsPatternsListsAndMissingKeys)
{
    EXPECT_EQ(rgba(Color::withWhite(0.7, 0.5)->usingColorSpace(Space::DeviceRGB)), (RGBA{0.7, 0.7, 0.7, 0.5}));
    EXPECT_NEAR(Color::withRGBA(1, 1, 1, 0.5)->usingColorSpace(Space::Gray)->whiteAlpha()->white, 1.0, 1e-12);
    // A pattern has no component form.
    const ColorRef pattern = Color::pattern("Paper");
    EXPECT_FALSE(pattern->usingColorSpace(Space::Gray) || pattern->shadowWithLevel(0.1) || pattern->rgba());

    EXPECT_FALSE(ColorList::named("Nope") || Color::named("NoSuchColor"));
    const auto apple = ColorList::named("Apple");
    ASSERT_TRUE(apple);
    EXPECT_TRUE(apple->allKeys().contains("Black"));
    EXPECT_FALSE(apple->colorWithKey("Snow"));
    const ColorRef snow = ColorList::named("Crayons")->colorWithKey("Snow");
    ASSERT_TRUE(snow);
    EXPECT_EQ(std::tuple(snow->catalogNameComponent(), snow->colorListName(), rgba(snow->usingColorSpace(Space::DeviceRGB))),
              std::tuple("Snow", "Crayons", RGBA{1, 1, 1, 1}));
}

// The object table as other readers of keyed archives expect it: keys and
// values by reference, each object naming its class chain.
TEST(KeyedArchiver, WritesAWellFormedKeyedArchive)
{
    const QByteArray data = archive(QVariantMap{{"name", "Snow"}, {"colour", QVariant::fromValue(Color::white())}});
    ASSERT_TRUE(data.startsWith("bplist00"));
    const QVariantList expected{
        "$null",
        QVariantMap{{"$class", uid(8)},
                    {"NS.keys", QVariantList{uid(2), uid(6)}},
                    {"NS.objects", QVariantList{uid(3), uid(7)}}},
        "colour",
        QVariantMap{{"$class", uid(5)}, {"NSColorSpace", qint64(3)}, {"NSWhite", uid(4)}},
        QByteArray("1 1"),
        classInfo("NSColor", {"NSColor", "NSObject"}),
        "name",
        "Snow",
        classInfo("NSDictionary", {"NSDictionary", "NSObject"})};
    const auto read = [](const QByteArray& archive) { return plist::propertyListFromData(archive, nullptr); };
    EXPECT_EQ(read(data), read(keyedArchive(expected)));
}

TEST(KeyedArchiver, RoundTripsValuesAndColours)
{
    const QVariantList values{QStringLiteral("text"), QString(), qint64(-7), 0.1, true, QByteArray("\0\1", 2),
                              QVariantMap{{"nested", QVariantList{qint64(1), qint64(2)}}}, QVariantList{}};
    Error error;
    const QVariant back = KeyedUnarchiver::unarchivedObjectOfClasses(kAll, archive(values), &error);
    EXPECT_EQ(back.toList(), values);

    const auto apple = ColorList::named("Apple");
    const QList<ColorRef> colours{Color::withRGBA(0.1, 0.2, 0.3, 0.4),
                                  Color::withRGBA(1.0 / 3, 0, 1, 1, Color::Space::GenericRGB),
                                  Color::withWhite(0.7, 0.5), apple->colorWithKey("White"),
                                  Color::named("PowerColor"), Color::pattern("Stripes")};
    for (const ColorRef& colour : colours) {
        const QVariant decoded =
            KeyedUnarchiver::unarchivedObjectOfClasses({"NSColor"}, archive(QVariant::fromValue(colour)), &error);
        ASSERT_TRUE(decoded.value<ColorRef>()) << error.localizedDescription().toStdString();
        EXPECT_EQ(identity(decoded.value<ColorRef>()), identity(colour)); // components bit for bit
    }
    // A null colour is the null object.
    const QByteArray none = archive(QVariant::fromValue(ColorRef{}));
    EXPECT_FALSE(KeyedUnarchiver::unarchivedObjectOfClasses({"NSColor"}, none, &error).isValid());
    EXPECT_EQ(error.code(), 4865);
}

TEST(KeyedArchiver, RefusesMalformedArchivesAndClassesOutsideTheAllowedSet)
{
    const QByteArray colourInArray = archive(QVariantList{QVariant::fromValue(Color::black())});
    expectRefused(colourInArray, {"NSArray"}, "element class not allowed");
    expectRefused(colourInArray, {"NSColor"}, "root class not allowed");
    Error error;
    EXPECT_EQ(KeyedUnarchiver::unarchivedObjectOfClasses({"NSArray", "NSColor"}, colourInArray, &error).toList().size(), 1);
    expectRefused(archive(QStringLiteral("text")), {"NSColor"}, "string where a colour is wanted");
    // A class nobody registered is refused even when named as allowed.
    expectRefused(keyedArchive({"$null", QVariantMap{{"$class", uid(2)}}, classInfo("OTLUnknown", {"OTLUnknown", "NSObject"})}),
                  {"OTLUnknown"}, "unknown class");

    const auto array = [](const QVariant& members) {
        return keyedArchive({"$null", QVariantMap{{"NS.objects", members}, {"$class", uid(2)}},
                             classInfo("NSArray", {"NSArray", "NSObject"})});
    };
    const QVariant colourClass = classInfo("NSColor", {"NSColor", "NSObject"});
    expectRefused(keyedArchive({"$null", "x"}, 5), kAll, "root UID out of range");
    expectRefused(array(QVariantList{uid(9)}), kAll, "member UID out of range");
    expectRefused(array(QVariantList{uid(1)}), kAll, "array holding itself");
    expectRefused(keyedArchive({"$null", QVariantMap{{"$class", uid(1)}}}), kAll, "object that is its own class");
    expectRefused(array("no"), kAll, "members not an array");
    expectRefused(array(QVariantList{qint64(1)}), kAll, "member not a UID");
    expectRefused(keyedArchive({"$null", QVariantMap{{"NSColorSpace", qint64(2)}, {"NSRGB", uid(3)}, {"$class", uid(2)}},
                                colourClass, QByteArray("1 zero 0")}),
                  kAll, "colour with unreadable components");
    expectRefused(keyedArchive({"$null", QVariantMap{{"NSColorSpace", "two"}, {"$class", uid(2)}}, colourClass}), kAll,
                  "colour space of the wrong type");

    // Not a keyed archive at all.
    const auto binary = [](const QVariant& value) {
        return *plist::dataFromPropertyList(value, plist::Format::Binary, nullptr);
    };
    for (const QByteArray& data : {QByteArray(), QByteArray("garbage"), binary(QVariantList{}),
                                   binary(QVariantMap{{"$archiver", "Other"}})})
        expectRefused(data, kAll, "not a keyed archive");
}

TEST(KeyedArchiver, DeepNestingHugeArchivesAndUnarchivableValuesFailCleanly)
{
    // Each array holds the previous one twice: 2^40 leaves if read naively.
    const QVariant shared = KeyedUnarchiver::unarchivedObjectOfClasses({"NSArray", "NSNumber"}, nestedArrays(40, 2), nullptr);
    EXPECT_EQ(shared.toList().size(), 2);

    QVariant nested = qint64(1);
    for (int i = 0; i < 300; ++i)
        nested = QVariantList{nested};
    for (const QVariant& value : {nested, QVariant::fromValue(QSize(1, 2))}) {
        Error error;
        EXPECT_FALSE(KeyedArchiver::archivedData(value, true, &error));
        EXPECT_EQ(error.domain(), "NSCocoaErrorDomain");
        EXPECT_EQ(error.code(), 4866);
    }
    expectRefused(nestedArrays(300), kAll, "too deep");
    // Just over the limit of 65,536 objects: refused before any is decoded.
    const QByteArray huge = nestedArrays(66000);
    Error error;
    EXPECT_EQ(KeyedUnarchiver::forReadingFromData(huge, &error), nullptr);
}

TEST(KeyedArchiver, CorruptedBytesNeverCrash)
{
    // Every single-byte change of a small archive either reads or fails cleanly.
    const QByteArray data = archive(QVariantMap{{"colours", QVariantList{QVariant::fromValue(Color::withWhite(0.5, 1)),
                                                                         QVariant::fromValue(Color::named("PowerColor"))}},
                                                {"n", qint64(3)}});
    for (qsizetype i = 0; i < data.size(); ++i) {
        for (const char replacement : {'\0', '\x01', '\x7f', '\xff'}) {
            QByteArray corrupted = data;
            corrupted[i] = replacement;
            Error error;
            const QVariant value = KeyedUnarchiver::unarchivedObjectOfClasses(kAll, corrupted, &error);
            if (!value.isValid()) {
                EXPECT_EQ(error.domain(), "NSCocoaErrorDomain");
            }
        }
    }
}

TEST(ParagraphStyleCoding, EveryFieldRoundTripsAndNonsenseIsRefused)
{
    EXPECT_EQ(decodedWithField(everyFieldSet(), "unused", {}, nullptr).value<ParagraphStyle>(), everyFieldSet());
    // Absent direction and alignment are the natural ones, not the first of each.
    const auto without = [](const char* key) { return decodedWithField(everyFieldSet(), key, {}, nullptr); };
    EXPECT_EQ(without("NSWritingDirection").value<ParagraphStyle>().baseWritingDirection, WritingDirection::Natural);
    EXPECT_EQ(without("NSAlignment").value<ParagraphStyle>().alignment, TextAlignment::Natural);

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
