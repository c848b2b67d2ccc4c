#include "app/Passwords.h"
#include "app/gui/BackupPasswordDialog.h"
#include "app/gui/PasswordDialog.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using notestore::PasswordList;
using notestore::Secret;

namespace {

Secret secret(const QByteArray& text)
{
    return Secret(text.constData(), text.size());
}

QByteArrayList texts(const PasswordList& passwords)
{
    QByteArrayList result;
    for (const Secret& password : passwords)
        result.append(QByteArray(reinterpret_cast<const char*>(password.data()), password.size()));
    return result;
}

bool echoes(int fd)
{
    termios state{};
    return tcgetattr(fd, &state) == 0 && (state.c_lflag & ECHO);
}

} // namespace

// Only the line end is stripped; a reason when the file is too much.
TEST(PasswordLines, KeepEverythingButTheLineEnd)
{
    const QByteArray longest(app::kMaxPasswordBytes, 'x');
    const struct {
        QByteArray text;
        QByteArrayList passwords;
        const char* problem; // null when it parses
    } cases[] = {
        {"first\nsecond\n", {"first", "second"}, nullptr},
        {"first\r\nsecond", {"first", "second"}, nullptr},
        {" padded \n\ttab\t\n", {" padded ", "\ttab\t"}, nullptr},
        {"\n\nonly\n\n\r\n", {"only"}, nullptr},
        {"\xEF\xBB\xBFp\xC3\xA4ss\n", {"p\xC3\xA4ss"}, nullptr},
        {"", {}, nullptr},
        {longest, {longest}, nullptr},
        {"ok\n" + longest + 'x', {}, "line 2 is longer than 1024 bytes"},
        {QByteArray("pw\n").repeated(app::kMaxPasswords + 1), {}, "more than 100 passwords"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.left(40).toStdString());
        PasswordList passwords;
        QString problem;
        EXPECT_EQ(app::parsePasswordLines(secret(c.text), passwords, &problem), !c.problem);
        EXPECT_EQ(texts(passwords), c.passwords);
        EXPECT_TRUE(!c.problem || problem.contains(QString::fromUtf8(c.problem))) << problem.toStdString();
    }
}

// A password manager can hand the passwords over through a pipe.
TEST(PasswordFile, ReadsAFileOrAPipeAndFailuresNameTheFile)
{
    testsupport::TempDir dir;
    const struct {
        char kind; // 'f' a file, 'p' a pipe, 'd' a folder, '-' nothing
        QByteArray contents;
        const char* problem; // null when it reads
    } cases[] = {
        {'f', "one\ntwo\n", nullptr},
        {'p', "one\ntwo", nullptr},
        {'-', {}, "No such file"},
        {'d', {}, "not a regular file or a pipe"},
        {'f', "\n\n", "holds no password"},
        {'f', QByteArray(app::kMaxPasswordFileBytes + 1, '\n'), "larger than 65536 bytes"},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath(QStringLiteral("pw%1").arg(&c - cases));
        SCOPED_TRACE(path.toStdString());
        std::thread writer;
        if (c.kind == 'f')
            testsupport::writeFile(path, c.contents);
        else if (c.kind == 'd')
            QDir().mkpath(path);
        else if (c.kind == 'p' && mkfifo(QFile::encodeName(path).constData(), 0600) == 0)
            writer = std::thread([&] { testsupport::writeFile(path, c.contents); });
        QString error;
        const auto passwords = app::readPasswordFile(path, &error);
        if (writer.joinable())
            writer.join();
        ASSERT_EQ(passwords.has_value(), !c.problem) << error.toStdString();
        EXPECT_TRUE(passwords ? texts(*passwords) == QByteArrayList({"one", "two"})
                              : error.contains(path) && error.contains(QString::fromUtf8(c.problem)))
            << error.toStdString();
    }
}

// What is typed never shows on the terminal, and echo comes back afterwards.
TEST(TerminalPassword, IsReadWithoutEcho)
{
    const struct {
        QByteArray typed;
        QByteArray password; // null: refused
    } cases[] = {{"s3cret word\n", "s3cret word"},
                 {"\n", ""},
                 {"\x04", ""},
                 {QByteArray(app::kMaxPasswordBytes + 1, 'x') + '\n', QByteArray()}};
    for (const auto& [typed, expected] : cases) {
        SCOPED_TRACE(typed.left(20).toStdString());
        int master = -1, slave = -1;
        ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        ASSERT_TRUE(echoes(slave));
        // Typed only once echo is off: switching it off discards what was typed before.
        std::thread typist([&, slave, master] {
            while (echoes(slave))
                std::this_thread::yield();
            [[maybe_unused]] const auto written = ::write(master, typed.constData(), typed.size());
        });
        QString error;
        const auto password = app::askPassword(slave, slave, QStringLiteral("Password: "), &error);
        typist.join();
        ASSERT_EQ(password.has_value(), !expected.isNull()) << error.toStdString();
        EXPECT_TRUE(password ? *password == secret(expected) : error.contains(QStringLiteral("longer than 1024 bytes")))
            << error.toStdString();
        EXPECT_TRUE(echoes(slave));

        // What the terminal showed: the prompt and the line end (none after Ctrl-D) only.
        ::close(slave);
        QFile terminal;
        terminal.open(master, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
        EXPECT_EQ(terminal.readAll(), QByteArray("Password: ") + (typed.endsWith('\n') ? "\r\n" : ""));
    }

    // Only a terminal can keep what is typed from showing.
    QFile notATerminal(QStringLiteral("/dev/null"));
    ASSERT_TRUE(notATerminal.open(QIODevice::ReadWrite));
    QString error;
    EXPECT_FALSE(app::askPassword(notATerminal.handle(), notATerminal.handle(), QStringLiteral("Password: "), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("terminal"))) << error.toStdString();
}

// The dialogs of locked notes and of an encrypted backup ask masked, with
// the hint, and hand over what was typed only when it opens; the field
// keeps no copy.
TEST(PasswordDialogs, AskMaskedWithTheHintAndGiveThePasswordWhenOpened)
{
    const QString notes = QStringLiteral("3 notes of this library are locked. Enter their password to export them.");
    const QString backup = QStringLiteral("The backup of “Ann’s iPad” is encrypted. Enter the password chosen when backup "
                                          "encryption was switched on; it opens locked notes too when they have the same one.");
    const struct {
        int locked; // 0: the backup's dialog
        QStringList hints;
        QString typed;
        bool open;
        QString shown; // the texts of its labels
    } cases[] = {
        {3, {}, QStringLiteral("pässword"), true, notes},
        {1, {QStringLiteral(" the cat ")}, QStringLiteral("x"), true,
         QStringLiteral("One note of this library is locked. Enter its password to export it.|Hint: the cat")},
        {3, {QStringLiteral("cat"), {}, QStringLiteral("dog"), QStringLiteral("cat")}, QStringLiteral("x"), true,
         notes + QStringLiteral("|Hint: cat; dog")},
        {3, {}, QStringLiteral("typed then skipped"), false, notes},
        {0, {}, QStringLiteral("bäckup"), true, backup},
        {0, {}, QStringLiteral("x"), false, backup},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown.left(30).toStdString() + (c.open ? " opened" : " cancelled"));
        QStringList shown;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            for (const QLabel* label : dialog->findChildren<QLabel*>())
                shown << label->text();
            auto* field = dialog->findChild<QLineEdit*>();
            EXPECT_EQ(field->echoMode(), QLineEdit::Password);
            // By role: the one that opens first, then the one that does not.
            const QList<QAbstractButton*> buttons = dialog->findChild<QDialogButtonBox*>()->buttons();
            EXPECT_FALSE(buttons.first()->isEnabled());
            field->setText(c.typed);
            EXPECT_TRUE(buttons.first()->isEnabled());
            (c.open ? buttons.first() : buttons.last())->click();
        });
        const auto password = c.locked ? runPasswordDialog(nullptr, c.locked, c.hints)
                                       : runBackupPasswordDialog(nullptr, QStringLiteral("Ann’s iPad"));
        EXPECT_EQ(shown.join(u'|'), c.shown);
        EXPECT_EQ(password.has_value(), c.open);
        EXPECT_TRUE(!password || *password == secret(c.typed.toUtf8()));
    }
    QLineEdit field(QStringLiteral("secret"));
    EXPECT_TRUE(takePasswordFrom(&field, true));
    EXPECT_TRUE(field.text().isEmpty());
}
