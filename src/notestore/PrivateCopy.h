#pragma once

#include "platform/Error.h"

#include <QString>
#include <memory>

namespace notestore {

// The user's database copied, with its write-ahead log and shared-memory
// index, into a folder only this user can enter. SQLite may then write
// what it likes beside the copy while the user's files stay untouched.
// The folder is removed with the object.
class PrivateCopy {
public:
    // Databases beyond this size are refused.
    static constexpr qint64 kMaxFileBytes = qint64(16) << 30;

    // Copies `databasePath` and `databasePath`-wal/-shm where they exist.
    // Fails naming the file and the reason for a file that is a symbolic
    // link, not a regular file, unreadable or too large.
    static std::unique_ptr<PrivateCopy> make(const QString& databasePath, platform::Error* error);
    // An empty private folder, for a reader that puts the database into
    // databasePath() itself (decrypting it, say). `sweep`: first remove the
    // folders of programs that were killed; once per run is enough.
    static std::unique_ptr<PrivateCopy> makeEmpty(platform::Error* error, bool sweep = true);
    ~PrivateCopy();
    PrivateCopy(const PrivateCopy&) = delete;
    PrivateCopy& operator=(const PrivateCopy&) = delete;

    // The copied database.
    QString databasePath() const;
    QString folderPath() const { return m_folder; }

private:
    explicit PrivateCopy(QString folder) : m_folder(std::move(folder)) {}
    QString m_folder;
};

} // namespace notestore
