// Fonts, paragraph styles and attribute dictionaries of the platform layer;
// here because the font catalogue needs a GUI application object.

#include "platform/Font.h"
#include "platform/ParagraphStyle.h"
#include "platform/TextAttributes.h"
#include "support/TestSupport.h"

#include <QFontDatabase>
#include <gtest/gtest.h>

using namespace platform;

TEST(FontCatalog, BuiltInFamiliesByFaceFamilyAndDescriptor)
{
    const FontCatalog& fonts = FontCatalog::shared();
    FontRef bold = fonts.fontWithName("HelveticaNeue-Bold", 17);
    ASSERT_TRUE(bold);
    EXPECT_EQ(bold->familyName(), "Helvetica Neue");
    EXPECT_EQ(bold->pointSize(), 17.0);
    EXPECT_EQ(bold->weight(), NSFontWeightBold);

    // A family name stands for its regular face.
    FontRef menlo = fonts.fontWithName("Menlo", 11);
    ASSERT_TRUE(menlo);
    EXPECT_EQ(menlo->fontName(), "Menlo-Regular");

    FontRef described = fonts.fontWithDescriptor({"Menlo", NSFontWeightBold}, 12);
    ASSERT_TRUE(described);
    EXPECT_EQ(described->fontName(), "Menlo-Bold");
    // The nearest weight wins when the family has no exact one.
    EXPECT_EQ(fonts.fontWithDescriptor({"Helvetica Neue", NSFontWeightHeavy}, 12)->fontName(), "HelveticaNeue-Bold");
    EXPECT_EQ(fonts.fontWithDescriptor({"Helvetica Neue", NSFontWeightLight}, 12)->fontName(), "HelveticaNeue");
}

TEST(FontCatalog, UnknownNamesGiveNoFontAndSizeZeroGivesTheDefault)
{
    const FontCatalog& fonts = FontCatalog::shared();
    EXPECT_FALSE(fonts.fontWithName("NoSuchFont-Regular", 12));
    EXPECT_FALSE(fonts.fontWithName("", 12));
    EXPECT_FALSE(fonts.fontWithDescriptor({"No Such Family", NSFontWeightBold}, 12));
    // Face names are case-sensitive, as PostScript names are.
    EXPECT_FALSE(fonts.fontWithName("helveticaneue", 12));

    EXPECT_EQ(fonts.fontWithName("HelveticaNeue", 0)->pointSize(), FontCatalog::kDefaultFontSize);
    FontRef user = fonts.userFontOfSize(0);
    ASSERT_TRUE(user);
    EXPECT_EQ(user->fontName(), "HelveticaNeue");
    EXPECT_EQ(user->pointSize(), 12.0);
}

TEST(FontCatalog, KnowsTheInstalledFamilies)
{
    const QStringList installed = QFontDatabase::families();
    if (installed.isEmpty())
        GTEST_SKIP() << "no fonts installed";
    const QStringList known = FontCatalog::shared().familyNames();
    for (const QString& family : installed) {
        if (!QFontDatabase::styles(family).isEmpty()) {
            EXPECT_TRUE(known.contains(family)) << family.toStdString();
        }
    }
    EXPECT_TRUE(FontCatalog::shared().fontWithName(installed.first(), 10) ||
                QFontDatabase::styles(installed.first()).isEmpty());
}

TEST(ParagraphStyle, DefaultIsNaturalAndEqualityCoversTabs)
{
    const ParagraphStyle& standard = ParagraphStyle::defaultParagraphStyle();
    EXPECT_EQ(standard.alignment, TextAlignment::Natural);
    EXPECT_EQ(int(standard.baseWritingDirection), -1);
    ParagraphStyle copy = standard;
    EXPECT_EQ(copy, standard);
    copy.tabStops.removeLast();
    EXPECT_NE(copy, standard);
}

TEST(AttributeValue, ComparesByValue)
{
    EXPECT_EQ(AttributeValue(1), AttributeValue(1.0));
    EXPECT_NE(AttributeValue(1), AttributeValue(QString("1")));
    EXPECT_EQ(AttributeValue(FontCatalog::shared().fontWithName("Menlo", 12)),
              AttributeValue(FontCatalog::shared().fontWithName("Menlo-Regular", 12)));
    EXPECT_NE(AttributeValue(FontCatalog::shared().fontWithName("Menlo", 12)),
              AttributeValue(FontCatalog::shared().fontWithName("Menlo", 13)));
    EXPECT_EQ(AttributeValue(Color::withRGBA(0.1, 0.2, 0.3, 1)), AttributeValue(Color::withRGBA(0.1, 0.2, 0.3, 1)));
    EXPECT_NE(AttributeValue(Color::withRGBA(0.1, 0.2, 0.3, 1)), AttributeValue(Color::withRGBA(0.1, 0.2, 0.3, 0.5)));
    EXPECT_EQ(AttributeValue(Color::textColor()), AttributeValue(Color::textColor()));

    auto attachment = std::make_shared<const TextAttachment>(TextAttachment{"a.pdf", "x"});
    auto same = std::make_shared<const TextAttachment>(TextAttachment{"a.pdf", "x"});
    EXPECT_EQ(AttributeValue(attachment), AttributeValue(attachment));
    EXPECT_NE(AttributeValue(attachment), AttributeValue(same));
}

TEST(AttributeDictionary, KeepsFirstOrderAndComparesWithoutIt)
{
    AttributeDictionary a;
    a.set(NSFontAttributeName, FontCatalog::shared().userFontOfSize(12));
    a.set(NSUnderlineStyleAttributeName, 1);
    a.set(NSFontAttributeName, FontCatalog::shared().userFontOfSize(14));
    EXPECT_EQ(a.keys(), (QStringList{NSFontAttributeName, NSUnderlineStyleAttributeName}));
    EXPECT_EQ(a.value(NSFontAttributeName)->font()->pointSize(), 14.0);
    EXPECT_FALSE(a.value(NSLinkAttributeName));

    AttributeDictionary b;
    b.set(NSUnderlineStyleAttributeName, 1.0);
    b.set(NSFontAttributeName, FontCatalog::shared().userFontOfSize(14));
    EXPECT_EQ(a, b);
    b.set(NSLinkAttributeName, QUrl("https://example.com"));
    EXPECT_NE(a, b);
    b.remove(NSLinkAttributeName);
    EXPECT_EQ(a, b);
}

