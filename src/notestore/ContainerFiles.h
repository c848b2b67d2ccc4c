#pragma once

#include "platform/Error.h"

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>

namespace notestore {

class PrivateCopy;

// A file of a container readable at a local path while this object lives:
// the user's own file, or a private decrypted copy removed with it.
class LocalFile {
public:
    explicit LocalFile(QString path, std::function<void()> release = {})
        : m_path(std::move(path)), m_release(std::move(release))
    {
    }
    ~LocalFile()
    {
        if (m_release)
            m_release();
    }
    LocalFile(const LocalFile&) = delete;
    LocalFile& operator=(const LocalFile&) = delete;
    const QString& path() const { return m_path; }

private:
    QString m_path;
    std::function<void()> m_release;
};

// Where the files of one Notes container are: a folder copied from a Mac, or
// the same files kept elsewhere under other names (a device backup). Paths
// are relative to the container ("Accounts/<id>/Media/<id>/photo.jpeg") and
// made of plain names only. Only ever read.
class ContainerFiles {
public:
    virtual ~ContainerFiles() = default;

    // The container as the user names it, for messages; `root()/relative`
    // names a file of it.
    virtual QString root() const = 0;
    // The database, for messages.
    virtual QString databasePath() const = 0;
    // NoteStore.sqlite with its -wal and -shm in a private folder.
    virtual std::unique_ptr<PrivateCopy> copyDatabase(platform::Error* error) const = 0;

    // Whether `relativePath` is a regular file inside the container.
    virtual bool isFile(const QString& relativePath) const = 0;
    // The size of that file as it will be read, or 0 when it cannot be told.
    virtual qint64 fileSize(const QString& relativePath) const = 0;
    // The names of what `relativeFolder` holds that start with `prefix` and
    // end with `suffix` (both plain text), at most kMaxListedNames of them.
    virtual QStringList fileNames(const QString& relativeFolder, const QString& prefix,
                                  const QString& suffix) const = 0;
    // The file readable at a local path, or nothing with the reason.
    virtual std::shared_ptr<const LocalFile> localFile(const QString& relativePath, QString* problem) const = 0;
    // Copies the file to `destination`, under a hidden name renamed into
    // place once complete; the error names the file.
    virtual bool copyFile(const QString& relativePath, const QUrl& destination, platform::Error* error) const = 0;

    static constexpr int kMaxListedNames = 100'000;
};

} // namespace notestore
