#pragma once

#include "notestore/Secret.h"

#include <QString>
#include <QStringList>
#include <optional>

class NotesApplication;

// Passwords for locked notes, as the user hands them over: never on the
// command line or in the environment, where other users and logs see them.
namespace app {

inline constexpr qint64 kMaxPasswordFileBytes = 64 * 1024;
inline constexpr qsizetype kMaxPasswordBytes = 1024;
inline constexpr int kMaxPasswords = 100;

// One password per line; only the line end (LF or CR LF) is stripped, so
// spaces belong to the password. Empty lines are skipped. False, with the
// reason, for a line or a list that is too long.
bool parsePasswordLines(const notestore::Secret& text, notestore::PasswordList& passwords, QString* problem);

// Reads a password file (a regular file or a pipe, so a password manager
// can hand it over without writing it to disk). The error names the file.
std::optional<notestore::PasswordList> readPasswordFile(const QString& path, QString* error);

// Asks on the terminal `inputFd` with echo off, showing `prompt` on
// `promptFd`; the terminal is put back even when the user interrupts.
// An empty password when the user only pressed Return or ended the input.
std::optional<notestore::Secret> askPassword(int inputFd, int promptFd, const QString& prompt, QString* error);

// The question asked for a library's locked notes, with their hints.
QString passwordPrompt(const QStringList& hints);

// What a library tells of its locked notes before the export; a library
// that cannot have any has none.
struct LockedNotesInfo {
    int count = 0;
    QStringList hints;
};
LockedNotesInfo lockedNotesOf(NotesApplication& notes);

// Hands the passwords over to the library's locked notes.
void givePasswords(NotesApplication& notes, notestore::PasswordList passwords);

// The command's way: the passwords already read (from the password file,
// and any asked for an encrypted backup, which are tried on the locked
// notes too), then, when `ask` and the library has locked notes, one asked
// on the terminal. False, with the message, when asking failed.
bool supplyPasswords(NotesApplication& notes, notestore::PasswordList passwords, bool ask, QString* error);

// The question asked for an encrypted backup of the device `deviceName`.
QString backupPasswordPrompt(const QString& deviceName);

// A copy of each password.
notestore::PasswordList clonePasswords(const notestore::PasswordList& passwords);

} // namespace app
