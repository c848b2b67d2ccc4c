#pragma once

#include "notestore/Secret.h"

#include <QString>
#include <optional>

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

} // namespace app
