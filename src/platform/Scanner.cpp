#include "platform/Scanner.h"

#include "platform/CharacterSet.h"

#include <algorithm>
#include <charconv>
#include <cfloat>
#include <cstdint>
#include <limits>
#include <string>

namespace platform {

CharacterSet CharacterSet::whitespaceAndNewline() { return withPredicate(charset::isWhitespaceAndNewline); }

CharacterSet CharacterSet::whitespace() { return withPredicate(charset::isWhitespace); }

CharacterSet CharacterSet::withCharacters(QStringView characters)
{
    CharacterSet set;
    for (QChar c : characters) {
        if (c.unicode() < 128)
            set.m_ascii.set(c.unicode());
        else
            set.m_others.append(c);
    }
    std::sort(set.m_others.begin(), set.m_others.end());
    return set;
}

CharacterSet CharacterSet::withPredicate(Predicate predicate)
{
    CharacterSet set;
    set.m_predicate = predicate;
    return set;
}

bool CharacterSet::contains(char16_t c) const
{
    if (m_predicate)
        return m_predicate(c);
    if (c < 128)
        return m_ascii.test(c);
    return std::binary_search(m_others.cbegin(), m_others.cend(), QChar(c));
}

Scanner::Scanner(QString string) : m_string(std::move(string)), m_skip(CharacterSet::whitespaceAndNewline()) {}

void Scanner::setScanLocation(qsizetype location)
{
    m_location = std::clamp<qsizetype>(location, 0, m_string.size());
}

qsizetype Scanner::skipped(qsizetype from) const
{
    if (m_skip)
        while (from < m_string.size() && m_skip->contains(m_string[from].unicode()))
            ++from;
    return from;
}

bool Scanner::isAtEnd() const { return skipped(m_location) >= m_string.size(); }

bool Scanner::scanString(QStringView text, QString* into)
{
    const qsizetype start = skipped(m_location);
    if (text.isEmpty() || m_string.size() - start < text.size())
        return false;
    const QStringView candidate = QStringView(m_string).mid(start, text.size());
    if (candidate.compare(text, m_caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive) != 0)
        return false;
    if (into)
        *into = candidate.toString();
    m_location = start + text.size();
    return true;
}

bool Scanner::scanCharactersFromSet(const CharacterSet& set, QString* into)
{
    const qsizetype start = skipped(m_location);
    qsizetype end = start;
    while (end < m_string.size() && set.contains(m_string[end].unicode()))
        ++end;
    if (end == start)
        return false;
    if (into)
        *into = m_string.mid(start, end - start);
    m_location = end;
    return true;
}

namespace {

bool isDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

bool Scanner::scanFloat(float* value)
{
    const qsizetype size = m_string.size();
    qsizetype p = skipped(m_location);
    bool negative = false;
    if (p < size && (m_string[p] == u'+' || m_string[p] == u'-')) {
        negative = m_string[p] == u'-';
        ++p;
    }

    // The significant digits, with the decimal exponent they need.
    std::string digits;
    std::int64_t exponent = 0;
    bool sawDigit = false;
    bool sawNonZero = false;
    for (; p < size && isDigit(m_string[p]); ++p) {
        sawDigit = true;
        if (m_string[p] != u'0' || sawNonZero) {
            sawNonZero = true;
            // Digits past what a float can tell apart only shift the value.
            if (digits.size() < 64)
                digits.push_back(char(m_string[p].unicode()));
            else
                ++exponent;
        }
    }
    if (p < size && m_string[p] == u'.') {
        qsizetype q = p + 1;
        for (; q < size && isDigit(m_string[q]); ++q) {
            sawDigit = true;
            if (m_string[q] != u'0' || sawNonZero) {
                sawNonZero = true;
                if (digits.size() < 64) {
                    digits.push_back(char(m_string[q].unicode()));
                    --exponent;
                }
            } else {
                --exponent;
            }
        }
        if (sawDigit)
            p = q;
    }
    if (!sawDigit)
        return false;

    if (p < size && (m_string[p] == u'e' || m_string[p] == u'E')) {
        qsizetype q = p + 1;
        bool expNegative = false;
        if (q < size && (m_string[q] == u'+' || m_string[q] == u'-')) {
            expNegative = m_string[q] == u'-';
            ++q;
        }
        if (q < size && isDigit(m_string[q])) {
            // Saturates far beyond any float exponent.
            std::int64_t written = 0;
            for (; q < size && isDigit(m_string[q]); ++q)
                written = std::min<std::int64_t>(written * 10 + (m_string[q].unicode() - '0'), 1'000'000'000);
            exponent += expNegative ? -written : written;
            p = q;
        }
    }

    float result = 0;
    if (!digits.empty()) {
        const std::int64_t magnitude = exponent + std::int64_t(digits.size());
        if (magnitude > 40) {
            result = FLT_MAX;
        } else if (magnitude < -50) {
            result = 0;
        } else {
            const std::string text = digits + "e" + std::to_string(exponent);
            const auto parsed = std::from_chars(text.data(), text.data() + text.size(), result);
            if (parsed.ec == std::errc::result_out_of_range)
                result = magnitude > 0 ? FLT_MAX : 0.0f;
            else if (parsed.ec != std::errc())
                result = 0;
            if (result > FLT_MAX)
                result = FLT_MAX;
        }
    }
    if (value)
        *value = negative ? -result : result;
    m_location = p;
    return true;
}

bool Scanner::scanHexInt(unsigned* value)
{
    const qsizetype size = m_string.size();
    qsizetype p = skipped(m_location);
    if (p + 2 < size && m_string[p] == u'0' && (m_string[p + 1] == u'x' || m_string[p + 1] == u'X')
        && hexValue(m_string[p + 2]) >= 0)
        p += 2;
    if (p >= size || hexValue(m_string[p]) < 0)
        return false;
    constexpr unsigned kMax = std::numeric_limits<unsigned>::max();
    unsigned result = 0;
    for (; p < size && hexValue(m_string[p]) >= 0; ++p)
        result = result > (kMax >> 4) ? kMax : (result << 4) | unsigned(hexValue(m_string[p]));
    if (value)
        *value = result;
    m_location = p;
    return true;
}

} // namespace platform
