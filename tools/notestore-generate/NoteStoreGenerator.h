#pragma once

// Writes Notes containers (NoteStore.sqlite, its -wal, account files) of
// the layouts real devices use, holding only what a test describes. Every
// object is given by index into the container's lists; the generator picks
// the primary keys, so tests never depend on them.

#include "notestore.pb.h"

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QVariantMap>
#include <optional>
#include <utility>
#include <vector>

namespace notestoregen {

namespace pb = notestore::pb;

// The schema of each Notes version: iOS 15 exactly as a real database has
// it, the others derived from it by the columns that tell them apart.
// TooOld has no note-data table (bodies as HTML); Unknown is a later layout
// whose title columns were renamed.
enum class SchemaVersion { TooOld, iOS11, iOS12, iOS13, iOS14, iOS15, iOS16, iOS17, iOS18, iOS26, Unknown };

const char* versionName(SchemaVersion version);

// Seconds since 2001-01-01 UTC, as the database keeps dates.
double appleTime(int year, int month, int day, int hour = 12, int minute = 0);

// One stretch of text with one set of attributes. The paragraph fields
// apply to the paragraph(s) whose "\n" the stretch covers.
struct TextRun {
    TextRun(QString text, int paragraphStyle = -1) : text(std::move(text)), paragraphStyle(paragraphStyle) {}

    QString text;
    int paragraphStyle = -1; // -1 body, 0 title, 1 heading, 2 subheading, 4 mono, 100-103 lists
    int alignment = 0;
    int indent = 0;
    std::optional<bool> checked; // checklist item state
    bool blockQuote = false;
    int fontWeight = 0; // 1 bold, 2 italic, 3 both
    bool underline = false;
    bool strikethrough = false;
    int baseline = 0;
    QString link;
    std::optional<QColor> color;
    int highlight = 0;
    QString attachmentIdentifier; // with attachmentType: the text must be one U+FFFC
    QString attachmentType;

    TextRun& withAlignment(int value) { alignment = value; return *this; }
    TextRun& withIndent(int value) { indent = value; return *this; }
    TextRun& withChecked(bool value) { checked = value; return *this; }
    TextRun& withBlockQuote() { blockQuote = true; return *this; }
    TextRun& withWeight(int value) { fontWeight = value; return *this; }
    TextRun& withUnderline() { underline = true; return *this; }
    TextRun& withStrikethrough() { strikethrough = true; return *this; }
    TextRun& withBaseline(int value) { baseline = value; return *this; }
    TextRun& withLink(const QString& url) { link = url; return *this; }
    TextRun& withColor(const QColor& value) { color = value; return *this; }
    TextRun& withHighlight(int value) { highlight = value; return *this; }
    TextRun& withAttachment(const QString& identifier, const QString& type)
    {
        attachmentIdentifier = identifier;
        attachmentType = type;
        return *this;
    }
};

// The styled text the runs make, lengths in UTF-16 code units.
pb::NoteText styledText(const std::vector<TextRun>& runs);
// Plain paragraphs, the first one a title.
pb::NoteText plainText(const QString& title, const QString& body);
// What ZDATA holds for a body: gzip of the body protobuf.
QByteArray gzippedBody(const pb::NoteText& text);
QByteArray gzip(const QByteArray& data);

struct Account {
    QString name = QStringLiteral("iCloud");
    QString identifier; // a UUID made from the index when empty
    int accountType = 1;
    QVariantMap extraColumns; // e.g. ZCRYPTOSALT, ZPASSWORDHINT
    bool walOnly = false;
};

struct Folder {
    std::optional<QString> title = QStringLiteral("Notes"); // nullopt: no ZTITLE2
    int account = 0;
    std::optional<int> parent; // index into folders
    int folderType = 0;        // 0 normal, 1 trash, 3 smart folder
    bool markedForDeletion = false;
    QString identifier;
    QVariantMap extraColumns;
    bool walOnly = false;
};

// The encryption columns of a locked note; raw ZDATA goes in Note::data.
struct NoteCrypto {
    QByteArray salt;
    qint64 iterations = 0;
    QByteArray wrappedKey;
    QByteArray iv;  // ZICNOTEDATA.ZCRYPTOINITIALIZATIONVECTOR
    QByteArray tag; // ZICNOTEDATA.ZCRYPTOTAG
};

struct Note {
    std::optional<QString> title = QStringLiteral("Note");
    int folder = 0;
    QString identifier;
    std::optional<double> creationDate = appleTime(2024, 1, 1);
    std::optional<double> modificationDate = appleTime(2024, 1, 2);
    pb::NoteText text;               // gzipped into ZDATA unless `data` is set
    std::optional<QByteArray> data;  // ZDATA exactly as given (hostile, encrypted)
    bool hasNoteData = true;         // false: no ZICNOTEDATA row at all
    bool passwordProtected = false;
    std::optional<NoteCrypto> crypto;
    QString passwordHint;
    bool markedForDeletion = false;
    bool pinned = false;
    QVariantMap extraColumns; // any other column of the note row
    bool walOnly = false;
};

// Any other row of the object table: attachments, media, inline
// attachments. References to notes and other rows are by index.
struct ObjectRow {
    QString entity; // "ICAttachment", "ICMedia", "ICInlineAttachment", ...
    QString identifier;
    QVariantMap columns;
    std::vector<std::pair<QString, int>> noteReferences;   // column -> index into notes
    std::vector<std::pair<QString, int>> objectReferences; // column -> index into objects
    bool walOnly = false;
};

// A file inside the container, e.g. "Accounts/<id>/Media/<media id>/photo.jpeg".
struct ContainerFile {
    QString relativePath;
    QByteArray contents;
};

struct Container {
    SchemaVersion version = SchemaVersion::iOS15;
    std::vector<Account> accounts;
    std::vector<Folder> folders;
    std::vector<Note> notes;
    std::vector<ObjectRow> objects;
    std::vector<ContainerFile> files;

    // Appenders that return the new object's index.
    int addAccount(const QString& name, const QString& identifier = QString());
    int addFolder(const QString& title, int account, std::optional<int> parent = std::nullopt);
    int addNote(const QString& title, int folder, const pb::NoteText& text, double modificationDate);
};

// The columns each version adds to or removes from the iOS 15 object table.
bool versionHasColumn(SchemaVersion version, const QString& column);

// Writes `container` into `folder` (made when missing; an earlier
// NoteStore.sqlite there is replaced). Rows marked walOnly exist only in
// NoteStore.sqlite-wal afterwards; without them the database is one file.
bool writeContainer(const Container& container, const QString& folder, QString* error);

// A reproducible container of `noteCount` notes over `accountCount`
// accounts with folders nested `depth` deep, bodies of about `bodyBytes`.
Container sizedContainer(int noteCount, int bodyBytes, int depth = 3, int accountCount = 1);

} // namespace notestoregen
