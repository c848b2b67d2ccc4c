#include "styles/OTLNoteTextStyle.h"
#include "styles/StyleTestSupport.h"

#include "platform/UserDefaults.h"
#include "support/TestSupport.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace platform;

namespace {

using stylestest::customStyle;
using stylestest::saveStyles;

class NoteTextStyleTest : public stylestest::CatalogueTest {
protected:
    void TearDown() override
    {
        CatalogueTest::TearDown();
        UserDefaults::standard().removeObject(OTLNoteTextStyleDefaultIdentifierKey);
    }
};

} // namespace

TEST_F(NoteTextStyleTest, PlainStyleIsABodyWithFallbacks)
{
    auto style = OTLNoteTextStyle::create();
    EXPECT_EQ(style->type(), OTLNoteTextStyleTypeBody);
    EXPECT_EQ(style->name(), "Body");
    EXPECT_EQ(style->identifier(), "OTLNoteStyleIdentifierBody");
    EXPECT_FALSE(style->storedFont());
    EXPECT_EQ(style->fontName(), "HelveticaNeue");
    EXPECT_EQ(style->fontSize(), 12.0);
    EXPECT_EQ(style->paragraphStyle(), ParagraphStyle::defaultParagraphStyle());

    const AttributeDictionary attributes = style->attributes();
    EXPECT_EQ(attributes.keys(), (QStringList{NSFontAttributeName, NSParagraphStyleAttributeName,
                                              NSForegroundColorAttributeName, NSUnderlineStyleAttributeName,
                                              NSStrikethroughStyleAttributeName, "OTLNoteTextStyleIdentifier"}));
    EXPECT_TRUE(fontsEqual(attributes.value(NSFontAttributeName)->font(), FontCatalog::shared().userFontOfSize(12)));
    EXPECT_EQ(*attributes.value("OTLNoteTextStyleIdentifier")->string(), "OTLNoteStyleIdentifierBody");
}

TEST_F(NoteTextStyleTest, NeverKeepsPureBlackOrWhite)
{
    auto style = OTLNoteTextStyle::create();
    const QList<ColorRef> dropped{Color::black(), Color::white(), Color::withWhite(0, 1),
                                  Color::withRGBA(1, 1, 1, 1), ColorList::named("Apple")->colorWithKey("White"),
                                  nullptr};
    for (const ColorRef& color : dropped) {
        style->setForegroundColor(Color::withRGBA(0.5, 0, 0, 1));
        style->setForegroundColor(color);
        EXPECT_FALSE(style->storedForegroundColor());
        EXPECT_TRUE(colorsEqual(style->foregroundColor(), Color::textColor()));
        EXPECT_TRUE(colorsEqual(style->attributes().value(NSForegroundColorAttributeName)->color(),
                                Color::textColor()));
    }
    const ColorRef red = Color::withRGBA(0.8, 0.1, 0.1, 1);
    style->setForegroundColor(red);
    EXPECT_EQ(style->foregroundColor(), red); // the colour itself, not a copy
}

TEST_F(NoteTextStyleTest, CustomTypeGetsAnIdentifierOnce)
{
    auto style = OTLNoteTextStyle::create();
    EXPECT_TRUE(style->customStyleIdentifier().isNull());
    style->setType(OTLNoteTextStyleTypeCustom);
    const QString generated = style->customStyleIdentifier();
    EXPECT_TRUE(QRegularExpression("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$")
                    .match(generated)
                    .hasMatch())
        << generated.toStdString();
    EXPECT_EQ(style->identifier(), generated);

    style->setType(OTLNoteTextStyleTypeTitle);
    EXPECT_EQ(style->customStyleIdentifier(), generated);
    EXPECT_EQ(style->identifier(), "OTLNoteStyleIdentifierTitle");
    style->setType(OTLNoteTextStyleTypeCustom);
    EXPECT_EQ(style->customStyleIdentifier(), generated);

    auto named = OTLNoteTextStyle::create();
    named->setCustomStyleIdentifier("mine");
    named->setType(OTLNoteTextStyleTypeCustom);
    EXPECT_EQ(named->identifier(), "mine");
    EXPECT_NE(customStyle("a")->identifier(), customStyle("b")->identifier());
}

TEST_F(NoteTextStyleTest, UnknownTypesBehaveLikeCustomOnes)
{
    for (std::int64_t type : {std::int64_t(5), std::int64_t(-1)}) {
        auto style = OTLNoteTextStyle::create();
        style->setName("Odd");
        style->setType(type);
        EXPECT_EQ(style->name(), "Odd");
        EXPECT_TRUE(style->identifier().isNull());
        EXPECT_FALSE(style->attributes().contains("OTLNoteTextStyleIdentifier"));
        EXPECT_TRUE(style->HTMLTagName().isNull());
        style->setCustomStyleIdentifier("X");
        EXPECT_EQ(style->identifier(), "X");
    }
    // A stored name does not hide a standard type's name.
    auto title = OTLNoteTextStyle::create();
    title->setName("Mine");
    title->setType(OTLNoteTextStyleTypeTitle);
    EXPECT_EQ(title->name(), "Title");
}

TEST_F(NoteTextStyleTest, FontNameAndSizeReplaceTheFont)
{
    auto style = OTLNoteTextStyle::defaultHeadingNoteTextStyle();
    EXPECT_EQ(style->fontName(), "HelveticaNeue-Bold");
    style->setFontSize(20);
    EXPECT_EQ(style->fontName(), "HelveticaNeue-Bold");
    EXPECT_EQ(style->fontSize(), 20.0);
    style->setFontName("Menlo-Bold");
    EXPECT_EQ(style->font()->familyName(), "Menlo");
    EXPECT_EQ(style->fontSize(), 20.0);

    // An unknown name leaves no font; the 12-point fallback applies.
    style->setFontName("NoSuchFont");
    EXPECT_FALSE(style->storedFont());
    EXPECT_EQ(style->fontName(), "HelveticaNeue");
    EXPECT_EQ(style->fontSize(), 12.0);
}

TEST_F(NoteTextStyleTest, ObserversOfNameAndSizeHearFontChanges)
{
    auto style = OTLNoteTextStyle::create();
    QStringList heard;
    const auto nameToken = style->addObserver("fontName", [&](OTLNoteTextStyle&, const QString& key) {
        heard.append(key);
    });
    style->addObserver("fontSize", [&](OTLNoteTextStyle& changed, const QString& key) {
        heard.append(key + QString::number(changed.fontSize()));
    });
    style->setFontSize(15);
    style->setUnderlineStyle(1);
    EXPECT_EQ(heard, (QStringList{"fontName", "fontSize15"}));

    style->removeObserver(nameToken);
    heard.clear();
    style->setFont(FontCatalog::shared().fontWithName("Menlo", 9));
    EXPECT_EQ(heard, QStringList{"fontSize9"});
}

TEST_F(NoteTextStyleTest, CopyIsIndependentAndKeepsTheIdentifier)
{
    auto source = stylestest::everyFieldSet();
    source->setOtherAllowedAttributeNames(QStringList{NSKernAttributeName});

    auto copy = source->copy();
    EXPECT_NE(copy, source);
    EXPECT_EQ(copy->identifier(), source->identifier()); // not a newly generated one
    EXPECT_EQ(copy->attributes(), source->attributes());
    EXPECT_TRUE(copy->resetOnNewLine());
    EXPECT_TRUE(copy->applyToParagraph());
    EXPECT_EQ(copy->otherAllowedAttributeNames().size(), 6); // the override stays behind

    copy->setName("Changed");
    copy->setParagraphStyle(ParagraphStyle());
    EXPECT_EQ(source->name(), "Quote");
    EXPECT_EQ(source->paragraphStyle().alignment, TextAlignment::Right);

    // A custom style whose identifier was cleared copies as cleared.
    source->setCustomStyleIdentifier({});
    EXPECT_TRUE(source->copy()->customStyleIdentifier().isNull());
}

TEST_F(NoteTextStyleTest, DefaultStylesTable)
{
    struct Row {
        OTLNoteTextStyleRef style;
        std::int64_t type;
        const char* face;
        double size;
        double spacing;
        long header;
        double lineSpacing;
        bool paragraph;
    };
    const Row rows[] = {
        {OTLNoteTextStyle::defaultTitleNoteTextStyle(), 1, "HelveticaNeue-Bold", 17, 0, 1, 0, true},
        {OTLNoteTextStyle::defaultHeadingNoteTextStyle(), 2, "HelveticaNeue-Bold", 14, 2, 2, 0, true},
        {OTLNoteTextStyle::defaultSubheadingNoteTextStyle(), 4, "HelveticaNeue-Bold", 13, 2, 3, 0, true},
        {OTLNoteTextStyle::defaultBodyNoteTextStyle(), 0, "HelveticaNeue", 12, 0, 0, 0, false},
        {OTLNoteTextStyle::defaultMonospacedNoteTextStyle(), 3, "Menlo-Regular", 12, 0, 0, 1, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.face);
        const auto& style = *row.style;
        EXPECT_EQ(style.type(), row.type);
        ASSERT_TRUE(style.storedFont());
        EXPECT_EQ(style.fontName(), row.face);
        EXPECT_EQ(style.fontSize(), row.size);
        ASSERT_TRUE(style.storedParagraphStyle());
        ParagraphStyle expected = ParagraphStyle::defaultParagraphStyle();
        expected.paragraphSpacing = row.spacing;
        expected.headerLevel = row.header;
        expected.lineSpacing = row.lineSpacing;
        EXPECT_EQ(style.paragraphStyle(), expected);
        EXPECT_EQ(style.applyToParagraph(), row.paragraph);
        EXPECT_EQ(style.resetOnNewLine(), row.paragraph);
        EXPECT_FALSE(style.storedForegroundColor());
    }

    EXPECT_FALSE(OTLNoteTextStyle::defaultStyleForType(5));
    EXPECT_NE(OTLNoteTextStyle::defaultBodyNoteTextStyle(), OTLNoteTextStyle::defaultBodyNoteTextStyle());
}

TEST_F(NoteTextStyleTest, CatalogueWithNothingSaved)
{
    const auto all = OTLNoteTextStyle::allStyles();
    ASSERT_EQ(all.size(), 5);
    const QStringList names{"Title", "Heading", "Subheading", "Body", "Monospaced"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(all[i]->name(), names[i]);
    EXPECT_TRUE(OTLNoteTextStyle::customStyles().isEmpty());

    // Cached styles are shared until a reload.
    auto title = OTLNoteTextStyle::titleNoteTextStyle();
    EXPECT_EQ(all[0], title);
    title->setFontSize(30);
    EXPECT_EQ(OTLNoteTextStyle::titleNoteTextStyle()->fontSize(), 30.0);
    OTLNoteTextStyle::reloadStylesFromDefaults();
    EXPECT_NE(OTLNoteTextStyle::titleNoteTextStyle(), title);
    EXPECT_EQ(OTLNoteTextStyle::titleNoteTextStyle()->fontSize(), 17.0);
}

TEST_F(NoteTextStyleTest, CatalogueTakesSavedStyles)
{
    auto firstTitle = OTLNoteTextStyle::defaultTitleNoteTextStyle();
    firstTitle->setFontSize(22);
    auto secondTitle = OTLNoteTextStyle::defaultTitleNoteTextStyle();
    auto odd = OTLNoteTextStyle::create();
    odd->setType(7);
    saveStyles({customStyle("style 2"), firstTitle, customStyle("Style 10"), secondTitle, odd,
                customStyle("apple")});

    EXPECT_EQ(OTLNoteTextStyle::titleNoteTextStyle(), firstTitle);
    EXPECT_EQ(OTLNoteTextStyle::savedStyleForType(1), firstTitle);
    EXPECT_FALSE(OTLNoteTextStyle::savedStyleForType(2));
    EXPECT_EQ(OTLNoteTextStyle::headingNoteTextStyle()->fontSize(), 14.0);

    QStringList customNames;
    for (const auto& style : OTLNoteTextStyle::customStyles())
        customNames.append(style->name());
    EXPECT_EQ(customNames, (QStringList{"apple", "style 2", "Style 10"}));
    EXPECT_EQ(OTLNoteTextStyle::allStyles().size(), 8);
    // Custom styles add no rules to the style sheet.
    EXPECT_EQ(OTLNoteTextStyle::CSSDeclarationForStandardStyles().count('\n'), 5);
}

TEST_F(NoteTextStyleTest, DefaultStyleAndLookupByIdentifier)
{
    auto quote = customStyle("Quote");
    auto unnamed = customStyle("Cleared");
    unnamed->setCustomStyleIdentifier({});
    saveStyles({quote, unnamed});

    EXPECT_EQ(OTLNoteTextStyle::defaultStyle(), OTLNoteTextStyle::bodyNoteTextStyle());
    ASSERT_TRUE(UserDefaults::standard().setObject(quote->identifier(), OTLNoteTextStyleDefaultIdentifierKey));
    EXPECT_EQ(OTLNoteTextStyle::defaultStyle(), quote);
    ASSERT_TRUE(UserDefaults::standard().setObject(QString("OTLNoteStyleIdentifierMonospace"),
                                                   OTLNoteTextStyleDefaultIdentifierKey));
    EXPECT_EQ(OTLNoteTextStyle::defaultStyle(), OTLNoteTextStyle::monospacedNoteTextStyle());
    // An identifier no style has, or a value that is not text, falls back to the body.
    ASSERT_TRUE(UserDefaults::standard().setObject(QString("gone"), OTLNoteTextStyleDefaultIdentifierKey));
    EXPECT_EQ(OTLNoteTextStyle::defaultStyle(), OTLNoteTextStyle::bodyNoteTextStyle());
    ASSERT_TRUE(UserDefaults::standard().setObject(7, OTLNoteTextStyleDefaultIdentifierKey));
    EXPECT_EQ(OTLNoteTextStyle::defaultStyle(), OTLNoteTextStyle::bodyNoteTextStyle());

    EXPECT_FALSE(OTLNoteTextStyle::styleWithIdentifier({}));
    EXPECT_FALSE(OTLNoteTextStyle::styleWithIdentifier(""));
    EXPECT_EQ(OTLNoteTextStyle::styleWithIdentifier("OTLNoteStyleIdentifierSubheading"),
              OTLNoteTextStyle::subheadingNoteTextStyle());
}

TEST_F(NoteTextStyleTest, ScaleFactorsOutsideOneToFour)
{
    EXPECT_EQ(OTLNoteTextStyle::scaleFactorForNoteTextSize(3), 1.25);
    for (std::int64_t other : {0, 5, -1})
        EXPECT_EQ(OTLNoteTextStyle::scaleFactorForNoteTextSize(other), 0.875);
}
