#include "app/gui/BackupPasswordDialog.h"

#include "platform/LocalizedString.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <openssl/crypto.h>

using platform::localizedString;

std::optional<notestore::Secret> runBackupPasswordDialog(QWidget* parent, const QString& deviceName)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(localizedString("Encrypted Backup"));
    auto* message = new QLabel(&dialog);
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    message->setText(platform::stringWithFormat(
        localizedString("The backup of “%@” is encrypted. Enter the password chosen when backup encryption was "
                        "switched on; it opens locked notes too when they have the same one."),
        {deviceName}));
    auto* field = new QLineEdit(&dialog);
    field->setEchoMode(QLineEdit::Password);
    field->setObjectName(QStringLiteral("BackupPasswordField"));
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* open = buttons->addButton(localizedString("Open Backup"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    open->setDefault(true);
    open->setEnabled(false);
    QObject::connect(field, &QLineEdit::textChanged, open, [open](const QString& text) { open->setEnabled(!text.isEmpty()); });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(message);
    layout->addWidget(field);
    layout->addWidget(buttons);

    const bool accepted = dialog.exec() == QDialog::Accepted;
    QString text = field->text();
    field->clear();
    std::optional<notestore::Secret> password;
    if (accepted && !text.isEmpty()) {
        QByteArray utf8 = text.toUtf8();
        password.emplace(utf8.constData(), utf8.size());
        OPENSSL_cleanse(utf8.data(), size_t(utf8.size()));
    }
    if (!text.isEmpty())
        OPENSSL_cleanse(text.data(), size_t(text.size()) * sizeof(QChar));
    return password;
}
