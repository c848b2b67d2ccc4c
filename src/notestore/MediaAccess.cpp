#include "notestore/MediaAccess.h"
#include "platform/LocalizedString.h"

#include <QFile>
#include <QStringList>
#include <cerrno>
#include <unistd.h>

namespace notestore {

QString deniedFolderProblem(const QString& containerRoot, const QStringList& candidates)
{
    for (const QString& candidate : candidates) {
        if (!candidate.startsWith(containerRoot + u'/'))
            continue;
        // Each folder from the root down to the file's own; the walk is as
        // deep as the path, which the caller built from plain names.
        QString folder = containerRoot;
        const QStringList parts = candidate.mid(containerRoot.size() + 1).split(u'/', Qt::SkipEmptyParts);
        for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
            if (::access(QFile::encodeName(folder).constData(), X_OK) != 0) {
                if (errno == EACCES)
                    return platform::localizedString("its folder “%1” cannot be read: permission denied").arg(folder);
                break; // missing from here on: not a matter of permissions
            }
            folder += u'/' + parts[i];
        }
        if (::access(QFile::encodeName(folder).constData(), X_OK) != 0 && errno == EACCES)
            return platform::localizedString("its folder “%1” cannot be read: permission denied").arg(folder);
    }
    return {};
}

} // namespace notestore
