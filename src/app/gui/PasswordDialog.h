#pragma once

#include "notestore/Secret.h"

#include <QDialog>
#include <QStringList>
#include <functional>
#include <optional>

class NotesApplication;

class QLineEdit;
class QPushButton;

// Asks once for the password of a library's locked notes: masked, with the
// hints the database keeps, and a way to go on without them.
class PasswordDialog final : public QDialog {
    Q_OBJECT
public:
    PasswordDialog(int lockedNoteCount, const QStringList& hints, QWidget* parent = nullptr);
    ~PasswordDialog() override;

    QLineEdit* passwordField() const { return m_field; }
    QPushButton* openButton() const { return m_openButton; }
    QPushButton* skipButton() const { return m_skipButton; }

    // The password typed, once the dialog was accepted; the field is
    // emptied so the text lives in one place only. Nothing after a skip.
    std::optional<notestore::Secret> takePassword();

private:
    QLineEdit* m_field = nullptr;
    QPushButton* m_openButton = nullptr;
    QPushButton* m_skipButton = nullptr;
};

// Asks for the password of locked notes; nothing when the user skips them.
using PasswordPrompt = std::function<std::optional<notestore::Secret>(QWidget* parent, int lockedNoteCount,
                                                                      const QStringList& hints)>;
std::optional<notestore::Secret> runPasswordDialog(QWidget* parent, int lockedNoteCount, const QStringList& hints);

// What a masked field holds, once its dialog was `accepted`: the field is
// emptied and the text wiped either way.
std::optional<notestore::Secret> takePasswordFrom(QLineEdit* field, bool accepted);

// When the library has locked notes, asks with `prompt` (the dialog when
// empty) and hands the answer to the library; without any, asks nothing.
void askForLockedNotePasswords(NotesApplication& notes, QWidget* parent, const PasswordPrompt& prompt);
