#include "notestore/NoteHTML.h"

namespace notestore {

QString htmlForNote(const pb::NoteText&, AttachmentRenderer*, int)
{
    return {};
}

} // namespace notestore
