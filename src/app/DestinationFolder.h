#pragma once

#include "platform/Error.h"

#include <QString>

// Makes `destinationPath` an empty folder for a new export. An existing
// folder is replaced only when it is empty or holds an earlier export (its
// manifest, named after the folder plus ".plist"); anything else is refused
// and left untouched, as is a destination that overlaps the Notes library.
bool prepareDestinationFolder(const QString& destinationPath, const QString& libraryPath, platform::Error* error);

// False, with an error, when `destinationPath` and `libraryPath` overlap
// (one inside the other, links resolved).
bool checkOutsideLibrary(const QString& destinationPath, const QString& libraryPath, platform::Error* error);
