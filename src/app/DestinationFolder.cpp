#include "app/DestinationFolder.h"
#include "platform/LocalizedString.h"

#include "platform/FileManager.h"
#include "platform/FileURL.h"

#include <QDir>
#include <QFileInfo>

namespace {

platform::Error destinationError(const QString& description)
{
    return platform::Error(QStringLiteral("DestinationFolderErrorDomain"), 1, description);
}

bool isInside(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
}

// The absolute path with every link that exists along it resolved.
QString resolved(const QString& path)
{
    QFileInfo info(QDir::cleanPath(QDir(path).absolutePath()));
    QStringList missing;
    while (!info.exists() && info.absoluteFilePath() != QLatin1String("/")) {
        missing.prepend(info.fileName());
        info = QFileInfo(info.absolutePath());
    }
    QString base = info.canonicalFilePath();
    for (const QString& part : missing)
        base += u'/' + part;
    return QDir::cleanPath(base);
}

} // namespace

bool checkOutsideLibrary(const QString& destinationPath, const QString& libraryPath, platform::Error* error)
{
    const QString destination = resolved(destinationPath);
    const QString library = resolved(libraryPath);
    if (isInside(destination, library) || isInside(library, destination)) {
        platform::setError(error, destinationError(platform::localizedString("The destination “%1” overlaps the Notes library “%2”; "
                                                                  "choose a folder outside it.")
                                                       .arg(destinationPath, libraryPath)));
        return false;
    }
    return true;
}

bool prepareDestinationFolder(const QString& destinationPath, const QString& libraryPath, platform::Error* error)
{
    if (!checkOutsideLibrary(destinationPath, libraryPath, error))
        return false;
    const QString destination = resolved(destinationPath);
    auto* fileManager = platform::FileManager::defaultManager();
    const QUrl url = platform::fileurl::fromPath(destination, true);
    const QFileInfo info(destination);
    if (info.exists() || info.isSymLink()) {
        if (!info.isDir()) {
            platform::setError(error, destinationError(platform::localizedString("The destination “%1” exists and is not a folder.")
                                                           .arg(destinationPath)));
            return false;
        }
        const auto entries = fileManager->contentsOfDirectory(url, false, error);
        if (!entries)
            return false;
        if (!entries->isEmpty()) {
            const auto holds = [&](const QString& name) {
                const QFileInfo item(QDir(destination).filePath(name));
                return item.isFile() && !item.isSymLink();
            };
            const auto manifestOf = [](const QString& folderName) {
                return platform::pathutil::fittingName(folderName + QStringLiteral(".plist"));
            };
            const QString givenName = QFileInfo(QDir::cleanPath(destinationPath)).fileName();
            const bool ours = holds(QLatin1String(kExportMarkerName)) ||
                              holds(manifestOf(QFileInfo(destination).fileName())) || holds(manifestOf(givenName));
            if (!ours) {
                platform::setError(error, destinationError(platform::localizedString("The destination “%1” is not empty and holds no earlier "
                                                                          "export; it was left untouched. Choose an empty or "
                                                                          "new folder.")
                                                               .arg(destinationPath)));
                return false;
            }
        }
        if (!fileManager->removeItem(url, error))
            return false;
    }
    return fileManager->createDirectory(url, true, error) && writeExportMarker(destination, error);
}

bool writeExportMarker(const QString& folder, platform::Error* error)
{
    const QUrl url = platform::fileurl::fromPath(QDir(folder).filePath(QLatin1String(kExportMarkerName)), false);
    return platform::FileManager::defaultManager()->writeData(
        QByteArrayLiteral("An export of notes-export; the folder is replaced by the next export.\n"), url, error);
}
