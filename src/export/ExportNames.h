#pragma once

#include "text/FileNames.h"

#include <QString>

// `name` made safe for the file system, or `fallback` when nothing of it
// is left (a name of only blanks, line breaks or "…", or none at all).
inline QString exportFileName(const QString& name, const QString& fallback)
{
    const QString sanitized = fw::stringSanitizedForFileName(name);
    return sanitized.isEmpty() ? fw::stringSanitizedForFileName(fallback) : sanitized;
}
