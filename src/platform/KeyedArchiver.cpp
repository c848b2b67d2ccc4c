// The class registry, and writing objects into keyed archives.
#include "platform/KeyedArchiver.h"

#include "platform/KeyedArchiveSupport.h"

#include <QHash>
#include <QMutex>
#include <vector>

namespace platform {

using namespace keyedarchive;

namespace {

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

Registry& registry()
{
    static Registry* instance = [] {
        auto* r = new Registry;
        addToRegistry(*r, colorArchivableClass());
        addToRegistry(*r, paragraphStyleArchivableClass());
        addToRegistry(*r, textTabArchivableClass());
        return r;
    }();
    return *instance;
}

} // namespace

namespace keyedarchive {

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

} // namespace keyedarchive

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

} // namespace platform
