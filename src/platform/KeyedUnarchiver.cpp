// Reading objects back out of keyed archives: every reference, class and
// value is checked, since the archive may come from anywhere.
#include "platform/KeyedArchiver.h"

#include "platform/KeyedArchiveSupport.h"

#include <QHash>
#include <QSet>
#include <cmath>
#include <vector>

namespace platform {

using namespace keyedarchive;
using plist::PropertyListUID;

struct KeyedUnarchiver::Impl {
    bool secure = true;
    QVariantList objects;
    QVariantMap top;
    std::vector<const QVariantMap*> containers;
    std::optional<Error> error;
    // Objects being decoded right now; meeting one again is a cycle.
    QSet<quint64> inProgress;
    // Decoded objects by UID and allowed classes, so shared references
    // are decoded once.
    QHash<QString, QVariant> decoded;
    int depth = 0;

    void fail(Error e)
    {
        if (!error)
            error = std::move(e);
    }

    // The value stored under `key` in the current container, or invalid.
    QVariant field(const QString& key) const { return containers.back()->value(escapedKey(key)); }

    QVariant decodeUID(quint64 uid, const QStringList& allowed, const QString& key, KeyedUnarchiver& coder);
    QVariant decodeObject(quint64 uid, const QVariant& object, const QStringList& allowed, const QString& key,
                          KeyedUnarchiver& coder);
    QVariant decodeMembers(const QVariantMap& fields, const QString& name, const QStringList& allowed,
                           const QString& key, KeyedUnarchiver& coder);
    bool checkAllowed(const QString& className, const QStringList& superclasses, const QStringList& allowed,
                      const QString& key);
};

bool KeyedUnarchiver::Impl::checkAllowed(const QString& className, const QStringList& superclasses,
                                         const QStringList& allowed, const QString& key)
{
    if (!secure || allowed.contains(className))
        return true;
    for (const QString& superclass : superclasses)
        if (allowed.contains(superclass))
            return true;
    fail(corrupt(QStringLiteral("The value for key “%1” is of class “%2”, which is not allowed here (allowed: %3).")
                     .arg(key, className, joined(allowed))));
    return false;
}

QVariant KeyedUnarchiver::Impl::decodeUID(quint64 uid, const QStringList& allowed, const QString& key,
                                          KeyedUnarchiver& coder)
{
    if (error || uid == 0)
        return {};
    if (uid >= quint64(objects.size())) {
        fail(corrupt(QStringLiteral("The archive refers to object %1, which it does not hold.").arg(uid)));
        return {};
    }
    if (inProgress.contains(uid)) {
        fail(corrupt(QStringLiteral("The archive's object %1 contains itself.").arg(uid)));
        return {};
    }
    if (depth >= kMaxDepth) {
        fail(corrupt(QStringLiteral("The archive is nested too deeply.")));
        return {};
    }
    const QString memoKey = QString::number(uid) + QLatin1Char('|') + allowed.join(QLatin1Char(','));
    const auto memo = decoded.constFind(memoKey);
    if (memo != decoded.cend())
        return *memo;
    inProgress.insert(uid);
    ++depth;
    QVariant result = decodeObject(uid, objects.at(qsizetype(uid)), allowed, key, coder);
    --depth;
    inProgress.remove(uid);
    if (error)
        return {};
    decoded.insert(memoKey, result);
    return result;
}

QVariant KeyedUnarchiver::Impl::decodeObject(quint64 uid, const QVariant& object, const QStringList& allowed,
                                             const QString& key, KeyedUnarchiver& coder)
{
    switch (object.typeId()) {
    case QMetaType::QString:
        return checkAllowed(QStringLiteral("NSString"), {}, allowed, key) ? object : QVariant();
    case QMetaType::Bool:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return checkAllowed(QStringLiteral("NSNumber"), {}, allowed, key) ? object : QVariant();
    case QMetaType::QByteArray:
        return checkAllowed(QStringLiteral("NSData"), {}, allowed, key) ? object : QVariant();
    case QMetaType::QVariantMap:
        break;
    default:
        fail(corrupt(QStringLiteral("The archive's object %1 is of a kind no object is made from.").arg(uid)));
        return {};
    }

    const QVariantMap fields = object.toMap();
    const QVariant classRef = fields.value(QStringLiteral("$class"));
    const quint64 classUID = isUID(classRef) ? classRef.value<PropertyListUID>().value : 0;
    const QVariantMap classInfo = classUID > 0 && classUID < quint64(objects.size())
        ? objects.at(qsizetype(classUID)).toMap()
        : QVariantMap();
    const QVariant nameValue = classInfo.value(QStringLiteral("$classname"));
    if (nameValue.typeId() != QMetaType::QString) {
        fail(corrupt(QStringLiteral("The archive's object %1 names no class.").arg(uid)));
        return {};
    }
    const QString name = nameValue.toString();

    // Collections and strings are ours to read; other classes are registered.
    static const QHash<QString, QString> builtIn{
        {QStringLiteral("NSArray"), QStringLiteral("NSArray")},
        {QStringLiteral("NSMutableArray"), QStringLiteral("NSArray")},
        {QStringLiteral("NSDictionary"), QStringLiteral("NSDictionary")},
        {QStringLiteral("NSMutableDictionary"), QStringLiteral("NSDictionary")},
        {QStringLiteral("NSString"), QStringLiteral("NSString")},
        {QStringLiteral("NSMutableString"), QStringLiteral("NSString")},
        {QStringLiteral("NSData"), QStringLiteral("NSData")},
        {QStringLiteral("NSMutableData"), QStringLiteral("NSData")},
    };
    if (const auto base = builtIn.constFind(name); base != builtIn.cend()) {
        if (!checkAllowed(name, {*base}, allowed, key))
            return {};
        return decodeMembers(fields, *base, allowed, key, coder);
    }

    std::optional<ArchivableClass> archivable = registeredClass(name);
    if (!archivable) {
        // An unknown subclass is read as the first class of its chain we know.
        for (const QVariant& entry : classInfo.value(QStringLiteral("$classes")).toList())
            if (entry.typeId() == QMetaType::QString && (archivable = registeredClass(entry.toString())))
                break;
    }
    if (!archivable || !archivable->decode) {
        fail(corrupt(QStringLiteral("The archive holds an object of the unknown class “%1”.").arg(name)));
        return {};
    }
    if (!checkAllowed(archivable->className, archivable->superclasses, allowed, key))
        return {};
    if (secure && !archivable->supportsSecureCoding) {
        fail(corrupt(QStringLiteral("The class “%1” does not support secure coding.").arg(archivable->className)));
        return {};
    }
    containers.push_back(&fields);
    QVariant result = archivable->decode(coder);
    containers.pop_back();
    if (!error && !result.isValid())
        fail(corrupt(QStringLiteral("An object of class “%1” could not be read.").arg(archivable->className)));
    return error ? QVariant() : result;
}

QVariant KeyedUnarchiver::Impl::decodeMembers(const QVariantMap& fields, const QString& name,
                                              const QStringList& allowed, const QString& key,
                                              KeyedUnarchiver& coder)
{
    if (name == u"NSString" || name == u"NSData") {
        const QString field = name == u"NSString" ? QStringLiteral("NS.string") : QStringLiteral("NS.data");
        const QVariant value = fields.value(field);
        const int wanted = name == u"NSString" ? QMetaType::QString : QMetaType::QByteArray;
        if (value.typeId() != wanted) {
            fail(corrupt(QStringLiteral("The value for key “%1” is a malformed %2.").arg(key, name)));
            return {};
        }
        return value;
    }

    const auto uidList = [&](const char* field, QList<quint64>* out) {
        const QVariant list = fields.value(QLatin1String(field));
        if (list.typeId() != QMetaType::QVariantList)
            return false;
        for (const QVariant& entry : list.toList()) {
            if (!isUID(entry))
                return false;
            out->append(entry.value<PropertyListUID>().value);
        }
        return true;
    };
    QList<quint64> members;
    if (!uidList("NS.objects", &members)) {
        fail(corrupt(QStringLiteral("The value for key “%1” is a malformed %2.").arg(key, name)));
        return {};
    }
    if (name == u"NSArray") {
        QVariantList result;
        for (quint64 member : members) {
            if (member == 0) {
                fail(corrupt(QStringLiteral("The array for key “%1” holds a null object.").arg(key)));
                return {};
            }
            result.append(decodeUID(member, allowed, key, coder));
            if (error)
                return {};
        }
        return result;
    }
    QList<quint64> keys;
    if (!uidList("NS.keys", &keys) || keys.size() != members.size()) {
        fail(corrupt(QStringLiteral("The value for key “%1” is a malformed NSDictionary.").arg(key)));
        return {};
    }
    QVariantMap result;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QVariant entryKey = decodeUID(keys[i], allowed, key, coder);
        if (error)
            return {};
        if (entryKey.typeId() != QMetaType::QString) {
            fail(corrupt(QStringLiteral("The dictionary for key “%1” has a key that is not a string.").arg(key)));
            return {};
        }
        if (members[i] == 0) {
            fail(corrupt(QStringLiteral("The dictionary for key “%1” holds a null object.").arg(key)));
            return {};
        }
        const QVariant value = decodeUID(members[i], allowed, key, coder);
        if (error)
            return {};
        result.insert(entryKey.toString(), value);
    }
    return result;
}

KeyedUnarchiver::KeyedUnarchiver() : d(std::make_unique<Impl>()) {}

KeyedUnarchiver::~KeyedUnarchiver() = default;

std::unique_ptr<KeyedUnarchiver> KeyedUnarchiver::forReadingFromData(const QByteArray& data, Error* error,
                                                                     bool requiresSecureCoding)
{
    const Error notAnArchive = corrupt(QStringLiteral("The data couldn’t be read because it isn’t in the correct format."));
    const auto root = plist::propertyListFromData(data, nullptr, plist::Limits{kMaxDepth, kMaxArchiveValues});
    if (!root || root->typeId() != QMetaType::QVariantMap) {
        setError(error, notAnArchive);
        return nullptr;
    }
    const QVariantMap archive = root->toMap();
    const QVariant objects = archive.value(QStringLiteral("$objects"));
    const QVariant top = archive.value(QStringLiteral("$top"));
    if (archive.value(QStringLiteral("$archiver")) != QVariant(QStringLiteral("NSKeyedArchiver"))
        || !isInteger(archive.value(QStringLiteral("$version"))) || objects.typeId() != QMetaType::QVariantList
        || top.typeId() != QMetaType::QVariantMap || objects.toList().isEmpty()) {
        setError(error, notAnArchive);
        return nullptr;
    }
    std::unique_ptr<KeyedUnarchiver> unarchiver(new KeyedUnarchiver);
    unarchiver->d->secure = requiresSecureCoding;
    unarchiver->d->objects = objects.toList();
    unarchiver->d->top = top.toMap();
    unarchiver->d->containers.push_back(&unarchiver->d->top);
    return unarchiver;
}

QVariant KeyedUnarchiver::unarchivedObjectOfClasses(const QStringList& allowedClasses, const QByteArray& data,
                                                    Error* error)
{
    const auto unarchiver = forReadingFromData(data, error);
    if (!unarchiver)
        return {};
    return unarchiver->decodeTopLevelObjectOfClasses(allowedClasses, QString::fromLatin1(kKeyedArchiveRootObjectKey),
                                                     error);
}

bool KeyedUnarchiver::requiresSecureCoding() const { return d->secure; }

bool KeyedUnarchiver::containsValueForKey(const QString& key) const
{
    return d->containers.back()->contains(escapedKey(key));
}

QVariant KeyedUnarchiver::decodeObjectOfClasses(const QStringList& allowedClasses, const QString& key)
{
    if (d->error)
        return {};
    const QVariant value = d->field(key);
    if (!value.isValid())
        return {};
    if (!isUID(value)) {
        d->fail(corrupt(QStringLiteral("The value for key “%1” is not an object reference.").arg(key)));
        return {};
    }
    return d->decodeUID(value.value<PropertyListUID>().value, allowedClasses, key, *this);
}

bool KeyedUnarchiver::decodeBool(const QString& key)
{
    const QVariant value = d->error ? QVariant() : d->field(key);
    if (!value.isValid())
        return false;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (isInteger(value))
        return value.toLongLong() != 0;
    d->fail(corrupt(QStringLiteral("The value for key “%1” is not a boolean.").arg(key)));
    return false;
}

qint64 KeyedUnarchiver::decodeInteger(const QString& key)
{
    const QVariant value = d->error ? QVariant() : d->field(key);
    if (!value.isValid())
        return 0;
    if (isInteger(value) || value.typeId() == QMetaType::Bool)
        return value.toLongLong();
    if (value.typeId() == QMetaType::Double) {
        const double number = value.toDouble();
        // Whole-range check before converting: out-of-range conversion is undefined.
        if (std::isfinite(number) && number >= -9.2233720368547758e18 && number < 9.2233720368547758e18)
            return static_cast<qint64>(number);
    }
    d->fail(corrupt(QStringLiteral("The value for key “%1” is not an integer.").arg(key)));
    return 0;
}

double KeyedUnarchiver::decodeDouble(const QString& key)
{
    const QVariant value = d->error ? QVariant() : d->field(key);
    if (!value.isValid())
        return 0;
    if (value.typeId() == QMetaType::Double || isInteger(value))
        return value.toDouble();
    d->fail(corrupt(QStringLiteral("The value for key “%1” is not a number.").arg(key)));
    return 0;
}

float KeyedUnarchiver::decodeFloat(const QString& key) { return static_cast<float>(decodeDouble(key)); }

QVariant KeyedUnarchiver::decodeTopLevelObjectOfClasses(const QStringList& allowedClasses, const QString& key,
                                                        Error* error)
{
    QVariant result = decodeObjectOfClasses(allowedClasses, key);
    if (d->error) {
        setError(error, *d->error);
        return {};
    }
    if (!result.isValid())
        setError(error, Error(QString::fromLatin1(kCocoaErrorDomain), kCoderValueNotFoundError,
                              QStringLiteral("The archive holds no object for key “%1”.").arg(key)));
    return result;
}

void KeyedUnarchiver::failWithError(Error error) { d->fail(std::move(error)); }

const std::optional<Error>& KeyedUnarchiver::error() const { return d->error; }

} // namespace platform
