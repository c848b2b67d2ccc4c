#include "platform/Resources.h"

#include "platform/FileURL.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

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
    // A resource written for the user's language, "Info_de.rtf", comes
    // before the English one, "Info.rtf".
    QStringList candidates;
    for (QString language : QLocale().uiLanguages()) {
        language.replace(u'-', u'_');
        // "de_AT" alone does not lead to "de" in every Qt version.
        for (const QString& tag : {language, language.section(u'_', 0, 0)}) {
            if (tag != QLatin1String("en") && !tag.startsWith(QLatin1String("en_")) && !candidates.contains(name + u'_' + tag))
                candidates << name + u'_' + tag;
        }
    }
    candidates << name;
    for (const QString& candidate : std::as_const(candidates)) {
        const QString path = resourceDirectory() + u'/' + pathutil::appendingPathExtension(candidate, type);
        const QFileInfo info(path);
        if (info.exists())
            return fileurl::fromPath(path, info.isDir());
    }
    return {};
}

} // namespace platform
