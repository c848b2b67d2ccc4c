#pragma once

#include "platform/Color.h"
#include "platform/Scanner.h"

#include <array>
#include <optional>
#include <utility>

// Colour scans over a scanner. Every colour scan writes its colour (null on
// failure) when `color` is given, and puts the scan location back when it
// fails, so the next alternative starts at the same place.
namespace hcs {

using platform::CharacterSet;
using platform::ColorRef;
using platform::Scanner;

// Hex, rgb()/rgba(), hsl()/hsla(), gray() or a named colour, first match wins.
bool scanCSSColor(Scanner& scanner, ColorRef* color = nullptr);
bool scanRGBColor(Scanner& scanner, ColorRef* color = nullptr);
bool scanGrayColor(Scanner& scanner, ColorRef* color = nullptr);
bool scanHSLColor(Scanner& scanner, ColorRef* color = nullptr);
bool scanHexColor(Scanner& scanner, ColorRef* color = nullptr);
// Matches a name as a prefix; what follows is left for the caller.
bool scanW3CNamedColor(Scanner& scanner, ColorRef* color = nullptr);

// Runs `run` with `set` (or nothing) as the characters to be skipped.
template <typename Run>
void hcs_withSkip(Scanner& scanner, std::optional<CharacterSet> set, Run&& run)
{
    std::optional<CharacterSet> saved = scanner.charactersToBeSkipped();
    scanner.setCharactersToBeSkipped(std::move(set));
    std::forward<Run>(run)();
    scanner.setCharactersToBeSkipped(std::move(saved));
}

template <typename Run>
void hcs_withNoSkip(Scanner& scanner, Run&& run)
{
    hcs_withSkip(scanner, std::nullopt, std::forward<Run>(run));
}

struct Range {
    qsizetype location = 0;
    qsizetype length = 0;
    bool operator==(const Range&) const = default;
};

// From the scan location to the end of the string.
Range hcs_rangeFromScanLocation(const Scanner& scanner);

// Drops a run of `set` at the scan location, skipping nothing before it.
void hcs_skipCharactersInSet(Scanner& scanner, const CharacterSet& set);
// The same with the scanner's own characters to be skipped.
void hcs_skip(Scanner& scanner);

template <typename Block>
bool hcs_resetScanLocationOnFailure(Scanner& scanner, Block&& block)
{
    const qsizetype location = scanner.scanLocation();
    const bool ok = std::forward<Block>(block)();
    if (!ok)
        scanner.setScanLocation(location);
    return ok;
}

// Runs `block` ignoring case; the location is put back when it fails and
// the case flag always.
template <typename Block>
bool hcs_caseInsensitiveWithCleanup(Scanner& scanner, Block&& block)
{
    const qsizetype location = scanner.scanLocation();
    const bool caseSensitive = scanner.caseSensitive();
    scanner.setCaseSensitive(false);
    const bool ok = std::forward<Block>(block)();
    if (!ok)
        scanner.setScanLocation(location);
    scanner.setCaseSensitive(caseSensitive);
    return ok;
}

// Reads up to `maxLength` characters of `set` exactly at the scan location
// and answers where they were (possibly empty).
Range hcs_scanCharactersInSet(Scanner& scanner, const CharacterSet& set, qsizetype maxLength,
                              QString* into = nullptr);

// 3 to 8 hex digits after the number sign.
bool hcs_scanHexTriple(Scanner& scanner, ColorRef* color = nullptr);

// A number, then an optional "%": stores number * 0.01 with "%", else
// number * scale, rounded to single precision. No range checks.
bool hcs_scanNum(Scanner& scanner, double* value, double scale);

using Triple = std::array<double, 3>;
using Quad = std::array<double, 4>;

// "(a, b, c)" and "(a, b, c, d)"; `values` receives what was read even when
// the scan fails part way. The location is not put back.
bool hcs_scanFloatTriple(Scanner& scanner, Triple* values, const Triple& scale);
bool hcs_scanFloatQuad(Scanner& scanner, Quad* values, const Quad& scale);

} // namespace hcs
