#include "colors/CSSColorParsing.h"

#include "colors/HTMLColorsScanner.h"
#include "colors/W3CNamedColors.h"

#include <algorithm>

namespace otl {

namespace {

using Scan = bool (*)(platform::Scanner&, platform::ColorRef*);

// The colour only when nothing but skipped characters follows it.
platform::ColorRef wholeString(const QString& string, Scan scan)
{
    platform::Scanner scanner(string);
    platform::ColorRef color;
    if (!scan(scanner, &color) || !scanner.isAtEnd())
        return nullptr;
    return color;
}

} // namespace

platform::ColorRef colorWithCSS(const QString& string) { return wholeString(string, hcs::scanCSSColor); }
platform::ColorRef colorWithHexString(const QString& string) { return wholeString(string, hcs::scanHexColor); }
platform::ColorRef colorWithRGBString(const QString& string) { return wholeString(string, hcs::scanRGBColor); }
platform::ColorRef colorWithHSLString(const QString& string) { return wholeString(string, hcs::scanHSLColor); }

platform::ColorRef colorWithW3CNamedColor(const QString& string)
{
    return wholeString(string, hcs::scanW3CNamedColor);
}

QStringList W3CColorNames()
{
    QStringList names = w3cColorTable().keys();
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace otl
