#include "text/FileNames.h"

#include "platform/CharacterSet.h"
#include "platform/FileManager.h"
#include "platform/FileURL.h"
#include "text/Trimming.h"

namespace fw {

namespace {

using platform::pathutil::deletingPathExtension;
using platform::pathutil::pathExtension;

bool isTrimmed(char32_t c)
{
    return c == U'…' || (c <= 0xFFFF && platform::charset::isWhitespaceAndNewline(char16_t(c)));
}

QString trimmed(const QString& s)
{
    return trimmedOf(s, isTrimmed);
}

qsizetype utf8Length(const QString& s)
{
    return s.toUtf8().size();
}

// The first `units` units of `s`, never ending inside a surrogate pair.
QString leftUnits(const QString& s, qsizetype units)
{
    if (units <= 0)
        return {};
    if (units >= s.size())
        return s;
    if (s.at(units - 1).isHighSurrogate())
        --units;
    return s.left(units);
}

// `s` shortened code point by code point until it takes at most `bytes` in UTF-8.
QString leftBytes(QString s, qsizetype bytes)
{
    while (!s.isEmpty() && utf8Length(s) > bytes) {
        const bool pair = s.size() >= 2 && s.at(s.size() - 1).isLowSurrogate() && s.at(s.size() - 2).isHighSurrogate();
        s.chop(pair ? 2 : 1);
    }
    return s;
}

// Cuts the stem so stem + suffix + extension fits both limits; an extension
// that leaves no room is treated as part of the stem.
QString fitted(const QString& name, const QString& suffix)
{
    QString extension = pathExtension(name);
    QString stem = deletingPathExtension(name);
    qsizetype extensionUnits = extension.isEmpty() ? 0 : extension.size() + 1;
    qsizetype extensionBytes = extension.isEmpty() ? 0 : utf8Length(extension) + 1;
    if (kMaximumFileNameLength - suffix.size() - extensionUnits <= 0 ||
        kMaximumFileNameLength - utf8Length(suffix) - extensionBytes <= 0) {
        stem = name;
        extension.clear();
        extensionUnits = extensionBytes = 0;
    }
    const auto cut = [&](const QString& s) {
        return leftBytes(leftUnits(s, kMaximumFileNameLength - suffix.size() - extensionUnits),
                         kMaximumFileNameLength - utf8Length(suffix) - extensionBytes);
    };
    QString cutStem = cut(stem);
    // A stem cut away entirely would leave ".<extension>", a hidden file.
    if (cutStem.isEmpty() && !stem.isEmpty() && !extension.isEmpty()) {
        extension.clear();
        extensionUnits = extensionBytes = 0;
        cutStem = cut(name);
    }
    return platform::pathutil::appendingPathExtension(cutStem + suffix, extension);
}

} // namespace

QString stringSanitizedForFileName(const QString& name)
{
    QString result = trimmed(name);
    if (result.startsWith(u'.'))
        result[0] = u'-';
    result.replace(u'/', u'-');
    result.replace(u':', u'-');
    result.replace(u'~', u'-');
    result.replace(u'\t', u'-');
    // A NUL would end the name early at the system call.
    result.replace(QChar(u'\0'), u'-');
    result.removeIf([](QChar c) { return platform::charset::isNewline(c.unicode()); });

    if (result.size() > kMaximumFileNameLength || utf8Length(result) > kMaximumFileNameLength) {
        result = trimmed(fitted(result, QString()));
        if (result.startsWith(u'.'))
            result[0] = u'-';
    }
    return result;
}

QString makeFilenameUniqueInDirectoryAtURL(const QString& name, const QUrl& directoryURL)
{
    auto* fileManager = platform::FileManager::defaultManager();
    auto taken = [&](const QString& candidate) {
        return fileManager->isReachable(platform::fileurl::appendingPathComponent(directoryURL, candidate));
    };
    if (!taken(name))
        return name;
    for (qint64 counter = 1;; ++counter) {
        // The stem is cut first so the counter always survives the length limit.
        const QString candidate = stringSanitizedForFileName(fitted(name, QStringLiteral(" %1").arg(counter)));
        if (candidate != name && !taken(candidate))
            return candidate;
    }
}

} // namespace fw
