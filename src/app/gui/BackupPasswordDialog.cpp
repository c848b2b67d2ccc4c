#include "app/gui/BackupPasswordDialog.h"
#include "app/gui/PasswordDialog.h"

#include "platform/LocalizedString.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using platform::localizedString;

BackupPasswordDialog::BackupPasswordDialog(const QString& deviceName, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(platform::localizedString("Encrypted Backup"));
    auto* message = new QLabel(this);
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    message->setText(platform::stringWithFormat(
        platform::localizedString("The backup of “%@” is encrypted. Enter the password chosen when backup encryption was "
                        "switched on; it opens locked notes too when they have the same one."),
        {deviceName}));
    m_field = new QLineEdit(this);
    m_field->setEchoMode(QLineEdit::Password);
    m_field->setObjectName(QStringLiteral("BackupPasswordField"));
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* open = buttons->addButton(platform::localizedString("Open Backup"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    open->setDefault(true);
    open->setEnabled(false);
    connect(m_field, &QLineEdit::textChanged, open, [open](const QString& text) { open->setEnabled(!text.isEmpty()); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(message);
    layout->addWidget(m_field);
    layout->addWidget(buttons);
}

BackupPasswordDialog::~BackupPasswordDialog()
{
    m_field->clear();
}

std::optional<notestore::Secret> BackupPasswordDialog::takePassword()
{
    return takePasswordFrom(m_field, result() == QDialog::Accepted);
}

std::optional<notestore::Secret> runBackupPasswordDialog(QWidget* parent, const QString& deviceName)
{
    BackupPasswordDialog dialog(deviceName, parent);
    dialog.exec();
    return dialog.takePassword();
}
