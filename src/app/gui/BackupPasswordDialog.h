#pragma once

#include "notestore/Secret.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

// Asks for the password of an encrypted device backup, masked; nothing when
// the user cancels. The text is wiped from the field once taken.
std::optional<notestore::Secret> runBackupPasswordDialog(QWidget* parent, const QString& deviceName);

// What asks for a backup's password; tests replace the dialog.
using BackupPasswordPrompt = std::function<std::optional<notestore::Secret>(QWidget* parent, const QString& deviceName)>;
