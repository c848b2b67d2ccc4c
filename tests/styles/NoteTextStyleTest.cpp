#include "styles/StyleTestSupport.h"

using namespace platform;
using namespace stylestest;

using NoteTextStyleTest = CatalogueTest;

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
    auto source = everyFieldSet();
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

TEST_F(NoteTextStyleTest, DefaultStyleAndLookupByIdentifier)
{
    auto quote = customStyle("Quote");
    auto unnamed = customStyle("Cleared");
    unnamed->setCustomStyleIdentifier({});
    saveStyles({quote, unnamed});

    EXPECT_EQ(OTLNoteTextStyle::defaultStyle(), OTLNoteTextStyle::bodyNoteTextStyle());
    ASSERT_TRUE(UserDefaults::standard().setObject(quote->identifier(), OTLNoteTextStyleDefaultIdentifierKey));
    EXPECT_EQ(OTLNoteTextStyle::defaultStyle()->identifier(), quote->identifier());
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
