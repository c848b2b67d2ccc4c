#include "export/ExportNoteOperation.h"

#include "platform/FileManager.h"
#include "platform/FileURL.h"
#include "platform/LocalizedString.h"
#include "platform/PropertyList.h"
#include "platform/UniformTypes.h"

using platform::fileurl::absoluteString;

bool ExportNoteOperation::createImportDict()
{
    changeProgress([](platform::Progress& progress) {
        progress.setLocalizedDescription(platform::localizedString("Finishing…"));
        progress.setLocalizedAdditionalDescription(QString());
    });

    const QUrl destination = destinationFolderURL();
    auto* fileManager = platform::FileManager::defaultManager();
    // Listed before the manifest exists, so it never lists itself. A folder
    // that cannot be listed must not pass for an empty export.
    platform::Error listingError;
    const auto entries = fileManager->contentsOfDirectory(destination, true, &listingError);
    if (!entries) {
        setOperationError(listingError);
        return false;
    }
    QVariantList folders;
    for (const QUrl& entry : *entries) {
        const auto folder = folderDictFromURL(entry, 1);
        if (!folder)
            return false;
        folders.append(*folder);
    }
    const QVariantMap manifest{
        {QStringLiteral("Files"), QVariantMap{{QStringLiteral("folders"), folders}}},
        {QStringLiteral("Options"), QVariantMap{{QStringLiteral("convertHTMLFragments"), true}}},
    };

    platform::Error error;
    const auto data = platform::plist::dataFromPropertyList(manifest, platform::plist::Format::Binary, &error);
    if (!data) {
        setOperationError(error);
        return false;
    }
    const QUrl url = platform::fileurl::appendingPathComponent(destination, manifestFileName(destination));
    if (!fileManager->writeData(*data, url, &error)) {
        setOperationError(error);
        return false;
    }
    setPlistURL(url);
    return true;
}

std::optional<QVariantMap> ExportNoteOperation::folderDictFromURL(const QUrl& folderURL, int depth)
{
    // The account folder comes on top of the deepest Notes folder.
    if (depth > kMaxFolderDepth + 1) {
        setOperationError(tooDeepError(platform::fileurl::lastPathComponent(folderURL)));
        return std::nullopt;
    }
    platform::Error error;
    const auto entries = platform::FileManager::defaultManager()->contentsOfDirectory(folderURL, true, &error);
    if (!entries) {
        setOperationError(error);
        return std::nullopt;
    }
    QVariantList folders, items;
    for (const QUrl& entry : *entries) {
        // A Notes folder named like a package ("Thesis.rtfd") is still a folder.
        const auto type = platform::uti::typeIdentifierOfItem(entry);
        if (m_exportedFolderPaths.contains(platform::fileurl::path(entry)) ||
            (type && platform::uti::typeConformsTo(*type, platform::uti::kUTTypeFolder))) {
            const auto folder = folderDictFromURL(entry, depth + 1);
            if (!folder)
                return std::nullopt;
            folders.append(*folder);
        } else {
            items.append(itemDictFromURL(entry));
        }
    }
    return QVariantMap{
        {QStringLiteral("name"), platform::fileurl::lastPathComponent(folderURL)},
        {QStringLiteral("identifier"), absoluteString(folderURL)},
        {QStringLiteral("items"), items},
        {QStringLiteral("folders"), folders},
    };
}

QVariantMap ExportNoteOperation::itemDictFromURL(const QUrl& fileURL) const
{
    const QString url = absoluteString(fileURL);
    QVariantMap item{{QStringLiteral("identifier"), url}, {QStringLiteral("fileURL"), url}};
    // A package is recorded as a directory URL; either form of the URL matches.
    const QString path = platform::fileurl::path(fileURL);
    std::lock_guard lock(m_mutex);
    if (m_passwordProtectedFileURLs.contains(platform::fileurl::fromPath(path, false)) ||
        m_passwordProtectedFileURLs.contains(platform::fileurl::fromPath(path, true)))
        item.insert(QStringLiteral("wasEncrypted"), true);
    return item;
}
