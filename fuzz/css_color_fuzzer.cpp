// Feeds arbitrary bytes to the CSS colour parser, both as UTF-8 and as raw
// UTF-16 units (so that lone surrogates reach it).
#include "colors/CSSColorParsing.h"
#include "colors/HTMLColorsScanner.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString utf8 = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString utf16(reinterpret_cast<const QChar*>(data), qsizetype(size / 2));
    for (const QString& text : {utf8, utf16}) {
        otl::colorWithCSS(text);
        otl::colorWithHexString(text);
        otl::colorWithRGBString(text);
        otl::colorWithHSLString(text);
        otl::colorWithW3CNamedColor(text);
        // Scanning colour after colour must always move forward or stop.
        platform::Scanner scanner(text);
        qsizetype last = -1;
        while (scanner.scanLocation() > last && hcs::scanCSSColor(scanner))
            last = scanner.scanLocation();
    }
    return 0;
}
