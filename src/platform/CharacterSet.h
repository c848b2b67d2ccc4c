#pragma once

#include <QChar>

#include <unicode/uchar.h>

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

// The sets below take whole code points; a lone surrogate is passed as its
// unit value.

// General categories Cc and Cf.
inline bool isControl(char32_t c)
{
    const auto type = u_charType(UChar32(c));
    return type == U_CONTROL_CHAR || type == U_FORMAT_CHAR;
}

// Code points unassigned (Cn) in the Unicode version ICU provides,
// noncharacters included.
inline bool isIllegal(char32_t c)
{
    return c > 0x10FFFF || u_charType(UChar32(c)) == U_UNASSIGNED;
}

inline bool isSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

} // namespace platform::charset

namespace platform::charset {

// Letters, marks and numbers (general categories L*, M*, N*).
inline bool isAlphanumeric(char32_t c)
{
    return c <= 0x10FFFF && (U_GET_GC_MASK(UChar32(c)) & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) != 0;
}

} // namespace platform::charset
