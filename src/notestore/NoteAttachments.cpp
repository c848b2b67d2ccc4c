#include "notestore/NoteAttachments.h"
#include "platform/LocalizedString.h"

#include "notestore/FolderFiles.h"
#include "notestore/LockedMedia.h"
#include "notestore/MediaAccess.h"
#include "notestore/NoteStoreDatabase.h"
#include "notestore/PictureBudget.h"

#include "platform/FileURL.h"
#include "platform/UniformTypes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace notestore {

namespace {

const QString kTableType = QStringLiteral("com.apple.notes.table");
const QString kGalleryType = QStringLiteral("com.apple.notes.gallery");
const QString kScanType = QStringLiteral("com.apple.paper.doc.scan");
const QString kLinkType = QStringLiteral("public.url");

// Database values become path components only when they are one plain name.
bool isPlainName(const QString& name)
{
    return !name.isEmpty() && name != u'.' && name != QLatin1String("..") && !name.contains(u'/')
        && !name.contains(QChar(0)) && name.size() <= 255;
}

// Identifiers are UUIDs or the like; anything else is not looked up by pattern.
bool isPlainIdentifier(const QString& identifier)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_-]{1,128}$"));
    return plain.match(identifier).hasMatch();
}

// The folders that may hold an account's files, relative to the
// container: its own, then the root.
QStringList bases(const MediaPlace& place)
{
    QStringList result;
    if (isPlainName(place.accountIdentifier))
        result << QStringLiteral("Accounts/") + place.accountIdentifier;
    result << QString();
    return result;
}

QString joined(const QString& base, const QString& rest)
{
    return base.isEmpty() ? rest : base + u'/' + rest;
}

// `base`/`parts`… relative to the container when it is a regular file that
// lies inside it (no link leads out of it); empty otherwise.
QString regularFileInside(const MediaPlace& place, const QString& base, const QStringList& parts)
{
    for (const QString& part : parts) {
        if (!isPlainName(part))
            return {};
    }
    const QString relative = joined(base, parts.join(u'/'));
    return containerFiles(place)->isFile(relative) ? relative : QString();
}

QString firstFile(const MediaPlace& place, const QList<QStringList>& candidates)
{
    for (const QString& base : bases(place)) {
        for (const QStringList& parts : candidates) {
            if (const QString path = regularFileInside(place, base, parts); !path.isEmpty())
                return path;
        }
    }
    return {};
}

QString mediaFile(const AttachmentRow& row, const MediaPlace& place)
{
    if (row.mediaIdentifier.isEmpty() || row.mediaFilename.isEmpty())
        return {};
    const QString media = QStringLiteral("Media");
    QList<QStringList> candidates;
    if (!row.mediaGeneration.isEmpty())
        candidates << QStringList{media, row.mediaIdentifier, row.mediaGeneration, row.mediaFilename};
    candidates << QStringList{media, row.mediaIdentifier, row.mediaFilename};
    return firstFile(place, candidates);
}

QString fallbackPDF(const AttachmentRow& row, const MediaPlace& place)
{
    const QString folder = QStringLiteral("FallbackPDFs");
    const QString name = QStringLiteral("FallbackPDF.pdf");
    QList<QStringList> candidates;
    if (!row.fallbackPDFGeneration.isEmpty())
        candidates << QStringList{folder, row.identifier, row.fallbackPDFGeneration, name};
    candidates << QStringList{folder, row.identifier, name};
    return firstFile(place, candidates);
}

QString fallbackImage(const AttachmentRow& row, const MediaPlace& place)
{
    const QString folder = QStringLiteral("FallbackImages");
    QList<QStringList> candidates;
    if (!row.fallbackImageGeneration.isEmpty())
        candidates << QStringList{folder, row.identifier, row.fallbackImageGeneration, QStringLiteral("FallbackImage.png")};
    candidates << QStringList{folder, row.identifier, QStringLiteral("FallbackImage.png")}
               << QStringList{folder, row.identifier + QStringLiteral(".jpg")};
    return firstFile(place, candidates);
}

// Previews are named "<id>-1-<width>x<height>-0.jpeg"; the largest is best.
QString largestPreview(const AttachmentRow& row, const MediaPlace& place)
{
    if (!isPlainIdentifier(row.identifier))
        return {};
    const QString prefix = row.identifier + QStringLiteral("-1-");
    const QString suffix = QStringLiteral("-0.jpeg");
    for (const QString& base : bases(place)) {
        const QString previews = joined(base, QStringLiteral("Previews"));
        QString best;
        qint64 bestArea = -1;
        for (const QString& name : containerFiles(place)->fileNames(previews, prefix, suffix)) {
            const QStringList size = name.mid(prefix.size(), name.size() - prefix.size() - suffix.size()).split(u'x');
            const qint64 area = size.size() == 2 ? size[0].toLongLong() * size[1].toLongLong() : 0;
            if (area > bestArea && !regularFileInside(place, previews, {name}).isEmpty()) {
                best = joined(previews, name);
                bestArea = area;
            }
        }
        if (!best.isEmpty())
            return best;
    }
    return {};
}

QString withoutPathSeparators(QString name)
{
    name.replace(u'/', u'-').remove(QChar(0));
    return name.trimmed();
}

QString defaultStem(AttachmentKind kind)
{
    switch (kind) {
    case AttachmentKind::Picture: return QStringLiteral("Picture");
    case AttachmentKind::Gallery:
    case AttachmentKind::ScannedDocument: return QStringLiteral("Scan");
    case AttachmentKind::Drawing: return QStringLiteral("Drawing");
    case AttachmentKind::Table: return QStringLiteral("Table");
    case AttachmentKind::LinkCard: return QStringLiteral("Link");
    default: return QStringLiteral("Attachment");
    }
}

// The extension a name of this attachment must end with.
QString extensionFor(const AttachmentRow& row, AttachmentKind kind, const MediaPlace& place)
{
    switch (kind) {
    case AttachmentKind::ScannedDocument: {
        const QString media = mediaFile(row, place);
        return media.isEmpty() ? QStringLiteral("pdf") : platform::pathutil::pathExtension(media);
    }
    case AttachmentKind::Gallery: return QStringLiteral("jpeg");
    case AttachmentKind::Drawing: {
        const QString image = fallbackImage(row, place);
        return image.isEmpty() ? QStringLiteral("png") : platform::pathutil::pathExtension(image);
    }
    case AttachmentKind::Picture:
    case AttachmentKind::File: return platform::uti::preferredFilenameExtensionForType(row.typeUTI);
    default: return {};
    }
}

QString missingFileProblem(const AttachmentRow& row, const MediaPlace& place)
{
    // A folder this user may not enter hides the file as well as its absence does.
    const QString root = containerFiles(place)->root();
    QStringList candidates;
    if (isPlainName(row.mediaIdentifier) && isPlainName(row.mediaFilename)) {
        for (const QString& base : bases(place))
            candidates << root + u'/' + joined(base, QStringLiteral("Media/") + row.mediaIdentifier + u'/' + row.mediaFilename);
    }
    if (QString denied = deniedFolderProblem(root, candidates); !denied.isEmpty())
        return denied;
    return platform::localizedString("its file is not in the copied folder, perhaps never downloaded from iCloud");
}

// Stand-in files of a locked note (previews, fallbacks) are encrypted with
// keys this program does not read; they are left out, never shown as they are.
QString lockedStandInProblem()
{
    return platform::localizedString("it belongs to a locked note and only its own file can be decrypted");
}

} // namespace

AttachmentKind attachmentKind(const QString& typeUTI)
{
    if (typeUTI == kLinkType)
        return AttachmentKind::LinkCard;
    if (typeUTI == kTableType)
        return AttachmentKind::Table;
    if (typeUTI == kGalleryType)
        return AttachmentKind::Gallery;
    if (typeUTI == kScanType)
        return AttachmentKind::ScannedDocument;
    if (typeUTI == QLatin1String("com.apple.paper") || typeUTI == QLatin1String("com.apple.drawing")
        || typeUTI == QLatin1String("com.apple.drawing.2"))
        return AttachmentKind::Drawing;
    if (typeUTI == QLatin1String("com.apple.notes.inlinetextattachment.hashtag"))
        return AttachmentKind::Hashtag;
    if (typeUTI == QLatin1String("com.apple.notes.inlinetextattachment.mention"))
        return AttachmentKind::Mention;
    if (typeUTI == QLatin1String("com.apple.notes.inlinetextattachment.link"))
        return AttachmentKind::NoteLink;
    if (typeUTI == QLatin1String("com.apple.notes.inlinetextattachment.calculateresult")
        || typeUTI == QLatin1String("com.apple.notes.inlinetextattachment.calculategraphexpression"))
        return AttachmentKind::Calculation;
    if (platform::uti::typeConformsTo(typeUTI, platform::uti::kUTTypeImage))
        return AttachmentKind::Picture;
    return AttachmentKind::File;
}

QString attachmentFileName(const AttachmentRow& row, const MediaPlace& place)
{
    const AttachmentKind kind = attachmentKind(row.typeUTI);
    QString name = withoutPathSeparators(row.mediaFilename);
    if (name.isEmpty())
        name = withoutPathSeparators(row.userTitle);
    if (name.isEmpty())
        name = withoutPathSeparators(row.title);
    if (name.isEmpty() || name == u'.' || name == QLatin1String(".."))
        name = defaultStem(kind);
    const QString extension = extensionFor(row, kind, place);
    if (extension.isEmpty())
        return name;
    // "IMG_1.JPG" and "photo.jpeg" are already right for a JPEG.
    const QString current = platform::pathutil::pathExtension(name);
    const bool fits = current.compare(extension, Qt::CaseInsensitive) == 0
                   || (!current.isEmpty()
                       && platform::uti::preferredIdentifierForFilenameExtension(current)
                              == platform::uti::preferredIdentifierForFilenameExtension(extension));
    return fits ? name : name + u'.' + extension;
}

bool isEncryptedMedia(const AttachmentRow& row, const MediaPlace& place)
{
    return place.lockedNote || row.mediaPasswordProtected || !row.mediaKey.wrappedKey.isEmpty()
        || !row.mediaSeal.iv.isEmpty();
}

std::shared_ptr<const ContainerFiles> containerFiles(const MediaPlace& place)
{
    if (place.files)
        return place.files;
    return std::make_shared<FolderFiles>(place.containerRoot + u'/' + QLatin1String(NoteStoreDatabase::kDatabaseFileName));
}

// The file at `relative`, named for the user.
static AttachmentFile found(const MediaPlace& place, const QString& relative, bool encrypted = false)
{
    return {containerFiles(place)->root() + u'/' + relative, {}, encrypted, relative};
}

AttachmentFile fileToSave(const AttachmentRow& row, const MediaPlace& place)
{
    const AttachmentKind kind = attachmentKind(row.typeUTI);
    QString path = mediaFile(row, place);
    if (!path.isEmpty() && isEncryptedMedia(row, place))
        return found(place, path, true);
    if (path.isEmpty() && place.lockedNote
        && (kind == AttachmentKind::ScannedDocument || kind == AttachmentKind::Drawing
            || kind == AttachmentKind::Gallery))
        return {.problem = lockedStandInProblem()};
    if (path.isEmpty() && kind == AttachmentKind::ScannedDocument)
        path = fallbackPDF(row, place);
    if (path.isEmpty() && kind == AttachmentKind::Drawing)
        path = fallbackImage(row, place);
    if (path.isEmpty() && kind == AttachmentKind::Gallery)
        path = largestPreview(row, place);
    if (!path.isEmpty())
        return found(place, path);
    if (kind == AttachmentKind::File && row.mediaIdentifier.isEmpty())
        return {.problem = platform::localizedString("it is of a kind that cannot be exported: %1").arg(row.typeUTI)};
    return {.problem = missingFileProblem(row, place)};
}

AttachmentFile pictureToShow(const AttachmentRow& row, const MediaPlace& place)
{
    QString path;
    const AttachmentKind kind = attachmentKind(row.typeUTI);
    if (place.lockedNote && (kind == AttachmentKind::Drawing || kind == AttachmentKind::Gallery))
        return {.problem = lockedStandInProblem()};
    switch (kind) {
    case AttachmentKind::Picture:
        path = mediaFile(row, place);
        if (!path.isEmpty() && isEncryptedMedia(row, place))
            return found(place, path, true);
        break;
    case AttachmentKind::Drawing: path = fallbackImage(row, place); break;
    case AttachmentKind::Gallery: path = largestPreview(row, place); break;
    default: return {.problem = platform::localizedString("it is not a picture")};
    }
    return path.isEmpty() ? AttachmentFile{{}, missingFileProblem(row, place)} : found(place, path);
}

QString containerPictureHTML(const MediaPlace& place, const AttachmentFile& picture, QString* problem)
{
    const auto local = containerFiles(place)->localFile(picture.relativePath, problem);
    return local ? inlinePictureHTML(local->path(), problem, picture.path) : QString();
}

QString inlinePictureHTML(const QString& path, QString* problem, const QString& typeName)
{
    const auto fail = [&](const QString& reason) {
        if (problem)
            *problem = reason;
        return QString();
    };
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(platform::localizedString("its file cannot be read: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(platform::localizedString("its file cannot be read"));
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return fail(platform::localizedString("its file is not a regular file"));
    if (info.st_size > kMaxInlinePictureSize)
        return fail(platform::localizedString("the picture is larger than %1 MB").arg(kMaxInlinePictureSize >> 20));
    // The picture's own bytes tell its type best; the extension when no
    // reader here knows the format (HEIC, for one).
    QString mimeType = platform::uti::preferredMIMETypeForType(
        platform::uti::preferredIdentifierForFilenameExtension(QString::fromLatin1(QImageReader::imageFormat(&file))));
    if (mimeType.isEmpty())
        mimeType = platform::uti::preferredMIMETypeForType(
            platform::uti::preferredIdentifierForFilenameExtension(
                platform::pathutil::pathExtension(typeName.isEmpty() ? path : typeName)));
    if (!mimeType.startsWith(QLatin1String("image/")))
        return fail(platform::localizedString("its file is not a picture"));

    const QString head = QStringLiteral("<img src=\"data:%1;base64,").arg(mimeType);
    QString html;
    html.reserve(head.size() + (info.st_size + 2) / 3 * 4 + 2);
    html += head;
    // Whole groups of three bytes, so the pieces join into one encoding.
    constexpr qint64 kPiece = 3 * 256 * 1024;
    file.seek(0);
    qint64 total = 0;
    while (total <= kMaxInlinePictureSize) {
        const QByteArray piece = file.read(kPiece);
        if (piece.isEmpty())
            break;
        total += piece.size();
        html += QLatin1String(piece.toBase64());
    }
    if (file.error() != QFileDevice::NoError)
        return fail(platform::localizedString("its file cannot be read: %1").arg(file.errorString()));
    if (total > kMaxInlinePictureSize) // grew while being read
        return fail(platform::localizedString("the picture is larger than %1 MB").arg(kMaxInlinePictureSize >> 20));
    html += QStringLiteral("\">");
    return html;
}

NoteAttachmentRenderer::NoteAttachmentRenderer(MediaPlace place, QHash<QString, AttachmentRow> attachments,
                                               QHash<QString, InlineAttachmentRow> inlineAttachments,
                                               TableRenderer tableHTML, NoteTitles noteTitle)
    : m_place(std::move(place)), m_attachments(std::move(attachments)),
      m_inlineAttachments(std::move(inlineAttachments)), m_tableHTML(std::move(tableHTML)),
      m_noteTitle(std::move(noteTitle))
{
}

QString NoteAttachmentRenderer::htmlForAttachment(const QString& identifier, const QString& typeUTI, int depth)
{
    // Named once however often the text shows it (a table within itself),
    // at its first place: a table comes before what its cells hold.
    qsizetype index = std::find_if(m_visits.cbegin(), m_visits.cend(),
                                   [&](const Visit& known) { return known.identifier == identifier; })
                    - m_visits.cbegin();
    if (index == m_visits.size())
        m_visits.append(Visit{identifier, {}, {}, {}});
    Visit visit{identifier, {}, {}, {}};
    QString html;
    if (const auto row = m_attachments.constFind(identifier); row != m_attachments.constEnd()) {
        visit.name = attachmentFileName(*row, m_place);
        html = htmlForRow(*row, depth, visit);
    } else if (const auto token = m_inlineAttachments.constFind(identifier); token != m_inlineAttachments.constEnd()) {
        visit.name = token->altText.isEmpty() ? defaultStem(attachmentKind(token->typeUTI)) : token->altText;
        html = htmlForInline(*token, visit);
    } else {
        visit.name = defaultStem(attachmentKind(typeUTI));
        visit.problem = platform::localizedString("the note names an attachment the database does not hold");
    }
    Visit& recorded = m_visits[index];
    recorded.name = visit.name;
    if (!visit.contentID.isEmpty())
        recorded.contentID = visit.contentID;
    if (recorded.problem.isEmpty())
        recorded.problem = visit.problem;
    return html;
}

QList<NoteAttachmentRenderer::Visit> NoteAttachmentRenderer::problems() const
{
    QList<Visit> result;
    for (const Visit& visit : m_visits) {
        if (!visit.problem.isEmpty())
            result.append(visit);
    }
    return result;
}

const AttachmentRow* NoteAttachmentRenderer::row(const QString& identifier) const
{
    const auto found = m_attachments.constFind(identifier);
    return found == m_attachments.constEnd() ? nullptr : &*found;
}

QString NoteAttachmentRenderer::htmlForRow(const AttachmentRow& row, int depth, Visit& visit)
{
    switch (attachmentKind(row.typeUTI)) {
    case AttachmentKind::File:
    case AttachmentKind::ScannedDocument:
        return {}; // saved beside the text, never in it
    case AttachmentKind::LinkCard: {
        const QUrl url(row.urlString, QUrl::StrictMode);
        static const QStringList safeSchemes = {QStringLiteral("http"), QStringLiteral("https"),
                                                QStringLiteral("mailto"), QStringLiteral("ftp"), QStringLiteral("tel")};
        QString title = !row.title.isEmpty() ? row.title : !row.userTitle.isEmpty() ? row.userTitle : row.urlString;
        if (!url.isValid() || !safeSchemes.contains(url.scheme().toLower()))
            return title.toHtmlEscaped(); // shown, never followed
        return QStringLiteral("<a href=\"%1\">%2</a>")
            .arg(QString::fromLatin1(url.toEncoded()).toHtmlEscaped(), title.toHtmlEscaped());
    }
    case AttachmentKind::Table: {
        if (depth >= kMaxAttachmentDepth) {
            visit.problem = platform::localizedString("tables are nested too deeply");
            return {};
        }
        QString reason;
        const QString html = m_tableHTML ? m_tableHTML(row.mergeableData, *this, depth, &reason) : QString();
        if (html.isEmpty())
            visit.problem = reason.isEmpty() ? platform::localizedString("its table data cannot be read")
                                             : platform::localizedString("its table data cannot be read: %1").arg(reason);
        return html;
    }
    case AttachmentKind::Picture:
    case AttachmentKind::Gallery:
    case AttachmentKind::Drawing: {
        const AttachmentFile picture = pictureToShow(row, m_place);
        if (!picture.path.isEmpty() && m_pictureBudget && !m_pictureBudget->admit(containerFiles(m_place)->fileSize(picture.relativePath))) {
            visit.contentID = pictureContentID(row.identifier);
            return pictureReferenceHTML(visit.contentID);
        }
        QString problem = picture.problem;
        const QString html = picture.path.isEmpty() ? QString()
                           : picture.encrypted     ? lockedPictureHTML(row, m_place, picture, &problem)
                                                   : containerPictureHTML(m_place, picture, &problem);
        if (html.isEmpty())
            visit.problem = problem;
        return html;
    }
    default:
        visit.problem = platform::localizedString("it is of a kind that cannot be exported: %1").arg(row.typeUTI);
        return {};
    }
}

QString NoteAttachmentRenderer::htmlForInline(const InlineAttachmentRow& row, Visit& visit)
{
    const AttachmentKind kind = attachmentKind(row.typeUTI);
    if (kind == AttachmentKind::NoteLink)
        return noteLinkHTML(row, visit);
    // What the note shows is text; nothing is missing when there is none.
    if (kind == AttachmentKind::Calculation)
        return row.altText.toHtmlEscaped();
    if ((kind == AttachmentKind::Hashtag || kind == AttachmentKind::Mention) && !row.altText.isEmpty())
        return row.altText.toHtmlEscaped();
    visit.problem = kind == AttachmentKind::Hashtag || kind == AttachmentKind::Mention
                        ? platform::localizedString("it has no text")
                        : platform::localizedString("it is of a kind that cannot be exported: %1").arg(row.typeUTI);
    return {};
}

} // namespace notestore
