#pragma once

#include <QHash>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

// Links from one note to another. A source names a note by its id(): the
// body holds <a href="noteLinkURL(id)">shown text</a>, the start tag with
// that one attribute. The export turns it into a relative link to the file
// that note was written to, or, when that note is not exported, into its
// shown text alone, so no link in the export leads nowhere.
QString noteLinkURL(const QString& noteID);
// The scheme of those addresses; a source never passes one on from a note.
inline const QString kNoteLinkScheme = QStringLiteral("x-exported-note");

// A note's link from `fromFolderPath` to `toPath`: relative, one
// percent-encoded name per step, so a folder called "a:b" or "#1" is
// never read as a scheme or a fragment.
QString relativeFileLink(const QString& fromFolderPath, const QString& toPath);

// `body` with the links to notes `exported` says are not exported left as
// their text; a source that knows tells so early, and notes that link to
// them need not wait for the end of the export.
QString withoutNoteLinks(const QString& body, const std::function<bool(const QString& noteID)>& exported);

// The files of the notes of one export, as they are named, and the links
// between them. Export thread only.
class NoteLinkTable {
public:
    void setFileOfNote(const QString& noteID, const QUrl& fileURL);
    void forgetNote(const QString& noteID);

    static bool holdsNoteLinks(const QString& body);
    // The same over the body's UTF-8: the start tag is ASCII.
    static bool holdsNoteLinks(const QByteArray& body);
    // `body` with its note links resolved for a file in `folderURL`. With
    // `complete` false, nothing when a linked note has no file yet: it may
    // still get one. With `complete` true such links become their text.
    std::optional<QString> resolved(const QString& body, const QUrl& folderURL, bool complete) const;

private:
    QHash<QString, QString> m_paths; // file path by note id
};
