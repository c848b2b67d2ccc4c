#pragma once

#include "export/NotesLibrary.h"
#include "platform/Error.h"

#include <QString>
#include <memory>

// Here a Notes library is a local folder: opening it stands for starting
// Notes, and being able to read it for the permission to automate it.
namespace app {

// The library at `folderPath`; fails with a description naming the folder
// when it is missing or its description cannot be read.
std::shared_ptr<const NotesLibrary> openNotesLibrary(const QString& folderPath, platform::Error* error);

// True when this user may read the library folder and list its contents.
bool determinePermissionToAutomate(const QString& folderPath);

} // namespace app
