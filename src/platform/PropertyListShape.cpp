#include "platform/PropertyListShape.h"
#include "platform/LocalizedString.h"

#include <vector>

namespace platform::plist {

namespace {

QString tooDeep(int limit)
{
    return platform::localizedString("it is nested more than %1 levels deep").arg(limit);
}

QString tooMany(qint64 limit)
{
    return platform::localizedString("it holds more than %1 values").arg(limit);
}

// Binary: the object table is walked from the top object, depth-first with
// an explicit stack; each object's depth is computed once.
std::optional<QString> binaryProblem(const QByteArray& data, const Limits& limits)
{
    const std::optional<BinaryLayout> layout = binaryLayout(data);
    if (!layout || layout->top >= layout->count)
        return std::nullopt;
    const unsigned char* bytes = layout->bytes;
    const quint64 size = layout->size, count = layout->count;
    const unsigned refSize = layout->refSize;

    // The references a container holds: where they start and how many.
    const auto children = [&](quint64 object, quint64* start, quint64* n, bool* dictionary) {
        quint64 at = 0;
        if (!layout->objectOffset(object, &at))
            return false;
        const unsigned type = bytes[at] & 0xF0;
        if (type != 0xA0 && type != 0xC0 && type != 0xD0)
            return false;
        quint64 entries = bytes[at] & 0x0F;
        *start = at + 1;
        if (entries == 0x0F) {
            if (at + 1 >= size || (bytes[at + 1] & 0xF0) != 0x10)
                return false;
            const unsigned width = 1u << (bytes[at + 1] & 0x0F);
            if (!layout->readUInt(at + 2, width, &entries))
                return false;
            *start = at + 2 + width;
        }
        *dictionary = type == 0xD0;
        if (type == 0xD0) {
            // Keys are strings; only the values can nest.
            if (entries > size)
                return false;
            *start += entries * refSize;
        }
        if (entries > size / refSize || *start > size || entries * refSize > size - *start)
            return false;
        *n = entries;
        return true;
    };

    enum : unsigned char { Unseen, OnPath, Done };
    std::vector<unsigned char> state(size_t(count), Unseen);
    std::vector<int> depthBelow(size_t(count), 0); // levels under a finished object
    struct Frame {
        quint64 object, start, n, next;
        int deepest;
        bool dictionary;
    };
    std::vector<Frame> stack;
    qint64 elements = 1;
    const auto enter = [&](quint64 object) -> std::optional<QString> {
        Frame frame{object, 0, 0, 0, 0, false};
        if (!children(object, &frame.start, &frame.n, &frame.dictionary)) {
            state[size_t(object)] = Done; // a leaf, or malformed: the parser judges
            return std::nullopt;
        }
        // A dictionary's keys count as values too, as they do in XML.
        elements += qint64(frame.n) * (frame.dictionary ? 2 : 1);
        if (elements > limits.maxElements)
            return tooMany(limits.maxElements);
        if (int(stack.size()) >= limits.maxDepth)
            return tooDeep(limits.maxDepth);
        state[size_t(object)] = OnPath;
        stack.push_back(frame);
        return std::nullopt;
    };
    if (auto problem = enter(layout->top))
        return problem;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.n) {
            const Frame done = frame;
            stack.pop_back();
            state[size_t(done.object)] = Done;
            depthBelow[size_t(done.object)] = done.deepest + 1;
            if (!stack.empty())
                stack.back().deepest = std::max(stack.back().deepest, done.deepest + 1);
            continue;
        }
        quint64 child = 0;
        if (!layout->readUInt(frame.start + frame.next * refSize, refSize, &child) || child >= count)
            return std::nullopt;
        ++frame.next;
        if (state[size_t(child)] == OnPath)
            return platform::localizedString("it contains itself");
        if (state[size_t(child)] == Done) {
            // Reached again by another way: its depth counts from here too.
            const int below = depthBelow[size_t(child)];
            if (int(stack.size()) + below > limits.maxDepth)
                return tooDeep(limits.maxDepth);
            frame.deepest = std::max(frame.deepest, below);
            elements += 1;
            continue;
        }
        if (auto problem = enter(child))
            return problem;
    }
    return std::nullopt;
}

// XML: the nesting of the elements, whatever their names; comments,
// processing instructions, CDATA and the document type are skipped.
std::optional<QString> xmlProblem(const QByteArray& data, const Limits& limits)
{
    int depth = 0;
    qint64 elements = 0;
    const qsizetype size = data.size();
    const auto skipPast = [&](qsizetype from, const char* end) {
        const qsizetype found = data.indexOf(end, from);
        return found < 0 ? size : found + qsizetype(qstrlen(end));
    };
    for (qsizetype i = data.indexOf('<'); i >= 0 && i < size; i = data.indexOf('<', i)) {
        const QByteArrayView rest = QByteArrayView(data).sliced(i);
        if (rest.startsWith("<!--")) {
            i = skipPast(i + 4, "-->");
        } else if (rest.startsWith("<![CDATA[")) {
            i = skipPast(i + 9, "]]>");
        } else if (rest.startsWith("<?")) {
            i = skipPast(i + 2, "?>");
        } else if (rest.startsWith("<!")) {
            i = skipPast(i + 2, ">");
        } else if (rest.startsWith("</")) {
            --depth;
            i = skipPast(i + 2, ">");
        } else {
            const qsizetype close = data.indexOf('>', i + 1);
            if (close < 0)
                break;
            if (++elements > limits.maxElements)
                return tooMany(limits.maxElements);
            if (data.at(close - 1) != '/' && ++depth > limits.maxDepth + 1) // + the <plist> element
                return tooDeep(limits.maxDepth);
            i = close + 1;
        }
    }
    return std::nullopt;
}

} // namespace

bool BinaryLayout::readUInt(quint64 at, unsigned width, quint64* out) const
{
    if (width == 0 || width > 8 || at > size || width > size - at)
        return false;
    quint64 value = 0;
    for (unsigned i = 0; i < width; ++i)
        value = value << 8 | bytes[at + i];
    *out = value;
    return true;
}

bool BinaryLayout::objectOffset(quint64 ref, quint64* out) const
{
    return ref < count && readUInt(tableOffset + ref * offsetSize, offsetSize, out) && *out < trailer;
}

std::optional<BinaryLayout> binaryLayout(const QByteArray& data)
{
    BinaryLayout layout;
    layout.bytes = reinterpret_cast<const unsigned char*>(data.constData());
    layout.size = quint64(data.size());
    if (layout.size < 8 + 32 || !data.startsWith("bplist00"))
        return std::nullopt;
    layout.trailer = layout.size - 32;
    layout.offsetSize = layout.bytes[layout.trailer + 6];
    layout.refSize = layout.bytes[layout.trailer + 7];
    layout.readUInt(layout.trailer + 8, 8, &layout.count);
    layout.readUInt(layout.trailer + 16, 8, &layout.top);
    layout.readUInt(layout.trailer + 24, 8, &layout.tableOffset);
    if (layout.offsetSize == 0 || layout.offsetSize > 8 || layout.refSize == 0 || layout.refSize > 8 ||
        layout.tableOffset >= layout.trailer ||
        layout.count > (layout.trailer - layout.tableOffset) / layout.offsetSize)
        return std::nullopt;
    return layout;
}

std::optional<QString> shapeProblem(const QByteArray& data, const Limits& limits)
{
    if (data.startsWith("bplist00"))
        return binaryProblem(data, limits);
    return xmlProblem(data, limits);
}

} // namespace platform::plist
