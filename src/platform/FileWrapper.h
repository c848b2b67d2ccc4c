#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <optional>
#include <vector>

namespace platform {

// A file or a directory of files held in memory, to be written in one go.
struct FileWrapper {
    QString preferredFilename;
    bool isDirectory = false;
    QByteArray regularFileContents;    // files only
    std::vector<FileWrapper> children; // directories only; each has a name

    static FileWrapper regularFile(const QString& name, QByteArray contents);
    static FileWrapper directory(const QString& name, std::vector<FileWrapper> children);

    // Reads a regular file at once; directories and unreadable items are errors.
    static std::optional<FileWrapper> fromURL(const QUrl& url, Error* error);

    // Writes the wrapper as `url`. Atomically: into a temporary sibling,
    // then moved into place in one step, so the target is either the old
    // item or the complete new one, never a mix.
    bool writeToURL(const QUrl& url, bool atomically, Error* error) const;
};

} // namespace platform
