#include "app/ImportFlow.h"

#include "app/DestinationFolder.h"
#include "platform/FileManager.h"
#include "platform/FileURL.h"
#include "platform/LocalizedString.h"
#include "platform/Operation.h"

#include <QUrlQuery>
#include <climits>
#include <tuple>

namespace app {

namespace {

int leadingNumber(const QString& component)
{
    qint64 value = 0;
    for (const QChar c : component) {
        if (c < u'0' || c > u'9')
            break;
        value = std::min<qint64>(value * 10 + (c.unicode() - u'0'), INT_MAX);
    }
    return int(value);
}

} // namespace

Version parseVersion(const QString& version)
{
    const QStringList parts = version.split(u'.');
    return {leadingNumber(parts.value(0)), leadingNumber(parts.value(1)), leadingNumber(parts.value(2))};
}

bool isSupportedOstrelVersion(const QString& version)
{
    const Version v = parseVersion(version);
    return std::tie(v.major, v.minor, v.patch) >= std::make_tuple(1, 10, 4);
}

std::optional<AlertText> ostrelVersionProblem(platform::Workspace& workspace)
{
    const QUrl application = workspace.urlForApplication(QString::fromLatin1(kOstrelBundleIdentifier));
    if (application.isEmpty())
        return AlertText{platform::localizedString("Unable to locate the Ostrel application."),
                         platform::localizedString("Make sure Ostrel is installed and try again.")};
    const QString version = workspace.bundleInfo(application).value(QStringLiteral("CFBundleShortVersionString")).toString();
    if (!isSupportedOstrelVersion(version))
        return AlertText{platform::localizedString("This version of Ostrel is too old. Version 1.10.4 or later is required."),
                         platform::localizedString("Update to the latest version of Ostrel and try again.")};
    return std::nullopt;
}

std::optional<QUrl> prepareImportFolder(platform::Error* error)
{
    auto* fileManager = platform::FileManager::defaultManager();
    const QUrl container = fileManager->containerURL(QString::fromLatin1(kApplicationGroupIdentifier));
    if (container.isEmpty()) {
        platform::setError(error, platform::Error(QString::fromLatin1(platform::kCocoaErrorDomain), 4,
                                                  platform::localizedString("The shared container “%1” could not be created.")
                                                      .arg(QString::fromLatin1(kApplicationGroupIdentifier))));
        return std::nullopt;
    }
    const QUrl folder = platform::fileurl::appendingPathComponent(container, QString::fromLatin1(kImportFolderName), true);
    // Whatever an earlier import left goes; what cannot go stops the import,
    // or its stale notes would be handed over as part of this one.
    if (fileManager->isReachable(folder) && !fileManager->removeItem(folder, error))
        return std::nullopt;
    if (!fileManager->createDirectory(folder, true, error) ||
        !writeExportMarker(platform::fileurl::path(folder), error))
        return std::nullopt;
    return folder;
}

QUrl handoffURL(const QUrl& manifestURL)
{
    // QUrlQuery takes "%" as the start of an escape, so the escapes of the
    // file URL are escaped once more; "+" too, which form decoders read as a blank.
    QString location = platform::fileurl::absoluteString(manifestURL);
    location.replace(u'%', QStringLiteral("%25"));
    location.replace(u'+', QStringLiteral("%2B"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("location"), location);
    query.addQueryItem(QStringLiteral("supportsHashtags"), QStringLiteral("0"));
    QUrl url;
    url.setScheme(QStringLiteral("ostrel"));
    url.setHost(QStringLiteral("library"));
    url.setQuery(query);
    return url;
}

void openOstrel(platform::Workspace& workspace, const QUrl& manifestURL,
                std::function<void(const std::optional<AlertText>& failure)> completion)
{
    auto finish = [completion = std::move(completion)](const std::optional<platform::Error>& error) {
        platform::OperationQueue::mainQueue()->addOperationWithBlock([completion, error] {
            if (!completion)
                return;
            if (error)
                completion(AlertText{platform::localizedString("Cannot open Ostrel"), error->localizedDescription()});
            else
                completion(std::nullopt);
        });
    };
    const QUrl application = workspace.urlForApplication(QString::fromLatin1(kOstrelBundleIdentifier));
    if (application.isEmpty()) {
        finish(platform::Error(QString::fromLatin1(platform::kCocoaErrorDomain), 4,
                               platform::localizedString("Unable to locate the Ostrel application.")));
        return;
    }
    workspace.openURLs({handoffURL(manifestURL)}, application, true, std::move(finish));
}

} // namespace app
