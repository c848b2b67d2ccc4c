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

} // namespace platform::pathutil
