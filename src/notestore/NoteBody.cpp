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

// The body's text parsed into `root`; null, with the reason, when it cannot be.
const pb::NoteText* parseBody(QByteArrayView protobuf, pb::BodyRoot& root, QString* reason)
{
    QString why;
    if (!withinMessageLimits(protobuf, pb::BodyRoot::descriptor(), kMaxBodyParts, kMaxProtobufDepth, &why)) {
        fail(reason, platform::localizedString("the note body %1").arg(why));
        return nullptr;
    }
    if (protobuf.size() > std::numeric_limits<int>::max() || !root.ParseFromArray(protobuf.data(), int(protobuf.size()))) {
        fail(reason, platform::localizedString("the note body is not readable as protobuf data"));
        return nullptr;
    }
    if (!root.has_document() || !root.document().has_note()) {
        fail(reason, platform::localizedString("the note body holds no text"));
        return nullptr;
    }
    return &root.document().note();
}

bool inflateBody(QByteArrayView gzipped, QByteArray& inflated, QString* reason)
{
    QString why;
    if (gunzip(gzipped, kMaxInflatedBodyBytes, inflated, &why))
        return true;
    fail(reason, platform::localizedString("the note body is unreadable: %1").arg(why));
    return false;
}

} // namespace

std::optional<pb::NoteText> noteTextFromProtobuf(QByteArrayView protobuf, QString* reason)
{
    pb::BodyRoot root;
    if (!parseBody(protobuf, root, reason))
        return std::nullopt;
    pb::NoteText text;
    text.Swap(root.mutable_document()->mutable_note());
    return text;
}

std::optional<pb::NoteText> decodeNoteBody(QByteArrayView gzipped, QString* reason)
{
    QByteArray inflated;
    if (!inflateBody(gzipped, inflated, reason))
        return std::nullopt;
    return noteTextFromProtobuf(inflated, reason);
}

const pb::NoteText* decodeNoteBody(QByteArrayView gzipped, google::protobuf::Arena& arena, QString* reason)
{
    QByteArray inflated;
    if (!inflateBody(gzipped, inflated, reason))
        return nullptr;
    return parseBody(inflated, *google::protobuf::Arena::CreateMessage<pb::BodyRoot>(&arena), reason);
}

} // namespace notestore
