#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

// Names taken from text, and small cleaning, comparison and conversion
// helpers. Lengths count UTF-16 units.
namespace fw {

// A set of characters, asked about whole code points; a lone surrogate is
// asked about as its unit value.
using CharacterSet = std::function<bool(char32_t)>;

// String encoding numbers as the platform numbers them.
enum StringEncoding : quint32 {
    ASCIIStringEncoding = 1,
    UTF8StringEncoding = 4,
    ISOLatin1StringEncoding = 5,
    UTF16StringEncoding = 10,
    WindowsCP1252StringEncoding = 12,
    MacOSRomanStringEncoding = 30,
    UTF16BigEndianStringEncoding = 0x90000100,
    UTF16LittleEndianStringEncoding = 0x94000100,
};

// The first line or sentence of `text` (at most about 128 units, whole
// words), without a leading "1. " or list marker, as a safe file name.
QString generateFilenameTruncatingToPeriod(const QString& text, bool truncateToPeriod);
QString generateFilename(const QString& text);

// Newlines and tabs turned into spaces, runs of spaces made single, trimmed.
QString stringByRemovingNewlinesAndTabs(const QString& string);
// LF and CR turned into spaces, trimmed of whitespace (not newlines).
QString stringByRemovingNewlines(const QString& string);
QString stringByEscapingBackslashes(const QString& string);
// A backslash before every ' and ".
QString stringByEscapingQuotes(const QString& string);
QString stringByTrimmingWhitespace(const QString& string);
// Without control (Cc, Cf), unassigned and unpaired surrogate characters.
QString stringByRemovingControlAndIllegalCharacters(const QString& string);
// Without any character of `set`. Removing a character can join the
// surrounding units into a surrogate pair, which is then tested as one.
QString stringByRemovingCharactersInSet(const QString& string, const CharacterSet& set);

// Round trip through the file system's byte representation; stops at a NUL.
QString fileSystemRepresentationString(const QString& string);
// The name shown for the item at `path`: its last component.
QString fileDisplayName(const QString& path);

// Equal ignoring case, diacritics and character width.
bool isEqualToFilename(const QString& string, const QString& other);
bool isCaseInsensitiveEqualToString(const QString& string, const QString& other);

// `string`, or its head and tail of maxLength / 2 units around "…". A
// surrogate pair at either cut is left out rather than split.
QString stringByTruncatingMiddleWithMaxLength(const QString& string, qsizetype maxLength);

// The UTF-8 bytes of `string` with those not allowed in a URL percent-escaped.
QString percentEncodedURLString(const QString& string);

// At most `length` bytes of `bytes` (fewer at a NUL; for UTF-16 at a NUL
// unit) decoded with `encoding`; empty for a null pointer or no bytes,
// nullopt for bytes invalid in the encoding or an unknown encoding.
std::optional<QString> stringWithCString(const char* bytes, quint32 encoding, qsizetype length);

} // namespace fw
