#include "app/Passwords.h"
#include "app/gui/PasswordDialog.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <fcntl.h>
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

QByteArray lines(int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += "pw" + QByteArray::number(i) + '\n';
    return text;
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
        {lines(app::kMaxPasswords + 1), {}, "more than 100 passwords"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.left(40).toStdString());
        PasswordList passwords;
        QString problem;
        EXPECT_EQ(app::parsePasswordLines(secret(c.text), passwords, &problem), !c.problem);
        EXPECT_EQ(texts(passwords), c.passwords);
        if (c.problem) {
            EXPECT_TRUE(problem.contains(QString::fromUtf8(c.problem))) << problem.toStdString();
        }
    }
}

TEST(PasswordFile, ReadsAFileOrAPipeAndFailuresNameTheFile)
{
    testsupport::TempDir dir;
    const struct {
        char kind; // 'f' a file, 'd' a folder, '-' nothing
        QByteArray contents;
        const char* problem; // null when it reads
    } cases[] = {
        {'f', "one\ntwo\n", nullptr},
        {'-', {}, "No such file"},
        {'d', {}, "not a regular file or a pipe"},
        {'f', "\n\n", "holds no password"},
        {'f', QByteArray(app::kMaxPasswordFileBytes + 1, '\n'), "larger than 65536 bytes"},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath(QStringLiteral("pw"));
        SCOPED_TRACE(c.problem ? c.problem : "reads");
        QFile::remove(path);
        QDir(path).removeRecursively();
        if (c.kind == 'f')
            testsupport::writeFile(path, c.contents);
        else if (c.kind == 'd')
            QDir().mkpath(path);
        QString error;
        const auto passwords = app::readPasswordFile(path, &error);
        ASSERT_EQ(passwords.has_value(), !c.problem) << error.toStdString();
        if (passwords) {
            EXPECT_EQ(texts(*passwords), (QByteArrayList{"one", "two"}));
        } else {
            EXPECT_TRUE(error.contains(path) && error.contains(QString::fromUtf8(c.problem))) << error.toStdString();
        }
    }

    // A password manager can hand the passwords over through a pipe.
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("fifo")));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    std::thread writer([&fifo] {
        const int fd = ::open(fifo.constData(), O_WRONLY);
        [[maybe_unused]] const auto written = ::write(fd, "one\ntwo", 7);
        ::close(fd);
    });
    QString error;
    const auto passwords = app::readPasswordFile(QFile::decodeName(fifo), &error);
    writer.join();
    ASSERT_TRUE(passwords) << error.toStdString();
    EXPECT_EQ(texts(*passwords), (QByteArrayList{"one", "two"}));
}

// What is typed never shows on the terminal, and echo comes back afterwards.
TEST(TerminalPassword, IsReadWithoutEcho)
{
    const struct {
        QByteArray typed;
        QByteArray password; // null: refused
    } cases[] = {{"s3cret word\n", "s3cret word"},
                 {"p\xC3\xA4ss\n", "p\xC3\xA4ss"},
                 {"\n", ""},
                 {"\x04", ""},
                 {QByteArray(app::kMaxPasswordBytes + 1, 'x') + '\n', QByteArray()}};
    for (const auto& [typed, expected] : cases) {
        SCOPED_TRACE(typed.left(20).toStdString());
        int master = -1;
        int slave = -1;
        ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        ASSERT_TRUE(echoes(slave));
        int promptPipe[2];
        ASSERT_EQ(pipe(promptPipe), 0);
        // Typed only once echo is off: switching it off discards what was typed before.
        std::thread typist([&, slave, master] {
            while (echoes(slave))
                std::this_thread::yield();
            [[maybe_unused]] const auto written = ::write(master, typed.constData(), typed.size());
        });
        QString error;
        const auto password = app::askPassword(slave, promptPipe[1], QStringLiteral("Password: "), &error);
        typist.join();
        ASSERT_EQ(password.has_value(), !expected.isNull()) << error.toStdString();
        if (password) {
            EXPECT_TRUE(*password == secret(expected));
        } else {
            EXPECT_TRUE(error.contains(QStringLiteral("longer than 1024 bytes"))) << error.toStdString();
        }
        EXPECT_TRUE(echoes(slave));

        ::close(promptPipe[1]);
        char prompt[64] = {};
        EXPECT_EQ(::read(promptPipe[0], prompt, sizeof prompt), 10);
        EXPECT_STREQ(prompt, "Password: ");
        // What the terminal showed: the line end only.
        ::close(slave);
        QByteArray shown;
        char buffer[256];
        for (ssize_t got; (got = ::read(master, buffer, sizeof buffer)) > 0;)
            shown.append(buffer, got);
        const QByteArray hidden = expected.isNull() ? typed.left(8) : expected;
        EXPECT_TRUE(hidden.isEmpty() || !shown.contains(hidden)) << shown.toStdString();
        ::close(master);
        ::close(promptPipe[0]);
    }

    // Only a terminal can keep what is typed from showing.
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    QString error;
    EXPECT_FALSE(app::askPassword(pipeEnds[0], pipeEnds[1], QStringLiteral("Password: "), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("terminal"))) << error.toStdString();
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
}

TEST(PasswordDialog, AsksOnceMaskedWithTheHint)
{
    const struct {
        QStringList hints;
        QString typed;
        bool accept;
        const char* shownHint; // null: no hint shown
    } cases[] = {
        {{}, QStringLiteral("pässword"), true, nullptr},
        {{QStringLiteral(" the cat ")}, QStringLiteral("x"), true, "Hint: the cat"},
        {{QStringLiteral("cat"), QString(), QStringLiteral("dog"), QStringLiteral("cat")}, QStringLiteral("x"), true,
         "Hint: cat; dog"},
        {{}, QStringLiteral("typed then skipped"), false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        PasswordDialog dialog(3, c.hints);
        EXPECT_EQ(dialog.passwordField()->echoMode(), QLineEdit::Password);
        EXPECT_EQ(dialog.skipButton()->text(), QStringLiteral("Skip locked notes"));
        const auto* hint = dialog.findChild<QLabel*>(QStringLiteral("PasswordHint"));
        EXPECT_EQ(hint ? hint->text() : QString(), QString::fromUtf8(c.shownHint));
        dialog.passwordField()->setText(c.typed);
        EXPECT_TRUE(dialog.openButton()->isEnabled());
        (c.accept ? dialog.openButton() : dialog.skipButton())->click();
        const auto password = dialog.takePassword();
        EXPECT_EQ(password.has_value(), c.accept);
        if (password) {
            EXPECT_TRUE(*password == secret(c.typed.toUtf8()));
        }
        EXPECT_TRUE(dialog.passwordField()->text().isEmpty());
    }
}
