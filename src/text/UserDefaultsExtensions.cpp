#include "text/UserDefaultsExtensions.h"

#include "platform/KeyedArchiver.h"
#include "platform/LocalizedString.h"
#include "platform/Log.h"

namespace fw {

bool archiveObject(platform::UserDefaults& defaults, const QVariant& object, const QString& key,
                   platform::Error* error)
{
    const auto data = platform::KeyedArchiver::archivedData(object, true, error);
    if (!data)
        return false;
    // A write that did not reach the disk is a failure, not a save.
    return defaults.setObject(*data, key, error);
}

QVariant unarchiveObjectOfClass(const platform::UserDefaults& defaults, const QString& className, const QString& key,
                                platform::Error* error)
{
    const QVariant stored = defaults.object(key);
    platform::Error failure;
    QVariant result;
    if (stored.typeId() != QMetaType::QByteArray) {
        failure = platform::Error(OTLUserDefaultsArchivingErrorDomain, OTLUserDefaultsArchivingErrorNoSuchValue,
                                  platform::localizedString("No such value."));
    } else if (const auto unarchiver = platform::KeyedUnarchiver::forReadingFromData(stored.toByteArray(), &failure)) {
        result = unarchiver->decodeTopLevelObjectOfClasses(
            {className}, QString::fromLatin1(platform::kKeyedArchiveRootObjectKey), &failure);
    }
    if (result.isValid())
        return result;
    if (failure.domain() != OTLUserDefaultsArchivingErrorDomain && failure.code() != OTLUserDefaultsArchivingErrorNoSuchValue)
        platform::logLine(platform::stringWithFormat(QStringLiteral("Error unarchiving defaults object %@: %@"),
                                                     {key, errorLogDescription(failure)}));
    platform::setError(error, failure);
    return {};
}

QString errorLogDescription(const platform::Error& error)
{
    return QStringLiteral("%1 (%2 error %3)").arg(error.localizedDescription(), error.domain()).arg(error.code());
}

} // namespace fw
