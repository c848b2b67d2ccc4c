#pragma once

#include "notestore/NoteAttachments.h"
#include "notestore/NoteStoreDatabase.h"

namespace notestore {

// Larger table or gallery data is not read; no real table comes near.
inline constexpr qint64 kMaxMergeableDataBytes = qint64(64) << 20;
// More attachments than this in one note are not read.
inline constexpr qint64 kMaxAttachmentsPerNote = 100'000;

// The attachment rows (with their media rows) and the inline attachment
// rows of one note, by identifier, read from the columns this version of
// the database has. False, with the reason, when they cannot be read.
bool readNoteAttachmentRows(NoteStoreDatabase& database, qint64 notePK, QHash<QString, AttachmentRow>& attachments,
                            QHash<QString, InlineAttachmentRow>& inlineAttachments, QString* reason);

} // namespace notestore
