#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <optional>
#include <vector>

namespace platform {

// A file or a directory of files, to be written in one go. A file holds its
// contents in memory or names the file they are copied from when written,
// so that large attachments are never read into memory.
struct FileWrapper {
    QString preferredFilename;
    bool isDirectory = false;
    QByteArray regularFileContents;    // files only
    QString contentsFilePath;          // files only; when set, used instead of regularFileContents
    std::vector<FileWrapper> children; // directories only; each has a name

    static FileWrapper regularFile(const QString& name, QByteArray contents);
    static FileWrapper regularFileCopiedFrom(const QString& name, const QString& path);
    static FileWrapper directory(const QString& name, std::vector<FileWrapper> children);

    // A wrapper that refers to the regular file at `url` (nothing is read
    // now); directories, links and missing items are errors.
    static std::optional<FileWrapper> fromURL(const QUrl& url, Error* error);

    // Writes the wrapper as `url`. Atomically: into a temporary sibling,
    // then moved into place in one step, so the target is either the old
    // item or the complete new one, never a mix.
    bool writeToURL(const QUrl& url, bool atomically, Error* error) const;
};

} // namespace platform
