#include "text/FileNames.h"

#include "platform/CharacterSet.h"
#include "platform/FileManager.h"
#include "platform/FileURL.h"
#include "text/Trimming.h"

#include <algorithm>

namespace fw {

namespace {

bool isTrimmed(char32_t c)
{
    return c == U'…' || (c <= 0xFFFF && platform::charset::isWhitespaceAndNewline(char16_t(c)));
}

QString trimmed(const QString& s)
{
    return trimmedOf(s, isTrimmed);
}

// The length step of the sanitizer: cut to the limits, extension kept.
QString cutToFit(const QString& name)
{
    QString result = trimmed(platform::pathutil::fittingName(name));
    if (result.startsWith(u'.'))
        result[0] = u'-';
    return result;
}

// Control characters garble terminals and file listings. Tab and NUL keep
// their "-" and line breaks are removed below; the others become a blank
// before trimming, so none is left at either end.
bool isControlToBlank(char16_t c)
{
    const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
    return control && c != u'\t' && c != u'\0' && !platform::charset::isNewline(c);
}

} // namespace

QString stringSanitizedForFileName(const QString& name)
{
    QString result = name;
    for (QChar& c : result) {
        if (isControlToBlank(c.unicode()))
            c = u' ';
    }
    result = trimmed(result);
    if (result.startsWith(u'.'))
        result[0] = u'-';
    result.replace(u'/', u'-');
    result.replace(u':', u'-');
    result.replace(u'~', u'-');
    result.replace(u'\t', u'-');
    // A NUL would end the name early at the system call.
    result.replace(QChar(u'\0'), u'-');
    result.removeIf([](QChar c) { return platform::charset::isNewline(c.unicode()); });

    if (!platform::pathutil::fitsNameLimits(result))
        result = cutToFit(result);
    return result;
}

QString makeFilenameUniqueInDirectoryAtURL(const QString& name, const QUrl& directoryURL)
{
    UniqueFileNames once;
    return once.makeFilenameUniqueInDirectoryAtURL(name, directoryURL);
}

QString UniqueFileNames::makeFilenameUniqueInDirectoryAtURL(const QString& requested, const QUrl& directoryURL)
{
    // A name the file system cannot take would read as free and then fail.
    const QString name = platform::pathutil::fitsNameLimits(requested) ? requested : cutToFit(requested);
    auto* fileManager = platform::FileManager::defaultManager();
    const QString directoryPath = platform::fileurl::path(directoryURL);
    Directory& directory = m_directories[directoryPath];
    if (directory.pathPrefix.isEmpty())
        directory.pathPrefix = directoryPath.endsWith(u'/') ? directoryPath : directoryPath + u'/';
    // A candidate is one component, so it is simply appended: one look at
    // the disk per name, without building a URL for it.
    auto taken = [&](const QString& candidate) {
        return directory.handedOut.contains(candidate) || fileManager->isReachableAtPath(directory.pathPrefix + candidate);
    };
    if (!taken(name)) {
        directory.handedOut.insert(name);
        return name;
    }
    // Every counter below the remembered one was found taken before, and
    // nothing the export made goes away, so the scan resumes there.
    qint64& next = directory.nextCounter[name];
    for (qint64 counter = std::max<qint64>(next, 1);; ++counter) {
        // The stem is cut first so the counter always survives the length limit.
        const QString candidate =
            stringSanitizedForFileName(platform::pathutil::fittingName(name, QStringLiteral(" %1").arg(counter)));
        if (candidate != name && !taken(candidate)) {
            next = counter + 1;
            directory.handedOut.insert(candidate);
            return candidate;
        }
    }
}

void UniqueFileNames::forgetDirectoryAtURL(const QUrl& directoryURL)
{
    m_directories.remove(platform::fileurl::path(directoryURL));
}

} // namespace fw
