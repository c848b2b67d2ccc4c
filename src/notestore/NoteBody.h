#pragma once

#include "notestore.pb.h"

#include <QByteArrayView>
#include <QString>
#include <optional>

namespace notestore {

// Bodies larger than this once inflated are refused: no real note comes near.
inline constexpr qint64 kMaxInflatedBodyBytes = 64 * 1024 * 1024;
// Runs, styles and other parts of one body; a long real note has thousands.
inline constexpr qint64 kMaxBodyParts = 1'000'000;
inline constexpr int kMaxProtobufDepth = 32;

// The styled text of a note body as the database keeps it (gzip of a
// protobuf). Nothing, with the reason, for data that is not gzip, is
// truncated, too large or not a note body.
std::optional<pb::NoteText> decodeNoteBody(QByteArrayView gzipped, QString* reason);

// The same for the protobuf once inflated.
std::optional<pb::NoteText> noteTextFromProtobuf(QByteArrayView protobuf, QString* reason);

// The same, with the messages made on `arena` (one allocation for the many
// small messages of a body): the text lives as long as the arena. Null,
// with the reason, where the others give nothing.
const pb::NoteText* decodeNoteBody(QByteArrayView gzipped, google::protobuf::Arena& arena, QString* reason);

} // namespace notestore
