#pragma once

#include <QString>

namespace platform {

// Orders names as file browsers do: by the user's locale, ignoring case,
// runs of digits by their value ("File 2" before "file 10"). Negative,
// zero or positive.
int localizedStandardCompare(const QString& string, const QString& other);

} // namespace platform
