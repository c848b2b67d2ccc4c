#pragma once

#include <QString>

namespace platform {

// Writes one diagnostic line to the system log (standard error here).
void logLine(const QString& line);

} // namespace platform
