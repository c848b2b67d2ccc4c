#include "platform/Resources.h"

#include "platform/FileURL.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace platform {

QString resourceDirectory()
{
    const QString programDir = QCoreApplication::instance()
                                   ? QCoreApplication::applicationDirPath()
                                   : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2);
    return QDir::cleanPath(programDir + QStringLiteral("/../share/notes-import"));
}

QUrl urlForResource(const QString& name, const QString& type)
{
    const QString fileName = pathutil::appendingPathExtension(name, type);
    const QString path = resourceDirectory() + u'/' + fileName;
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return fileurl::fromPath(path, info.isDir());
}

} // namespace platform
