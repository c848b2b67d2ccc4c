#include "platform/FileURL.h"

#include <QDir>
#include <QFileInfo>

namespace platform::fileurl {

QUrl fromPath(const QString& path, bool isDirectory)
{
    QString clean = QDir::cleanPath(path);
    if (isDirectory && !clean.endsWith(u'/'))
        clean += u'/';
    return QUrl::fromLocalFile(clean);
}

QUrl fromExistingPath(const QString& path)
{
    const QFileInfo info(path);
    return fromPath(path, info.isDir() && !info.isSymLink());
}

QUrl appendingPathComponent(const QUrl& base, const QString& name, bool isDirectory)
{
    QString basePath = base.toLocalFile();
    if (!basePath.endsWith(u'/'))
        basePath += u'/';
    return fromPath(basePath + name, isDirectory);
}

QString path(const QUrl& url)
{
    QString p = url.toLocalFile();
    while (p.size() > 1 && p.endsWith(u'/'))
        p.chop(1);
    return p;
}

QString lastPathComponent(const QUrl& url)
{
    const QString p = path(url);
    const qsizetype slash = p.lastIndexOf(u'/');
    return slash < 0 ? p : p.mid(slash + 1);
}

bool hasDirectoryPath(const QUrl& url)
{
    return url.path().endsWith(u'/');
}

QString absoluteString(const QUrl& url)
{
    return url.toString(QUrl::FullyEncoded);
}

} // namespace platform::fileurl

namespace platform::pathutil {

QString pathExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0 || name.indexOf(u'/', dot) >= 0)
        return {};
    return name.mid(dot + 1);
}

QString deletingPathExtension(const QString& name)
{
    const QString extension = pathExtension(name);
    if (extension.isEmpty()) {
        // "name." has an empty extension; the period still goes with it.
        const qsizetype dot = name.lastIndexOf(u'.');
        return (dot > 0 && dot == name.size() - 1) ? name.left(dot) : name;
    }
    return name.left(name.size() - extension.size() - 1);
}

QString appendingPathExtension(const QString& name, const QString& extension)
{
    return extension.isEmpty() ? name : name + u'.' + extension;
}

namespace {

qsizetype utf8Bytes(char32_t c)
{
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

} // namespace

bool fitsNameLimits(const QString& name)
{
    return name.size() <= kMaximumNameLength && name.toUtf8().size() <= kMaximumNameLength;
}

QString prefixWithin(const QString& text, qsizetype units, qsizetype bytes)
{
    qsizetype end = 0;
    qsizetype usedBytes = 0;
    while (end < text.size()) {
        const char16_t c = text.at(end).unicode();
        const bool pair = QChar::isHighSurrogate(c) && end + 1 < text.size() && text.at(end + 1).isLowSurrogate();
        const qsizetype length = pair ? 2 : 1;
        // A lone surrogate is written as a replacement character, three bytes.
        const qsizetype size = pair ? 4 : utf8Bytes(c);
        if (end + length > units || usedBytes + size > bytes)
            break;
        end += length;
        usedBytes += size;
    }
    return text.left(end);
}

QString fittingName(const QString& name, const QString& suffix)
{
    if (suffix.isEmpty() && fitsNameLimits(name))
        return name;
    QString extension = pathExtension(name);
    QString stem = deletingPathExtension(name);
    const qsizetype suffixBytes = suffix.toUtf8().size();
    auto roomFor = [&](const QString& ext, qsizetype* units, qsizetype* bytes) {
        *units = kMaximumNameLength - suffix.size() - (ext.isEmpty() ? 0 : ext.size() + 1);
        *bytes = kMaximumNameLength - suffixBytes - (ext.isEmpty() ? 0 : ext.toUtf8().size() + 1);
        return *units > 0 && *bytes > 0;
    };
    qsizetype units = 0, bytes = 0;
    if (!roomFor(extension, &units, &bytes)) {
        stem = name;
        extension.clear();
        roomFor(extension, &units, &bytes);
    }
    QString cutStem = prefixWithin(stem, units, bytes);
    // A stem cut away entirely would leave ".<extension>", a hidden file.
    if (cutStem.isEmpty() && !stem.isEmpty() && !extension.isEmpty()) {
        extension.clear();
        roomFor(extension, &units, &bytes);
        cutStem = prefixWithin(name, units, bytes);
    }
    return appendingPathExtension(cutStem + suffix, extension);
}

} // namespace platform::pathutil
