#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace platform {

// A message box: a message, an informative text and its buttons (the
// platform's single default button when none are given).
struct Alert {
    QString messageText;
    QString informativeText;
    QStringList buttons;
};

enum class AlertStyle {
    Modal, // runs until dismissed
    Sheet, // window-modal on `window`, returns at once
};

// Shows alerts. Tests install their own to record them instead of
// blocking on a dialog. The answer is the index of the button pressed
// (0 for the first; sheets always answer 0).
using AlertPresenter = std::function<int(const Alert& alert, AlertStyle style, QWidget* window)>;

// Installs `presenter` (an empty one restores the dialogs); returns the old one.
AlertPresenter setAlertPresenter(AlertPresenter presenter);

int runModalAlert(const Alert& alert);
// Alert sheets have no completion action: dismissing one only closes it.
void beginAlertSheet(const Alert& alert, QWidget* window);

} // namespace platform
