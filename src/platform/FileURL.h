#pragma once

#include <QString>
#include <QUrl>

// File URLs as the product code uses them: a directory URL ends with "/",
// and the absolute string is the percent-encoded file URL.
namespace platform::fileurl {

QUrl fromPath(const QString& path, bool isDirectory);
// A file URL for `path`, a directory URL when a directory exists there.
QUrl fromExistingPath(const QString& path);

// `base` (a directory) with one name appended; the result is a directory URL
// when `isDirectory` is true.
QUrl appendingPathComponent(const QUrl& base, const QString& name, bool isDirectory = false);

// Path on disk, without a trailing "/" (except for the root).
QString path(const QUrl& url);
QString lastPathComponent(const QUrl& url);
bool hasDirectoryPath(const QUrl& url);
QString absoluteString(const QUrl& url);

} // namespace platform::fileurl

namespace platform::pathutil {

// The text after the last "." of a name, "" when there is none or the name
// only starts with "." ("Version 1.5" has the extension "5").
QString pathExtension(const QString& name);
// The name without its path extension and that period.
QString deletingPathExtension(const QString& name);
// `name` + "." + `extension`, or `name` when the extension is empty.
QString appendingPathExtension(const QString& name, const QString& extension);

// The longest single name we make: Linux file systems take 255 bytes, and
// keeping to 255 UTF-16 units as well lets the tree be copied anywhere.
inline constexpr qsizetype kMaximumNameLength = 255;

bool fitsNameLimits(const QString& name);
// The longest start of `text` within `units` UTF-16 units and `bytes` UTF-8
// bytes, never ending inside a character.
QString prefixWithin(const QString& text, qsizetype units, qsizetype bytes);
// `name` with `suffix` put before its extension (" 2": "Note.html" gives
// "Note 2.html"), the stem cut so that the whole fits both limits. An
// extension that leaves no room for the stem is cut as part of it.
QString fittingName(const QString& name, const QString& suffix = QString());

} // namespace platform::pathutil
