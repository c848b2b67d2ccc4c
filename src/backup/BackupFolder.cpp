#include "backup/BackupFolder.h"
#include "platform/LocalizedString.h"

#include "platform/PropertyList.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QVariantMap>
#include <sys/stat.h>

namespace backup {

namespace {

bool exists(const QString& folder, const char* name)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(folder + u'/' + QLatin1String(name)).constData(), &info) == 0;
}

// The dictionary in `name`, or nothing when there is no such file; a file
// that is there but unreadable or no dictionary is an error.
std::optional<QVariantMap> readDictionary(const QString& folder, const char* name, qint64 limit, bool* present,
                                          platform::Error* error)
{
    *present = exists(folder, name);
    if (!*present)
        return QVariantMap();
    platform::Error readError;
    qint64 size = 0;
    const auto fd = platform::safefile::openBeneath(folder, QLatin1String(name), &readError, &size);
    const auto data = fd.isValid() ? platform::safefile::readAll(fd.get(), limit, folder + u'/' + QLatin1String(name),
                                                                 &readError, size)
                                   : std::nullopt;
    if (!data) {
        platform::setError(error, backupError(ErrorUnreadable, platform::localizedString("The backup “%1” cannot be read: %2")
                                                                   .arg(folder, readError.localizedDescription())));
        return std::nullopt;
    }
    platform::Error parseError;
    const auto value = platform::plist::propertyListFromData(*data, &parseError, platform::plist::Limits{64, 1'000'000});
    if (!value || value->typeId() != QMetaType::QVariantMap) {
        platform::setError(error, backupError(ErrorDamaged, platform::localizedString("The backup “%1” is damaged: its %2 cannot "
                                                                           "be read%3.")
                                                                .arg(folder, QLatin1String(name),
                                                                     parseError.localizedDescription().isEmpty()
                                                                         ? QString()
                                                                         : QStringLiteral(" (%1)").arg(
                                                                               parseError.localizedDescription()))));
        return std::nullopt;
    }
    return value->toMap();
}

QString text(const QVariantMap& map, const char* key)
{
    const QVariant value = map.value(QLatin1String(key));
    return value.typeId() == QMetaType::QString ? value.toString().left(256) : QString();
}

} // namespace

platform::Error backupError(ErrorCode code, const QString& text)
{
    return platform::Error(QString::fromLatin1(kErrorDomain), code, text);
}

QString BackupSummary::displayName() const
{
    return deviceName.isEmpty() ? QFileInfo(folder).fileName() : deviceName;
}

QString BackupSummary::description() const
{
    QStringList parts;
    if (!productType.isEmpty())
        parts << productType;
    if (!productVersion.isEmpty())
        parts << QStringLiteral("iOS ") + productVersion;
    QString result = QStringLiteral("“%1”").arg(displayName());
    if (!parts.isEmpty())
        result += QStringLiteral(" (%1)").arg(parts.join(QStringLiteral(", ")));
    if (date)
        result += platform::localizedString(", backed up %1 UTC").arg(date->toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    if (encrypted)
        result += platform::localizedString(", encrypted");
    return result + platform::localizedString(", in “%1”").arg(QFileInfo(folder).fileName());
}

bool isDeviceBackup(const QString& folder)
{
    return exists(folder, "Manifest.plist") || exists(folder, "Manifest.db") || exists(folder, "Manifest.mbdb");
}

std::optional<BackupSummary> readBackupSummary(const QString& folder, platform::Error* error)
{
    BackupSummary summary;
    summary.folder = QDir(folder).absolutePath();
    summary.hasManifestDatabase = exists(folder, "Manifest.db");
    summary.hasOldManifest = exists(folder, "Manifest.mbdb");
    bool present = false;
    const auto info = readDictionary(summary.folder, "Info.plist", kMaxInfoPlistBytes, &present, error);
    if (!info)
        return std::nullopt;
    const auto manifest = readDictionary(summary.folder, "Manifest.plist", kMaxManifestPlistBytes, &present, error);
    if (!manifest)
        return std::nullopt;
    const auto status = readDictionary(summary.folder, "Status.plist", kMaxStatusPlistBytes, &present, error);
    if (!status)
        return std::nullopt;
    const QVariantMap lockdown = manifest->value(QStringLiteral("Lockdown")).toMap();
    summary.deviceName = text(*info, "Device Name");
    if (summary.deviceName.isEmpty())
        summary.deviceName = text(lockdown, "DeviceName");
    summary.productType = text(*info, "Product Type");
    if (summary.productType.isEmpty())
        summary.productType = text(lockdown, "ProductType");
    summary.productVersion = text(*info, "Product Version");
    if (summary.productVersion.isEmpty())
        summary.productVersion = text(lockdown, "ProductVersion");
    if (const QVariant date = info->value(QStringLiteral("Last Backup Date")); date.typeId() == QMetaType::QDateTime)
        summary.date = date.toDateTime();
    else if (const QVariant when = status->value(QStringLiteral("Date")); when.typeId() == QMetaType::QDateTime)
        summary.date = when.toDateTime();
    summary.encrypted = manifest->value(QStringLiteral("IsEncrypted")).toBool();
    summary.keybag = manifest->value(QStringLiteral("BackupKeyBag")).toByteArray();
    summary.manifestKey = manifest->value(QStringLiteral("ManifestKey")).toByteArray();
    // Without a Status.plist nothing says the backup is unfinished.
    if (present) {
        const QString state = text(*status, "SnapshotState");
        summary.finished = state.isEmpty() || state == QLatin1String("finished");
    }
    return summary;
}

QList<BackupSummary> findBackups(const QString& path, platform::Error* error)
{
    if (isDeviceBackup(path)) {
        const auto summary = readBackupSummary(path, error);
        return summary ? QList<BackupSummary>{*summary} : QList<BackupSummary>();
    }
    QList<BackupSummary> result;
    QDir folder(path);
    const QStringList names = folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
    int looked = 0;
    for (const QString& name : names) {
        if (++looked > kMaxFolderEntries)
            break;
        const QString candidate = folder.filePath(name);
        if (!isDeviceBackup(candidate))
            continue;
        // One damaged backup among several must not hide the others.
        platform::Error ignored;
        if (const auto summary = readBackupSummary(candidate, &ignored))
            result.append(*summary);
        else if (error)
            *error = ignored;
    }
    return result;
}

} // namespace backup
