#include "platform/UniformTypes.h"

#include "platform/FileURL.h"

#include <QFile>
#include <QHash>
#include <QStringList>
#include <sys/stat.h>

namespace platform::uti {

namespace {

struct TypeInfo {
    const char* identifier;
    const char* parents;    // space-separated
    const char* extensions; // space-separated, lower case
};

// Parents first, so every parent is known when a child names it.
constexpr TypeInfo kTypes[] = {
    {"public.item", "", ""},
    {"public.content", "", ""},
    {"public.data", "public.item", ""},
    {"public.directory", "public.item", ""},
    {"public.folder", "public.directory", ""},
    {"public.symlink", "public.item", ""},
    {"com.apple.package", "public.directory", ""},
    {"com.apple.bundle", "public.directory", "bundle"},
    {"com.apple.application-bundle", "com.apple.package com.apple.bundle", "app"},
    {"public.composite-content", "public.content", ""},
    {"public.text", "public.data public.content", ""},
    {"public.plain-text", "public.text", "txt text"},
    {"public.utf8-plain-text", "public.plain-text", ""},
    {"public.source-code", "public.plain-text", ""},
    {"public.c-source", "public.source-code", "c h"},
    {"public.c-plus-plus-source", "public.source-code", "cpp cc cxx hpp"},
    {"public.python-script", "public.source-code", "py"},
    {"public.shell-script", "public.source-code", "sh"},
    {"net.daringfireball.markdown", "public.plain-text", "md markdown"},
    {"public.html", "public.text", "html htm"},
    {"public.xml", "public.text", "xml"},
    {"public.json", "public.text", "json"},
    {"public.comma-separated-values-text", "public.text", "csv"},
    {"public.tab-separated-values-text", "public.text", "tsv"},
    {"public.rtf", "public.text", "rtf"},
    {"com.apple.rtfd", "com.apple.package public.composite-content", "rtfd"},
    {"com.apple.flat-rtfd", "public.data public.composite-content", "flat-rtfd"},
    {"com.apple.property-list", "public.data", "plist"},
    {"com.adobe.pdf", "public.data public.composite-content", "pdf"},
    {"public.image", "public.data public.content", ""},
    {"public.jpeg", "public.image", "jpg jpeg jpe jfif"},
    {"public.png", "public.image", "png"},
    {"com.compuserve.gif", "public.image", "gif"},
    {"public.tiff", "public.image", "tif tiff"},
    {"com.microsoft.bmp", "public.image", "bmp"},
    {"com.microsoft.ico", "public.image", "ico"},
    {"public.heic", "public.image", "heic"},
    {"public.heif", "public.image", "heif"},
    {"org.webmproject.webp", "public.image", "webp"},
    {"public.svg-image", "public.image", "svg"},
    {"com.adobe.photoshop-image", "public.image", "psd"},
    {"public.camera-raw-image", "public.image", "dng cr2 nef arw"},
    {"public.avif", "public.image", "avif"},
    {"public.audiovisual-content", "public.data public.content", ""},
    {"public.audio", "public.audiovisual-content", ""},
    {"public.mp3", "public.audio", "mp3"},
    {"public.mpeg-4-audio", "public.audio", "m4a"},
    {"com.apple.m4a-audio", "public.audio", "m4a"},
    {"com.apple.coreaudio-format", "public.audio", "caf"},
    {"com.microsoft.waveform-audio", "public.audio", "wav"},
    {"public.aiff-audio", "public.audio", "aif aiff"},
    {"org.xiph.flac", "public.audio", "flac"},
    {"org.xiph.ogg-audio", "public.audio", "ogg oga"},
    {"public.movie", "public.audiovisual-content", ""},
    {"public.mpeg-4", "public.movie", "mp4 m4v"},
    {"com.apple.quicktime-movie", "public.movie", "mov qt"},
    {"public.avi", "public.movie", "avi"},
    {"org.webmproject.webm", "public.movie", "webm"},
    {"org.matroska.mkv", "public.movie", "mkv"},
    {"public.archive", "public.data", ""},
    {"com.pkware.zip-archive", "public.archive", "zip"},
    {"org.gnu.gnu-zip-archive", "public.archive", "gz gzip"},
    {"public.tar-archive", "public.archive", "tar"},
    {"org.7-zip.7-zip-archive", "public.archive", "7z"},
    {"public.bzip2-archive", "public.archive", "bz2"},
    {"com.apple.disk-image", "public.data", "dmg"},
    {"com.microsoft.word.doc", "public.data public.composite-content", "doc"},
    {"org.openxmlformats.wordprocessingml.document", "public.data public.composite-content", "docx"},
    {"com.microsoft.excel.xls", "public.data public.composite-content", "xls"},
    {"org.openxmlformats.spreadsheetml.sheet", "public.data public.composite-content", "xlsx"},
    {"com.microsoft.powerpoint.ppt", "public.data public.composite-content", "ppt"},
    {"org.openxmlformats.presentationml.presentation", "public.data public.composite-content", "pptx"},
    {"org.oasis-open.opendocument.text", "public.data public.composite-content", "odt"},
    {"org.oasis-open.opendocument.spreadsheet", "public.data public.composite-content", "ods"},
    {"org.oasis-open.opendocument.presentation", "public.data public.composite-content", "odp"},
    {"com.apple.iwork.pages.sffpages", "com.apple.package public.composite-content", "pages"},
    {"com.apple.iwork.numbers.sffnumbers", "com.apple.package public.composite-content", "numbers"},
    {"com.apple.iwork.keynote.sffkey", "com.apple.package public.composite-content", "key"},
    {"public.vcard", "public.text", "vcf"},
    {"com.apple.ical.ics", "public.text", "ics"},
    {"org.idpf.epub-container", "public.data public.composite-content", "epub"},
};

// MIME types of the types that have a usual one, for pictures above all.
constexpr std::pair<const char*, const char*> kMIMETypes[] = {
    {"public.jpeg", "image/jpeg"},
    {"public.png", "image/png"},
    {"com.compuserve.gif", "image/gif"},
    {"public.tiff", "image/tiff"},
    {"com.microsoft.bmp", "image/bmp"},
    {"com.microsoft.ico", "image/vnd.microsoft.icon"},
    {"public.heic", "image/heic"},
    {"public.heif", "image/heif"},
    {"org.webmproject.webp", "image/webp"},
    {"public.svg-image", "image/svg+xml"},
    {"public.avif", "image/avif"},
    {"com.adobe.pdf", "application/pdf"},
};

struct Registry {
    QHash<QString, QStringList> parents;
    QHash<QString, QString> byExtension;
    QHash<QString, QString> preferredExtension;

    Registry()
    {
        for (const TypeInfo& type : kTypes) {
            const QString identifier = QLatin1String(type.identifier);
            parents.insert(identifier, QString::fromLatin1(type.parents).split(u' ', Qt::SkipEmptyParts));
            const QStringList extensions = QString::fromLatin1(type.extensions).split(u' ', Qt::SkipEmptyParts);
            if (!extensions.isEmpty())
                preferredExtension.insert(identifier, extensions.first());
            // The first type to name an extension owns it; later ones are aliases.
            for (const QString& extension : extensions)
                byExtension.insert(extension, byExtension.value(extension, identifier));
        }
    }
};

const Registry& registry()
{
    static const Registry instance; // built once, thread-safe
    return instance;
}

// A stable identifier for an unknown extension: its UTF-8 bytes in hex.
QString dynamicIdentifier(const QString& extension)
{
    return QStringLiteral("dyn.ext-") + QString::fromLatin1(extension.toUtf8().toHex());
}

} // namespace

QString preferredIdentifierForFilenameExtension(const QString& extension)
{
    const QString key = extension.toLower();
    const auto found = registry().byExtension.constFind(key);
    return found != registry().byExtension.constEnd() ? found.value() : dynamicIdentifier(extension);
}

QString preferredMIMETypeForType(const QString& type)
{
    for (const auto& [identifier, mime] : kMIMETypes) {
        if (type == QLatin1String(identifier))
            return QString::fromLatin1(mime);
    }
    return {};
}

QString preferredIdentifierForMIMEType(const QString& mimeType)
{
    for (const auto& [identifier, mime] : kMIMETypes) {
        if (mimeType.compare(QLatin1String(mime), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(identifier);
    }
    return {};
}

QString preferredFilenameExtensionForType(const QString& type)
{
    return registry().preferredExtension.value(type);
}

bool typeConformsTo(const QString& type, const QString& conformsTo)
{
    if (type == conformsTo)
        return true;
    if (type.startsWith(QLatin1String("dyn.")))
        return conformsTo == kUTTypeData || conformsTo == kUTTypeItem;
    const auto found = registry().parents.constFind(type);
    if (found == registry().parents.constEnd())
        return false;
    for (const QString& parent : found.value()) {
        if (typeConformsTo(parent, conformsTo))
            return true;
    }
    return false;
}

std::optional<QString> typeIdentifierOfItem(const QUrl& fileURL)
{
    struct stat info {};
    if (lstat(QFile::encodeName(fileurl::path(fileURL)).constData(), &info) != 0)
        return std::nullopt;
    if (S_ISLNK(info.st_mode))
        return QStringLiteral("public.symlink");
    const QString extension = pathutil::pathExtension(fileurl::lastPathComponent(fileURL));
    if (S_ISDIR(info.st_mode)) {
        if (!extension.isEmpty()) {
            const QString type = preferredIdentifierForFilenameExtension(extension);
            if (typeConformsTo(type, kUTTypePackage) || typeConformsTo(type, QStringLiteral("com.apple.bundle")))
                return type;
        }
        return kUTTypeFolder;
    }
    if (extension.isEmpty())
        return kUTTypeData;
    return preferredIdentifierForFilenameExtension(extension);
}

} // namespace platform::uti
