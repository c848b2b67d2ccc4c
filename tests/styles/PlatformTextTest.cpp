// Attribute dictionaries of the platform layer; here because the font
// catalogue needs a GUI application object.

#include "platform/Color.h"
#include "platform/Font.h"
#include "platform/TextAttributes.h"

#include <gtest/gtest.h>

using namespace platform;

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
    EXPECT_TRUE(FontCatalog::shared().familyNames().contains("Menlo"));

    auto attachment = std::make_shared<const TextAttachment>(TextAttachment{"a.pdf", "x"});
    auto same = std::make_shared<const TextAttachment>(TextAttachment{"a.pdf", "x"});
    EXPECT_EQ(AttributeValue(attachment), AttributeValue(attachment));
    EXPECT_NE(AttributeValue(attachment), AttributeValue(same));
}

