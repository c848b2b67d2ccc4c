#include "notestore/ProtoLimits.h"
#include "platform/LocalizedString.h"

#include <google/protobuf/descriptor.h>
#include <google/protobuf/io/coded_stream.h>
#include <google/protobuf/wire_format_lite.h>

#include <limits>

namespace notestore {

namespace {

using google::protobuf::Descriptor;
using google::protobuf::FieldDescriptor;
using google::protobuf::io::CodedInputStream;
using google::protobuf::internal::WireFormatLite;

class MessageCounter {
public:
    MessageCounter(qint64 maxMessages, int maxDepth) : m_budget(maxMessages), m_limit(maxMessages), m_maxDepth(maxDepth) {}

    // Walks one message's fields up to the stream's current limit, or up
    // to the end of the group `group` (a field number; 0 for none). Unknown
    // fields and groups cost the parser an object each, like messages.
    bool walk(CodedInputStream& input, const Descriptor* type, int depth, int group)
    {
        if (depth > m_maxDepth)
            return stop(platform::localizedString("is nested deeper than %1 levels").arg(m_maxDepth));
        if (!spend())
            return false;
        for (;;) {
            const std::uint32_t tag = input.ReadTag();
            // Zero is the end of the data, or a field number 0 when bytes are left.
            if (tag == 0)
                return group == 0 && input.BytesUntilLimit() == 0 ? true : malformed();
            const int number = WireFormatLite::GetTagFieldNumber(tag);
            const auto wireType = WireFormatLite::GetTagWireType(tag);
            if (wireType == WireFormatLite::WIRETYPE_END_GROUP)
                return group == number ? true : malformed();
            if (wireType == WireFormatLite::WIRETYPE_START_GROUP) {
                if (!walk(input, nullptr, depth + 1, number))
                    return false;
                continue;
            }
            const FieldDescriptor* field = type ? type->FindFieldByNumber(number) : nullptr;
            // Fields the message does not know, or not in their own wire
            // type, are kept aside one by one.
            const bool known = field
                               && wireType
                                      == WireFormatLite::WireTypeForFieldType(
                                          static_cast<WireFormatLite::FieldType>(field->type()));
            if (!known && !spend())
                return false;
            const bool nested = field && field->type() == FieldDescriptor::TYPE_MESSAGE
                                && wireType == WireFormatLite::WIRETYPE_LENGTH_DELIMITED;
            if (!nested) {
                if (!WireFormatLite::SkipField(&input, tag))
                    return malformed();
                continue;
            }
            std::uint32_t length = 0;
            if (!input.ReadVarint32(&length) || length > std::uint32_t(std::numeric_limits<int>::max()))
                return malformed();
            const auto limit = input.PushLimit(int(length));
            if (!walk(input, field->message_type(), depth + 1, 0))
                return false;
            input.PopLimit(limit);
        }
    }

    const QString& reason() const { return m_reason; }

private:
    bool stop(const QString& why)
    {
        if (m_reason.isEmpty())
            m_reason = why;
        return false;
    }
    bool spend() { return --m_budget >= 0 || stop(platform::localizedString("holds more than %1 parts").arg(m_limit)); }
    bool malformed() { return stop(platform::localizedString("is not readable as protobuf data")); }

    qint64 m_budget;
    qint64 m_limit;
    int m_maxDepth;
    QString m_reason;
};

} // namespace

bool withinMessageLimits(QByteArrayView data, const Descriptor* type, qint64 maxMessages, int maxDepth,
                         QString* reason)
{
    if (data.size() > std::numeric_limits<int>::max()) {
        if (reason)
            *reason = platform::localizedString("is too large to read");
        return false;
    }
    CodedInputStream input(reinterpret_cast<const std::uint8_t*>(data.data()), int(data.size()));
    MessageCounter counter(maxMessages, maxDepth);
    if (counter.walk(input, type, 0, 0))
        return true;
    if (reason)
        *reason = counter.reason();
    return false;
}

} // namespace notestore
