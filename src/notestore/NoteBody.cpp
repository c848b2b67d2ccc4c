#include "notestore/NoteBody.h"

namespace notestore {

std::optional<pb::NoteText> decodeNoteBody(QByteArrayView, QString* reason)
{
    if (reason)
        *reason = QStringLiteral("not implemented yet");
    return std::nullopt;
}

} // namespace notestore
