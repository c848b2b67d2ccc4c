#include "app/gui/BackupPasswordDialog.h"

#include "platform/LocalizedString.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <openssl/crypto.h>

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
    QString text = m_field->text();
    m_field->clear();
    std::optional<notestore::Secret> password;
    if (result() == QDialog::Accepted && !text.isEmpty()) {
        QByteArray utf8 = text.toUtf8();
        password.emplace(utf8.constData(), utf8.size());
        OPENSSL_cleanse(utf8.data(), size_t(utf8.size()));
    }
    // The field let go of its copy, so this one is not shared any more.
    if (!text.isEmpty())
        OPENSSL_cleanse(text.data(), size_t(text.size()) * sizeof(QChar));
    return password;
}

std::optional<notestore::Secret> runBackupPasswordDialog(QWidget* parent, const QString& deviceName)
{
    BackupPasswordDialog dialog(deviceName, parent);
    dialog.exec();
    return dialog.takePassword();
}
