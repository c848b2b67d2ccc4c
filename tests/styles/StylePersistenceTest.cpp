#include "styles/StyleTestSupport.h"

#include "platform/PropertyList.h"
#include "support/ArchiveSupport.h"

#include <random>

using namespace platform;
using namespace stylestest;
using platform::plist::PropertyListUID;
using namespace testsupport;

namespace {

const std::string kSavedStylesError = "Error unarchiving saved note styles: ";

// An archive of centredTitle() alone with the style's fields (object 2) rewritten.
QByteArray edited(const std::function<void(QVariantMap&, QVariantList&)>& edit)
{
    QVariantList objects = objectsOf(archiveOf({centredTitle()}));
    QVariantMap fields = objects[2].toMap();
    edit(fields, objects);
    objects[2] = fields;
    return keyedArchive(objects);
}

qsizetype countOf(const std::string& haystack, const std::string& needle)
{
    return QString::fromStdString(haystack).count(QString::fromStdString(needle));
}

using StylePersistenceTest = CatalogueTest;

} // namespace

TEST_F(StylePersistenceTest, SavesWhatDiffers)
{
    auto odd = OTLNoteTextStyle::create();
    odd->setType(5);
    EXPECT_FALSE(odd->shouldSaveToDefaults());

    auto second = OTLNoteTextStyle::defaultTitleNoteTextStyle();
    second->setFontSize(30);
    OTLNoteTextStyle::saveStylesToDefaults({centredTitle(), second, odd});
    EXPECT_EQ(OTLNoteTextStyle::titleNoteTextStyle()->fontSize(), 20);
    OTLNoteTextStyle::addCustomStyle(customStyle("Alpha"));
    EXPECT_EQ(OTLNoteTextStyle::customStyles().size(), 1);
    EXPECT_EQ(OTLNoteTextStyle::savedStyleForType(OTLNoteTextStyleTypeCustom), nullptr);

    QList<OTLNoteTextStyleRef> defaults;
    for (std::int64_t type : {1, 2, 4, 0, 3})
        defaults << OTLNoteTextStyle::defaultStyleForType(type);
    OTLNoteTextStyle::saveStylesToDefaults(defaults);
    EXPECT_FALSE(UserDefaults::standard().object(OTLNoteTextStylesKey).isValid());
}

TEST_F(StylePersistenceTest, UserDefaultsArchiving)
{
    UserDefaults& defaults = UserDefaults::standard();
    Error error;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(fw::unarchiveObjectOfClass(defaults, "NSString", OTLNoteTextStylesKey, &error).isValid());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(error, Error("OTLUserDefaultsArchivingErrorDomain", 10001, "No such value."));

    ASSERT_TRUE(fw::archiveObject(defaults, QString("hello"), OTLNoteTextStylesKey, &error));
    EXPECT_EQ(fw::unarchiveObjectOfClass(defaults, "NSString", OTLNoteTextStylesKey, nullptr), QVariant("hello"));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(fw::unarchiveObjectOfClass(defaults, "NSArray", OTLNoteTextStylesKey, &error).isValid());
    EXPECT_EQ(countOf(testing::internal::GetCapturedStderr(), "Error unarchiving defaults object OTLNoteTextStyles: "), 1);
    EXPECT_EQ(error.code(), kCoderReadCorruptError);
}

TEST_F(StylePersistenceTest, BadSavedDataReadsAsNothingSavedAndIsLoggedOncePerRead)
{
    const QString defaultCSS = OTLNoteTextStyle::CSSDeclarationForStandardStyles();
    const QByteArray good = archiveOf({centredTitle(), customStyle("K")});
    const auto rootArchive = [](const QVariant& value) {
        return KeyedArchiver::archivedData(value, true, nullptr).value_or(QByteArray());
    };

    const std::pair<const char*, QVariant> cases[] = {
        {"truncated", good.left(good.size() / 2)},
        {"not data", QString("styles")},
        {"a lone style", rootArchive(QVariant::fromValue(centredTitle()))},
        {"strings", rootArchive(QVariantList{"a"})},
        {"type as a string", edited([](QVariantMap& f, QVariantList&) { f["type"] = "1"; })},
        {"infinite font size", edited([](QVariantMap& f, QVariantList&) { f["fontSize"] = INFINITY; })},
        {"name as a number", edited([](QVariantMap& f, QVariantList& o) {
             o.append(qint64(7));
             f["name"] = uid(quint64(o.size() - 1));
         })},
        {"paragraph style as a colour", edited([](QVariantMap& f, QVariantList&) { f["paragraphStyle"] = f.value("foregroundColor"); })},
        {"UID out of range", edited([](QVariantMap& f, QVariantList&) { f["paragraphStyle"] = uid(100000); })},
    };
    for (const auto& [what, value] : cases) {
        SCOPED_TRACE(what);
        testing::internal::CaptureStderr();
        EXPECT_TRUE(OTLNoteTextStyle::stylesFromSavedValue(value).isEmpty());
        EXPECT_EQ(countOf(testing::internal::GetCapturedStderr(), kSavedStylesError), 1);

        ASSERT_TRUE(UserDefaults::standard().setObject(value, OTLNoteTextStylesKey));
        OTLNoteTextStyle::reloadStylesFromDefaults();
        testing::internal::CaptureStderr();
        EXPECT_EQ(OTLNoteTextStyle::CSSDeclarationForStandardStyles(), defaultCSS);
        EXPECT_TRUE(OTLNoteTextStyle::customStyles().isEmpty());
        testing::internal::GetCapturedStderr();
    }
    EXPECT_EQ(OTLNoteTextStyle::stylesFromSavedValue(good).size(), 2);

    // An unknown font name falls back to Helvetica Neue at the saved size.
    const auto renamed = edited([](QVariantMap& f, QVariantList& o) {
        o[f.value("fontName").value<PropertyListUID>().value] = "NoSuchFont-Bold";
    });
    const OTLNoteTextStyleRef fallback = OTLNoteTextStyle::stylesFromSavedValue(renamed).value(0);
    ASSERT_TRUE(fallback);
    EXPECT_EQ(fallback->font()->familyName(), "Helvetica Neue");
    EXPECT_EQ(fallback->fontSize(), 20);
}

TEST_F(StylePersistenceTest, MutatedArchivesNeverBreakTheReader)
{
    auto monospaced = OTLNoteTextStyle::defaultMonospacedNoteTextStyle();
    monospaced->setForegroundColor(Color::withRGBA(0.2, 0.4, 0.6, 1));
    const QByteArray good = archiveOf({centredTitle(), customStyle("K"), monospaced});
    const QVariantList goodObjects = objectsOf(good);
    const QVariant replacements[] = {uid(0), uid(1), uid(2), uid(9999), qint64(-1), qint64(1) << 40, 1e308,
                                     std::nan(""), QString("x"), true, QByteArray("\0\1", 2), QVariantList{},
                                     QVariantMap{}};
    std::mt19937 random(20261207);
    const auto pick = [&](qsizetype n) { return qsizetype(random() % quint32(n)); };
    int read = 0, refused = 0;
    testing::internal::CaptureStderr();
    for (int round = 0; round < 3000; ++round) {
        QByteArray data = good;
        if (round % 3 == 0) {
            // Bytes flipped, cut or inserted.
            for (int n = 1 + int(pick(4)); n > 0 && !data.isEmpty(); --n) {
                const qsizetype at = pick(data.size());
                switch (pick(3)) {
                case 0: data[at] = char(data[at] ^ (1 << pick(8))); break;
                case 1: data.truncate(at); break;
                default: data.insert(at, char(pick(256))); break;
                }
            }
        } else {
            // Objects or their fields replaced, dropped or repointed.
            QVariantList objects = goodObjects;
            for (int n = 1 + int(pick(3)); n > 0; --n) {
                QVariant& object = objects[1 + pick(objects.size() - 1)];
                const QVariant replacement = replacements[pick(std::size(replacements))];
                if (object.typeId() != QMetaType::QVariantMap || pick(4) == 0) {
                    object = replacement;
                    continue;
                }
                QVariantMap fields = object.toMap();
                const QString key = fields.keys().value(pick(fields.size() + 1), "extra");
                if (pick(5) == 0)
                    fields.remove(key);
                else
                    fields[key] = replacement;
                object = fields;
            }
            data = keyedArchive(objects);
        }
        const QList<OTLNoteTextStyleRef> styles = OTLNoteTextStyle::stylesFromSavedValue(data);
        // An archive of an empty list is readable: nothing saved, nothing logged.
        const bool emptyList = KeyedUnarchiver::unarchivedObjectOfClasses({"NSArray", "OTLNoteTextStyle"}, data, nullptr)
                               == QVariant(QVariantList{});
        styles.isEmpty() && !emptyList ? ++refused : ++read;
        for (const OTLNoteTextStyleRef& style : styles) {
            ASSERT_TRUE(style);
            (void)style->CSSDeclaration();
            EXPECT_TRUE(std::isfinite(style->fontSize()));
        }
    }
    EXPECT_EQ(countOf(testing::internal::GetCapturedStderr(), kSavedStylesError), refused);
    EXPECT_GT(read, 0);
    EXPECT_GT(refused, 0);
}

