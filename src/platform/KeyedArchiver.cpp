#include "platform/KeyedArchiver.h"

#include "platform/Color.h"
#include "platform/PropertyList.h"

#include <QHash>
#include <QMutex>
#include <QSet>
#include <cmath>
#include <limits>
#include <vector>

namespace platform {

// Paragraph styles and their tab stops (ParagraphStyleCoding.cpp).
ArchivableClass paragraphStyleArchivableClass();
ArchivableClass textTabArchivableClass();

using plist::PropertyListUID;

namespace {

// Nesting deeper than this is refused rather than risking the stack.
constexpr int kMaxDepth = 256;
// Archives here are small (colours, styles); a huge one is refused before
// it is converted at all.
constexpr qint64 kMaxArchiveValues = 65536;

Error corrupt(const QString& description)
{
    return Error(QString::fromLatin1(kCocoaErrorDomain), kCoderReadCorruptError, description);
}

Error invalidValue(const QString& description)
{
    return Error(QString::fromLatin1(kCocoaErrorDomain), kCoderInvalidValueError, description);
}

// Keys of our own start with "$"; a coder key that does too gets one more.
QString escapedKey(const QString& key)
{
    return key.startsWith(QLatin1Char('$')) ? QLatin1Char('$') + key : key;
}

QVariant uidValue(quint64 uid) { return QVariant::fromValue(PropertyListUID{uid}); }

bool isUID(const QVariant& value) { return value.metaType() == QMetaType::fromType<PropertyListUID>(); }

bool isInteger(const QVariant& value) { return value.typeId() == QMetaType::LongLong; }

struct Registry {
    QMutex mutex;
    QHash<QString, ArchivableClass> byName;
    QHash<int, QString> nameByType;
};

void addToRegistry(Registry& registry, ArchivableClass archivableClass)
{
    if (archivableClass.metaType.isValid())
        registry.nameByType.insert(archivableClass.metaType.id(), archivableClass.className);
    registry.byName.insert(archivableClass.className, std::move(archivableClass));
}

ArchivableClass colorClass();

Registry& registry()
{
    static Registry* instance = [] {
        auto* r = new Registry;
        addToRegistry(*r, colorClass());
        addToRegistry(*r, paragraphStyleArchivableClass());
        addToRegistry(*r, textTabArchivableClass());
        return r;
    }();
    return *instance;
}

std::optional<ArchivableClass> registeredClass(const QString& name)
{
    Registry& r = registry();
    QMutexLocker lock(&r.mutex);
    const auto it = r.byName.constFind(name);
    if (it == r.byName.cend())
        return std::nullopt;
    return *it;
}

std::optional<ArchivableClass> registeredClass(QMetaType type)
{
    Registry& r = registry();
    QMutexLocker lock(&r.mutex);
    const auto name = r.nameByType.constFind(type.id());
    if (name == r.nameByType.cend())
        return std::nullopt;
    return r.byName.value(*name);
}

QString joined(const QStringList& names)
{
    return names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "));
}

} // namespace

void registerArchivableClass(ArchivableClass archivableClass)
{
    Registry& r = registry();
    QMutexLocker lock(&r.mutex);
    addToRegistry(r, std::move(archivableClass));
}

// ---- Archiver

struct KeyedArchiver::Impl {
    bool secure = true;
    QVariantList objects{QStringLiteral("$null")};
    QHash<QString, quint64> classUIDs;
    QVariantMap top;
    // The dictionary that encode calls write into; the last one is current.
    std::vector<QVariantMap*> containers;
    std::optional<Error> error;
    bool finished = false;
    int depth = 0;

    quint64 append(QVariant value)
    {
        objects.append(std::move(value));
        return quint64(objects.size() - 1);
    }

    quint64 classUID(const QString& name, const QStringList& superclasses)
    {
        const auto it = classUIDs.constFind(name);
        if (it != classUIDs.cend())
            return *it;
        QStringList chain{name};
        chain += superclasses;
        if (!chain.contains(QLatin1String("NSObject")))
            chain.append(QStringLiteral("NSObject"));
        const quint64 uid = append(QVariantMap{{QStringLiteral("$classname"), name},
                                               {QStringLiteral("$classes"), chain}});
        classUIDs.insert(name, uid);
        return uid;
    }

    quint64 encodeValue(const QVariant& value, KeyedArchiver& coder);
};

quint64 KeyedArchiver::Impl::encodeValue(const QVariant& value, KeyedArchiver& coder)
{
    if (error)
        return 0;
    if (!value.isValid())
        return 0;
    if (depth >= kMaxDepth) {
        error = invalidValue(QStringLiteral("The object is nested too deeply to be archived."));
        return 0;
    }
    switch (value.typeId()) {
    case QMetaType::QString:
        return append(value.toString());
    case QMetaType::Bool:
        return append(value.toBool());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return append(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return append(value.toDouble());
    case QMetaType::QByteArray:
        return append(value.toByteArray());
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        const quint64 uid = append(QVariant());
        ++depth;
        QVariantList members;
        for (const QVariant& element : value.toList())
            members.append(uidValue(encodeValue(element, coder)));
        --depth;
        objects[qsizetype(uid)] = QVariantMap{{QStringLiteral("NS.objects"), members},
                                              {QStringLiteral("$class"), uidValue(classUID(QStringLiteral("NSArray"), {}))}};
        return uid;
    }
    case QMetaType::QVariantMap: {
        const quint64 uid = append(QVariant());
        ++depth;
        QVariantList keys, members;
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            keys.append(uidValue(append(it.key())));
            members.append(uidValue(encodeValue(it.value(), coder)));
        }
        --depth;
        objects[qsizetype(uid)] = QVariantMap{{QStringLiteral("NS.keys"), keys},
                                              {QStringLiteral("NS.objects"), members},
                                              {QStringLiteral("$class"), uidValue(classUID(QStringLiteral("NSDictionary"), {}))}};
        return uid;
    }
    default:
        break;
    }

    const auto archivable = registeredClass(value.metaType());
    if (!archivable || !archivable->encode) {
        error = invalidValue(QStringLiteral("An object of type “%1” cannot be archived.")
                                 .arg(QLatin1String(value.metaType().name() ? value.metaType().name() : "unknown")));
        return 0;
    }
    if (archivable->isNull && archivable->isNull(value))
        return 0;
    if (secure && !archivable->supportsSecureCoding) {
        error = invalidValue(QStringLiteral("The class “%1” does not support secure coding.").arg(archivable->className));
        return 0;
    }
    const quint64 uid = append(QVariant());
    QVariantMap fields;
    containers.push_back(&fields);
    ++depth;
    archivable->encode(value, coder);
    --depth;
    containers.pop_back();
    fields.insert(QStringLiteral("$class"), uidValue(classUID(archivable->className, archivable->superclasses)));
    objects[qsizetype(uid)] = fields;
    return uid;
}

KeyedArchiver::KeyedArchiver(bool requiresSecureCoding) : d(std::make_unique<Impl>())
{
    d->secure = requiresSecureCoding;
    d->containers.push_back(&d->top);
}

KeyedArchiver::~KeyedArchiver() = default;

std::optional<QByteArray> KeyedArchiver::archivedData(const QVariant& rootObject, bool requiringSecureCoding,
                                                      Error* error)
{
    KeyedArchiver archiver(requiringSecureCoding);
    archiver.encodeObject(rootObject, QString::fromLatin1(kKeyedArchiveRootObjectKey));
    return archiver.finishEncoding(error);
}

bool KeyedArchiver::requiresSecureCoding() const { return d->secure; }

void KeyedArchiver::encodeObject(const QVariant& object, const QString& key)
{
    if (d->finished)
        return;
    const quint64 uid = d->encodeValue(object, *this);
    d->containers.back()->insert(escapedKey(key), uidValue(uid));
}

void KeyedArchiver::encodeBool(bool value, const QString& key)
{
    if (!d->finished)
        d->containers.back()->insert(escapedKey(key), value);
}

void KeyedArchiver::encodeInteger(qint64 value, const QString& key)
{
    if (!d->finished)
        d->containers.back()->insert(escapedKey(key), value);
}

void KeyedArchiver::encodeDouble(double value, const QString& key)
{
    if (!d->finished)
        d->containers.back()->insert(escapedKey(key), value);
}

void KeyedArchiver::encodeFloat(float value, const QString& key)
{
    encodeDouble(static_cast<double>(value), key);
}

void KeyedArchiver::failWithError(Error error)
{
    if (!d->error)
        d->error = std::move(error);
}

const std::optional<Error>& KeyedArchiver::error() const { return d->error; }

std::optional<QByteArray> KeyedArchiver::finishEncoding(Error* error)
{
    d->finished = true;
    if (d->error) {
        setError(error, *d->error);
        return std::nullopt;
    }
    const QVariantMap archive{{QStringLiteral("$archiver"), QStringLiteral("NSKeyedArchiver")},
                              {QStringLiteral("$version"), qint64(100000)},
                              {QStringLiteral("$top"), d->top},
                              {QStringLiteral("$objects"), d->objects}};
    return plist::dataFromPropertyList(archive, plist::Format::Binary, error);
}

// ---- Unarchiver

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

// ---- Value transformer

QStringList SecureUnarchiveFromDataTransformer::allowedTopLevelClasses() const
{
    return {QStringLiteral("NSArray"), QStringLiteral("NSDictionary"), QStringLiteral("NSString"),
            QStringLiteral("NSNumber"), QStringLiteral("NSData")};
}

QVariant SecureUnarchiveFromDataTransformer::transformedValue(const QVariant& value) const
{
    if (value.typeId() != QMetaType::QByteArray)
        return {};
    return KeyedUnarchiver::unarchivedObjectOfClasses(allowedTopLevelClasses(), value.toByteArray(), nullptr);
}

QVariant SecureUnarchiveFromDataTransformer::reverseTransformedValue(const QVariant& value) const
{
    const auto data = KeyedArchiver::archivedData(value, true, nullptr);
    return data ? QVariant(*data) : QVariant();
}

// ---- Colours

namespace {

// Colour kinds as the archive numbers them.
enum ArchivedColorSpace : qint64 {
    kArchivedGenericRGB = 1,
    kArchivedDeviceRGB = 2,
    kArchivedGray = 3,
    kArchivedCatalog = 6,
    kArchivedPattern = 10,
};

QByteArray componentText(std::initializer_list<double> values)
{
    QByteArray text;
    for (double value : values) {
        if (!text.isEmpty())
            text += ' ';
        text += QByteArray::number(value, 'g', 17);
    }
    return text;
}

// Two to four numbers separated by spaces; a trailing NUL is allowed.
std::optional<QList<double>> parseComponents(const QVariant& value, qsizetype minimum, qsizetype maximum)
{
    if (value.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    QByteArray text = value.toByteArray();
    while (text.endsWith('\0'))
        text.chop(1);
    QList<double> numbers;
    for (const QByteArray& part : text.simplified().split(' ')) {
        bool ok = false;
        const double number = part.toDouble(&ok);
        if (!ok)
            return std::nullopt;
        numbers.append(number);
    }
    if (numbers.size() < minimum || numbers.size() > maximum)
        return std::nullopt;
    return numbers;
}

void encodeColor(const QVariant& object, KeyedArchiver& coder)
{
    const ColorRef color = object.value<ColorRef>();
    switch (color->type()) {
    case Color::Type::Catalog:
        coder.encodeInteger(kArchivedCatalog, QStringLiteral("NSColorSpace"));
        coder.encodeObject(color->colorListName(), QStringLiteral("NSCatalogName"));
        coder.encodeObject(color->catalogNameComponent(), QStringLiteral("NSColorName"));
        // What the colour looks like now, for a reader without the list.
        coder.encodeObject(QVariant::fromValue(color->usingType(Color::Type::ComponentBased)), QStringLiteral("NSColor"));
        return;
    case Color::Type::Pattern:
        coder.encodeInteger(kArchivedPattern, QStringLiteral("NSColorSpace"));
        coder.encodeObject(color->patternImageName(), QStringLiteral("NSImageName"));
        return;
    case Color::Type::ComponentBased:
        break;
    }
    if (const auto white = color->whiteAlpha()) {
        coder.encodeInteger(kArchivedGray, QStringLiteral("NSColorSpace"));
        coder.encodeObject(componentText({white->white, white->alpha}), QStringLiteral("NSWhite"));
        return;
    }
    const auto c = *color->rgba();
    const bool generic = color->colorSpace() == Color::Space::GenericRGB;
    coder.encodeInteger(generic ? kArchivedGenericRGB : kArchivedDeviceRGB, QStringLiteral("NSColorSpace"));
    coder.encodeObject(componentText({c.red, c.green, c.blue, c.alpha}), QStringLiteral("NSRGB"));
}

QVariant decodeColor(KeyedUnarchiver& coder)
{
    const auto malformed = [&coder](const char* what) {
        coder.failWithError(corrupt(QStringLiteral("The archived colour has %1.").arg(QLatin1String(what))));
        return QVariant();
    };
    const QStringList stringClass{QStringLiteral("NSString")};
    const QStringList dataClass{QStringLiteral("NSData")};
    switch (coder.decodeInteger(QStringLiteral("NSColorSpace"))) {
    case kArchivedGenericRGB:
    case kArchivedDeviceRGB: {
        const bool generic = coder.decodeInteger(QStringLiteral("NSColorSpace")) == kArchivedGenericRGB;
        const auto c = parseComponents(coder.decodeObjectOfClasses(dataClass, QStringLiteral("NSRGB")), 3, 4);
        if (!c)
            return malformed("unreadable RGB components");
        return QVariant::fromValue(Color::withRGBA(c->at(0), c->at(1), c->at(2), c->size() > 3 ? c->at(3) : 1.0,
                                                   generic ? Color::Space::GenericRGB : Color::Space::DeviceRGB));
    }
    case kArchivedGray: {
        const auto c = parseComponents(coder.decodeObjectOfClasses(dataClass, QStringLiteral("NSWhite")), 1, 2);
        if (!c)
            return malformed("an unreadable white component");
        return QVariant::fromValue(Color::withWhite(c->at(0), c->size() > 1 ? c->at(1) : 1.0));
    }
    case kArchivedCatalog: {
        const QString list = coder.decodeObjectOfClasses(stringClass, QStringLiteral("NSCatalogName")).toString();
        const QString key = coder.decodeObjectOfClasses(stringClass, QStringLiteral("NSColorName")).toString();
        ColorRef color;
        if (list == u"NamedColors")
            color = Color::named(key);
        else if (const auto colorList = ColorList::named(list))
            color = colorList->colorWithKey(key);
        if (!color)
            color = coder.decodeObjectOfClasses({QStringLiteral("NSColor")}, QStringLiteral("NSColor")).value<ColorRef>();
        if (!color)
            return malformed("a colour list and key that name no colour");
        return QVariant::fromValue(color);
    }
    case kArchivedPattern: {
        const QVariant name = coder.decodeObjectOfClasses(stringClass, QStringLiteral("NSImageName"));
        if (name.typeId() != QMetaType::QString)
            return malformed("no pattern image");
        return QVariant::fromValue(Color::pattern(name.toString()));
    }
    default:
        return malformed("an unknown colour space");
    }
}

ArchivableClass colorClass()
{
    ArchivableClass archivable =
        ArchivableClass::make(QStringLiteral("NSColor"), QMetaType::fromType<ColorRef>(), encodeColor, decodeColor);
    archivable.isNull = [](const QVariant& object) { return !object.value<ColorRef>(); };
    return archivable;
}

} // namespace

} // namespace platform
