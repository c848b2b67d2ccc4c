#pragma once

#include "platform/Error.h"

#include <QString>

// The hidden file that marks a folder as an export of ours from the moment
// it is made, so that an export cut short is still recognised and replaced.
inline constexpr char kExportMarkerName[] = ".notes-export";

// Makes `destinationPath` an empty folder (but for the marker) for a new
// export. An existing folder is replaced only when it is empty or holds an
// earlier export, finished or not (the marker, or the manifest named after
// the folder plus ".plist", under the name given or the name a link leads
// to); anything else is refused and left untouched, as is a destination
// that overlaps the Notes library.
bool prepareDestinationFolder(const QString& destinationPath, const QString& libraryPath, platform::Error* error);

// Writes the marker into `folder`, before anything else goes there.
bool writeExportMarker(const QString& folder, platform::Error* error);

// False, with an error, when `destinationPath` and `libraryPath` overlap
// (one inside the other, links resolved).
bool checkOutsideLibrary(const QString& destinationPath, const QString& libraryPath, platform::Error* error);
