#pragma once

#include "platform/FileURL.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QUrl>

// File names for everything the export writes. Lengths count UTF-16 units.
namespace fw {

// The longest name we hand out, in UTF-16 units and in UTF-8 bytes (the
// file system's own limit on this platform).
inline constexpr qsizetype kMaximumFileNameLength = platform::pathutil::kMaximumNameLength;

// `name` made safe as one file-name component: other control characters
// (C0, DEL, C1) turned into blanks; trimmed of whitespace, newlines and
// "…"; a leading "." and every "/", ":", "~", tab and NUL turned into "-";
// newlines removed; cut to fit the length limit while keeping the extension.
QString stringSanitizedForFileName(const QString& name);

// `name`, or "<stem> <n>.<extension>" with the first n from 1 up at which
// nothing exists in `directoryURL`. A name too long for the file system is
// cut to fit first, extension kept, so the result can always be created.
QString makeFilenameUniqueInDirectoryAtURL(const QString& name, const QUrl& directoryURL);

// The same rule for one export that makes many names: it remembers the
// names it handed out in each directory, and for each name where its
// numbering goes on, so a thousand notes of one name cost no more than a
// thousand of different names. Anything it did not hand out is looked up on
// disk, so files that were there before count as they always do. It assumes
// every name it hands out is created; one thread at a time.
class UniqueFileNames {
public:
    QString makeFilenameUniqueInDirectoryAtURL(const QString& name, const QUrl& directoryURL);
    // Drops what it remembers of `directoryURL` once nothing more is made
    // there; a later name there is still checked on disk.
    void forgetDirectoryAtURL(const QUrl& directoryURL);

private:
    struct Directory {
        QString pathPrefix; // its path, ending in "/"
        QSet<QString> handedOut;
        QHash<QString, qint64> nextCounter; // by the name asked for
    };
    QHash<QString, Directory> m_directories;
};

} // namespace fw
