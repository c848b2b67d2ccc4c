#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Orders names as file browsers do: by the user's locale, ignoring case,
// runs of digits by their value ("File 2" before "file 10"). Negative,
// zero or positive.
int localizedStandardCompare(const QString& string, const QString& other);

// The ICU locale id to collate in: the user's locale, or "root" where that
// is C/POSIX (whose collation orders by code point).
QByteArray collationLocaleID();

} // namespace platform
