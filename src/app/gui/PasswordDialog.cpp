#include "app/gui/PasswordDialog.h"

#include "app/Passwords.h"
#include "platform/LocalizedString.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <openssl/crypto.h>


PasswordDialog::PasswordDialog(int lockedNoteCount, const QStringList& hints, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(platform::localizedString("Locked Notes"));
    auto* message = new QLabel(this);
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    message->setText(lockedNoteCount == 1
                         ? platform::localizedString("One note of this library is locked. Enter its password to export it.")
                         : platform::stringWithFormat(
                               platform::localizedString("%@ notes of this library are locked. Enter their password to "
                                               "export them."),
                               {QString::number(lockedNoteCount)}));

    m_field = new QLineEdit(this);
    m_field->setEchoMode(QLineEdit::Password);
    m_field->setObjectName(QStringLiteral("PasswordField"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(message);
    layout->addWidget(m_field);

    QStringList distinct;
    for (const QString& hint : hints)
        if (!hint.trimmed().isEmpty() && !distinct.contains(hint.trimmed()))
            distinct.append(hint.trimmed());
    if (!distinct.isEmpty()) {
        auto* hint = new QLabel(this);
        hint->setObjectName(QStringLiteral("PasswordHint"));
        hint->setTextFormat(Qt::PlainText);
        hint->setWordWrap(true);
        hint->setText(platform::stringWithFormat(platform::localizedString("Hint: %@"), {distinct.join(QStringLiteral("; "))}));
        layout->addWidget(hint);
    }

    auto* buttons = new QDialogButtonBox(this);
    m_openButton = buttons->addButton(platform::localizedString("Export Locked Notes"), QDialogButtonBox::AcceptRole);
    m_skipButton = buttons->addButton(platform::localizedString("Skip locked notes"), QDialogButtonBox::RejectRole);
    m_openButton->setDefault(true);
    m_openButton->setEnabled(false);
    connect(m_field, &QLineEdit::textChanged, this, [this](const QString& text) { m_openButton->setEnabled(!text.isEmpty()); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

PasswordDialog::~PasswordDialog()
{
    m_field->clear();
}

std::optional<notestore::Secret> takePasswordFrom(QLineEdit* field, bool accepted)
{
    QString text = field->text();
    field->clear();
    std::optional<notestore::Secret> password;
    if (accepted && !text.isEmpty()) {
        QByteArray utf8 = text.toUtf8();
        password.emplace(utf8.constData(), utf8.size());
        OPENSSL_cleanse(utf8.data(), size_t(utf8.size()));
    }
    // The field let go of its copy, so this one is not shared any more.
    if (!text.isEmpty())
        OPENSSL_cleanse(text.data(), size_t(text.size()) * sizeof(QChar));
    return password;
}

std::optional<notestore::Secret> PasswordDialog::takePassword()
{
    return takePasswordFrom(m_field, result() == QDialog::Accepted);
}

std::optional<notestore::Secret> runPasswordDialog(QWidget* parent, int lockedNoteCount, const QStringList& hints)
{
    PasswordDialog dialog(lockedNoteCount, hints, parent);
    dialog.exec();
    return dialog.takePassword();
}

void askForLockedNotePasswords(NotesApplication& notes, QWidget* parent, const PasswordPrompt& prompt)
{
    const app::LockedNotesInfo locked = app::lockedNotesOf(notes);
    if (locked.count == 0)
        return;
    auto password = prompt ? prompt(parent, locked.count, locked.hints)
                           : runPasswordDialog(parent, locked.count, locked.hints);
    notestore::PasswordList passwords;
    if (password && !password->isEmpty())
        passwords.push_back(std::move(*password));
    app::givePasswords(notes, std::move(passwords));
}
