#include "styles/OTLNoteTextStyle.h"
#include "styles/StyleTestSupport.h"

#include "app/ImportFlow.h"
#include "colors/ColorExtensions.h"
#include "export/ExportNoteOperation.h"
#include "platform/KeyedArchiver.h"
#include "platform/NotificationCenter.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "support/TestSupport.h"
#include "text/UserDefaultsExtensions.h"

#include <QFile>
#include <gtest/gtest.h>
#include <random>

using namespace platform;
using platform::plist::PropertyListUID;

namespace {

const QString kSuite = QString::fromLatin1(app::kApplicationGroupIdentifier);

QVariant uid(quint64 value) { return QVariant::fromValue(PropertyListUID{value}); }

QVariantMap archivePlist(const QByteArray& data) { return plist::propertyListFromData(data, nullptr)->toMap(); }

QByteArray plistData(const QVariant& value)
{
    const auto data = plist::dataFromPropertyList(value, plist::Format::Binary, nullptr);
    EXPECT_TRUE(data);
    return data.value_or(QByteArray());
}

QByteArray archiveOf(const QList<OTLNoteTextStyleRef>& styles)
{
    QVariantList list;
    for (const auto& style : styles)
        list.append(QVariant::fromValue(style));
    Error error;
    const auto data = KeyedArchiver::archivedData(list, true, &error);
    EXPECT_TRUE(data) << error.localizedDescription().toStdString();
    return data.value_or(QByteArray());
}

// The one style of a one-style archive, its fields rewritten by `edit`.
QByteArray editedStyleArchive(const OTLNoteTextStyleRef& style, const std::function<void(QVariantMap&, QVariantList&)>& edit)
{
    QVariantMap archive = archivePlist(archiveOf({style}));
    QVariantList objects = archive["$objects"].toList();
    // Object 1 is the array, 2 the style.
    QVariantMap fields = objects[2].toMap();
    edit(fields, objects);
    objects[2] = fields;
    archive["$objects"] = objects;
    return plistData(archive);
}

int countOf(const std::string& haystack, const std::string& needle)
{
    int count = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1))
        ++count;
    return count;
}

OTLNoteTextStyleRef customStyle(const QString& name)
{
    auto style = OTLNoteTextStyle::create();
    style->setType(OTLNoteTextStyleTypeCustom);
    style->setName(name);
    return style;
}

OTLNoteTextStyleRef centredTitle()
{
    auto title = OTLNoteTextStyle::defaultTitleNoteTextStyle();
    title->setFont(FontCatalog::shared().fontWithName("Menlo", 20));
    ParagraphStyle paragraph = title->paragraphStyle();
    paragraph.alignment = TextAlignment::Center;
    paragraph.paragraphSpacing = 6;
    paragraph.lineHeightMultiple = 1.5;
    title->setParagraphStyle(paragraph);
    return title;
}

class StylePersistenceTest : public testing::Test {
protected:
    void SetUp() override { clean(); }
    void TearDown() override { clean(); }

    static void clean()
    {
        UserDefaults::standard().removeSuite(kSuite);
        UserDefaults::standard().removeObject(OTLNoteTextStylesKey);
        UserDefaults(kSuite).removeObject(OTLNoteTextStylesKey);
        UserDefaults::standard().removeObject("archived");
        stylestest::resetCatalogue();
    }

    static void store(const QVariant& value)
    {
        ASSERT_TRUE(UserDefaults::standard().setObject(value, OTLNoteTextStylesKey));
        OTLNoteTextStyle::reloadStylesFromDefaults();
    }
};

} // namespace

TEST_F(StylePersistenceTest, EveryFieldComesBackFromOurArchive)
{
    auto style = customStyle("Quote");
    style->setCustomStyleIdentifier("QUOTE-ID");
    style->setFont(FontCatalog::shared().fontWithName("Menlo-Bold", 13.3));
    ParagraphStyle paragraph;
    paragraph.alignment = TextAlignment::Right;
    paragraph.headIndent = 12;
    paragraph.lineHeightMultiple = 1.2;
    paragraph.baseWritingDirection = WritingDirection::RightToLeft;
    paragraph.tabStops = {{TextAlignment::Center, 40}};
    style->setParagraphStyle(paragraph);
    style->setUnderlineStyle(NSUnderlineStyleDouble);
    style->setStrikethrough(1);
    style->setForegroundColor(Color::withRGBA(0.5, 0.25, 0.125, 1));
    style->setResetOnNewLine(true);
    style->setApplyToParagraph(true);

    OTLNoteTextStyle::saveStylesToDefaults({style});
    const QByteArray data = UserDefaults::standard().data(OTLNoteTextStylesKey);
    ASSERT_FALSE(data.isEmpty());

    // The archive's layout is what Ostrel reads: class name, key kinds.
    const QVariantList objects = archivePlist(data)["$objects"].toList();
    const QVariantMap fields = objects[2].toMap();
    const QVariantMap classInfo = objects[fields["$class"].value<PropertyListUID>().value].toMap();
    EXPECT_EQ(classInfo["$classname"].toString(), "OTLNoteTextStyle");
    EXPECT_EQ(fields["type"].typeId(), QMetaType::LongLong);
    EXPECT_EQ(fields["fontSize"].typeId(), QMetaType::Double);
    EXPECT_EQ(fields["resetOnNewLine"].typeId(), QMetaType::Bool);
    EXPECT_EQ(objects[fields["fontName"].value<PropertyListUID>().value].toString(), "Menlo-Bold");
    EXPECT_FALSE(fields.contains("otherAllowedAttributeNames"));

    const QList<OTLNoteTextStyleRef> custom = OTLNoteTextStyle::customStyles();
    ASSERT_EQ(custom.size(), 1);
    const OTLNoteTextStyleRef& read = custom[0];
    EXPECT_NE(read, style);
    EXPECT_EQ(read->type(), OTLNoteTextStyleTypeCustom);
    EXPECT_EQ(read->name(), "Quote");
    EXPECT_EQ(read->customStyleIdentifier(), "QUOTE-ID");
    EXPECT_EQ(read->fontName(), "Menlo-Bold");
    // Sizes travel at single precision.
    EXPECT_EQ(read->fontSize(), 13.300000190734863);
    EXPECT_EQ(read->storedParagraphStyle(), paragraph);
    EXPECT_EQ(read->underlineStyle(), NSUnderlineStyleDouble);
    EXPECT_EQ(read->strikethrough(), 1);
    EXPECT_TRUE(otl::isEqualToColorOTLVersion(read->foregroundColor(), Color::withRGBA(0.5, 0.25, 0.125, 1)));
    EXPECT_TRUE(read->resetOnNewLine());
    EXPECT_TRUE(read->applyToParagraph());
}

TEST_F(StylePersistenceTest, SavesOnlyWhatDiffersAndRemovesTheKeyOtherwise)
{
    EXPECT_FALSE(OTLNoteTextStyle::defaultBodyNoteTextStyle()->shouldSaveToDefaults());
    EXPECT_TRUE(centredTitle()->shouldSaveToDefaults());
    EXPECT_TRUE(customStyle("X")->shouldSaveToDefaults());
    auto odd = OTLNoteTextStyle::create();
    odd->setType(5);
    EXPECT_FALSE(odd->shouldSaveToDefaults());

    OTLNoteTextStyle::addCustomStyle(customStyle("Alpha"));
    EXPECT_TRUE(UserDefaults::standard().object(OTLNoteTextStylesKey).isValid());
    // The catalogue plus the new style: only the custom ones need saving.
    OTLNoteTextStyle::addCustomStyle(customStyle("Beta"));
    EXPECT_EQ(OTLNoteTextStyle::customStyles().size(), 2);
    EXPECT_EQ(OTLNoteTextStyle::stylesFromSavedValue(UserDefaults::standard().object(OTLNoteTextStylesKey)).size(), 2);

    QList<OTLNoteTextStyleRef> defaults;
    for (std::int64_t type : {1, 2, 4, 0, 3})
        defaults << OTLNoteTextStyle::defaultStyleForType(type);
    OTLNoteTextStyle::saveStylesToDefaults(defaults);
    EXPECT_FALSE(UserDefaults::standard().object(OTLNoteTextStylesKey).isValid());
    EXPECT_TRUE(OTLNoteTextStyle::customStyles().isEmpty());
}

TEST_F(StylePersistenceTest, SavingNotifiesTwiceReloadingOnce)
{
    int heard = 0;
    ScopedObserver observer(NotificationCenter::defaultCenter(), OTLNoteTextStyleDefaultsDidChangeNotification, nullptr,
                            [&](const Notification& notification) {
                                EXPECT_EQ(notification.object, nullptr);
                                ++heard;
                            });
    OTLNoteTextStyle::saveStylesToDefaults({centredTitle()});
    EXPECT_EQ(heard, 2);
    OTLNoteTextStyle::reloadStylesFromDefaults();
    EXPECT_EQ(heard, 3);
}

TEST_F(StylePersistenceTest, LookupByTypeTakesTheFirstAndNeverCustom)
{
    auto first = centredTitle();
    auto second = OTLNoteTextStyle::defaultTitleNoteTextStyle();
    second->setFontSize(30);
    OTLNoteTextStyle::saveStylesToDefaults({customStyle("C"), first, second});
    EXPECT_EQ(OTLNoteTextStyle::titleNoteTextStyle()->fontSize(), 20);
    EXPECT_EQ(OTLNoteTextStyle::titleNoteTextStyle()->paragraphStyle().alignment, TextAlignment::Center);
    EXPECT_EQ(OTLNoteTextStyle::savedStyleForType(OTLNoteTextStyleTypeCustom), nullptr);
    EXPECT_EQ(OTLNoteTextStyle::savedStyleForType(OTLNoteTextStyleTypeBody), nullptr);
}

TEST_F(StylePersistenceTest, AbsentFieldsDecodeAsEmpty)
{
    // A custom style saved without identifier or font.
    auto bare = customStyle("Bare");
    bare->setCustomStyleIdentifier(QString());
    OTLNoteTextStyle::saveStylesToDefaults({bare});
    ASSERT_EQ(OTLNoteTextStyle::customStyles().size(), 1);
    const OTLNoteTextStyleRef read = OTLNoteTextStyle::customStyles()[0];
    EXPECT_TRUE(read->customStyleIdentifier().isNull());
    // No font: "Helvetica Neue" asked for at size 0 gives the default size.
    ASSERT_TRUE(read->storedFont());
    EXPECT_EQ(read->storedFont()->familyName(), "Helvetica Neue");
    EXPECT_EQ(read->fontSize(), FontCatalog::kDefaultFontSize);
    EXPECT_FALSE(read->storedParagraphStyle());
    // The light text colour was archived; being black, it is dropped again.
    EXPECT_FALSE(read->storedForegroundColor());

    // An unknown font name, no colour and no type at all.
    auto odd = customStyle("Odd");
    odd->setFont(FontCatalog::shared().fontWithName("Menlo", 9));
    store(editedStyleArchive(odd, [](QVariantMap& fields, QVariantList& objects) {
        objects[fields.value("fontName").value<PropertyListUID>().value] = "NoSuchFont-Bold";
        fields["fontSize"] = 15.0;
        fields.remove("foregroundColor");
        fields.remove("type");
    }));
    const OTLNoteTextStyleRef oddRead = OTLNoteTextStyle::savedStyleForType(OTLNoteTextStyleTypeBody);
    ASSERT_TRUE(oddRead);
    EXPECT_EQ(oddRead->font()->familyName(), "Helvetica Neue");
    EXPECT_EQ(oddRead->fontSize(), 15);
    EXPECT_FALSE(oddRead->storedForegroundColor());
}

TEST_F(StylePersistenceTest, AStyleWithoutColourKeepsTheTextColourOfItsSaving)
{
    setAppearance(Appearance::Dark);
    const ColorRef darkText = otl::colorFromPropertyListRepresentation(otl::propertyListRepresentation(Color::textColor()));
    OTLNoteTextStyle::saveStylesToDefaults({customStyle("Night")});
    setAppearance(Appearance::Light);
    const OTLNoteTextStyleRef read = OTLNoteTextStyle::customStyles().value(0);
    ASSERT_TRUE(read);
    if (otl::isWhiteColor(darkText) || otl::isBlackColor(darkText)) {
        EXPECT_FALSE(read->storedForegroundColor());
    } else {
        ASSERT_TRUE(read->storedForegroundColor());
        EXPECT_TRUE(otl::isEqualToColorOTLVersion(read->foregroundColor(), darkText));
    }
}

TEST_F(StylePersistenceTest, UserDefaultsArchiving)
{
    UserDefaults& defaults = UserDefaults::standard();
    Error error;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(fw::unarchiveObjectOfClass(defaults, "NSArray", "archived", &error).isValid());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(error.domain(), "OTLUserDefaultsArchivingErrorDomain");
    EXPECT_EQ(error.code(), 10001);
    EXPECT_EQ(error.localizedDescription(), "No such value.");

    ASSERT_TRUE(fw::archiveObject(defaults, QString("hello"), "archived", &error));
    EXPECT_EQ(fw::unarchiveObjectOfClass(defaults, "NSString", "archived", nullptr), QVariant("hello"));

    // Data of another class: logged with the key, the error handed out.
    testing::internal::CaptureStderr();
    EXPECT_FALSE(fw::unarchiveObjectOfClass(defaults, "NSArray", "archived", &error).isValid());
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(countOf(log, "Error unarchiving defaults object archived: "), 1) << log;
    EXPECT_EQ(error.code(), kCoderReadCorruptError);

    // What cannot be archived leaves the stored value alone.
    EXPECT_FALSE(fw::archiveObject(defaults, QVariant::fromValue(QSize(1, 2)), "archived", &error));
    EXPECT_EQ(error.code(), kCoderInvalidValueError);
    EXPECT_TRUE(fw::unarchiveObjectOfClass(defaults, "NSString", "archived", nullptr).isValid());
}

TEST_F(StylePersistenceTest, BadSavedDataReadsAsNothingSavedAndIsLoggedOncePerRead)
{
    const QString defaultCSS = OTLNoteTextStyle::CSSDeclarationForStandardStyles();
    const QByteArray good = archiveOf({centredTitle(), customStyle("K")});
    auto title = centredTitle();
    const auto edited = [&](std::function<void(QVariantMap&, QVariantList&)> edit) {
        return editedStyleArchive(title, std::move(edit));
    };
    const auto withObjects = [&](std::function<void(QVariantList&)> edit) {
        QVariantMap archive = archivePlist(good);
        QVariantList objects = archive["$objects"].toList();
        edit(objects);
        archive["$objects"] = objects;
        return plistData(archive);
    };
    const auto root = [](const QVariant& value) {
        const auto data = KeyedArchiver::archivedData(value, true, nullptr);
        EXPECT_TRUE(data);
        return data.value_or(QByteArray());
    };
    QVariantList deepObjects{"$null"};
    for (quint64 i = 1; i <= 400; ++i)
        deepObjects.append(QVariantMap{{"NS.objects", QVariantList{uid(i + 1)}}, {"$class", uid(402)}});
    deepObjects.append(QVariantMap{{"NS.objects", QVariantList{}}, {"$class", uid(402)}});
    deepObjects.append(QVariantMap{{"$classname", "NSArray"}, {"$classes", QVariantList{"NSArray", "NSObject"}}});

    const std::pair<const char*, QVariant> cases[] = {
        {"truncated", good.left(good.size() / 2)},
        {"not data", QString("styles")},
        {"not an archive", plistData(QVariantMap{{"a", 1}})},
        {"a lone style", root(QVariant::fromValue(centredTitle()))},
        {"strings", root(QVariantList{"a"})},
        {"a dictionary", root(QVariantMap{{"a", qint64(1)}})},
        {"type as a string", edited([](QVariantMap& f, QVariantList&) { f["type"] = "1"; })},
        {"font size as a string", edited([](QVariantMap& f, QVariantList&) { f["fontSize"] = "big"; })},
        {"infinite font size", edited([](QVariantMap& f, QVariantList&) { f["fontSize"] = INFINITY; })},
        {"name as a number", edited([](QVariantMap& f, QVariantList& o) {
             o.append(qint64(7));
             f["name"] = uid(quint64(o.size() - 1));
         })},
        {"colour as a string", edited([](QVariantMap& f, QVariantList& o) {
             o.append(QString("red"));
             f["foregroundColor"] = uid(quint64(o.size() - 1));
         })},
        {"paragraph style as a colour dictionary",
         edited([](QVariantMap& f, QVariantList&) { f["paragraphStyle"] = f.value("foregroundColor"); })},
        {"UID out of range", edited([](QVariantMap& f, QVariantList&) { f["paragraphStyle"] = uid(100000); })},
        {"a cycle", withObjects([](QVariantList& o) {
             QVariantMap array = o[1].toMap();
             array["NS.objects"] = QVariantList{uid(1)};
             o[1] = array;
         })},
        {"deep nesting", [&] {
             return plistData(QVariantMap{{"$archiver", "NSKeyedArchiver"}, {"$version", qint64(100000)},
                                          {"$top", QVariantMap{{"root", uid(1)}}}, {"$objects", deepObjects}});
         }()},
    };
    for (const auto& [what, value] : cases) {
        SCOPED_TRACE(what);
        testing::internal::CaptureStderr();
        EXPECT_TRUE(OTLNoteTextStyle::stylesFromSavedValue(value).isEmpty());
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(countOf(log, "Error unarchiving saved note styles: "), 1) << log;

        // The export sees the defaults.
        testing::internal::CaptureStderr();
        store(value);
        EXPECT_EQ(OTLNoteTextStyle::CSSDeclarationForStandardStyles(), defaultCSS);
        EXPECT_TRUE(OTLNoteTextStyle::customStyles().isEmpty());
        testing::internal::GetCapturedStderr();
    }
    // And the good archive reads.
    EXPECT_EQ(OTLNoteTextStyle::stylesFromSavedValue(good).size(), 2);
}

TEST_F(StylePersistenceTest, MutatedArchivesNeverBreakTheReader)
{
    auto monospaced = OTLNoteTextStyle::defaultMonospacedNoteTextStyle();
    monospaced->setForegroundColor(Color::withRGBA(0.2, 0.4, 0.6, 1));
    const QByteArray good = archiveOf({centredTitle(), customStyle("K"), monospaced});
    const QVariantList goodObjects = archivePlist(good)["$objects"].toList();

    std::mt19937 random(20261207);
    const auto pick = [&](int n) { return int(random() % unsigned(n)); };
    const QVariant replacements[] = {uid(0), uid(1), uid(2), uid(9999), qint64(-1), qint64(1) << 40, 1e308,
                                     std::nan(""), QString("x"), true, QByteArray("\0\1", 2), QVariantList{},
                                     QVariantMap{}};
    int read = 0, refused = 0;
    testing::internal::CaptureStderr();
    for (int round = 0; round < 3000; ++round) {
        QByteArray data;
        if (round % 3 == 0) {
            // Bytes: flips, cuts and insertions.
            data = good;
            for (int n = 1 + pick(4); n > 0; --n) {
                const int at = pick(int(data.size()));
                switch (pick(3)) {
                case 0: data[at] = char(data[at] ^ (1 << pick(8))); break;
                case 1: data.truncate(at); break;
                default: data.insert(at, char(pick(256))); break;
                }
                if (data.isEmpty())
                    break;
            }
        } else {
            // Structure: one field of one object replaced, dropped or repointed.
            QVariantList objects = goodObjects;
            for (int n = 1 + pick(3); n > 0; --n) {
                const int index = 1 + pick(int(objects.size()) - 1);
                QVariant& object = objects[index];
                if (object.typeId() == QMetaType::QVariantMap && pick(4) != 0) {
                    QVariantMap fields = object.toMap();
                    const QStringList keys = fields.keys();
                    const QString key = keys.value(pick(int(keys.size()) + 1), "extra");
                    if (pick(5) == 0)
                        fields.remove(key);
                    else
                        fields[key] = replacements[pick(int(std::size(replacements)))];
                    object = fields;
                } else {
                    object = replacements[pick(int(std::size(replacements)))];
                }
            }
            data = plistData(QVariantMap{{"$archiver", "NSKeyedArchiver"}, {"$version", qint64(100000)},
                                         {"$top", QVariantMap{{"root", uid(1)}}}, {"$objects", objects}});
        }
        const QList<OTLNoteTextStyleRef> styles = OTLNoteTextStyle::stylesFromSavedValue(data);
        if (styles.isEmpty()) {
            ++refused;
            continue;
        }
        ++read;
        for (const OTLNoteTextStyleRef& style : styles) {
            ASSERT_TRUE(style);
            // Whatever was read must be usable by the export.
            (void)style->CSSDeclaration();
            (void)style->attributes();
            EXPECT_TRUE(std::isfinite(style->fontSize()));
        }
    }
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(countOf(log, "Error unarchiving saved note styles: "), refused);
    EXPECT_GT(read, 0);
    EXPECT_GT(refused, 0);
}

TEST_F(StylePersistenceTest, AnExportUsesTheStylesSavedInTheSharedSuite)
{
    // What Ostrel saved into the shared suite.
    UserDefaults suite(kSuite);
    ASSERT_TRUE(fw::archiveObject(suite, QVariantList{QVariant::fromValue(centredTitle())}, OTLNoteTextStylesKey));
    UserDefaults::standard().addSuite(kSuite);
    OTLNoteTextStyle::reloadStylesFromDefaults();

    const QString css = std::make_shared<ExportNoteOperation>()->noteStylesCSSString();
    const QString color = otl::rgbStringValue(Color::textColor());
    EXPECT_TRUE(css.startsWith("h1 {margin: 0.0px 0.0px 6.0px 0.0px; font-family: Menlo; font-size: 20.0px; color: "
                               + color + "; line-height: 1.5; text-align: center; text-decoration: none}\n"))
        << css.toStdString();
    EXPECT_EQ(css.count('\n'), 5);

    // A save goes to this application's own domain; the suite keeps Ostrel's.
    const QByteArray ostrels = suite.data(OTLNoteTextStylesKey);
    OTLNoteTextStyle::addCustomStyle(customStyle("Mine"));
    EXPECT_EQ(suite.data(OTLNoteTextStylesKey), ostrels);
    EXPECT_TRUE(QFile::exists(UserDefaults::pathForDomain(UserDefaults::standard().domain())));
    EXPECT_EQ(OTLNoteTextStyle::customStyles().size(), 1);
    EXPECT_EQ(OTLNoteTextStyle::titleNoteTextStyle()->fontSize(), 20);
}
