#include "export/ExportNoteOperation.h"

#include "platform/FileManager.h"
#include "platform/FileURL.h"
#include "platform/LocalizedString.h"
#include "platform/PropertyList.h"
#include "platform/UniformTypes.h"

#include <plist/plist.h>

using platform::fileurl::absoluteString;

namespace {

void setString(plist_t dict, const char* key, const QString& value)
{
    plist_dict_set_item(dict, key, plist_new_string(value.toUtf8().constData()));
}

} // namespace

void ExportNoteOperation::ManifestNodeDeleter::operator()(void* node) const
{
    plist_free(static_cast<plist_t>(node));
}

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
    ManifestNode manifest(plist_new_dict());
    plist_t folders = plist_new_array();
    plist_t files = plist_new_dict();
    plist_dict_set_item(files, "folders", folders);
    plist_dict_set_item(manifest.get(), "Files", files);
    plist_t options = plist_new_dict();
    plist_dict_set_item(options, "convertHTMLFragments", plist_new_bool(1));
    plist_dict_set_item(manifest.get(), "Options", options);
    for (const QUrl& entry : *entries) {
        auto folder = folderDictFromURL(entry, 1);
        if (!folder)
            return false;
        plist_array_append_item(folders, folder.release());
    }

    platform::Error error;
    const auto data = platform::plist::dataFromPropertyListNode(manifest.get(), platform::plist::Format::Binary, &error);
    manifest.reset();
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

ExportNoteOperation::ManifestNode ExportNoteOperation::folderDictFromURL(const QUrl& folderURL, int depth)
{
    // The account folder comes on top of the deepest Notes folder.
    if (depth > kMaxFolderDepth + 1) {
        setOperationError(tooDeepError(platform::fileurl::lastPathComponent(folderURL)));
        return nullptr;
    }
    platform::Error error;
    const auto entries = platform::FileManager::defaultManager()->contentsOfDirectory(folderURL, true, &error);
    if (!entries) {
        setOperationError(error);
        return nullptr;
    }
    ManifestNode folders(plist_new_array()), items(plist_new_array());
    for (const QUrl& entry : *entries) {
        // A Notes folder named like a package ("Thesis.rtfd") is still a
        // folder. The listing already told directories apart, so a note's
        // file costs no second look at the disk.
        const auto isFolder = [&] {
            if (!platform::fileurl::hasDirectoryPath(entry))
                return false;
            const auto type = platform::uti::typeIdentifierOfItem(entry);
            return type && platform::uti::typeConformsTo(*type, platform::uti::kUTTypeFolder);
        };
        if (m_exportedFolderPaths.contains(platform::fileurl::path(entry)) || isFolder()) {
            auto folder = folderDictFromURL(entry, depth + 1);
            if (!folder)
                return nullptr;
            plist_array_append_item(folders.get(), folder.release());
        } else {
            plist_array_append_item(items.get(), itemDictFromURL(entry).release());
        }
    }
    // Keys in sorted order, as the manifest has always had them.
    ManifestNode dict(plist_new_dict());
    plist_dict_set_item(dict.get(), "folders", folders.release());
    setString(dict.get(), "identifier", absoluteString(folderURL));
    plist_dict_set_item(dict.get(), "items", items.release());
    setString(dict.get(), "name", platform::fileurl::lastPathComponent(folderURL));
    return dict;
}

ExportNoteOperation::ManifestNode ExportNoteOperation::itemDictFromURL(const QUrl& fileURL) const
{
    const QByteArray url = absoluteString(fileURL).toUtf8();
    ManifestNode item(plist_new_dict());
    plist_dict_set_item(item.get(), "fileURL", plist_new_string(url.constData()));
    plist_dict_set_item(item.get(), "identifier", plist_new_string(url.constData()));
    std::lock_guard lock(m_mutex);
    if (m_passwordProtectedFilePaths.isEmpty())
        return item;
    if (m_passwordProtectedFilePaths.contains(platform::fileurl::path(fileURL)))
        plist_dict_set_item(item.get(), "wasEncrypted", plist_new_bool(1));
    return item;
}
