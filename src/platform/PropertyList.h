#pragma once

#include "platform/Error.h"
#include "platform/PropertyListShape.h"

#include <QByteArray>
#include <QMetaType>
#include <QVariant>
#include <optional>

// Property lists as QVariant values: QVariantMap (dictionary), QVariantList
// (array), QString, bool, qint64 / quint64 (integer), double (real),
// QDateTime (date), QByteArray (data) and PropertyListUID (keyed archives).
namespace platform::plist {

struct PropertyListUID {
    quint64 value = 0;
    bool operator==(const PropertyListUID&) const = default;
};

enum class Format { Binary, XML };

inline constexpr const char* kErrorDomain = "PropertyListErrorDomain";

// Serializes `value`; fails for a value of a type that has no property-list form.
std::optional<QByteArray> dataFromPropertyList(const QVariant& value, Format format, Error* error);

// Serializes a node tree built with the property-list library (`node` is
// its plist_t), for lists too large to hold twice; the tree stays the caller's.
std::optional<QByteArray> dataFromPropertyListNode(const void* node, Format format, Error* error);

// Reads binary or XML property-list data; data nested deeper or holding
// more values than `limits` allow is refused before it is parsed.
std::optional<QVariant> propertyListFromData(const QByteArray& data, Error* error, const Limits& limits = {});

} // namespace platform::plist

Q_DECLARE_METATYPE(platform::plist::PropertyListUID)
