#include "backup/FileRecord.h"
#include "platform/LocalizedString.h"

#include "platform/KeyedArchiver.h"

namespace backup {

namespace {

const QString kClassName = QStringLiteral("MBFile");

} // namespace

void registerFileRecordClass()
{
    static const bool registered = [] {
        platform::registerArchivableClass(platform::ArchivableClass::make(
            kClassName, QMetaType::fromType<FileRecord>(),
            [](const QVariant& object, platform::KeyedArchiver& coder) {
                const auto record = object.value<FileRecord>();
                coder.encodeObject(record.relativePath, QStringLiteral("RelativePath"));
                coder.encodeInteger(record.size, QStringLiteral("Size"));
                coder.encodeInteger(record.mode, QStringLiteral("Mode"));
                coder.encodeInteger(record.lastModified, QStringLiteral("LastModified"));
                coder.encodeInteger(record.lastModified, QStringLiteral("Birth"));
                coder.encodeInteger(record.protectionClass, QStringLiteral("ProtectionClass"));
                if (!record.encryptionKey.isEmpty())
                    coder.encodeObject(record.encryptionKey, QStringLiteral("EncryptionKey"));
            },
            [](platform::KeyedUnarchiver& coder) {
                FileRecord record;
                record.relativePath = coder.decodeObjectOfClass(QStringLiteral("NSString"), QStringLiteral("RelativePath"))
                                          .toString();
                record.size = coder.decodeInteger(QStringLiteral("Size"));
                record.mode = coder.decodeInteger(QStringLiteral("Mode"));
                record.lastModified = coder.decodeInteger(QStringLiteral("LastModified"));
                record.protectionClass = coder.decodeInteger(QStringLiteral("ProtectionClass"));
                record.encryptionKey =
                    coder.decodeObjectOfClass(QStringLiteral("NSData"), QStringLiteral("EncryptionKey")).toByteArray();
                return coder.error() ? QVariant() : QVariant::fromValue(record);
            }));
        return true;
    }();
    (void)registered;
}

std::optional<FileRecord> readFileRecord(const QByteArray& archive, QString* problem)
{
    const auto fail = [&](const QString& reason) {
        if (problem)
            *problem = reason;
        return std::nullopt;
    };
    if (archive.size() > FileRecord::kMaxArchiveBytes)
        return fail(platform::localizedString("its record is larger than %1 bytes").arg(FileRecord::kMaxArchiveBytes));
    registerFileRecordClass();
    platform::Error error;
    const QVariant object = platform::KeyedUnarchiver::unarchivedObjectOfClasses(
        {kClassName, QStringLiteral("NSString"), QStringLiteral("NSData"), QStringLiteral("NSNumber"),
         QStringLiteral("NSDictionary"), QStringLiteral("NSArray")},
        archive, &error);
    const auto unreadable = [&](const QString& why) {
        return fail(platform::localizedString("its record cannot be read (%1)")
                        .arg(why.isEmpty() ? platform::localizedString("not a file record") : why));
    };
    if (!object.isValid() || object.metaType() != QMetaType::fromType<FileRecord>())
        return unreadable(error.localizedDescription());
    FileRecord record = object.value<FileRecord>();
    // No path of a device holds a NUL; one that did would name another
    // file wherever it meets the C library.
    if (record.relativePath.contains(QChar(u'\0')))
        return unreadable({});
    if (record.size < 0 || record.size > FileRecord::kMaxFileBytes)
        return fail(platform::localizedString("its record gives a size of %1 bytes").arg(record.size));
    return record;
}

std::optional<QByteArray> fileRecordArchive(const FileRecord& record)
{
    registerFileRecordClass();
    return platform::KeyedArchiver::archivedData(QVariant::fromValue(record), true, nullptr);
}

} // namespace backup
