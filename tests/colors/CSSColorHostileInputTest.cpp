#include "colors/CSSColorParsing.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <algorithm>
#include <array>
#include <cmath>
#include <random>

using platform::ColorRef;

namespace {

// Whatever one parser reads, the CSS parser reads too, and its answer has finite components.
void expectSane(const QString& text)
{
    const ColorRef color = otl::colorWithCSS(text);
    const std::string shown = text.left(200).toStdString();
    for (const auto parse : {otl::colorWithHexString, otl::colorWithRGBString, otl::colorWithHSLString,
                             otl::colorWithW3CNamedColor})
        EXPECT_TRUE(color || !parse(text)) << shown;
    if (!color)
        return;
    const auto rgba = color->rgba();
    const auto white = color->whiteAlpha();
    ASSERT_TRUE(rgba || white) << shown;
    const std::array<double, 4> values = rgba ? std::array{rgba->red, rgba->green, rgba->blue, rgba->alpha}
                                               : std::array{white->white, white->alpha, 0.0, 0.0};
    EXPECT_TRUE(std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); })) << shown;
}

TEST(CSSColorHostileInput, CorpusReplay)
{
    const QDir dir(QStringLiteral(NI_CSS_COLOR_CORPUS));
    const QStringList files = dir.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        const QByteArray bytes = testsupport::readFile(dir.filePath(name));
        expectSane(QString::fromUtf8(bytes));
        expectSane(QString(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2));
    }
}

TEST(CSSColorHostileInput, GeneratedStrings)
{
    static const char16_t* const kPieces[] = {
        u"rgb", u"rgba", u"hsl", u"hsla", u"gray", u"#", u"(", u")", u",", u"%", u".", u"-", u"+", u"e", u"E",
        u"1e39", u"-1e39", u"1e-50", u"nan", u"inf", u"0x", u"0", u"9", u"255", u"360", u"50%", u"-100%",
        u"fF", u"abc", u"12345678", u" ", u"\n", u"\u2028", u"\u00a0", u"\xd800", u"\xdc00", u"\xfeff",
        u"red", u"Gray", u"transparent", u"LightGoldenRodYellow", u"\u212a", u"\0",
    };
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> pieceCount(0, 12);
    std::uniform_int_distribution<std::size_t> pieceIndex(0, std::size(kPieces));
    std::uniform_int_distribution<int> unit(0, 0xFFFF);
    for (int i = 0; i < 100000; ++i) {
        QString text;
        for (int n = pieceCount(random); n > 0; --n) {
            const std::size_t index = pieceIndex(random);
            if (index == std::size(kPieces))
                text += QChar(char16_t(unit(random)));
            else
                text += QString::fromUtf16(kPieces[index]);
        }
        expectSane(text);
        if (HasFailure())
            return;
    }
}

TEST(CSSColorHostileInput, LongInputs)
{
    expectSane(QString(1 << 20, u'9'));
    expectSane("rgb(" + QString(1 << 20, u'1') + ",0,0)");
    expectSane("#" + QString(1 << 20, u'f'));
    expectSane(QString("rgb(").repeated(1 << 16));
    expectSane(QString(1 << 20, QChar(0xD800)));
    expectSane(QString(" ").repeated(1 << 20) + "red");
    EXPECT_TRUE(otl::colorWithCSS(QString("\n").repeated(1 << 16) + "red" + QString(" ").repeated(1 << 16)));
}

} // namespace
