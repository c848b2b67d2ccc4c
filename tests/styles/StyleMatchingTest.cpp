#include "styles/OTLNoteTextStyle.h"
#include "styles/StyleTestSupport.h"

#include "support/TestSupport.h"

#include <QUrl>
#include <gtest/gtest.h>

using namespace platform;

namespace {

class StyleMatchingTest : public testing::Test {
protected:
    void SetUp() override { stylestest::resetCatalogue(); }
    void TearDown() override { stylestest::resetCatalogue(); }
};

ParagraphStyle paragraphOf(const AttributeDictionary& attributes)
{
    return *attributes.value(NSParagraphStyleAttributeName)->paragraphStyle();
}

} // namespace

TEST_F(StyleMatchingTest, OtherAllowedNamesDependOnWholeParagraphs)
{
    auto style = OTLNoteTextStyle::create();
    const QStringList six{NSBackgroundColorAttributeName, NSLigatureAttributeName,        NSAttachmentAttributeName,
                          NSLinkAttributeName,            NSWritingDirectionAttributeName, NSVerticalGlyphFormAttributeName};
    EXPECT_EQ(style->otherAllowedAttributeNames(), six + QStringList{NSParagraphStyleAttributeName});
    style->setApplyToParagraph(true);
    EXPECT_EQ(style->otherAllowedAttributeNames(), six);
}

TEST_F(StyleMatchingTest, OnlyTheTextsKeysAreCompared)
{
    const auto title = OTLNoteTextStyle::titleNoteTextStyle();
    EXPECT_TRUE(title->matchesAttributes({}));
    EXPECT_TRUE(title->matchesAttributes(title->attributes()));

    AttributeDictionary kerned = title->attributes();
    kerned.set(NSKernAttributeName, 1.5);
    EXPECT_FALSE(title->matchesAttributes(kerned));
    EXPECT_TRUE(title->matchesAttributes(kerned, QStringList{NSKernAttributeName}));

    AttributeDictionary decorated = title->attributes();
    decorated.set(NSBackgroundColorAttributeName, Color::withRGBA(1, 1, 0, 1));
    decorated.set(NSLinkAttributeName, QUrl("https://example.org/"));
    decorated.set(NSAttachmentAttributeName, std::make_shared<const TextAttachment>());
    EXPECT_TRUE(title->matchesAttributes(decorated));
    EXPECT_FALSE(title->matchesAttributes(decorated, std::nullopt));

    AttributeDictionary bigger;
    bigger.set(NSFontAttributeName, FontCatalog::shared().fontWithName("HelveticaNeue-Bold", 18));
    EXPECT_FALSE(title->matchesAttributes(bigger));
    AttributeDictionary underlined;
    underlined.set(NSUnderlineStyleAttributeName, 1);
    EXPECT_FALSE(title->matchesAttributes(underlined));
    // Numbers compare by value, whatever their kind.
    underlined.set(NSUnderlineStyleAttributeName, 0.0);
    EXPECT_TRUE(title->matchesAttributes(underlined));
}

TEST_F(StyleMatchingTest, WritingDirectionNeverDecides)
{
    const auto title = OTLNoteTextStyle::titleNoteTextStyle();
    AttributeDictionary attributes = title->attributes();
    ParagraphStyle paragraph = paragraphOf(attributes);
    paragraph.baseWritingDirection = WritingDirection::RightToLeft;
    attributes.set(NSParagraphStyleAttributeName, paragraph);
    EXPECT_TRUE(title->matchesAttributes(attributes));
    EXPECT_TRUE(title->matchesAttributes(attributes, std::nullopt));
    paragraph.alignment = TextAlignment::Center;
    attributes.set(NSParagraphStyleAttributeName, paragraph);
    EXPECT_FALSE(title->matchesAttributes(attributes));
}

TEST_F(StyleMatchingTest, CharacterStylesLookOnlyAtLineSpacing)
{
    const auto monospaced = OTLNoteTextStyle::monospacedNoteTextStyle();
    AttributeDictionary attributes = monospaced->attributes();
    ParagraphStyle paragraph = paragraphOf(attributes);
    paragraph.alignment = TextAlignment::Right;
    paragraph.paragraphSpacing = 8;
    attributes.set(NSParagraphStyleAttributeName, paragraph);
    EXPECT_TRUE(monospaced->matchesAttributes(attributes));
    paragraph.lineSpacing = 3;
    attributes.set(NSParagraphStyleAttributeName, paragraph);
    EXPECT_FALSE(monospaced->matchesAttributes(attributes));

    // Something else under the paragraph key matches nothing.
    AttributeDictionary bogus;
    bogus.set(NSParagraphStyleAttributeName, QString("centred"));
    EXPECT_FALSE(monospaced->matchesAttributes(bogus));
    EXPECT_FALSE(OTLNoteTextStyle::titleNoteTextStyle()->matchesAttributes(bogus));
}

TEST_F(StyleMatchingTest, MatchingStylesAndTheCatalogue)
{
    EXPECT_TRUE(OTLNoteTextStyle::defaultTitleNoteTextStyle()->matchesStyle(*OTLNoteTextStyle::titleNoteTextStyle()));
    EXPECT_FALSE(OTLNoteTextStyle::defaultBodyNoteTextStyle()->matchesStyle(*OTLNoteTextStyle::titleNoteTextStyle()));

    EXPECT_EQ(OTLNoteTextStyle::styleThatMatchesAttributes({}), OTLNoteTextStyle::titleNoteTextStyle());
    EXPECT_EQ(OTLNoteTextStyle::styleThatMatchesAttributes(OTLNoteTextStyle::bodyNoteTextStyle()->attributes()),
              OTLNoteTextStyle::bodyNoteTextStyle());
    EXPECT_EQ(OTLNoteTextStyle::styleThatMatchesAttributes(
                  OTLNoteTextStyle::monospacedNoteTextStyle()->attributes()),
              OTLNoteTextStyle::monospacedNoteTextStyle());

    auto custom = OTLNoteTextStyle::create();
    custom->setType(OTLNoteTextStyleTypeCustom);
    custom->setName("Red");
    custom->setForegroundColor(Color::withRGBA(1, 0, 0, 1));
    stylestest::saveStyles({custom});
    EXPECT_EQ(OTLNoteTextStyle::styleThatMatchesAttributes(custom->attributes()), custom);

    AttributeDictionary nothing;
    nothing.set(NSKernAttributeName, 2);
    EXPECT_EQ(OTLNoteTextStyle::styleThatMatchesAttributes(nothing), nullptr);
}

TEST_F(StyleMatchingTest, MergingTakesOverOnlyTheAllowedNames)
{
    AttributeDictionary text;
    text.set(NSLinkAttributeName, QUrl("https://example.org/"));
    text.set(NSKernAttributeName, 2);
    text.set(NSFontAttributeName, FontCatalog::shared().fontWithName("Menlo", 40));
    ParagraphStyle textParagraph;
    textParagraph.alignment = TextAlignment::Right;
    textParagraph.lineSpacing = 7;
    text.set(NSParagraphStyleAttributeName, textParagraph);

    const auto title = OTLNoteTextStyle::titleNoteTextStyle();
    const AttributeDictionary asTitle = title->attributesWithOtherAttributes(text);
    EXPECT_EQ(*asTitle.value(NSLinkAttributeName)->link(), QUrl("https://example.org/"));
    EXPECT_FALSE(asTitle.contains(NSKernAttributeName));
    EXPECT_EQ(asTitle.value(NSFontAttributeName)->font()->pointSize(), 17);
    EXPECT_EQ(paragraphOf(asTitle), title->paragraphStyle());

    // A character style keeps the text's paragraph, with its own line spacing.
    const auto monospaced = OTLNoteTextStyle::monospacedNoteTextStyle();
    const ParagraphStyle merged = paragraphOf(monospaced->attributesWithOtherAttributes(text));
    EXPECT_EQ(merged.alignment, TextAlignment::Right);
    EXPECT_EQ(merged.lineSpacing, 1.0);
    EXPECT_EQ(paragraphOf(monospaced->attributesWithOtherAttributes({})), monospaced->paragraphStyle());
    AttributeDictionary bogus;
    bogus.set(NSParagraphStyleAttributeName, 3);
    EXPECT_EQ(paragraphOf(monospaced->attributesWithOtherAttributes(bogus)), monospaced->paragraphStyle());
}

TEST_F(StyleMatchingTest, CustomStyleFromAttributes)
{
    AttributeDictionary attributes;
    attributes.set(NSFontAttributeName, FontCatalog::shared().fontWithName("Menlo", 11));
    ParagraphStyle paragraph;
    paragraph.alignment = TextAlignment::Justified;
    attributes.set(NSParagraphStyleAttributeName, paragraph);
    attributes.set(NSForegroundColorAttributeName, Color::black());
    attributes.set(NSUnderlineStyleAttributeName, 1);

    const auto style = OTLNoteTextStyle::customStyleFromAttributes(attributes);
    EXPECT_EQ(style->type(), OTLNoteTextStyleTypeCustom);
    EXPECT_EQ(style->name(), "New Style");
    EXPECT_EQ(style->customStyleIdentifier().size(), 36);
    EXPECT_EQ(style->fontName(), "Menlo-Regular");
    EXPECT_EQ(style->storedParagraphStyle(), paragraph);
    EXPECT_FALSE(style->storedForegroundColor());
    EXPECT_EQ(style->underlineStyle(), 1);
    EXPECT_EQ(style->strikethrough(), 0);
    EXPECT_FALSE(style->applyToParagraph());
    EXPECT_FALSE(style->resetOnNewLine());
    // Not saved until added.
    EXPECT_TRUE(OTLNoteTextStyle::customStyles().isEmpty());

    const auto empty = OTLNoteTextStyle::customStyleFromAttributes({});
    EXPECT_FALSE(empty->storedFont());
    EXPECT_FALSE(empty->storedParagraphStyle());
}
