#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

// Keyed archives: a binary property list with "$archiver", "$version",
// "$top" and "$objects", objects referring to each other by UID.
//
// Objects travel as QVariant values. Built in: QString ("NSString"), bool,
// integers and doubles ("NSNumber"), QByteArray ("NSData"), QVariantList
// ("NSArray"), QVariantMap with string keys ("NSDictionary") and
// platform::ColorRef ("NSColor"), ParagraphStyle ("NSParagraphStyle") and
// TextTab ("NSTextTab"). Other classes register an encoder and a
// decoder under their class name (registerArchivableClass).
namespace platform {

// Codes of the Cocoa error domain used by archiving.
inline constexpr int kCoderReadCorruptError = 4864;
inline constexpr int kCoderValueNotFoundError = 4865;
inline constexpr int kCoderInvalidValueError = 4866;

inline constexpr const char* kKeyedArchiveRootObjectKey = "root";

class KeyedArchiver;
class KeyedUnarchiver;

struct ArchivableClass {
    QString className;          // "$classname"
    QStringList superclasses;   // after the class itself in "$classes"; "NSObject" is added last
    QMetaType metaType;         // the type the QVariant holds
    bool supportsSecureCoding = true;
    // Writes the object's fields with the coder's encode functions.
    std::function<void(const QVariant& object, KeyedArchiver& coder)> encode;
    // Reads the fields back; answers an invalid QVariant (and may call
    // coder.failWithError) when the object cannot be made.
    std::function<QVariant(KeyedUnarchiver& coder)> decode;
    // Whether a value stands for no object (a null pointer); written as "$null".
    std::function<bool(const QVariant& object)> isNull;

    static ArchivableClass make(QString className, QMetaType metaType,
                                std::function<void(const QVariant&, KeyedArchiver&)> encode,
                                std::function<QVariant(KeyedUnarchiver&)> decode)
    {
        ArchivableClass archivable;
        archivable.className = std::move(className);
        archivable.metaType = metaType;
        archivable.encode = std::move(encode);
        archivable.decode = std::move(decode);
        return archivable;
    }
};

// Registers (or replaces) a class for both directions. Thread-safe.
void registerArchivableClass(ArchivableClass archivableClass);

class KeyedArchiver {
public:
    explicit KeyedArchiver(bool requiresSecureCoding = true);
    ~KeyedArchiver();
    KeyedArchiver(const KeyedArchiver&) = delete;
    KeyedArchiver& operator=(const KeyedArchiver&) = delete;

    // The archive of `rootObject` under "root"; nothing (with the error)
    // when an object has no archivable class.
    static std::optional<QByteArray> archivedData(const QVariant& rootObject, bool requiringSecureCoding,
                                                  Error* error);

    bool requiresSecureCoding() const;

    // An invalid QVariant is written as the null object.
    void encodeObject(const QVariant& object, const QString& key);
    void encodeBool(bool value, const QString& key);
    void encodeInteger(qint64 value, const QString& key);
    void encodeInt32(qint32 value, const QString& key) { encodeInteger(value, key); }
    void encodeDouble(double value, const QString& key);
    void encodeFloat(float value, const QString& key);

    // Records a failure; the archive is then not produced.
    void failWithError(Error error);
    const std::optional<Error>& error() const;

    // Ends encoding; nothing after an error.
    std::optional<QByteArray> finishEncoding(Error* error);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

class KeyedUnarchiver {
public:
    ~KeyedUnarchiver();
    KeyedUnarchiver(const KeyedUnarchiver&) = delete;
    KeyedUnarchiver& operator=(const KeyedUnarchiver&) = delete;

    // Checks the archive's outer layout; nothing (with the error) when it
    // is not a keyed archive.
    static std::unique_ptr<KeyedUnarchiver> forReadingFromData(const QByteArray& data, Error* error,
                                                               bool requiresSecureCoding = true);

    // The root object when it (and everything inside it) is of one of
    // `allowedClasses` ("NSArray", "NSColor", ...); otherwise an invalid
    // QVariant with the error.
    static QVariant unarchivedObjectOfClasses(const QStringList& allowedClasses, const QByteArray& data,
                                              Error* error);

    bool requiresSecureCoding() const;
    bool containsValueForKey(const QString& key) const;

    // Invalid for an absent key or the null object. A value of a class
    // outside `allowedClasses` fails the decoding (see error()).
    QVariant decodeObjectOfClasses(const QStringList& allowedClasses, const QString& key);
    QVariant decodeObjectOfClass(const QString& className, const QString& key)
    {
        return decodeObjectOfClasses(QStringList{className}, key);
    }
    // Absent keys read as 0 / false; a value of the wrong kind fails.
    bool decodeBool(const QString& key);
    qint64 decodeInteger(const QString& key);
    qint32 decodeInt32(const QString& key) { return static_cast<qint32>(decodeInteger(key)); }
    double decodeDouble(const QString& key);
    float decodeFloat(const QString& key);

    // Decodes the root object and reports the first failure, if any.
    QVariant decodeTopLevelObjectOfClasses(const QStringList& allowedClasses, const QString& key, Error* error);

    void failWithError(Error error);
    const std::optional<Error>& error() const;

private:
    KeyedUnarchiver();
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Turns archive data into an object of the allowed classes and back; a
// subclass names the classes it accepts.
class SecureUnarchiveFromDataTransformer {
public:
    virtual ~SecureUnarchiveFromDataTransformer() = default;
    virtual QStringList allowedTopLevelClasses() const;
    // Data in, object out; an invalid QVariant for anything unreadable.
    QVariant transformedValue(const QVariant& value) const;
    // Object in, archive data out; an invalid QVariant when it cannot be archived.
    QVariant reverseTransformedValue(const QVariant& value) const;
};

} // namespace platform
