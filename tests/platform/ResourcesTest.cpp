#include "platform/Resources.h"

#include <QFileInfo>
#include <QLocale>
#include <gtest/gtest.h>

namespace {

// Restores the locale the other tests expect.
struct DefaultLocale {
    explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(QLocale::c()); }
};

} // namespace

// A resource written for the user's language wins over the English one;
// a language without one, or English, gets the English one.
TEST(Resources, TheUsersLanguageComesFirst)
{
    const struct {
        const char* locale;
        const char* name;
        const char* type;
        const char* expected; // file name, or empty for no resource
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
        const QUrl url = platform::urlForResource(QString::fromLatin1(c.name), QString::fromLatin1(c.type));
        EXPECT_EQ(QFileInfo(url.toLocalFile()).fileName(), QString::fromLatin1(c.expected));
    }
}
