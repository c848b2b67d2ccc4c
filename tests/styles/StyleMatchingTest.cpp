#include "styles/StyleTestSupport.h"

#include <QUrl>

using namespace platform;
using namespace stylestest;

namespace {

using StyleMatchingTest = CatalogueTest;

ParagraphStyle paragraphOf(const AttributeDictionary& attributes)
{
    return *attributes.value(NSParagraphStyleAttributeName)->paragraphStyle();
}

AttributeDictionary withParagraph(AttributeDictionary attributes, const std::function<void(ParagraphStyle&)>& change)
{
    ParagraphStyle paragraph = paragraphOf(attributes);
    change(paragraph);
    attributes.set(NSParagraphStyleAttributeName, paragraph);
    return attributes;
}

} // namespace

TEST_F(StyleMatchingTest, OnlyTheTextsOwnKeysDecideAndTheCatalogueAnswersInItsOrder)
{
    const auto title = OTLNoteTextStyle::titleNoteTextStyle();
    EXPECT_TRUE(title->matchesAttributes({}));
    AttributeDictionary text = title->attributes();
    text.set(NSKernAttributeName, 1.5);
    EXPECT_FALSE(title->matchesAttributes(text));
    EXPECT_TRUE(title->matchesAttributes(text, QStringList{NSKernAttributeName}));

    text.remove(NSKernAttributeName);
    text.set(NSBackgroundColorAttributeName, Color::withRGBA(1, 1, 0, 1));
    text.set(NSLinkAttributeName, QUrl("https://example.org/"));
    EXPECT_TRUE(title->matchesAttributes(text));
    EXPECT_FALSE(title->matchesAttributes(text, std::nullopt));

    // Paragraph values decide.
    EXPECT_FALSE(title->matchesAttributes(
        withParagraph(title->attributes(), [](ParagraphStyle& p) { p.alignment = TextAlignment::Center; })));

    // A character style looks at the paragraph's line spacing only.
    const auto monospaced = OTLNoteTextStyle::monospacedNoteTextStyle();
    EXPECT_FALSE(monospaced->matchesAttributes(
        withParagraph(monospaced->attributes(), [](ParagraphStyle& p) { p.lineSpacing = 3; })));

    // The catalogue answers with its first match, in its order.
    EXPECT_EQ(OTLNoteTextStyle::styleThatMatchesAttributes({}), title);
    EXPECT_EQ(OTLNoteTextStyle::styleThatMatchesAttributes(monospaced->attributes()), monospaced);
    AttributeDictionary kerned;
    kerned.set(NSKernAttributeName, 2);
    EXPECT_EQ(OTLNoteTextStyle::styleThatMatchesAttributes(kerned), nullptr);
}

TEST_F(StyleMatchingTest, MergingTakesOverOnlyTheAllowedNames)
{
    AttributeDictionary text;
    text.set(NSLinkAttributeName, QUrl("https://example.org/"));
    text.set(NSKernAttributeName, 2);
    ParagraphStyle textParagraph;
    textParagraph.alignment = TextAlignment::Right;
    textParagraph.lineSpacing = 7;
    text.set(NSParagraphStyleAttributeName, textParagraph);

    const auto title = OTLNoteTextStyle::titleNoteTextStyle();
    const AttributeDictionary asTitle = title->attributesWithOtherAttributes(text);
    EXPECT_EQ(*asTitle.value(NSLinkAttributeName)->link(), QUrl("https://example.org/"));
    EXPECT_FALSE(asTitle.contains(NSKernAttributeName));
    EXPECT_EQ(paragraphOf(asTitle), title->paragraphStyle());

    // A character style keeps the text's paragraph with its own line spacing.
    const auto monospaced = OTLNoteTextStyle::monospacedNoteTextStyle();
    const ParagraphStyle merged = paragraphOf(monospaced->attributesWithOtherAttributes(text));
    EXPECT_EQ(merged.alignment, TextAlignment::Right);
    EXPECT_EQ(merged.lineSpacing, 1.0);
    AttributeDictionary bogus;
    bogus.set(NSParagraphStyleAttributeName, 3);
    EXPECT_EQ(paragraphOf(monospaced->attributesWithOtherAttributes(bogus)), monospaced->paragraphStyle());
}

TEST_F(StyleMatchingTest, CustomStyleFromAttributes)
{
    AttributeDictionary attributes;
    attributes.set(NSFontAttributeName, FontCatalog::shared().fontWithName("Menlo", 11));
    attributes.set(NSForegroundColorAttributeName, Color::black());
    attributes.set(NSUnderlineStyleAttributeName, 1);
    const auto style = OTLNoteTextStyle::customStyleFromAttributes(attributes);
    EXPECT_EQ(style->name(), "New Style");
    EXPECT_EQ(style->customStyleIdentifier().size(), 36);
    EXPECT_EQ(style->fontName(), "Menlo-Regular");
    EXPECT_FALSE(style->storedParagraphStyle());
    EXPECT_FALSE(style->storedForegroundColor());
    EXPECT_EQ(style->underlineStyle(), 1);
    EXPECT_TRUE(OTLNoteTextStyle::customStyles().isEmpty());
}
