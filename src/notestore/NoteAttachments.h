#pragma once

#include "notestore/ContainerFiles.h"
#include "notestore/NoteCrypto.h"
#include "notestore/NoteHTML.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace notestore {

class PictureBudget;

// The columns of an attachment row, with its media row's, as the database
// gives them (the reader picks the column its version has).
struct AttachmentRow {
    QString identifier;
    QString typeUTI;
    QString title;
    QString userTitle;
    QString urlString;
    std::optional<QDateTime> creationDate;
    std::optional<QDateTime> modificationDate;
    QByteArray mergeableData; // tables and galleries
    QString fallbackImageGeneration;
    QString fallbackPDFGeneration;
    QString mediaIdentifier;
    QString mediaFilename;
    QString mediaGeneration;
    // The media row's own lock: its primary key names its key.
    qint64 mediaPK = 0;
    bool mediaPasswordProtected = false;
    LockedKeyParameters mediaKey;
    SealParameters mediaSeal;
};

// A hashtag, mention or link to another note, standing in the text.
struct InlineAttachmentRow {
    QString identifier;
    QString typeUTI;
    QString altText;
    QString tokenContentIdentifier;
};

enum class AttachmentKind {
    Picture,         // shown in the note from its media file
    File,            // saved beside the text: PDF, audio, video, documents
    LinkCard,        // a URL with a title
    Table,           // drawn from its mergeable data
    Gallery,         // scanned pages, shown from their previews
    ScannedDocument, // a file: the media file, else the fallback PDF
    Drawing,         // shown from its fallback image
    Hashtag,
    Mention,
    NoteLink,
    Calculation, // a maths result or graph expression: the text it shows
};

AttachmentKind attachmentKind(const QString& typeUTI);

// Gives the key of a locked media file (its primary key and key
// parameters), or the reason it does not open.
using MediaKeyOpener = std::function<CryptoOutcome(qint64 mediaPK, const LockedKeyParameters& key, Secret& out,
                                                   QString* problem)>;

// Where a container keeps the files of one account's attachments.
struct MediaPlace {
    QString containerRoot;
    // The container's files; when unset, the folder at `containerRoot`.
    std::shared_ptr<const ContainerFiles> files;
    QString accountIdentifier;
    // The note is locked: its media files are encrypted and opened with
    // `mediaKey`; its other files are never served as they are.
    bool lockedNote = false;
    MediaKeyOpener mediaKey;
};

// Pictures larger than this are not put into the HTML.
inline constexpr qint64 kMaxInlinePictureSize = qint64(50) << 20;

// The name Notes gives the attachment: the media file's name, else its
// title, else one made from its kind ("Scan.pdf", "Drawing.png"); always
// with the extension of its type, never a path.
QString attachmentFileName(const AttachmentRow& row, const MediaPlace& place);

// A file of the container that belongs to an attachment, or why there is none.
struct AttachmentFile {
    QString path{};    // a regular file inside the container; empty when there is none
    QString problem{}; // why there is none, for the user
    bool encrypted = false; // `path` is a locked media file: decrypt it, never copy it
    QString relativePath{}; // `path` inside the container, for its ContainerFiles
};

// The files of the container `place` stands for.
std::shared_ptr<const ContainerFiles> containerFiles(const MediaPlace& place);

// Whether the media file of `row` is encrypted.
bool isEncryptedMedia(const AttachmentRow& row, const MediaPlace& place);

// The file `saveIn` copies: the media file, else for a scanned document its
// fallback PDF and for a drawing its fallback image.
AttachmentFile fileToSave(const AttachmentRow& row, const MediaPlace& place);

// The picture that stands in the note: a picture's media file, a drawing's
// fallback image, the largest preview of a gallery.
AttachmentFile pictureToShow(const AttachmentRow& row, const MediaPlace& place);

// <img src="data:<mime type>;base64,…"> of the picture at `path`, read in
// pieces; empty, with the reason, when it is unreadable or too large. The
// extension of `typeName` (else of `path`) tells the type when its bytes do not.
QString inlinePictureHTML(const QString& path, QString* problem, const QString& typeName = {});

// inlinePictureHTML of a picture of the container.
QString containerPictureHTML(const MediaPlace& place, const AttachmentFile& picture, QString* problem);

// Draws a note's attachments into its HTML. Tables are drawn by `tableHTML`
// (their mergeable data, the renderer for their cells, the table's depth,
// why it cannot be drawn); links to other notes show their own text, else
// the target's title when `noteTitle` knows it.
class NoteAttachmentRenderer final : public AttachmentRenderer {
public:
    using TableRenderer =
        std::function<QString(const QByteArray& data, AttachmentRenderer& cells, int depth, QString* reason)>;
    using NoteTitles = std::function<QString(const QString& noteIdentifier)>;

    NoteAttachmentRenderer(MediaPlace place, QHash<QString, AttachmentRow> attachments,
                           QHash<QString, InlineAttachmentRow> inlineAttachments, TableRenderer tableHTML = {},
                           NoteTitles noteTitle = {});

    QString htmlForAttachment(const QString& identifier, const QString& typeUTI, int depth) override;

    // An attachment the text named, in the order drawn (which is text order).
    struct Visit {
        QString identifier;
        QString name;    // for the summary
        QString problem; // why it could not be drawn; empty when it was or needs no drawing
        QString contentID; // a picture shown by reference, carried as a file
    };
    const QList<Visit>& visits() const { return m_visits; }
    // The visits that could not be drawn.
    QList<Visit> problems() const;
    // The rows of the attachments the text named, in text order.
    const AttachmentRow* row(const QString& identifier) const;
    const MediaPlace& place() const { return m_place; }
    // Pictures beyond `budget` are shown by content ID, not carried in the HTML.
    void setPictureBudget(std::shared_ptr<PictureBudget> budget) { m_pictureBudget = std::move(budget); }

private:
    QString htmlForRow(const AttachmentRow& row, int depth, Visit& visit);
    QString htmlForInline(const InlineAttachmentRow& row, Visit& visit);
    QString noteLinkHTML(const InlineAttachmentRow& row, Visit& visit);

    MediaPlace m_place;
    QHash<QString, AttachmentRow> m_attachments;
    QHash<QString, InlineAttachmentRow> m_inlineAttachments;
    TableRenderer m_tableHTML;
    NoteTitles m_noteTitle;
    QList<Visit> m_visits;
    std::shared_ptr<PictureBudget> m_pictureBudget;
};

} // namespace notestore
