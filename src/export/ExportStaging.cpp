#include "export/ExportStaging.h"

#include "platform/TreeRemoval.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cerrno>
#include <csignal>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kPrefix[] = "notes-export-";

} // namespace

QString exportStagingTemplate()
{
    return QDir::tempPath() + u'/' + QLatin1String(kPrefix) + QString::number(getpid()) + QStringLiteral("-XXXXXX");
}

QStringList removeStaleStagingFolders()
{
    static const QRegularExpression pattern(QStringLiteral("^notes-export-([1-9][0-9]{0,9})-[A-Za-z0-9]{6}$"));
    QStringList failures;
    const QString temporary = QDir::tempPath();
    const QStringList names =
        QDir(temporary).entryList(QStringList{QLatin1String(kPrefix) + u'*'}, QDir::Dirs | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (!match.hasMatch())
            continue;
        const QByteArray path = QFile::encodeName(temporary + u'/' + name);
        struct stat info {};
        if (lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid())
            continue;
        const qint64 pid = match.captured(1).toLongLong();
        // A process that is still there (or cannot be asked) keeps its folder.
        if (pid > std::numeric_limits<pid_t>::max() || kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue;
        platform::RemovalFailure failure;
        if (!platform::removeTree(path, &failure))
            failures << QStringLiteral("%1: %2").arg(QFile::decodeName(path), failure.remaining.join(QStringLiteral(", ")));
    }
    return failures;
}
