#pragma once

#include "platform/PropertyList.h"

#include <QVariant>

namespace testsupport {

inline QVariant uid(quint64 value)
{
    return QVariant::fromValue(platform::plist::PropertyListUID{value});
}

// A keyed archive written by hand from its object table, for archives the
// archiver itself never makes.
inline QByteArray keyedArchive(const QVariantList& objects, quint64 root = 1)
{
    const QVariantMap archive{{"$archiver", "NSKeyedArchiver"},
                              {"$version", qint64(100000)},
                              {"$top", QVariantMap{{"root", uid(root)}}},
                              {"$objects", objects}};
    return platform::plist::dataFromPropertyList(archive, platform::plist::Format::Binary, nullptr).value_or(QByteArray());
}

// The object table of a keyed archive.
inline QVariantList objectsOf(const QByteArray& archive)
{
    return platform::plist::propertyListFromData(archive, nullptr).value_or(QVariant()).toMap()["$objects"].toList();
}

} // namespace testsupport
