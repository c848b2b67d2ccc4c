#include "platform/UserDefaults.h"

#include "platform/Log.h"
#include "platform/PropertyList.h"
#include "platform/SafeFile.h"
#include "platform/Xdg.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QSaveFile>
#include <QSet>

#include <ctime>
#include <sys/stat.h>

namespace platform {

const char* const UserDefaults::kApplicationDomain = "app.ostrel.notes-import";

namespace {

UserDefaults::FileStamp stampOf(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {true,
            static_cast<qint64>(st.st_size),
            static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            static_cast<quint64>(st.st_dev),
            static_cast<quint64>(st.st_ino),
            static_cast<qint64>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

qint64 nowNs()
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<qint64>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// File times tick coarsely (a few milliseconds here, seconds elsewhere), so
// a file changed within this long of our reading it may carry the very
// stamp we saw: such contents are read again rather than trusted.
constexpr qint64 kStampResolutionNs = 2'000'000'000;

// A broken file is reported once per process and path, not on every read.
void logUnreadableOnce(const QString& path, const QString& reason)
{
    static QMutex mutex;
    static QSet<QString> reported;
    QMutexLocker lock(&mutex);
    if (reported.contains(path))
        return;
    reported.insert(path);
    logLine(QStringLiteral("Ignoring unreadable user defaults %1: %2").arg(path, reason));
}

// Settings are small: a link, a FIFO, a device or a huge or deeply nested
// file is refused with the reason rather than followed, waited on or parsed.
std::optional<QVariant> readDomainFile(const QString& path, Error* error)
{
    const std::optional<QByteArray> bytes = safefile::readRegularFile(path, UserDefaults::kMaxFileBytes, error);
    if (!bytes)
        return std::nullopt;
    return plist::propertyListFromData(*bytes, error, plist::Limits{UserDefaults::kMaxNesting, UserDefaults::kMaxValues});
}

} // namespace

UserDefaults::UserDefaults(QString domain)
    : m_domain(std::move(domain))
{
}

UserDefaults& UserDefaults::standard()
{
    static UserDefaults defaults(QString::fromLatin1(kApplicationDomain));
    return defaults;
}

QString UserDefaults::pathForDomain(const QString& domain)
{
    return xdg::configHome() + QStringLiteral("/preferences/") + domain + QStringLiteral(".plist");
}

void UserDefaults::addSuite(const QString& suiteName)
{
    QMutexLocker lock(&m_mutex);
    // The own domain is always searched first; adding it again changes nothing.
    if (suiteName == m_domain || m_suites.contains(suiteName) || suiteName.isEmpty())
        return;
    m_suites.append(suiteName);
}

void UserDefaults::removeSuite(const QString& suiteName)
{
    QMutexLocker lock(&m_mutex);
    m_suites.removeAll(suiteName);
}

QStringList UserDefaults::suites() const
{
    QMutexLocker lock(&m_mutex);
    return m_suites;
}

// Called with m_mutex held.
QVariantMap UserDefaults::domainContents(const QString& domain) const
{
    const QString path = pathForDomain(domain);
    // Taken before the file is looked at: a change after it shows as newer.
    const qint64 readAt = nowNs();
    const FileStamp stamp = stampOf(path);
    CachedDomain& cached = m_cache[domain];
    // Another program replaces the file by a rename (a new inode, a new
    // change time) or rewrites it in place; a copy may keep its times, but
    // never its change time.
    if (cached.path == path && cached.stamp == stamp
        && (!stamp.exists || stamp.ctimeNs < cached.readAtNs - kStampResolutionNs))
        return cached.contents;

    cached = CachedDomain{path, stamp, readAt, {}};
    if (!stamp.exists)
        return {};
    Error error;
    const std::optional<QVariant> value = readDomainFile(path, &error);
    if (!value) {
        logUnreadableOnce(path, error.localizedDescription());
        return {};
    }
    if (value->typeId() != QMetaType::QVariantMap) {
        logUnreadableOnce(path, QStringLiteral("the top level is not a dictionary"));
        return {};
    }
    cached.contents = value->toMap();
    return cached.contents;
}

QVariant UserDefaults::object(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    QStringList domains{m_domain};
    domains.append(m_suites);
    for (const QString& domain : domains) {
        const QVariantMap contents = domainContents(domain);
        const auto found = contents.constFind(key);
        if (found != contents.constEnd())
            return *found;
    }
    return {};
}

QString UserDefaults::string(const QString& key) const
{
    const QVariant value = object(key);
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

QByteArray UserDefaults::data(const QString& key) const
{
    const QVariant value = object(key);
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
}

bool UserDefaults::boolValue(const QString& key) const
{
    const QVariant value = object(key);
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
        return value.toLongLong() != 0;
    case QMetaType::Double:
        return value.toDouble() != 0.0;
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        return text.compare(QLatin1String("YES"), Qt::CaseInsensitive) == 0
            || text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
            || text.toLongLong() != 0;
    }
    default:
        return false;
    }
}

bool UserDefaults::setObject(const QVariant& value, const QString& key, Error* error)
{
    if (!value.isValid())
        return removeObject(key, error);
    QMutexLocker lock(&m_mutex);
    QVariantMap contents = domainContents(m_domain);
    contents.insert(key, value);
    return writeDomain(contents, error);
}

bool UserDefaults::removeObject(const QString& key, Error* error)
{
    QMutexLocker lock(&m_mutex);
    QVariantMap contents = domainContents(m_domain);
    if (!contents.contains(key))
        return true;
    contents.remove(key);
    return writeDomain(contents, error);
}

// Called with m_mutex held.
bool UserDefaults::writeDomain(const QVariantMap& contents, Error* error)
{
    const std::optional<QByteArray> bytes = plist::dataFromPropertyList(contents, plist::Format::Binary, error);
    if (!bytes)
        return false;
    const QString path = pathForDomain(m_domain);
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        setError(error, Error(QStringLiteral("NSCocoaErrorDomain"), 513,
                              QStringLiteral("Could not create the folder for %1.").arg(path)));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() || !file.commit()) {
        setError(error, Error(QStringLiteral("NSCocoaErrorDomain"), 512,
                              QStringLiteral("Could not write %1: %2").arg(path, file.errorString())));
        return false;
    }
    m_cache.remove(m_domain);
    return true;
}

} // namespace platform
