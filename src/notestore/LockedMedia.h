#pragma once

#include "notestore/NoteAttachments.h"

// The media files of locked notes are encrypted on disk: they are only
// ever decrypted, never copied or shown as they are.
namespace notestore {

// Decrypts the locked media file `source` of `row` into
// `destinationPath` (written under a hidden name, renamed once it has
// authenticated). False, with the reason for the summary, when it does not
// open; nothing is left at the destination then.
bool decryptMediaFile(const AttachmentRow& row, const MediaPlace& place, const AttachmentFile& source,
                      const QString& destinationPath, QString* problem);

// inlinePictureHTML of the locked picture `source`, decrypted into a
// private temporary folder that is removed before this returns.
QString lockedPictureHTML(const AttachmentRow& row, const MediaPlace& place, const AttachmentFile& source,
                          QString* problem);

} // namespace notestore
