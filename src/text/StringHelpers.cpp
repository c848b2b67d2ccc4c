#include "text/StringHelpers.h"

#include "platform/CharacterSet.h"
#include "text/FileNames.h"
#include "text/Trimming.h"

#include <QFile>
#include <cctype>
#include <cstring>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>

namespace fw {

namespace {

namespace cs = platform::charset;

bool isWhitespaceAndNewline(char32_t c)
{
    return c <= 0xFFFF && cs::isWhitespaceAndNewline(char16_t(c));
}

// "1. " to "999. " at the start; the length of the match or 0.
qsizetype numberPrefixLength(const QString& s)
{
    qsizetype digits = 0;
    while (digits < s.size() && digits < 4 && s.at(digits) >= u'0' && s.at(digits) <= u'9')
        ++digits;
    if (digits == 0 || digits > 3 || s.at(0) == u'0')
        return 0;
    if (s.size() < digits + 2 || s.at(digits) != u'.' || s.at(digits + 1) != u' ')
        return 0;
    return digits + 2;
}

} // namespace

QString generateFilenameTruncatingToPeriod(const QString& text, bool truncateToPeriod)
{
    constexpr qsizetype kWindow = 128;
    QString s = text;
    s.replace(u'\t', u' ');
    s.remove(QChar(0xFFFC));

    auto inCutSet = [&](char32_t c) {
        return isWhitespaceAndNewline(c) || cs::isControl(c) || (truncateToPeriod && c == u'.');
    };
    auto inStopSet = [&](char32_t c) {
        return (c <= 0xFFFF && cs::isNewline(char16_t(c))) || cs::isControl(c) || (truncateToPeriod && c == u'.');
    };
    s = trimmedOf(s, inCutSet);

    if (const qsizetype prefix = numberPrefixLength(s)) {
        s.remove(0, prefix);
    } else {
        for (const QString& marker : {QStringLiteral("\u2022 "), QStringLiteral("\u2022\u00A0"), QStringLiteral("- "),
                                      QStringLiteral("* "), QStringLiteral("+ ")}) {
            if (s.startsWith(marker))
                s.remove(0, marker.size());
        }
    }

    const qsizetype window = qMin(s.size(), kWindow);
    qsizetype end = -1;
    qsizetype units = 0;
    for (qsizetype i = 0; i < window; i += units) {
        if (inStopSet(codePointAt(s, i, &units))) {
            end = i;
            break;
        }
    }
    if (end < 0) {
        // Whole words: the one that reaches past the window stays whole.
        qsizetype position = 0;
        while (position < window) {
            qsizetype wordStart = position;
            while (wordStart < s.size() && isWhitespaceAndNewline(codePointAt(s, wordStart, &units)))
                wordStart += units;
            qsizetype wordEnd = wordStart;
            while (wordEnd < s.size() && !inCutSet(codePointAt(s, wordEnd, &units)))
                wordEnd += units;
            if (wordEnd == wordStart)
                break;
            position = wordEnd;
        }
        end = position;
    }
    return stringSanitizedForFileName(trimmedOf(s.left(end), isWhitespaceAndNewline));
}

QString generateFilename(const QString& text)
{
    return generateFilenameTruncatingToPeriod(text, true);
}

QString stringByRemovingNewlinesAndTabs(const QString& string)
{
    QString result;
    result.reserve(string.size());
    for (QChar c : string) {
        const char16_t u = c.unicode();
        const char16_t out = (u == u'\t' || cs::isNewline(u)) ? u' ' : u;
        if (out == u' ' && result.endsWith(u' '))
            continue;
        result += QChar(out);
    }
    return trimmedOf(result, isWhitespaceAndNewline);
}

QString stringByRemovingNewlines(const QString& string)
{
    QString result = string;
    result.replace(u'\n', u' ');
    result.replace(u'\r', u' ');
    return trimmedOf(result, [](char32_t c) { return c <= 0xFFFF && cs::isWhitespace(char16_t(c)); });
}

QString stringByEscapingBackslashes(const QString& string)
{
    QString result = string;
    return result.replace(u'\\', QStringLiteral("\\\\"));
}

QString stringByEscapingQuotes(const QString& string)
{
    QString result = string;
    result.replace(u'\'', QStringLiteral("\\'"));
    return result.replace(u'"', QStringLiteral("\\\""));
}

QString stringByTrimmingWhitespace(const QString& string)
{
    return trimmedOf(string, isWhitespaceAndNewline);
}

QString stringByRemovingControlAndIllegalCharacters(const QString& string)
{
    return stringByRemovingCharactersInSet(string, [](char32_t c) {
        return cs::isControl(c) || cs::isIllegal(c) || cs::isSurrogate(c);
    });
}

// Deleting the first match and searching again from the start gives the same
// result as this single pass: what is kept never matches, except that a kept
// high surrogate can pair with a low one that a deletion brings next to it.
QString stringByRemovingCharactersInSet(const QString& string, const CharacterSet& set)
{
    QString result;
    result.reserve(string.size());
    qsizetype units = 0;
    for (qsizetype i = 0; i < string.size(); i += units) {
        const QChar c = string.at(i);
        if (c.isLowSurrogate() && !result.isEmpty() && result.back().isHighSurrogate()) {
            units = 1;
            if (set(QChar::surrogateToUcs4(result.back(), c)))
                result.chop(1);
            else
                result += c;
            continue;
        }
        const char32_t codePoint = codePointAt(string, i, &units);
        if (!set(codePoint))
            result += string.mid(i, units);
    }
    return result;
}

QString fileSystemRepresentationString(const QString& string)
{
    QByteArray bytes = QFile::encodeName(string);
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    return QFile::decodeName(bytes);
}

QString fileDisplayName(const QString& path)
{
    qsizetype end = path.size();
    while (end > 1 && path.at(end - 1) == u'/')
        --end;
    if (end == 1 && path.at(0) == u'/')
        return QStringLiteral("/");
    const qsizetype slash = path.lastIndexOf(u'/', end - 1);
    return path.mid(slash + 1, end - slash - 1);
}

namespace {

// Width folded, case folded, decomposed and stripped of nonspacing marks.
std::u16string comparisonKey(const QString& s)
{
    UErrorCode error = U_ZERO_ERROR;
    const UNormalizer2* nfd = unorm2_getNFDInstance(&error);
    const UNormalizer2* nfkd = unorm2_getNFKDInstance(&error);
    if (U_FAILURE(error))
        return s.toStdU16String();

    std::u16string widthFolded;
    widthFolded.reserve(s.size());
    qsizetype units = 0;
    for (qsizetype i = 0; i < s.size(); i += units) {
        const char32_t c = codePointAt(s, i, &units);
        const auto type = u_getIntPropertyValue(UChar32(c), UCHAR_DECOMPOSITION_TYPE);
        UChar buffer[32];
        int32_t length = 0;
        if (type == U_DT_WIDE || type == U_DT_NARROW) {
            UErrorCode e = U_ZERO_ERROR;
            length = unorm2_getDecomposition(nfkd, UChar32(c), buffer, 32, &e);
            if (U_FAILURE(e))
                length = 0;
        }
        if (length > 0)
            widthFolded.append(buffer, buffer + length);
        else
            widthFolded.append(reinterpret_cast<const char16_t*>(s.utf16()) + i, units);
    }

    auto run = [&](auto&& convert) {
        std::u16string out(widthFolded.size() * 3 + 8, u'\0');
        UErrorCode e = U_ZERO_ERROR;
        int32_t length = convert(out.data(), int32_t(out.size()), &e);
        if (e == U_BUFFER_OVERFLOW_ERROR) {
            out.resize(length);
            e = U_ZERO_ERROR;
            length = convert(out.data(), int32_t(out.size()), &e);
        }
        out.resize(U_SUCCESS(e) || e == U_STRING_NOT_TERMINATED_WARNING ? length : 0);
        widthFolded = std::move(out);
    };
    const std::u16string source = widthFolded;
    run([&](UChar* d, int32_t n, UErrorCode* e) {
        return u_strFoldCase(d, n, source.data(), int32_t(source.size()), U_FOLD_CASE_DEFAULT, e);
    });
    const std::u16string folded = widthFolded;
    run([&](UChar* d, int32_t n, UErrorCode* e) {
        return unorm2_normalize(nfd, folded.data(), int32_t(folded.size()), d, n, e);
    });

    std::u16string key;
    key.reserve(widthFolded.size());
    const QString decomposed = QString::fromStdU16String(widthFolded);
    for (qsizetype i = 0; i < decomposed.size(); i += units) {
        const char32_t c = codePointAt(decomposed, i, &units);
        if (u_charType(UChar32(c)) != U_NON_SPACING_MARK)
            key.append(reinterpret_cast<const char16_t*>(decomposed.utf16()) + i, units);
    }
    return key;
}

} // namespace

bool isEqualToFilename(const QString& string, const QString& other)
{
    return string == other || comparisonKey(string) == comparisonKey(other);
}

bool isCaseInsensitiveEqualToString(const QString& string, const QString& other)
{
    return isEqualToFilename(string, other);
}

QString stringByTruncatingMiddleWithMaxLength(const QString& string, qsizetype maxLength)
{
    maxLength = qMax<qsizetype>(maxLength, 0);
    if (string.size() <= maxLength)
        return string;
    const qsizetype half = maxLength / 2;
    qsizetype headEnd = half;
    if (headEnd > 0 && string.at(headEnd - 1).isHighSurrogate() && string.at(headEnd).isLowSurrogate())
        --headEnd;
    qsizetype tailStart = string.size() - half;
    if (tailStart < string.size() && string.at(tailStart).isLowSurrogate() && string.at(tailStart - 1).isHighSurrogate())
        ++tailStart;
    return string.left(headEnd) + QChar(0x2026) + string.mid(tailStart);
}

QString percentEncodedURLString(const QString& string)
{
    static const char kAllowed[] = "-._~:/?#[]@!$&'()*+,;=";
    const QByteArray bytes = string.toUtf8();
    auto isHex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    QString result;
    result.reserve(bytes.size());
    bool seenFragment = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        const auto u = static_cast<unsigned char>(c);
        bool keep = (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') ||
                    (u != 0 && std::strchr(kAllowed, c) != nullptr);
        // Only one fragment mark, and only well-formed escapes, are legal.
        if (c == '#') {
            keep = !seenFragment;
            seenFragment = true;
        }
        if (c == '%')
            keep = i + 2 < bytes.size() && isHex(bytes.at(i + 1)) && isHex(bytes.at(i + 2));
        if (keep)
            result += QLatin1Char(c);
        else
            result += QStringLiteral("%%1").arg(u, 2, 16, QLatin1Char('0')).toUpper();
    }
    return result;
}

std::optional<QString> stringWithCString(const char* bytes, quint32 encoding, qsizetype length)
{
    if (!bytes || length <= 0)
        return QString();

    const char* converterName = nullptr;
    bool utf16 = false;
    switch (encoding) {
    case ASCIIStringEncoding: converterName = "US-ASCII"; break;
    case UTF8StringEncoding: converterName = "UTF-8"; break;
    case ISOLatin1StringEncoding: converterName = "ISO-8859-1"; break;
    case WindowsCP1252StringEncoding: converterName = "windows-1252"; break;
    case MacOSRomanStringEncoding: converterName = "macintosh"; break;
    case UTF16StringEncoding:
    case UTF16BigEndianStringEncoding:
    case UTF16LittleEndianStringEncoding: utf16 = true; break;
    default: return std::nullopt;
    }

    qsizetype count = 0;
    if (utf16) {
        // A zero byte is half of most UTF-16 characters; only a zero unit ends the text.
        while (count + 1 < length && !(bytes[count] == 0 && bytes[count + 1] == 0))
            count += 2;
        if (count + 1 == length && bytes[count] != 0)
            return std::nullopt;
        bool bigEndian = encoding == UTF16BigEndianStringEncoding ||
                         (encoding == UTF16StringEncoding && QSysInfo::ByteOrder == QSysInfo::BigEndian);
        const auto* u = reinterpret_cast<const unsigned char*>(bytes);
        qsizetype start = 0;
        if (encoding == UTF16StringEncoding && count >= 2) {
            if (u[0] == 0xFE && u[1] == 0xFF) {
                bigEndian = true;
                start = 2;
            } else if (u[0] == 0xFF && u[1] == 0xFE) {
                bigEndian = false;
                start = 2;
            }
        }
        converterName = bigEndian ? "UTF-16BE" : "UTF-16LE";
        bytes += start;
        count -= start;
    } else {
        const void* nul = std::memchr(bytes, 0, size_t(length));
        count = nul ? static_cast<const char*>(nul) - bytes : length;
    }
    if (count == 0)
        return QString();

    UErrorCode error = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(converterName, &error);
    if (U_FAILURE(error))
        return std::nullopt;
    ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
    QString result(count, Qt::Uninitialized);
    UChar* target = reinterpret_cast<UChar*>(result.data());
    const char* source = bytes;
    ucnv_toUnicode(converter, &target, target + count, &source, bytes + count, nullptr, true, &error);
    ucnv_close(converter);
    if (U_FAILURE(error))
        return std::nullopt;
    result.truncate(target - reinterpret_cast<UChar*>(result.data()));
    return result;
}

} // namespace fw
