// Keyed-archive coding of colours ("NSColor"): component colours as text of
// numbers by colour space, catalog colours by list and key with a fallback,
// pattern colours by image name.
#include "platform/Color.h"
#include "platform/KeyedArchiveSupport.h"

#include <optional>

namespace platform {

using keyedarchive::corrupt;

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

} // namespace

ArchivableClass colorArchivableClass()
{
    ArchivableClass archivable =
        ArchivableClass::make(QStringLiteral("NSColor"), QMetaType::fromType<ColorRef>(), encodeColor, decodeColor);
    archivable.isNull = [](const QVariant& object) { return !object.value<ColorRef>(); };
    return archivable;
}

} // namespace platform
