#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace platform {

// Key-value settings kept as property lists, one file per domain at
// $XDG_CONFIG_HOME/preferences/<domain>.plist. A read searches the own
// domain first, then every added suite in the order they were added.
// Files are re-read when they change on disk, so values another program
// writes into a shared suite are seen without restarting.
class UserDefaults {
public:
    explicit UserDefaults(QString domain);

    // The defaults of this application (domain kApplicationDomain).
    static UserDefaults& standard();
    static const char* const kApplicationDomain;
    // The most a domain's file may hold; beyond it the file is ignored, and
    // the reason logged.
    static constexpr qint64 kMaxFileBytes = qint64(16) << 20;
    static constexpr int kMaxNesting = 512;
    static constexpr qint64 kMaxValues = 200000;

    void addSuite(const QString& suiteName);
    void removeSuite(const QString& suiteName);
    QStringList suites() const;
    QString domain() const { return m_domain; }

    // An invalid QVariant when no domain holds the key.
    QVariant object(const QString& key) const;
    QString string(const QString& key) const;   // empty unless the value is a string
    QByteArray data(const QString& key) const;  // empty unless the value is data
    bool boolValue(const QString& key) const;   // booleans, numbers and "YES"/"true"/"1" strings

    // Writes go to the own domain only; the file is replaced atomically.
    bool setObject(const QVariant& value, const QString& key, Error* error = nullptr);
    bool removeObject(const QString& key, Error* error = nullptr);

    // The file a domain lives in.
    static QString pathForDomain(const QString& domain);

    // What tells one state of a domain's file from another.
    struct FileStamp {
        bool exists = false;
        qint64 size = -1;
        qint64 mtimeNs = -1;
        quint64 device = 0;
        quint64 inode = 0;
        qint64 ctimeNs = -1;
        bool operator==(const FileStamp&) const = default;
    };

private:
    QVariantMap domainContents(const QString& domain) const;
    bool writeDomain(const QVariantMap& contents, Error* error);

    struct CachedDomain {
        QString path;
        FileStamp stamp;
        qint64 readAtNs = 0;
        QVariantMap contents;
    };

    QString m_domain;
    QStringList m_suites;
    mutable QMutex m_mutex;
    mutable QHash<QString, CachedDomain> m_cache;
};

} // namespace platform
