#pragma once

#include "platform/Error.h"

#include <QDateTime>
#include <QList>
#include <QUrl>
#include <functional>
#include <optional>

namespace platform {

// The file operations the product code needs, each reporting failure
// through an Error. Paths are taken from file URLs.
class FileManager {
public:
    virtual ~FileManager() = default;

    // The manager the program uses. It is the plain one unless a test put
    // another in place.
    static FileManager* defaultManager();
    // Puts `manager` in place of the default (nullptr restores it) and
    // returns the one it replaces. Not for use while an export runs.
    static FileManager* setDefaultManager(FileManager* manager);

    virtual bool createDirectory(const QUrl& url, bool withIntermediateDirectories, Error* error);
    // Entries of a directory in the order the file system lists them;
    // directories come back as directory URLs. Names starting with "." are
    // left out when `skipsHiddenFiles`.
    virtual std::optional<QList<QUrl>> contentsOfDirectory(const QUrl& url, bool skipsHiddenFiles, Error* error);
    // Removes a file, or a directory with everything in it; links are removed, not followed.
    virtual bool removeItem(const QUrl& url, Error* error);
    // True when anything, a dangling link included, is at the URL.
    bool isReachable(const QUrl& url);
    // The same for a local path, spared the URL round trip.
    virtual bool isReachableAtPath(const QString& path);
    // `finish`, when given, runs on the open file once the data is in it and
    // before it is closed, so what it sets (dates) is there when the file is.
    using FileFinisher = std::function<void(int fd)>;
    virtual bool writeData(const QByteArray& data, const QUrl& url, Error* error, const FileFinisher& finish = {});
    virtual bool copyItem(const QUrl& from, const QUrl& to, Error* error);
    // Copies what is left of the open file `in` (named `from` in errors) to
    // `to`, refusing more than `limit` bytes.
    virtual bool copyFromDescriptor(int in, const QUrl& from, const QUrl& to, qint64 limit, Error* error);
    bool isDirectory(const QUrl& url);

    // Temporary directory of this user, as a directory URL.
    QUrl temporaryDirectory();

    // The container an application group shares ($XDG_DATA_HOME/<group>/),
    // created on demand; an empty URL when it cannot be created.
    QUrl containerURL(const QString& applicationGroupIdentifier);

protected:
    // The errors the write operations report, for managers that fail on purpose.
    static Error folderNotCreated(const QUrl& url, int errnoValue);
    static Error fileNotSaved(const QUrl& url, int errnoValue);
    static Error itemNotRemoved(const QUrl& url, int errnoValue);
};

} // namespace platform
