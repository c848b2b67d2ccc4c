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

// Why `data` exceeds `limits` ("nested more than 512 levels deep", "holds
// more than 1000000 values", "refers to itself"), or nothing when it does
// not or is no property list we can measure (the parser then refuses it).
std::optional<QString> shapeProblem(const QByteArray& data, const Limits& limits);

} // namespace platform::plist
