#include "notestore-generate/BackupWriter.h"

#include "backup/FileRecord.h"
#include "platform/PropertyList.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <openssl/evp.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <utime.h>

namespace notestoregen {

namespace {

const QString kNotesDomain = QStringLiteral("AppDomainGroup-group.com.apple.notes");
constexpr quint32 kFileClass = 3;

QByteArray randomBytes(int count)
{
    QByteArray bytes(count, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(bytes.data()), count / 4);
    return bytes;
}

QByteArray wrapKey(const QByteArray& kek, const QByteArray& key)
{
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    EVP_CIPHER_CTX_set_flags(context, EVP_CIPHER_CTX_FLAG_WRAP_ALLOW);
    QByteArray out(key.size() + 16, '\0');
    int length = 0;
    int rest = 0;
    const auto* k = reinterpret_cast<const unsigned char*>(kek.constData());
    EVP_EncryptInit_ex(context, kek.size() == 32 ? EVP_aes_256_wrap() : EVP_aes_128_wrap(), nullptr, k, nullptr);
    EVP_EncryptUpdate(context, reinterpret_cast<unsigned char*>(out.data()), &length,
                      reinterpret_cast<const unsigned char*>(key.constData()), int(key.size()));
    EVP_EncryptFinal_ex(context, reinterpret_cast<unsigned char*>(out.data()) + length, &rest);
    EVP_CIPHER_CTX_free(context);
    out.resize(length + rest);
    return out;
}

QByteArray encryptCBC(const QByteArray& key, const QByteArray& plain)
{
    static const unsigned char kZeroIV[16] = {};
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    EVP_EncryptInit_ex(context, EVP_aes_256_cbc(), nullptr, reinterpret_cast<const unsigned char*>(key.constData()),
                       kZeroIV);
    QByteArray out(plain.size() + 16, '\0');
    int length = 0;
    int rest = 0;
    EVP_EncryptUpdate(context, reinterpret_cast<unsigned char*>(out.data()), &length,
                      reinterpret_cast<const unsigned char*>(plain.constData()), int(plain.size()));
    EVP_EncryptFinal_ex(context, reinterpret_cast<unsigned char*>(out.data()) + length, &rest);
    EVP_CIPHER_CTX_free(context);
    out.resize(length + rest);
    return out;
}

QByteArray record(const char* tag, const QByteArray& value)
{
    QByteArray out(tag, 4);
    char length[4];
    qToBigEndian<quint32>(quint32(value.size()), length);
    return out + QByteArray(length, 4) + value;
}

QByteArray number(quint32 value)
{
    char bytes[4];
    qToBigEndian<quint32>(value, bytes);
    return QByteArray(bytes, 4);
}

QByteArray withClass(quint32 protectionClass, const QByteArray& wrapped)
{
    char bytes[4];
    qToLittleEndian<quint32>(protectionClass, bytes);
    return QByteArray(bytes, 4) + wrapped;
}

struct Keys {
    QByteArray keybag;
    QByteArray classKey; // of kFileClass
};

Keys makeKeybag(const BackupOptions& options)
{
    const QByteArray dpsl = randomBytes(20);
    const QByteArray salt = randomBytes(20);
    QByteArray first(32, '\0');
    PKCS5_PBKDF2_HMAC(options.password.constData(), int(options.password.size()),
                      reinterpret_cast<const unsigned char*>(dpsl.constData()), int(dpsl.size()),
                      int(options.firstRounds), EVP_sha256(), 32, reinterpret_cast<unsigned char*>(first.data()));
    QByteArray kek(32, '\0');
    PKCS5_PBKDF2_HMAC(first.constData(), 32, reinterpret_cast<const unsigned char*>(salt.constData()),
                      int(salt.size()), int(options.secondRounds), EVP_sha1(), 32,
                      reinterpret_cast<unsigned char*>(kek.data()));
    Keys keys;
    keys.keybag = record("VERS", number(4)) + record("TYPE", number(1)) + record("UUID", randomBytes(16))
                + record("HMCK", randomBytes(40)) + record("WRAP", number(0)) + record("SALT", salt)
                + record("ITER", number(quint32(options.secondRounds))) + record("DPWT", number(1))
                + record("DPIC", number(quint32(options.firstRounds))) + record("DPSL", dpsl);
    for (quint32 protectionClass = 1; protectionClass <= 11; ++protectionClass) {
        const QByteArray classKey = randomBytes(32);
        if (protectionClass == kFileClass)
            keys.classKey = classKey;
        // Class 5 is kept by the device alone, as on real devices.
        const quint32 wrap = protectionClass == 5 ? 1 : 3;
        keys.keybag += record("UUID", randomBytes(16)) + record("CLAS", number(protectionClass))
                     + record("WRAP", number(wrap)) + record("KTYP", number(0))
                     + record("WPKY", wrap & 2 ? wrapKey(kek, classKey) : randomBytes(40));
    }
    return keys;
}

struct Item {
    QString domain;
    QString relativePath;
    int flags = 1;
    QByteArray content;
    qint64 modified = 0;
};

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

bool writeFile(const QString& path, const QByteArray& data, qint64 modified = 0)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        return false;
    file.close();
    if (modified) {
        const struct utimbuf times{time_t(modified), time_t(modified)};
        ::utime(QFile::encodeName(path).constData(), &times);
    }
    return true;
}

// Encrypts the items in place when `keys` are given.
bool writeManifestDatabase(const QString& path, std::vector<Item>& items, const Keys* keys, QString* error)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK)
        return fail(error, QStringLiteral("cannot make %1").arg(path));
    sqlite3_exec(db,
                 "CREATE TABLE Files (fileID TEXT PRIMARY KEY, domain TEXT, relativePath TEXT, flags INTEGER, "
                 "file BLOB); CREATE INDEX FilesDomainIdx ON Files(domain); CREATE INDEX FilesRelativePathIdx ON "
                 "Files(relativePath); CREATE INDEX FilesFlagsIdx ON Files(flags); CREATE TABLE Properties (key "
                 "TEXT PRIMARY KEY, value BLOB); BEGIN;",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Files VALUES (?1, ?2, ?3, ?4, ?5)", -1, &insert, nullptr);
    for (Item& item : items) {
        const QByteArray id = QCryptographicHash::hash((item.domain + u'-' + item.relativePath).toUtf8(),
                                                       QCryptographicHash::Sha1)
                                  .toHex();
        backup::FileRecord fileRecord;
        fileRecord.relativePath = item.relativePath;
        fileRecord.size = item.flags == 1 ? item.content.size() : 0;
        fileRecord.mode = item.flags == 1 ? 0100644 : 040755;
        fileRecord.lastModified = item.modified;
        fileRecord.protectionClass = kFileClass;
        if (keys && item.flags == 1) {
            const QByteArray fileKey = randomBytes(32);
            fileRecord.encryptionKey = withClass(kFileClass, wrapKey(keys->classKey, fileKey));
            item.content = encryptCBC(fileKey, item.content);
        }
        const auto archive = backup::fileRecordArchive(fileRecord);
        const QByteArray domain = item.domain.toUtf8();
        const QByteArray relative = item.relativePath.toUtf8();
        sqlite3_bind_text(insert, 1, id.constData(), int(id.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, domain.constData(), int(domain.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, relative.constData(), int(relative.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 4, item.flags);
        sqlite3_bind_blob(insert, 5, archive->constData(), int(archive->size()), SQLITE_TRANSIENT);
        if (sqlite3_step(insert) != SQLITE_DONE) {
            sqlite3_finalize(insert);
            sqlite3_close(db);
            return fail(error, QStringLiteral("cannot write %1").arg(path));
        }
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return true;
}

bool writePlist(const QString& path, const QVariantMap& map)
{
    const auto data = platform::plist::dataFromPropertyList(map, platform::plist::Format::Binary, nullptr);
    return data && writeFile(path, *data);
}

} // namespace

QString backupFolderName(const BackupOptions& options)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(options.deviceName.toUtf8(), QCryptographicHash::Sha1).toHex());
}

bool writeBackup(const QString& containerFolder, const QString& deviceFolder, const BackupOptions& options,
                 QString* error)
{
    if (!QDir().mkpath(deviceFolder))
        return fail(error, QStringLiteral("cannot make %1").arg(deviceFolder));
    std::vector<Item> items;
    if (options.withNotes) {
        items.push_back({kNotesDomain, QString(), 2, {}, 0});
        const QDir container(QDir(containerFolder).absolutePath());
        QDirIterator walk(container.path(), QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                          QDirIterator::Subdirectories);
        while (walk.hasNext()) {
            const QString path = walk.next();
            const QFileInfo info = walk.fileInfo();
            Item item{kNotesDomain, container.relativeFilePath(path), info.isDir() ? 2 : 1, {},
                      info.lastModified().toSecsSinceEpoch()};
            if (info.isFile()) {
                QFile file(path);
                if (!file.open(QIODevice::ReadOnly))
                    return fail(error, QStringLiteral("cannot read %1").arg(path));
                item.content = file.readAll();
            }
            items.push_back(std::move(item));
        }
    }
    if (options.withOtherApps) {
        // Same names in other domains: a reader going by name alone takes the wrong one.
        items.push_back({QStringLiteral("AppDomainGroup-group.com.example.journal"), QStringLiteral("NoteStore.sqlite"),
                         1, QByteArray("SQLite format 3").append(4096, '\x5a'), 1700000000});
        items.push_back({QStringLiteral("AppDomain-com.example.notes"), QStringLiteral("NoteStore.sqlite-wal"), 1,
                         QByteArray(512, '\x33'), 1700000000});
        items.push_back({QStringLiteral("HomeDomain"), QStringLiteral("Library/Preferences/com.example.plist"), 1,
                         QByteArray("bplist00 not really"), 1700000000});
        items.push_back({QStringLiteral("CameraRollDomain"), QStringLiteral("Media/DCIM/100APPLE/IMG_0001.JPG"), 1,
                         QByteArray(3000, '\x11'), 1700000000});
    }

    std::optional<Keys> keys;
    if (options.encrypted)
        keys = makeKeybag(options);
    const QTemporaryDir scratch;
    const QString database = scratch.filePath(QStringLiteral("Manifest.db"));
    if (!writeManifestDatabase(database, items, keys ? &*keys : nullptr, error))
        return false;
    for (const Item& item : items) {
        if (item.flags != 1)
            continue;
        const QString id = QString::fromLatin1(
            QCryptographicHash::hash((item.domain + u'-' + item.relativePath).toUtf8(), QCryptographicHash::Sha1)
                .toHex());
        QDir(deviceFolder).mkpath(id.left(2));
        if (!writeFile(deviceFolder + u'/' + id.left(2) + u'/' + id, item.content, item.modified))
            return fail(error, QStringLiteral("cannot write %1").arg(id));
    }
    QFile manifestFile(database);
    if (!manifestFile.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("cannot read %1").arg(database));
    QByteArray manifest = manifestFile.readAll();
    QVariantMap manifestPlist{{QStringLiteral("IsEncrypted"), options.encrypted},
                              {QStringLiteral("Version"), QStringLiteral("10.0")},
                              {QStringLiteral("Date"), options.date},
                              {QStringLiteral("Lockdown"),
                               QVariantMap{{QStringLiteral("DeviceName"), options.deviceName},
                                           {QStringLiteral("ProductType"), options.productType},
                                           {QStringLiteral("ProductVersion"), options.productVersion},
                                           {QStringLiteral("UniqueDeviceID"), backupFolderName(options)}}}};
    if (keys) {
        const QByteArray manifestKey = randomBytes(32);
        manifest = encryptCBC(manifestKey, manifest);
        manifestPlist.insert(QStringLiteral("BackupKeyBag"), keys->keybag);
        manifestPlist.insert(QStringLiteral("ManifestKey"), withClass(kFileClass, wrapKey(keys->classKey, manifestKey)));
    }
    const QVariantMap info{{QStringLiteral("Device Name"), options.deviceName},
                           {QStringLiteral("Display Name"), options.deviceName},
                           {QStringLiteral("Product Type"), options.productType},
                           {QStringLiteral("Product Version"), options.productVersion},
                           {QStringLiteral("Last Backup Date"), options.date},
                           {QStringLiteral("Unique Identifier"), backupFolderName(options).toUpper()}};
    const QVariantMap status{{QStringLiteral("SnapshotState"), options.snapshotState},
                             {QStringLiteral("IsFullBackup"), true},
                             {QStringLiteral("Version"), QStringLiteral("3.3")},
                             {QStringLiteral("Date"), options.date}};
    if (!writeFile(deviceFolder + QStringLiteral("/Manifest.db"), manifest)
        || !writePlist(deviceFolder + QStringLiteral("/Manifest.plist"), manifestPlist)
        || !writePlist(deviceFolder + QStringLiteral("/Info.plist"), info)
        || !writePlist(deviceFolder + QStringLiteral("/Status.plist"), status))
        return fail(error, QStringLiteral("cannot write the property lists of %1").arg(deviceFolder));
    return true;
}

} // namespace notestoregen
