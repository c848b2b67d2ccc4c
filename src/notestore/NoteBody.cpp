#include "notestore/NoteBody.h"
#include "platform/LocalizedString.h"

#include "notestore/Gzip.h"
#include "notestore/ProtoLimits.h"

#include <limits>

namespace notestore {

namespace {

std::nullopt_t fail(QString* reason, const QString& why)
{
    if (reason)
        *reason = why;
    return std::nullopt;
}

} // namespace

std::optional<pb::NoteText> noteTextFromProtobuf(QByteArrayView protobuf, QString* reason)
{
    QString why;
    if (!withinMessageLimits(protobuf, pb::BodyRoot::descriptor(), kMaxBodyParts, kMaxProtobufDepth, &why))
        return fail(reason, platform::localizedString("the note body %1").arg(why));
    pb::BodyRoot root;
    if (protobuf.size() > std::numeric_limits<int>::max() || !root.ParseFromArray(protobuf.data(), int(protobuf.size())))
        return fail(reason, platform::localizedString("the note body is not readable as protobuf data"));
    if (!root.has_document() || !root.document().has_note())
        return fail(reason, platform::localizedString("the note body holds no text"));
    pb::NoteText text;
    text.Swap(root.mutable_document()->mutable_note());
    return text;
}

std::optional<pb::NoteText> decodeNoteBody(QByteArrayView gzipped, QString* reason)
{
    QByteArray inflated;
    QString why;
    if (!gunzip(gzipped, kMaxInflatedBodyBytes, inflated, &why))
        return fail(reason, platform::localizedString("the note body is unreadable: %1").arg(why));
    return noteTextFromProtobuf(inflated, reason);
}

} // namespace notestore
