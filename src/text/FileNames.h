#pragma once

#include <QString>
#include <QUrl>

// File names for everything the export writes. Lengths count UTF-16 units.
namespace fw {

// The longest name we hand out, in UTF-16 units and in UTF-8 bytes (the
// file system's own limit on this platform).
inline constexpr qsizetype kMaximumFileNameLength = 255;

// `name` made safe as one file-name component: trimmed of whitespace,
// newlines and "…"; a leading "." and every "/", ":", "~", tab and NUL
// turned into "-"; newlines removed; cut to fit the length limit while
// keeping the extension.
QString stringSanitizedForFileName(const QString& name);

// `name`, or "<stem> <n>.<extension>" with the first n from 1 up at which
// nothing exists in `directoryURL`.
QString makeFilenameUniqueInDirectoryAtURL(const QString& name, const QUrl& directoryURL);

} // namespace fw
