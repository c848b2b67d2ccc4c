#include "platform/PropertyList.h"
#include "platform/LocalizedString.h"
#include "platform/PropertyListShape.h"

#include <QDateTime>
#include <QTimeZone>
#include <cmath>
#include <memory>
#include <plist/plist.h>
#include <vector>

namespace platform::plist {

namespace {

// Property-list dates count from 2001-01-01 UTC.
const QDateTime& referenceDate()
{
    static const QDateTime date(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
    return date;
}

struct NodeDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using Node = std::unique_ptr<void, NodeDeleter>;

// libplist aborts when a dictionary key it read holds a NUL, so binary
// property lists are checked for such keys before they are handed over.
// Anything malformed is left for libplist to refuse.
bool binaryKeysHoldNul(const QByteArray& data)
{
    const std::optional<BinaryLayout> layout = binaryLayout(data);
    if (!layout)
        return false;
    const unsigned char* bytes = layout->bytes;
    const quint64 size = layout->size, count = layout->count;
    const unsigned refSize = layout->refSize;
    // The marker's count, read from the following integer when it is 0xF.
    const auto objectCount = [&](quint64 at, quint64* start, quint64* out) {
        const unsigned info = bytes[at] & 0x0F;
        *start = at + 1;
        if (info != 0x0F) {
            *out = info;
            return true;
        }
        if (at + 1 >= size || (bytes[at + 1] & 0xF0) != 0x10)
            return false;
        const unsigned width = 1u << (bytes[at + 1] & 0x0F);
        *start = at + 2 + width;
        return layout->readUInt(at + 2, width, out);
    };
    std::vector<bool> checked(size_t(count), false);
    for (quint64 object = 0; object < count; ++object) {
        quint64 at = 0, start = 0, entries = 0;
        if (!layout->objectOffset(object, &at) || (bytes[at] & 0xF0) != 0xD0 || !objectCount(at, &start, &entries) ||
            entries > size / refSize)
            continue;
        for (quint64 i = 0; i < entries; ++i) {
            quint64 key = 0, keyAt = 0, textStart = 0, length = 0;
            if (!layout->readUInt(start + i * refSize, refSize, &key) || key >= count || checked[size_t(key)])
                continue;
            checked[size_t(key)] = true;
            if (!layout->objectOffset(key, &keyAt) || !objectCount(keyAt, &textStart, &length))
                continue;
            const unsigned type = bytes[keyAt] & 0xF0;
            const unsigned unit = type == 0x50 ? 1 : type == 0x60 ? 2 : 0;
            if (unit == 0 || length > size || textStart > size || length * unit > size - textStart)
                continue;
            for (quint64 u = 0; u < length; ++u) {
                const quint64 p = textStart + u * unit;
                if (bytes[p] == 0 && (unit == 1 || bytes[p + 1] == 0))
                    return true;
            }
        }
    }
    return false;
}

Error plistError(const QString& description)
{
    return Error(QString::fromLatin1(kErrorDomain), 1, description);
}

plist_t toNode(const QVariant& value, QString* failure)
{
    switch (value.metaType().id()) {
    case QMetaType::QVariantMap: {
        plist_t dict = plist_new_dict();
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            plist_t item = toNode(it.value(), failure);
            if (!item) {
                plist_free(dict);
                return nullptr;
            }
            plist_dict_set_item(dict, it.key().toUtf8().constData(), item);
        }
        return dict;
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        plist_t array = plist_new_array();
        for (const QVariant& element : value.toList()) {
            plist_t item = toNode(element, failure);
            if (!item) {
                plist_free(array);
                return nullptr;
            }
            plist_array_append_item(array, item);
        }
        return array;
    }
    case QMetaType::QString:
        return plist_new_string(value.toString().toUtf8().constData());
    case QMetaType::Bool:
        return plist_new_bool(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::Short:
        // Negative integers travel as their 64-bit two's complement, as in the binary format.
        return plist_new_uint(quint64(value.toLongLong()));
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::ULong:
    case QMetaType::UShort:
        return plist_new_uint(value.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return plist_new_real(value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return plist_new_data(bytes.constData(), quint64(bytes.size()));
    }
    case QMetaType::QDateTime: {
        const qint64 ms = referenceDate().msecsTo(value.toDateTime());
        const qint64 seconds = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
        return plist_new_date(int32_t(seconds), int32_t((ms - seconds * 1000) * 1000));
    }
    default:
        if (value.metaType() == QMetaType::fromType<PropertyListUID>())
            return plist_new_uid(value.value<PropertyListUID>().value);
        *failure = platform::localizedString("a value of type “%1” has no property-list form")
                       .arg(QLatin1String(value.metaType().name() ? value.metaType().name() : "invalid"));
        return nullptr;
    }
}

// Each element must be reached in constant time, or large containers take
// minutes. This library finds an array element by index in constant time
// only in arrays it indexed while building them (as its XML reader does),
// and otherwise walks from the first element, as its dictionary iteration
// always does. So dictionaries, and arrays read from the binary form, are
// taken apart from the front, where removal is cheap.
QVariant fromNode(plist_t node, bool indexedArrays)
{
    switch (plist_get_node_type(node)) {
    case PLIST_DICT: {
        QVariantMap map;
        for (uint32_t left = plist_dict_get_size(node); left > 0; --left) {
            plist_dict_iter iter = nullptr;
            plist_dict_new_iter(node, &iter);
            char* key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, iter, &key, &item);
            free(iter);
            if (!key)
                break;
            map.insert(QString::fromUtf8(key), fromNode(item, indexedArrays));
            plist_dict_remove_item(node, key);
            free(key);
            // A key the lookup cannot find again would stay first for ever.
            if (plist_dict_get_size(node) != left - 1)
                break;
        }
        return map;
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t count = plist_array_get_size(node);
        list.reserve(qsizetype(count));
        for (uint32_t i = 0; i < count; ++i) {
            if (indexedArrays) {
                list.append(fromNode(plist_array_get_item(node, i), indexedArrays));
            } else {
                list.append(fromNode(plist_array_get_item(node, 0), indexedArrays));
                plist_array_remove_item(node, 0);
            }
        }
        return list;
    }
    case PLIST_STRING: {
        // By pointer and length: the copying accessor aborts on an embedded NUL.
        uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        return text ? QString::fromUtf8(text, qsizetype(length)) : QString();
    }
    case PLIST_BOOLEAN: {
        uint8_t flag = 0;
        plist_get_bool_val(node, &flag);
        return bool(flag);
    }
    case PLIST_UINT: {
        uint64_t number = 0;
        plist_get_uint_val(node, &number);
        return qint64(number);
    }
    case PLIST_REAL: {
        double number = 0;
        plist_get_real_val(node, &number);
        return number;
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        return QByteArray(bytes, qsizetype(length));
    }
    case PLIST_DATE: {
        int32_t seconds = 0, micro = 0;
        plist_get_date_val(node, &seconds, &micro);
        return referenceDate().addMSecs(qint64(seconds) * 1000 + micro / 1000);
    }
    case PLIST_UID: {
        uint64_t uid = 0;
        plist_get_uid_val(node, &uid);
        return QVariant::fromValue(PropertyListUID{uid});
    }
    default:
        return {};
    }
}

} // namespace

std::optional<QByteArray> dataFromPropertyList(const QVariant& value, Format format, Error* error)
{
    QString failure;
    Node node(toNode(value, &failure));
    if (!node) {
        setError(error, plistError(platform::localizedString("The property list couldn’t be written: %1.").arg(failure)));
        return std::nullopt;
    }
    return dataFromPropertyListNode(node.get(), format, error);
}

std::optional<QByteArray> dataFromPropertyListNode(const void* node, Format format, Error* error)
{
    char* bytes = nullptr;
    uint32_t length = 0;
    const auto root = static_cast<plist_t>(const_cast<void*>(node));
    if (format == Format::Binary)
        plist_to_bin(root, &bytes, &length);
    else
        plist_to_xml(root, &bytes, &length);
    if (!bytes) {
        setError(error, plistError(platform::localizedString("The property list couldn’t be written.")));
        return std::nullopt;
    }
    QByteArray result(bytes, qsizetype(length));
    free(bytes);
    return result;
}

std::optional<QVariant> propertyListFromData(const QByteArray& data, Error* error, const Limits& limits)
{
    // Measured first: the parser recurses, and would overflow the stack.
    if (const auto problem = shapeProblem(data, limits)) {
        setError(error, plistError(platform::localizedString("The property list is refused: %1.").arg(*problem)));
        return std::nullopt;
    }
    plist_t root = nullptr;
    if (!data.isEmpty() && data.size() <= qsizetype(UINT32_MAX) && !binaryKeysHoldNul(data))
        plist_from_memory(data.constData(), uint32_t(data.size()), &root);
    if (!root) {
        setError(error, plistError(platform::localizedString("The data isn’t a property list in a known format.")));
        return std::nullopt;
    }
    Node node(root);
    return fromNode(root, !data.startsWith("bplist00"));
}

} // namespace platform::plist
