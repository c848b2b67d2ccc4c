#pragma once

#include <QString>
#include <QStringView>
#include <bitset>
#include <optional>

namespace platform {

// A set of UTF-16 units: either one of the standard sets or an explicit list.
class CharacterSet {
public:
    using Predicate = bool (*)(char16_t);

    static CharacterSet whitespaceAndNewline();
    static CharacterSet whitespace();
    static CharacterSet withCharacters(QStringView characters);
    static CharacterSet withPredicate(Predicate predicate);

    bool contains(char16_t c) const;

private:
    CharacterSet() = default;

    Predicate m_predicate = nullptr;
    std::bitset<128> m_ascii;
    QString m_others; // sorted units above ASCII
};

// A cursor over a UTF-16 string that reads tokens, passing over the
// characters to be skipped before each one. A failed scan leaves the scan
// location where it was.
class Scanner {
public:
    // Skips whitespace and newlines; not case sensitive.
    explicit Scanner(QString string);

    const QString& string() const { return m_string; }

    qsizetype scanLocation() const { return m_location; }
    // Clamped to the string.
    void setScanLocation(qsizetype location);

    const std::optional<CharacterSet>& charactersToBeSkipped() const { return m_skip; }
    void setCharactersToBeSkipped(std::optional<CharacterSet> set) { m_skip = std::move(set); }

    bool caseSensitive() const { return m_caseSensitive; }
    void setCaseSensitive(bool caseSensitive) { m_caseSensitive = caseSensitive; }

    bool scanString(QStringView text, QString* into = nullptr);
    // Reads one or more characters of the set.
    bool scanCharactersFromSet(const CharacterSet& set, QString* into = nullptr);
    // A decimal number with optional sign, fraction and exponent. Values
    // beyond the float range are clamped to the largest finite float.
    bool scanFloat(float* value);
    // Hexadecimal digits with an optional 0x prefix; saturates on overflow.
    bool scanHexInt(unsigned* value);

    // Whether only skipped characters remain.
    bool isAtEnd() const;

private:
    qsizetype skipped(qsizetype from) const;

    QString m_string;
    qsizetype m_location = 0;
    std::optional<CharacterSet> m_skip;
    bool m_caseSensitive = false;
};

} // namespace platform
