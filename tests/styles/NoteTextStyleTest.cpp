#include "styles/StyleTestSupport.h"

using namespace platform;
using namespace stylestest;

using NoteTextStyleTest = CatalogueTest;

QString fontOf(const OTLNoteTextStyleRef& style)
{
    return style->fontName() + u' ' + QString::number(style->fontSize());
}

TEST_F(NoteTextStyleTest, PlainStyleIsABodyAndFontNameAndSizeReplaceTheFont)
{
    auto style = OTLNoteTextStyle::create();
    EXPECT_EQ(style->type(), OTLNoteTextStyleTypeBody);
    EXPECT_EQ(style->name(), "Body");
    EXPECT_EQ(fontOf(style), "HelveticaNeue 12");

    const AttributeDictionary attributes = style->attributes();
    EXPECT_EQ(attributes.keys(), (QStringList{NSFontAttributeName, NSParagraphStyleAttributeName,
                                              NSForegroundColorAttributeName, NSUnderlineStyleAttributeName,
                                              NSStrikethroughStyleAttributeName, "OTLNoteTextStyleIdentifier"}));
    EXPECT_EQ(*attributes.value("OTLNoteTextStyleIdentifier")->string(), "OTLNoteStyleIdentifierBody");

    // A font name and size replace the font; an unknown name leaves none, and the fallback applies.
    style = OTLNoteTextStyle::defaultHeadingNoteTextStyle();
    style->setFontSize(20);
    EXPECT_EQ(fontOf(style), "HelveticaNeue-Bold 20");
    style->setFontName("Menlo-Bold");
    EXPECT_EQ(fontOf(style), "Menlo-Bold 20");
    style->setFontName("NoSuchFont");
    EXPECT_FALSE(style->storedFont());
    EXPECT_EQ(fontOf(style), "HelveticaNeue 12");
    // Note text sizes outside 1 to 4 scale as the smallest.
    EXPECT_EQ(OTLNoteTextStyle::scaleFactorForNoteTextSize(3), 1.25);
    for (std::int64_t other : {0, 5, -1})
        EXPECT_EQ(OTLNoteTextStyle::scaleFactorForNoteTextSize(other), 0.875);
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

TEST_F(NoteTextStyleTest, CopyKeepsEveryFieldAndTheIdentifier)
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
}

TEST_F(NoteTextStyleTest, CatalogueDefaultStyleAndLookupByIdentifier)
{
    QStringList names;
    for (const auto& style : OTLNoteTextStyle::allStyles())
        names << style->name();
    ASSERT_EQ(names, (QStringList{"Title", "Heading", "Subheading", "Body", "Monospaced"}));
    EXPECT_TRUE(OTLNoteTextStyle::customStyles().isEmpty());

    auto quote = customStyle("Quote");
    auto unnamed = customStyle("Cleared");
    unnamed->setCustomStyleIdentifier({});
    saveStyles({quote, unnamed});

    EXPECT_EQ(OTLNoteTextStyle::defaultStyle(), OTLNoteTextStyle::bodyNoteTextStyle());
    // An identifier no style has, or a value that is not text, falls back to the body.
    const std::pair<QVariant, QString> defaults[] = {
        {quote->identifier(), quote->identifier()},
        {QString("gone"), "OTLNoteStyleIdentifierBody"},
        {7, "OTLNoteStyleIdentifierBody"},
    };
    for (const auto& [stored, expected] : defaults) {
        ASSERT_TRUE(UserDefaults::standard().setObject(stored, OTLNoteTextStyleDefaultIdentifierKey));
        EXPECT_EQ(OTLNoteTextStyle::defaultStyle()->identifier(), expected);
    }

    EXPECT_FALSE(OTLNoteTextStyle::styleWithIdentifier({}));
    EXPECT_EQ(OTLNoteTextStyle::styleWithIdentifier("OTLNoteStyleIdentifierSubheading"),
              OTLNoteTextStyle::subheadingNoteTextStyle());
}
