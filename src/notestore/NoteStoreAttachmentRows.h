#pragma once

#include "notestore/NoteAttachments.h"
#include "notestore/NoteStoreDatabase.h"

namespace notestore {

// Larger table or gallery data is not read; no real table comes near.
inline constexpr qint64 kMaxMergeableDataBytes = qint64(64) << 20;
// More attachments than this in one note are not read.
inline constexpr qint64 kMaxAttachmentsPerNote = 100'000;

// Reads the attachment rows (with their media rows) and the inline
// attachment rows of one note at a time, by identifier, from the columns
// this version of the database has. The queries are made once, as they
// only depend on those columns.
class NoteAttachmentRowReader {
public:
    explicit NoteAttachmentRowReader(const NoteStoreDatabase& database);
    // False, with the reason, when they cannot be read.
    bool read(NoteStoreDatabase& database, qint64 notePK, QHash<QString, AttachmentRow>& attachments,
              QHash<QString, InlineAttachmentRow>& inlineAttachments, QString* reason) const;

private:
    std::optional<qint64> m_attachmentEntity;
    std::optional<qint64> m_inlineEntity;
    QByteArray m_attachmentSQL;
    QByteArray m_inlineSQL;
};

} // namespace notestore
