#pragma once

#include <QChar>

// The standard character sets, tested one UTF-16 unit at a time.
namespace platform::charset {

// U+000A to U+000D, U+0085, U+2028, U+2029.
inline bool isNewline(char16_t c)
{
    return (c >= 0x000A && c <= 0x000D) || c == 0x0085 || c == 0x2028 || c == 0x2029;
}

// Unicode separators (general category Z*), tab, the newlines.
inline bool isWhitespaceAndNewline(char16_t c)
{
    if (c == 0x0009 || isNewline(c))
        return true;
    switch (QChar::category(char32_t(c))) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

// Unicode separators of general category Zs, and tab.
inline bool isWhitespace(char16_t c)
{
    return c == 0x0009 || QChar::category(char32_t(c)) == QChar::Separator_Space;
}

} // namespace platform::charset
