#pragma once

#include <QString>
#include <QUrl>
#include <optional>

// Uniform type identifiers: a reverse-DNS name for each kind of item, and
// conformance between them ("public.jpeg" conforms to "public.image").
namespace platform::uti {

inline const QString kUTTypeImage = QStringLiteral("public.image");
inline const QString kUTTypeFolder = QStringLiteral("public.folder");
inline const QString kUTTypeItem = QStringLiteral("public.item");
inline const QString kUTTypeData = QStringLiteral("public.data");
inline const QString kUTTypeDirectory = QStringLiteral("public.directory");
inline const QString kUTTypePackage = QStringLiteral("com.apple.package");

// The preferred type for a file-name extension (case-insensitive). An
// extension we do not know gets a dynamic identifier ("dyn.…"), which
// conforms only to the base types of data.
QString preferredIdentifierForFilenameExtension(const QString& extension);

// The usual file-name extension of `type` ("pdf" for "com.adobe.pdf"),
// empty for a type we do not know or one without files of its own.
QString preferredFilenameExtensionForType(const QString& type);

// The MIME type of `type` ("image/png" for "public.png") and back; empty
// for types without a usual one.
QString preferredMIMETypeForType(const QString& type);
QString preferredIdentifierForMIMEType(const QString& mimeType);

// True when `type` is `conformsTo` or lies beneath it.
bool typeConformsTo(const QString& type, const QString& conformsTo);

// The type of the item on disk: a known package extension on a directory
// names that package type (an ".rtfd" is a package, not a folder), any
// other directory is a folder, a file is typed by its extension. Nothing
// when the item cannot be read.
std::optional<QString> typeIdentifierOfItem(const QUrl& fileURL);

} // namespace platform::uti
