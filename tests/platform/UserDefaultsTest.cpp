#include "platform/FileManager.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "platform/Xdg.h"
#include "support/TestSupport.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace platform;

namespace {

class UserDefaultsTest : public ::testing::Test {
protected:
    // Writes a domain file the way another program would.
    void writeDomain(const QString& domain, const QVariantMap& values, plist::Format format)
    {
        const auto bytes = plist::dataFromPropertyList(values, format, nullptr);
        ASSERT_TRUE(bytes);
        testsupport::writeFile(UserDefaults::pathForDomain(domain), *bytes);
    }

    testsupport::PrivateHome m_home;
};

TEST_F(UserDefaultsTest, OwnDomainWinsOverSuitesInOrder)
{
    writeDomain("own", {{"A", "own"}, {"data", QByteArray("\x00\x01", 2)}, {"number", 3.5}, {"flag", QString("YES")}},
                plist::Format::Binary);
    writeDomain("first", {{"A", "first"}, {"B", "first"}}, plist::Format::XML);
    writeDomain("second", {{"B", "second"}, {"C", true}}, plist::Format::Binary);

    UserDefaults defaults("own");
    EXPECT_FALSE(defaults.object("B").isValid());
    defaults.addSuite("first");
    defaults.addSuite("second");
    defaults.addSuite("first"); // no second entry
    EXPECT_EQ(defaults.suites(), (QStringList{"first", "second"}));
    EXPECT_EQ(defaults.string("A"), "own");
    EXPECT_EQ(defaults.string("B"), "first");
    EXPECT_TRUE(defaults.boolValue("C"));
    EXPECT_FALSE(defaults.boolValue("missing"));
    // The accessors, over what the property list reader gives.
    EXPECT_EQ(defaults.data("data"), QByteArray("\x00\x01", 2));
    EXPECT_TRUE(defaults.string("data").isEmpty());
    EXPECT_DOUBLE_EQ(defaults.object("number").toDouble(), 3.5);
    EXPECT_TRUE(defaults.boolValue("flag"));
}

TEST_F(UserDefaultsTest, NoContainerOutsideTheDataFolderAndRelativeBasesMeanTheDefault)
{
    EXPECT_TRUE(FileManager::defaultManager()->containerURL("../escape").isEmpty());
    qputenv("XDG_CONFIG_HOME", "relative/path");
    EXPECT_EQ(xdg::configHome(), QDir::homePath() + "/.config");
}

} // namespace
