#include "app/Passwords.h"
#include "app/gui/PasswordDialog.h"
#include "support/TestSupport.h"

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

std::vector<QByteArray> texts(const PasswordList& passwords)
{
    std::vector<QByteArray> result;
    for (const Secret& password : passwords)
        result.emplace_back(reinterpret_cast<const char*>(password.data()), password.size());
    return result;
}

QByteArray lines(int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += "pw" + QByteArray::number(i) + '\n';
    return text;
}

struct LinesCase {
    const char* name;
    QByteArray text;
    std::vector<QByteArray> passwords;
    const char* problem; // part of the reason, or null when it parses
};

class PasswordLines : public testing::TestWithParam<LinesCase> {};

TEST_P(PasswordLines, KeepEverythingButTheLineEnd)
{
    PasswordList passwords;
    QString problem;
    const bool parsed = app::parsePasswordLines(secret(GetParam().text), passwords, &problem);
    if (GetParam().problem) {
        EXPECT_FALSE(parsed);
        EXPECT_TRUE(passwords.empty());
        EXPECT_TRUE(problem.contains(QString::fromUtf8(GetParam().problem))) << problem.toStdString();
        return;
    }
    ASSERT_TRUE(parsed) << problem.toStdString();
    EXPECT_EQ(texts(passwords), GetParam().passwords);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PasswordLines,
    testing::Values(LinesCase{"TwoLines", "first\nsecond\n", {"first", "second"}, nullptr},
                    LinesCase{"WindowsLineEndsNoFinalOne", "first\r\nsecond", {"first", "second"}, nullptr},
                    LinesCase{"SpacesAndTabsBelong", " padded \n\ttab\t\n", {" padded ", "\ttab\t"}, nullptr},
                    LinesCase{"EmptyLinesSkipped", "\n\nonly\n\n\r\n", {"only"}, nullptr},
                    LinesCase{"ByteOrderMark", "\xEF\xBB\xBFp\xC3\xA4ss\n", {"p\xC3\xA4ss"}, nullptr},
                    LinesCase{"Empty", "", {}, nullptr},
                    LinesCase{"LongestLine", QByteArray(app::kMaxPasswordBytes, 'x'),
                              {QByteArray(app::kMaxPasswordBytes, 'x')}, nullptr},
                    LinesCase{"LineTooLong", "ok\n" + QByteArray(app::kMaxPasswordBytes + 1, 'x'), {},
                              "line 2 is longer than 1024 bytes"},
                    LinesCase{"TooManyPasswords", lines(app::kMaxPasswords + 1), {}, "more than 100 passwords"}),
    [](const auto& info) { return std::string(info.param.name); });

struct FileCase {
    const char* name;
    std::function<QString(const testsupport::TempDir&)> make;
    const char* problem;
};

class PasswordFile : public testing::TestWithParam<FileCase> {};

TEST_P(PasswordFile, FailuresNameTheFile)
{
    testsupport::TempDir dir;
    const QString path = GetParam().make(dir);
    QString error;
    const auto passwords = app::readPasswordFile(path, &error);
    if (!GetParam().problem) {
        ASSERT_TRUE(passwords) << error.toStdString();
        EXPECT_EQ(texts(*passwords), (std::vector<QByteArray>{"one", "two"}));
        return;
    }
    EXPECT_FALSE(passwords);
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_TRUE(error.contains(QString::fromUtf8(GetParam().problem))) << error.toStdString();
}

// A file "pw" holding `contents`.
std::function<QString(const testsupport::TempDir&)> fileWith(const QByteArray& contents)
{
    return [contents](const testsupport::TempDir& d) {
        testsupport::writeFile(d.filePath(QStringLiteral("pw")), contents);
        return d.filePath(QStringLiteral("pw"));
    };
}

INSTANTIATE_TEST_SUITE_P(
    Files, PasswordFile,
    testing::Values(FileCase{"Regular", fileWith("one\ntwo\n"), nullptr},
                    FileCase{"Missing", [](const testsupport::TempDir& d) { return d.filePath(QStringLiteral("none")); },
                             "No such file"},
                    FileCase{"Folder", [](const testsupport::TempDir& d) { return d.path(); },
                             "not a regular file or a pipe"},
                    FileCase{"NoPassword", fileWith("\n\n"), "holds no password"},
                    FileCase{"TooLarge", fileWith(QByteArray(app::kMaxPasswordFileBytes + 1, '\n')),
                             "larger than 65536 bytes"}),
    [](const auto& info) { return std::string(info.param.name); });

// A password manager can hand the passwords over through a pipe.
TEST(PasswordFile, ReadsAPipe)
{
    testsupport::TempDir dir;
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
    EXPECT_EQ(texts(*passwords), (std::vector<QByteArray>{"one", "two"}));
}

bool echoes(int fd)
{
    termios state{};
    return tcgetattr(fd, &state) == 0 && (state.c_lflag & ECHO);
}

struct TerminalCase {
    const char* name;
    QByteArray typed;
    QByteArray password;
};

class TerminalPassword : public testing::TestWithParam<TerminalCase> {};

// What is typed never shows on the terminal, and echo comes back afterwards.
TEST_P(TerminalPassword, IsReadWithoutEcho)
{
    int master = -1;
    int slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    ASSERT_TRUE(echoes(slave));
    int promptPipe[2];
    ASSERT_EQ(pipe(promptPipe), 0);
    // Typed only once echo is off: switching it off discards what was typed before.
    std::thread typist([&] {
        while (echoes(slave))
            std::this_thread::yield();
        [[maybe_unused]] const auto written = ::write(master, GetParam().typed.constData(), GetParam().typed.size());
    });
    QString error;
    const auto password = app::askPassword(slave, promptPipe[1], QStringLiteral("Password: "), &error);
    typist.join();
    ASSERT_TRUE(password) << error.toStdString();
    EXPECT_TRUE(*password == secret(GetParam().password));
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
    EXPECT_FALSE(shown.contains(GetParam().password.isEmpty() ? QByteArray("\x01") : GetParam().password))
        << shown.toStdString();
    ::close(master);
    ::close(promptPipe[0]);
}

INSTANTIATE_TEST_SUITE_P(Typing, TerminalPassword,
                         testing::Values(TerminalCase{"Plain", "s3cret word\n", "s3cret word"},
                                         TerminalCase{"NonAscii", "p\xC3\xA4ss\n", "p\xC3\xA4ss"},
                                         TerminalCase{"OnlyReturn", "\n", ""},
                                         TerminalCase{"EndOfInput", "\x04", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

struct DialogCase {
    const char* name;
    QStringList hints;
    QString typed;
    bool accept;
    const char* shownHint; // null: no hint shown
    bool givesPassword;
};

class PasswordDialogTest : public testing::TestWithParam<DialogCase> {};

TEST_P(PasswordDialogTest, AsksOnceMaskedWithTheHint)
{
    PasswordDialog dialog(3, GetParam().hints);
    EXPECT_EQ(dialog.passwordField()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.skipButton()->text(), QStringLiteral("Skip locked notes"));
    const auto* hint = dialog.findChild<QLabel*>(QStringLiteral("PasswordHint"));
    if (GetParam().shownHint) {
        ASSERT_TRUE(hint);
        EXPECT_EQ(hint->text(), QString::fromUtf8(GetParam().shownHint));
    } else {
        EXPECT_FALSE(hint);
    }
    dialog.passwordField()->setText(GetParam().typed);
    EXPECT_EQ(dialog.openButton()->isEnabled(), !GetParam().typed.isEmpty());
    (GetParam().accept ? dialog.openButton() : dialog.skipButton())->click();
    const auto password = dialog.takePassword();
    EXPECT_EQ(password.has_value(), GetParam().givesPassword);
    if (password) {
        EXPECT_TRUE(*password == secret(GetParam().typed.toUtf8()));
    }
    EXPECT_TRUE(dialog.passwordField()->text().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Dialog, PasswordDialogTest,
    testing::Values(DialogCase{"Opened", {}, QStringLiteral("pässword"), true, nullptr, true},
                    DialogCase{"Hint", {QStringLiteral(" the cat ")}, QStringLiteral("x"), true, "Hint: the cat", true},
                    DialogCase{"HintsOfTwoAccounts",
                               {QStringLiteral("cat"), QString(), QStringLiteral("dog"), QStringLiteral("cat")},
                               QStringLiteral("x"), true, "Hint: cat; dog", true},
                    DialogCase{"Skipped", {}, QStringLiteral("typed then skipped"), false, nullptr, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
