#pragma once

#include "notestore-generate/BackupWriter.h"
#include "notestore/NoteStoreTestSupport.h"

namespace testsupport {

inline const QByteArray kNotesPassword = "lock-me";
inline const QByteArray kBackupPassword = "backup secret";

// A container with what a backup must carry: pictures, a file, a gallery's
// previews, a drawing's fallback image, a file never downloaded, a locked
// note with a locked picture, and a note only in the write-ahead log.
notestoregen::Container richContainer();

// A backup of the device `name`, encrypted with kBackupPassword when asked.
notestoregen::BackupOptions deviceBackup(const QString& name, bool encrypted = false);

// Writes `container` and wraps it into a backup in `backups`; the device's folder.
QString writeBackupOf(const QString& containerFolder, const QString& backups,
                      const notestoregen::BackupOptions& options);

// notes-export of `library` into `destination` without hand-off, with `more` arguments.
CommandResult exportBackup(const QString& library, const QString& destination, const TempDir& home,
                           const QStringList& more = {});

// Every file and folder below `root` with its mode, its modification time
// and a digest of its contents.
// One line per entry, so that a difference reads plainly. Dates after
// `writtenSince` (given the time the files were written) read "now":
// files without a date of their own get the time of writing.
QStringList fingerprintWithDates(const QString& root, const QDateTime& writtenSince = {});

} // namespace testsupport
