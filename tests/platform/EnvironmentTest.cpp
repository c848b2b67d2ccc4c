#include "platform/FileManager.h"
#include "platform/HTMLImport.h"
#include "platform/PropertyList.h"
#include "platform/Resources.h"
#include "platform/UserDefaults.h"
#include "platform/Xdg.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <gtest/gtest.h>

using namespace platform;

namespace {

class UserDefaultsTest : public ::testing::Test {
protected:
    // Writes a domain file the way another program would.
    void writeDomain(const QString& domain, const QVariantMap& values, plist::Format format)
    {
        const QByteArray bytes = plist::dataFromPropertyList(values, format, nullptr).value();
        testsupport::writeFile(UserDefaults::pathForDomain(domain), bytes);
    }

    testsupport::PrivateHome m_home;
};

// Restores the locale the other tests expect.
struct DefaultLocale {
    explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(QLocale::c()); }
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

    // No container outside the data folder, and a relative base means the default.
    EXPECT_TRUE(FileManager::defaultManager()->containerURL("../escape").isEmpty());
    qputenv("XDG_CONFIG_HOME", "relative/path");
    EXPECT_EQ(xdg::configHome(), QDir::homePath() + "/.config");
}

// A resource written for the user's language wins over the English one;
// a language without one, or English, gets the English one.
TEST(Resources, TheUsersLanguageComesFirst)
{
    const struct {
        const char *locale, *name, *type, *expected; // expected: a file name, or empty for no resource
    } cases[] = {
        {"de_DE", "Info", "rtf", "Info_de.rtf"},
        {"de_AT", "Info", "rtf", "Info_de.rtf"},
        {"fr_FR", "Info", "rtf", "Info.rtf"},
        {"en_GB", "Info", "rtf", "Info.rtf"},
        {"de_DE", "NamedColors", "json", "NamedColors.json"},
        {"de_DE", "NoSuchResource", "rtf", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + ' ' + c.name);
        const DefaultLocale locale{QLocale(QString::fromLatin1(c.locale))};
        const QUrl url = urlForResource(QString::fromLatin1(c.name), QString::fromLatin1(c.type));
        EXPECT_EQ(QFileInfo(url.toLocalFile()).fileName(), QString::fromLatin1(c.expected));
    }
}

// These tests run with a plain application object, where Qt's HTML importer
// would crash: the import must refuse instead.
TEST(HTMLImport, WithoutAGUIApplicationIsAnErrorNotACrash)
{
    Error error;
    EXPECT_FALSE(attributedStringFromHTML("<html><body><h1>x</h1></body></html>", &error));
    EXPECT_EQ(error.domain(), QString::fromLatin1(kHTMLImportErrorDomain));
    EXPECT_FALSE(error.localizedDescription().isEmpty());
}

} // namespace
