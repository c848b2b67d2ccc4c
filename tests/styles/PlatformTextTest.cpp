// Fonts, paragraph styles and attribute dictionaries of the platform layer;
// here because the font catalogue needs a GUI application object.

#include "platform/Font.h"
#include "platform/ParagraphStyle.h"
#include "platform/TextAttributes.h"
#include "support/TestSupport.h"

#include <QFontDatabase>
#include <QStringEncoder>
#include <QtEndian>
#include <gtest/gtest.h>
#include <tuple>

using namespace platform;

namespace {

// Test fonts made from a free font that the build's packages install: one
// family from two foundries, and a family with an italic face only. Names
// keep the length of "DejaVu Sans", so the font's tables keep their layout.
const QByteArray kSourceFamily = "DejaVu Sans";
const QString kTwinFamily = QStringLiteral("Twinned Fam");
const QString kItalicOnlyFamily = QStringLiteral("Slanted Fam");

// The font at `path` under another family name and foundry (vendor id).
QByteArray fontVariant(const QString& path, const QString& family, const QByteArray& vendor)
{
    QByteArray font = testsupport::readFile(path);
    font.replace(kSourceFamily, family.toLatin1());
    QStringEncoder utf16(QStringConverter::Utf16BE);
    font.replace(QByteArray(utf16(QString::fromLatin1(kSourceFamily))), QByteArray(utf16(family)));
    const quint32 tables = font.size() >= 12 ? qFromBigEndian<quint16>(font.constData() + 4) : 0;
    for (quint32 i = 0; i < tables && 12 + 16 * (i + 1) <= quint32(font.size()); ++i) {
        const qsizetype record = 12 + 16 * i;
        const quint32 offset = qFromBigEndian<quint32>(font.constData() + record + 8);
        if (font.mid(record, 4) == "OS/2" && offset + 62 <= quint32(font.size()))
            font.replace(offset + 58, 4, vendor); // achVendID, which names the foundry
    }
    return font;
}

class TestFonts : public testing::Environment {
public:
    // Before any test, so the catalogue, made on first use, sees them.
    void SetUp() override
    {
        const QString directory = QStringLiteral("/usr/share/fonts/truetype/dejavu/");
        for (const auto& [file, family, vendor] : {std::tuple{"DejaVuSans.ttf", kTwinFamily, "TwA1"},
                                                   std::tuple{"DejaVuSans.ttf", kTwinFamily, "TwB2"},
                                                   std::tuple{"DejaVuSans-Oblique.ttf", kItalicOnlyFamily, "TwA1"}}) {
            const QByteArray font = fontVariant(directory + QLatin1String(file), family, vendor);
            if (font.isEmpty() || QFontDatabase::addApplicationFontFromData(font) < 0)
                return;
        }
        installed = true;
    }
    static inline bool installed = false;
};

[[maybe_unused]] testing::Environment* const kTestFonts = testing::AddGlobalTestEnvironment(new TestFonts);

} // namespace

// Where two foundries install one family, the font database lists it once
// for each ("Nimbus Sans [URW ]"); documents and saved styles name it plainly.
TEST(FontCatalog, KnowsFamiliesOfSeveralFoundriesAndItalicOnlyFamiliesByName)
{
    if (!TestFonts::installed)
        GTEST_SKIP() << "the test fonts could not be made from DejaVu Sans";
    const QStringList listed = QFontDatabase::families().filter(kTwinFamily);
    if (listed.size() < 2)
        GTEST_SKIP() << "the font database does not list foundries here";
    const FontCatalog& fonts = FontCatalog::shared();
    const QStringList known = fonts.familyNames();
    // Known once, by its plain name.
    EXPECT_EQ(known.filter(kTwinFamily), QStringList{kTwinFamily}) << listed.join(", ").toStdString();
    EXPECT_TRUE(known.contains(kItalicOnlyFamily));

    for (const QString& family : {kTwinFamily, kItalicOnlyFamily}) {
        const FontRef regular = fonts.fontWithName(family, 12);
        ASSERT_TRUE(regular) << family.toStdString();
        EXPECT_EQ(regular->familyName(), family);
        EXPECT_FALSE(regular->fontName().contains(QLatin1Char('[')));
        const FontRef described = fonts.fontWithDescriptor({family, NSFontWeightBold}, 12);
        ASSERT_TRUE(described);
        EXPECT_EQ(described->familyName(), family);
    }
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

