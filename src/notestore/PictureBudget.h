#pragma once

#include "notestore/NoteAttachments.h"
#include "notestore.pb.h"

#include <QHash>
#include <QString>

namespace notestore {

// How much picture data one note's body carries itself as data: URLs. A
// body is built in memory (and its text again as UTF-8 when written), so
// beyond the budget pictures are referred to by content ID instead and
// saved as files beside the text.
class PictureBudget {
public:
    explicit PictureBudget(qint64 bytes) : m_left(bytes) {}

    // Every picture as a file: the note's pictures are known to exceed the budget.
    void refuseAll() { m_refuseAll = true; }
    // Whether a picture of `bytes` goes into the body; it is counted when
    // it does. Once one is refused, so are all after it.
    bool admit(qint64 bytes);

private:
    qint64 m_left;
    bool m_refuseAll = false;
};

// The bytes of the pictures the text of a note shows, as often as it shows
// them, counted until they pass `limit` (the files are only looked at).
qint64 pictureBytesShown(const pb::NoteText& text, const QHash<QString, AttachmentRow>& rows, const MediaPlace& place,
                         qint64 limit);

// The content ID of an attachment's picture carried as a file, and the
// element that shows it where the text has it.
QString pictureContentID(const QString& attachmentIdentifier);
QString pictureReferenceHTML(const QString& contentID);

} // namespace notestore
