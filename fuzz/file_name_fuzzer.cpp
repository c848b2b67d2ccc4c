// Feeds arbitrary names to the file-name sanitizer and aborts when a result
// could not be used as one file-name component.
#include "platform/CharacterSet.h"
#include "platform/FileURL.h"
#include "text/FileNames.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool holds, const char* what, const QString& input, const QString& result)
{
    if (holds)
        return;
    fprintf(stderr, "file name fuzzer: %s\n  input (UTF-16 hex):  %s\n  result (UTF-16 hex): %s\n", what,
            QByteArray(reinterpret_cast<const char*>(input.utf16()), input.size() * 2).toHex().constData(),
            QByteArray(reinterpret_cast<const char*>(result.utf16()), result.size() * 2).toHex().constData());
    abort();
}

bool hasLoneSurrogate(const QString& s)
{
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate())
            ++i;
        else if (s.at(i).isSurrogate())
            return true;
    }
    return false;
}

void checkSanitized(const QString& input)
{
    const QString result = fw::stringSanitizedForFileName(input);
    check(result.size() <= fw::kMaximumFileNameLength, "longer than 255 UTF-16 units", input, result);
    check(result.toUtf8().size() <= fw::kMaximumFileNameLength, "longer than 255 UTF-8 bytes", input, result);
    check(!result.startsWith(u'.'), "starts with a dot", input, result);
    for (const QChar c : result) {
        check(c != u'/', "holds a slash", input, result);
        check(c != u'\0', "holds a NUL", input, result);
        check(!platform::charset::isNewline(c.unicode()), "holds a newline", input, result);
        check(c >= u' ' && !(c >= u'\x7f' && c <= u'\x9f'), "holds a control character", input, result);
    }
    // Shortening must never split a surrogate pair.
    if (!hasLoneSurrogate(input))
        check(!hasLoneSurrogate(result), "splits a surrogate pair", input, result);
    // A name we hand out is kept as it is.
    check(fw::stringSanitizedForFileName(result) == result, "a second pass changes it", input, result);
    // What the export makes of it: an extension added, a number put in.
    if (!result.isEmpty()) {
        for (const QString& made : {platform::pathutil::fittingName(result + QStringLiteral(".rtfd")),
                                    platform::pathutil::fittingName(result, QStringLiteral(" 4000"))}) {
            check(platform::pathutil::fitsNameLimits(made), "too long once made unique", input, made);
            check(!made.startsWith(u'.'), "hidden once made unique", input, made);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // As UTF-8 text, and as raw UTF-16 units so that lone surrogates arrive too.
    checkSanitized(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    checkSanitized(QString(reinterpret_cast<const QChar*>(data), qsizetype(size / 2)));
    return 0;
}
