#pragma once

// What the archiver, the unarchiver and the classes they build in share:
// limits, errors, key escaping and the class registry.
#include "platform/KeyedArchiver.h"
#include "platform/PropertyList.h"

#include <optional>

namespace platform {

// Built-in classes, registered before any other (ColorCoding.cpp,
// ParagraphStyleCoding.cpp).
ArchivableClass colorArchivableClass();
ArchivableClass paragraphStyleArchivableClass();
ArchivableClass textTabArchivableClass();

namespace keyedarchive {

// Nesting deeper than this is refused rather than risking the stack.
constexpr int kMaxDepth = 256;
// Archives here are small (colours, styles); a huge one is refused before
// it is converted at all.
constexpr qint64 kMaxArchiveValues = 65536;

inline Error corrupt(const QString& description)
{
    return Error(QString::fromLatin1(kCocoaErrorDomain), kCoderReadCorruptError, description);
}

inline Error invalidValue(const QString& description)
{
    return Error(QString::fromLatin1(kCocoaErrorDomain), kCoderInvalidValueError, description);
}

// Keys of our own start with "$"; a coder key that does too gets one more.
inline QString escapedKey(const QString& key)
{
    return key.startsWith(QLatin1Char('$')) ? QLatin1Char('$') + key : key;
}

inline QVariant uidValue(quint64 uid) { return QVariant::fromValue(plist::PropertyListUID{uid}); }

inline bool isUID(const QVariant& value) { return value.metaType() == QMetaType::fromType<plist::PropertyListUID>(); }

inline bool isInteger(const QVariant& value) { return value.typeId() == QMetaType::LongLong; }

inline QString joined(const QStringList& names)
{
    return names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "));
}

std::optional<ArchivableClass> registeredClass(const QString& name);
std::optional<ArchivableClass> registeredClass(QMetaType type);

} // namespace keyedarchive

} // namespace platform
