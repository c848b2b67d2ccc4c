#include "colors/HTMLColorsScanner.h"

#include "colors/CSSColorParsing.h"
#include "colors/W3CNamedColors.h"

#include <cmath>

namespace hcs {

namespace {

constexpr double kBy255 = 1.0 / 255.0;
constexpr double kBy360 = 1.0 / 360.0;

bool fail(ColorRef* color)
{
    if (color)
        *color = nullptr;
    return false;
}

bool succeed(ColorRef* color, ColorRef made)
{
    if (color)
        *color = std::move(made);
    return true;
}

// One or two hex digits, each digit of a one-digit piece standing for itself twice.
unsigned hexPiece(const QString& digits, qsizetype from, qsizetype length)
{
    QString piece = digits.mid(from, length);
    if (length == 1)
        piece += piece;
    Scanner pieceScanner(piece);
    unsigned value = 0;
    pieceScanner.scanHexInt(&value);
    return value;
}

template <std::size_t N>
bool scanFloats(Scanner& scanner, std::array<double, N>* values, const std::array<double, N>& scale)
{
    std::array<double, N> read{};
    bool ok = false;
    hcs_withSkip(scanner, CharacterSet::whitespaceAndNewline(), [&] {
        if (!scanner.scanString(u"("))
            return;
        for (std::size_t i = 0; i < N; ++i) {
            if (i > 0 && !scanner.scanString(u","))
                return;
            if (!hcs_scanNum(scanner, &read[i], scale[i]))
                return;
        }
        ok = scanner.scanString(u")");
    });
    if (values)
        *values = read;
    return ok;
}

} // namespace

Range hcs_rangeFromScanLocation(const Scanner& scanner)
{
    return {scanner.scanLocation(), scanner.string().size() - scanner.scanLocation()};
}

void hcs_skipCharactersInSet(Scanner& scanner, const CharacterSet& set)
{
    hcs_withNoSkip(scanner, [&] { scanner.scanCharactersFromSet(set); });
}

void hcs_skip(Scanner& scanner)
{
    if (const auto& skip = scanner.charactersToBeSkipped())
        hcs_skipCharactersInSet(scanner, CharacterSet(*skip));
}

Range hcs_scanCharactersInSet(Scanner& scanner, const CharacterSet& set, qsizetype maxLength, QString* into)
{
    const QString& string = scanner.string();
    const qsizetype start = scanner.scanLocation();
    const qsizetype limit = maxLength < 0 ? start : std::min(string.size(), start + std::min(maxLength, string.size()));
    qsizetype end = start;
    while (end < limit && set.contains(string[end].unicode()))
        ++end;
    if (into)
        *into = string.mid(start, end - start);
    scanner.setScanLocation(end);
    return {start, end - start};
}

bool hcs_scanHexTriple(Scanner& scanner, ColorRef* color)
{
    QString digits;
    const Range run = hcs_scanCharactersInSet(scanner, otl::hexDigitCharacterSet(), 8, &digits);
    const qsizetype n = run.length;
    if (n < 3)
        return fail(color);
    unsigned red, green, blue;
    double alpha = 1.0;
    if (n <= 5) {
        red = hexPiece(digits, 0, 1);
        green = hexPiece(digits, 1, 1);
        blue = hexPiece(digits, 2, 1);
        if (n == 3) {
            scanner.setScanLocation(run.location + 3);
        } else {
            alpha = hexPiece(digits, 3, 1) / 255.0;
            // A fifth digit is left for the caller, which then is not at its end.
            scanner.setScanLocation(run.location + 4);
        }
    } else {
        red = hexPiece(digits, 0, 2);
        green = hexPiece(digits, 2, 2);
        blue = hexPiece(digits, 4, 2);
        if (n == 8)
            alpha = hexPiece(digits, 6, 2) / 255.0;
    }
    return succeed(color, platform::Color::withRGBA(red / 255.0, green / 255.0, blue / 255.0, alpha));
}

bool hcs_scanNum(Scanner& scanner, double* value, double scale)
{
    float number = 0;
    if (!scanner.scanFloat(&number))
        return false;
    const bool percent = scanner.scanString(u"%");
    if (value)
        *value = double(float(double(number) * (percent ? 0.01 : scale)));
    return true;
}

bool hcs_scanFloatTriple(Scanner& scanner, Triple* values, const Triple& scale)
{
    return scanFloats(scanner, values, scale);
}

bool hcs_scanFloatQuad(Scanner& scanner, Quad* values, const Quad& scale)
{
    return scanFloats(scanner, values, scale);
}

bool scanHexColor(Scanner& scanner, ColorRef* color)
{
    ColorRef made;
    const bool ok = hcs_resetScanLocationOnFailure(
        scanner, [&] { return scanner.scanString(u"#") && hcs_scanHexTriple(scanner, &made); });
    return ok ? succeed(color, std::move(made)) : fail(color);
}

bool scanRGBColor(Scanner& scanner, ColorRef* color)
{
    ColorRef made;
    const bool ok = hcs_caseInsensitiveWithCleanup(scanner, [&] {
        if (scanner.scanString(u"rgba")) {
            Quad v;
            if (!hcs_scanFloatQuad(scanner, &v, {kBy255, kBy255, kBy255, 1.0}))
                return false;
            made = platform::Color::withRGBA(v[0], v[1], v[2], v[3]);
            return true;
        }
        if (scanner.scanString(u"rgb")) {
            Triple v;
            if (!hcs_scanFloatTriple(scanner, &v, {kBy255, kBy255, kBy255}))
                return false;
            made = platform::Color::withRGBA(v[0], v[1], v[2], 1.0);
            return true;
        }
        return false;
    });
    return ok ? succeed(color, std::move(made)) : fail(color);
}

bool scanHSLColor(Scanner& scanner, ColorRef* color)
{
    ColorRef made;
    const bool ok = hcs_caseInsensitiveWithCleanup(scanner, [&] {
        Quad v{0, 0, 0, 1.0};
        if (scanner.scanString(u"hsla")) {
            if (!hcs_scanFloatQuad(scanner, &v, {kBy360, 1.0, 1.0, 1.0}))
                return false;
        } else if (scanner.scanString(u"hsl")) {
            Triple t;
            if (!hcs_scanFloatTriple(scanner, &t, {kBy360, 1.0, 1.0}))
                return false;
            v = {t[0], t[1], t[2], 1.0};
        } else {
            return false;
        }
        const double h = v[0], s = v[1], l = v[2];
        // Wrap into 0...1; a hue too large for a fraction has none left.
        double hue = h - std::floor(h);
        if (!std::isfinite(hue))
            hue = 0;
        const double t = 2 * l;
        const double m = t <= 1 ? t : 2 - t;
        const double sPrime = s * m;
        // A negative saturation can cancel the lightness; that is black, not 1/0.
        const double saturation = sPrime == 0 || t + sPrime == 0 ? 0 : 2 * sPrime / (t + sPrime);
        const double brightness = (t + sPrime) / 2;
        made = platform::Color::withHSBA(hue, saturation, brightness, v[3]);
        return true;
    });
    return ok ? succeed(color, std::move(made)) : fail(color);
}

bool scanGrayColor(Scanner& scanner, ColorRef* color)
{
    ColorRef made;
    const bool ok = hcs_caseInsensitiveWithCleanup(scanner, [&] {
        double white = 0;
        if (!scanner.scanString(u"gray") || !scanner.scanString(u"(") || !hcs_scanNum(scanner, &white, kBy255))
            return false;
        double alpha = 1.0;
        hcs_resetScanLocationOnFailure(
            scanner, [&] { return scanner.scanString(u",") && hcs_scanNum(scanner, &alpha, kBy255); });
        if (!scanner.scanString(u")"))
            return false;
        made = platform::Color::withWhite(white, alpha);
        return true;
    });
    return ok ? succeed(color, std::move(made)) : fail(color);
}

bool scanW3CNamedColor(Scanner& scanner, ColorRef* color)
{
    ColorRef made;
    const bool ok = hcs_caseInsensitiveWithCleanup(scanner, [&] {
        // Skipped once here rather than once per name; a failure puts it back.
        hcs_skip(scanner);
        for (const QString& name : otl::w3cColorNamesLongestFirst()) {
            if (scanner.scanString(name)) {
                made = otl::colorWithHexString(otl::w3cColorTable().value(name));
                return made != nullptr;
            }
        }
        return false;
    });
    return ok ? succeed(color, std::move(made)) : fail(color);
}

bool scanCSSColor(Scanner& scanner, ColorRef* color)
{
    return scanHexColor(scanner, color) || scanRGBColor(scanner, color) || scanHSLColor(scanner, color)
           || scanGrayColor(scanner, color) || scanW3CNamedColor(scanner, color);
}

} // namespace hcs
