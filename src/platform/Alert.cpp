#include "platform/Alert.h"

#include <QMessageBox>
#include <QPushButton>

namespace platform {

namespace {

QMessageBox* makeBox(const Alert& alert, QWidget* parent)
{
    auto* box = new QMessageBox(parent);
    box->setIcon(QMessageBox::Warning);
    box->setText(alert.messageText);
    box->setInformativeText(alert.informativeText);
    if (alert.buttons.isEmpty())
        box->addButton(QMessageBox::Ok);
    for (const QString& title : alert.buttons)
        box->addButton(title, QMessageBox::AcceptRole);
    return box;
}

int presentWithDialog(const Alert& alert, AlertStyle style, QWidget* window)
{
    if (style == AlertStyle::Sheet) {
        QMessageBox* box = makeBox(alert, window);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
        box->open();
        return 0;
    }
    QMessageBox* box = makeBox(alert, nullptr);
    box->exec();
    const QList<QAbstractButton*> buttons = box->buttons();
    const int index = int(buttons.indexOf(box->clickedButton()));
    delete box;
    return std::max(index, 0);
}

AlertPresenter& currentPresenter()
{
    static AlertPresenter presenter;
    return presenter;
}

int present(const Alert& alert, AlertStyle style, QWidget* window)
{
    const AlertPresenter presenter = currentPresenter();
    return presenter ? presenter(alert, style, window) : presentWithDialog(alert, style, window);
}

} // namespace

AlertPresenter setAlertPresenter(AlertPresenter presenter)
{
    return std::exchange(currentPresenter(), std::move(presenter));
}

int runModalAlert(const Alert& alert)
{
    return present(alert, AlertStyle::Modal, nullptr);
}

void beginAlertSheet(const Alert& alert, QWidget* window)
{
    present(alert, AlertStyle::Sheet, window);
}

} // namespace platform
