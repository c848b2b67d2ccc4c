#pragma once

#include "export/NotesScripting.h"
#include "platform/Error.h"

#include <QString>
#include <memory>

// Here a Notes library is a local folder or file: opening it stands for
// starting Notes, and being able to read it for the permission to automate it.
namespace app {

// Notes behind `path`: a folder holding library.json, a Notes folder copied
// from a Mac (holding NoteStore.sqlite) or a NoteStore.sqlite file. Fails
// with a description naming the path and what was expected there.
std::shared_ptr<NotesApplication> openNotes(const QString& path, platform::Error* error);

// The folder holding the user's notes behind `path`: `path` itself for a
// folder, the folder a database file is in otherwise. Nothing may be
// written inside it.
QString libraryFolder(const QString& path);

// True when this user may read the library and, for a folder, list it.
bool determinePermissionToAutomate(const QString& path);

} // namespace app
