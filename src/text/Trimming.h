#pragma once

#include <QString>

// Code-point stepping and trimming shared by the string category's helpers.
namespace fw {

// The code point starting at `i` and how many units it takes.
inline char32_t codePointAt(const QString& s, qsizetype i, qsizetype* units)
{
    const char16_t c = s.at(i).unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
        *units = 2;
        return QChar::surrogateToUcs4(c, s.at(i + 1).unicode());
    }
    *units = 1;
    return c;
}

// The code point ending just before `end` and how many units it takes.
inline char32_t codePointBefore(const QString& s, qsizetype end, qsizetype* units)
{
    const char16_t c = s.at(end - 1).unicode();
    if (QChar::isLowSurrogate(c) && end >= 2 && s.at(end - 2).isHighSurrogate()) {
        *units = 2;
        return QChar::surrogateToUcs4(s.at(end - 2).unicode(), c);
    }
    *units = 1;
    return c;
}

template <typename Set>
QString trimmedOf(const QString& s, Set inSet)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    qsizetype units = 0;
    while (begin < end && inSet(codePointAt(s, begin, &units)))
        begin += units;
    while (end > begin && inSet(codePointBefore(s, end, &units)))
        end -= units;
    return s.mid(begin, end - begin);
}

} // namespace fw
