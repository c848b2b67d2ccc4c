#pragma once

#include "notestore/Secret.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>

class QLineEdit;

// Asks for the password of an encrypted device backup, masked.
class BackupPasswordDialog final : public QDialog {
    Q_OBJECT
public:
    explicit BackupPasswordDialog(const QString& deviceName, QWidget* parent = nullptr);
    ~BackupPasswordDialog() override;

    QLineEdit* passwordField() const { return m_field; }
    // The password typed, once the dialog was accepted; the field is
    // emptied and the text wiped. Nothing after Cancel.
    std::optional<notestore::Secret> takePassword();

private:
    QLineEdit* m_field = nullptr;
};

std::optional<notestore::Secret> runBackupPasswordDialog(QWidget* parent, const QString& deviceName);

// What asks for a backup's password; tests replace the dialog.
using BackupPasswordPrompt = std::function<std::optional<notestore::Secret>(QWidget* parent, const QString& deviceName)>;
