#include "platform/Workspace.h"
#include "platform/LocalizedString.h"

#include "platform/DesktopEntry.h"
#include "platform/FileURL.h"
#include "platform/Xdg.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThreadPool>
#include <QXmlStreamReader>

namespace platform {

namespace {

constexpr const char* kWorkspaceErrorDomain = "WorkspaceErrorDomain";

Error openError(const QString& description)
{
    return Error(QString::fromLatin1(kWorkspaceErrorDomain), 1, description);
}

QString bundleIdentifierOf(const QString& entryPath)
{
    QString name = QFileInfo(entryPath).fileName();
    name.chop(int(qstrlen(".desktop")));
    return name;
}

// A release's day, taken from "date" (ISO 8601) or else "timestamp" (seconds).
QDate releaseDate(const QXmlStreamAttributes& attributes)
{
    const QString date = attributes.value(QLatin1String("date")).toString().trimmed();
    if (!date.isEmpty()) {
        QDate day = QDate::fromString(date.left(10), Qt::ISODate);
        if (day.isValid())
            return day;
    }
    bool ok = false;
    const qint64 seconds = attributes.value(QLatin1String("timestamp")).toLongLong(&ok);
    if (ok)
        return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).date();
    return {};
}

} // namespace

QString newestReleaseVersion(const QString& metainfoPath)
{
    QFile file(metainfoPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    QString first, newest;
    QDate newestDate;
    bool inReleases = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("releases")) {
            inReleases = true;
        } else if (xml.isEndElement() && xml.name() == QLatin1String("releases")) {
            inReleases = false;
        } else if (inReleases && xml.isStartElement() && xml.name() == QLatin1String("release")) {
            const QString version = xml.attributes().value(QLatin1String("version")).toString();
            if (version.isEmpty())
                continue;
            if (first.isEmpty())
                first = version;
            const QDate date = releaseDate(xml.attributes());
            // Ties keep the one listed first, which the format says is the newest.
            if (date.isValid() && (!newestDate.isValid() || date > newestDate)) {
                newestDate = date;
                newest = version;
            }
        }
    }
    if (xml.hasError())
        return {};
    return newestDate.isValid() ? newest : first;
}

Workspace* Workspace::sharedWorkspace()
{
    static Workspace workspace;
    return &workspace;
}

QUrl Workspace::urlForApplication(const QString& bundleIdentifier)
{
    if (bundleIdentifier.isEmpty() || bundleIdentifier.contains(u'/'))
        return {};
    const QString fileName = bundleIdentifier + QStringLiteral(".desktop");
    QStringList dataDirectories{xdg::dataHome()};
    dataDirectories += xdg::dataDirs();
    for (const QString& dir : dataDirectories) {
        const QString path = dir + QStringLiteral("/applications/") + fileName;
        if (!QFileInfo(path).isFile())
            continue;
        // The first entry found decides, even one that hides the application.
        const auto entry = DesktopEntry::load(path);
        if (!entry || entry->hidden())
            return {};
        return fileurl::fromPath(path, false);
    }
    return {};
}

QVariantMap Workspace::bundleInfo(const QUrl& applicationURL)
{
    const QString path = fileurl::path(applicationURL);
    const auto entry = DesktopEntry::load(path);
    if (!entry)
        return {};
    const QString identifier = bundleIdentifierOf(path);
    QVariantMap info;
    info.insert(QStringLiteral("CFBundleIdentifier"), identifier);
    info.insert(QStringLiteral("CFBundleName"), entry->value(QStringLiteral("Name")));
    // <data dir>/applications/<id>.desktop -> <data dir>/metainfo/<id>.metainfo.xml
    const QString dataDirectory = QFileInfo(QFileInfo(path).absolutePath()).absolutePath();
    const QString version =
        newestReleaseVersion(dataDirectory + QStringLiteral("/metainfo/") + identifier + QStringLiteral(".metainfo.xml"));
    if (!version.isEmpty())
        info.insert(QStringLiteral("CFBundleShortVersionString"), version);
    return info;
}

void Workspace::openURLs(const QList<QUrl>& urls, const QUrl& applicationURL, bool /*activates*/,
                         OpenCompletion completion)
{
    const QString path = fileurl::path(applicationURL);
    QThreadPool::globalInstance()->start([urls, path, completion = std::move(completion)] {
        const auto entry = DesktopEntry::load(path);
        std::optional<Error> failure;
        if (!entry) {
            failure = openError(platform::localizedString("The application “%1” could not be opened because its desktop entry "
                                               "cannot be read.")
                                    .arg(path));
        } else {
            failure = entry->launch(urls);
        }
        if (completion)
            completion(failure);
    });
}

} // namespace platform
