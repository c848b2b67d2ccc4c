#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QStringList>
#include <QString>
#include <QUrl>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

// The Notes library as the export sees it. Every property read is one
// request to Notes; a failed request reads as an empty value (empty
// string, empty list, false, no date), never as an error.

// Folders nested deeper than this are refused, with the folder named:
// far beyond any real library, and within what paths and stacks can take.
inline constexpr int kMaxFolderDepth = 1000;

// Pictures a body carries itself (data: URLs), at most this many bytes of
// them per note: a body is built in memory, so beyond it a source shows its
// pictures by reference (see NotesAttachment::contentID).
inline constexpr qint64 kMaxPictureBytesInBody = qint64(32) << 20;

using FourCharCode = quint32;
// The file format code 'item' given to saveIn(): save the item as it is.
inline constexpr FourCharCode kNotesSaveFormatItem = 0x6974656D;

class NotesAttachment {
public:
    virtual ~NotesAttachment() = default;
    virtual QString name() = 0;
    // Present only for link attachments.
    virtual std::optional<QString> URL() = 0;
    virtual std::optional<QDateTime> creationDate() = 0;
    virtual std::optional<QDateTime> modificationDate() = 0;
    // Saves the attachment's file at `fileURL`. Nothing reports failure:
    // the caller checks whether a file exists there afterwards.
    virtual void saveIn(const QUrl& fileURL, FourCharCode format) = 0;
    // Why the attachment cannot be had (its file missing or unreadable, a
    // kind that cannot be exported), or empty when nothing is known to be
    // wrong. An attachment with a problem is named in the export's summary.
    virtual QString saveProblem() { return {}; }
    // The id by which the body shows this picture (<img src="cid:…">), for
    // a picture too large to go into the body; empty otherwise. Its note
    // becomes a rich-text document carrying it as a file at that place.
    virtual QString contentID() { return {}; }
};

class NotesNote {
public:
    virtual ~NotesNote() = default;
    // What other notes' bodies link to this one by (see NoteLinks.h);
    // empty for a note nothing can link to.
    virtual QString id() { return {}; }
    virtual QString name() = 0;
    // An HTML fragment; empty for a note with nothing to export.
    virtual QString body() = 0;
    // The same body as UTF-8 (one request, like body()). A source that
    // holds the bytes already hands them over without a round trip through
    // UTF-16; either way the bytes are what body().toUtf8() would give.
    virtual QByteArray bodyUTF8() { return body().toUtf8(); }
    // Why body() came back empty for a note that has content after all (a
    // body that cannot be read, a locked note that cannot be opened), or
    // empty when the note is simply empty. Such a note is left out and
    // named in the export's summary.
    virtual QString bodyProblem() { return {}; }
    // Whether body() would have content, for counting before the export:
    // a source that can tell without reading and converting the whole
    // body says so here. A body that turns out unreadable reads as empty
    // all the same when it is exported.
    virtual bool hasBody() { return !body().isEmpty(); }
    virtual bool passwordProtected() = 0;
    virtual std::optional<QDateTime> creationDate() = 0;
    virtual std::optional<QDateTime> modificationDate() = 0;
    // All attachments in one request.
    virtual QList<std::shared_ptr<NotesAttachment>> attachments() = 0;
};

class NotesFolder {
public:
    virtual ~NotesFolder() = default;
    virtual QString id() = 0;
    virtual QString name() = 0;
    // Direct subfolders only.
    virtual QList<std::shared_ptr<NotesFolder>> folders() = 0;
    virtual QList<std::shared_ptr<NotesNote>> notes() = 0;
};

class NotesAccount {
public:
    virtual ~NotesAccount() = default;
    virtual QString id() = 0;
    virtual QString name() = 0;
    // Every folder of the account; nested folders may be listed beside
    // top-level ones, in any order.
    virtual QList<std::shared_ptr<NotesFolder>> folders() = 0;
};

class NotesApplication {
public:
    virtual ~NotesApplication() = default;
    virtual QList<std::shared_ptr<NotesAccount>> accounts() = 0;
    // Lines about how the library was read that the end-of-export summary
    // carries (notes placed in a folder of the source's making, say).
    virtual QStringList summaryRemarks() { return {}; }
    // False, with the reason, once the library cannot be reached any more.
    // Failed requests read as empty values, so without this question a
    // library that vanished mid-export would pass for an empty one.
    virtual bool isReachable(platform::Error* error)
    {
        (void)error;
        return true;
    }
    // Work that speeds up counting the notes with a body when another
    // thread runs it meanwhile (looking up body files ahead), until its
    // flag is set; empty when there is none worth a thread.
    virtual std::function<void(const std::atomic<bool>& stop)> countingHelper() { return {}; }
};
