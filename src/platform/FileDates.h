#pragma once

#include "platform/Error.h"

#include <QDateTime>
#include <QUrl>
#include <optional>

// Creation and content modification dates of items on disk. Linux cannot
// set a file's birth time, so the creation date we set is kept in the
// extended attribute kCreationDateAttribute (ISO 8601, UTC) and read from
// there first, then from the birth time, then from the modification time.
namespace platform::filedates {

inline constexpr const char* kCreationDateAttribute = "user.notes-import.creation-date";

// Sets both dates in one step; a missing date leaves that date alone.
bool setDates(const QUrl& fileURL, const std::optional<QDateTime>& creationDate,
              const std::optional<QDateTime>& modificationDate, Error* error);

// The same on the open file `fd` at `fileURL`, which spares two path lookups.
bool setDates(int fd, const QUrl& fileURL, const std::optional<QDateTime>& creationDate,
              const std::optional<QDateTime>& modificationDate, Error* error);

std::optional<QDateTime> creationDate(const QUrl& fileURL);
std::optional<QDateTime> modificationDate(const QUrl& fileURL);

} // namespace platform::filedates
