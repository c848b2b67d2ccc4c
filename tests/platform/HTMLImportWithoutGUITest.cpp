#include "platform/HTMLImport.h"

#include <gtest/gtest.h>

// These tests run with a plain application object, where Qt's HTML importer
// would crash: the import must refuse instead.
TEST(HTMLImport, WithoutAGUIApplicationIsAnErrorNotACrash)
{
    platform::Error error;
    EXPECT_FALSE(platform::attributedStringFromHTML("<html><body><h1>x</h1></body></html>", &error));
    EXPECT_EQ(error.domain(), QString::fromLatin1(platform::kHTMLImportErrorDomain));
    EXPECT_FALSE(error.localizedDescription().isEmpty());
}
