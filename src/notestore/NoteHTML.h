#pragma once

#include "notestore.pb.h"

#include <QByteArray>
#include <QString>

namespace notestore {

// Draws the attachments that stand in a note's text as U+FFFC.
class AttachmentRenderer {
public:
    virtual ~AttachmentRenderer() = default;
    // HTML for the attachment the run names (identifier and type as the
    // run gives them), or empty to leave it out. `depth` counts how many
    // attachments (tables in tables) enclose this one.
    virtual QString htmlForAttachment(const QString& identifier, const QString& typeUTI, int depth) = 0;
};

// Attachments nested deeper than this (tables in tables) are left out.
inline constexpr int kMaxAttachmentDepth = 8;

// The note's HTML fragment, as UTF-8, in the shape Notes hands bodies out: one <div>
// per paragraph, lists, styles and links, every text escaped, always well
// formed. Empty when the text is empty. Attachments go through `renderer`,
// or are left out without one (and from `kMaxAttachmentDepth` on).
QByteArray htmlForNote(const pb::NoteText& note, AttachmentRenderer* renderer = nullptr, int depth = 0);

} // namespace notestore
