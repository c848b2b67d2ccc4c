#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The shape of property-list data, measured before any parser sees it, so
// that nesting cannot exhaust the stack and sheer size cannot take minutes.
namespace platform::plist {

struct Limits {
    // Containers inside containers. Generous: an import manifest nests
    // two levels per folder.
    int maxDepth = 4096;
    // Values held by containers, counted once per reference.
    qint64 maxElements = 16 * 1024 * 1024;
};

// The trailer of a binary property list, checked against the size of the
// data it was read from. Refers into that data, which must outlive it.
struct BinaryLayout {
    const unsigned char* bytes = nullptr;
    quint64 size = 0;
    quint64 trailer = 0; // where the trailer starts; objects and table end there
    unsigned offsetSize = 0;
    unsigned refSize = 0;
    quint64 count = 0; // objects
    quint64 top = 0;   // not checked against `count`
    quint64 tableOffset = 0;

    // The big-endian number of `width` bytes at `at`; false when it is not
    // all inside the data.
    bool readUInt(quint64 at, unsigned width, quint64* out) const;
    // Where object `ref` starts: false when `ref` is no object or its offset
    // points past the objects.
    bool objectOffset(quint64 ref, quint64* out) const;
};

// The layout of a binary property list ("bplist00"), or nothing when the data
// is not one or its trailer does not fit the data (the parser then refuses it).
std::optional<BinaryLayout> binaryLayout(const QByteArray& data);

// Why `data` exceeds `limits` ("nested more than 512 levels deep", "holds
// more than 1000000 values", "refers to itself"), or nothing when it does
// not or is no property list we can measure (the parser then refuses it).
std::optional<QString> shapeProblem(const QByteArray& data, const Limits& limits);

} // namespace platform::plist
