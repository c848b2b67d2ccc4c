#include "platform/Xdg.h"

#include <QDir>
#include <QFile>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::xdg {

namespace {

// The freedesktop rule: an unset, empty or relative value means the default.
QString absoluteOr(const char* variable, const QString& fallback)
{
    const QString value = qEnvironmentVariable(variable);
    if (value.isEmpty() || !QDir::isAbsolutePath(value))
        return fallback;
    return QDir::cleanPath(value);
}

} // namespace

QString configHome()
{
    return absoluteOr("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config"));
}

QString dataHome()
{
    return absoluteOr("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share"));
}

QStringList dataDirs()
{
    QStringList dirs;
    for (const QString& dir : qEnvironmentVariable("XDG_DATA_DIRS").split(u':', Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(dir))
            dirs.append(QDir::cleanPath(dir));
    }
    if (dirs.isEmpty())
        dirs = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    return dirs;
}

void provideRuntimeDirectory()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const uid_t user = geteuid();
    const passwd* entry = getpwuid(user);
    const QString name = entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(user);
    const QByteArray path = QFile::encodeName(QDir::tempPath() + QStringLiteral("/runtime-") + name);
    mkdir(path.constData(), 0700);
    struct stat status{};
    if (lstat(path.constData(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != user ||
        (status.st_mode & 0777) != 0700)
        return;
    qputenv("XDG_RUNTIME_DIR", path);
}

} // namespace platform::xdg
