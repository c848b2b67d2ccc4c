#pragma once

#include "export/NotesScripting.h"
#include "notestore/Secret.h"
#include "platform/Error.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace backup {
struct BackupSummary;
}

// Here a Notes library is a local folder or file: opening it stands for
// starting Notes, and being able to read it for the permission to automate it.
namespace app {

// How an encrypted backup gets its passwords and shows that it is opening.
struct BackupUnlock {
    // The passwords to try on the encrypted backup; nothing, with the
    // reason, when they could not be had.
    std::function<std::optional<notestore::PasswordList>(const backup::BackupSummary& backup, QString* problem)>
        passwords;
    // Called before each password is tried: seconds of work on a real backup.
    std::function<void()> deriving;
};

// Notes behind `path`: a folder holding library.json, a Notes folder copied
// from a Mac (holding NoteStore.sqlite), a NoteStore.sqlite file, an iPhone
// or iPad backup, or a folder holding exactly one such backup. Fails with a
// description naming the path and what was expected there; a folder of
// several backups fails listing them.
std::shared_ptr<NotesApplication> openNotes(const QString& path, platform::Error* error,
                                            const BackupUnlock& unlock = {});

// The message that lists the backups in the folder `path` to choose from.
QString backupChoices(const QString& path, const QList<backup::BackupSummary>& backups);

// The folder holding the user's notes behind `path`: `path` itself for a
// folder, the folder a database file is in otherwise. Nothing may be
// written inside it.
QString libraryFolder(const QString& path);

// True when this user may read the library and, for a folder, list it.
bool determinePermissionToAutomate(const QString& path);

} // namespace app
