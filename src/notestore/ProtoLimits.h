#pragma once

#include <QByteArrayView>
#include <QString>

namespace google::protobuf {
class Descriptor;
}

namespace notestore {

// Tiny messages cost the parser far more memory than the bytes they take
// (two bytes of input make a message object of a hundred), so hostile data
// is measured before it is parsed. False, with the reason, when `data`
// read as `type` would make more than `maxMessages` messages, nests deeper
// than `maxDepth` or is not readable as protobuf at all; the reason reads
// after the data's name ("the note body" + " is nested deeper ...").
bool withinMessageLimits(QByteArrayView data, const google::protobuf::Descriptor* type, qint64 maxMessages,
                         int maxDepth, QString* reason);

} // namespace notestore
