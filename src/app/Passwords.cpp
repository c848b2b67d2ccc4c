#include "app/Passwords.h"
#include "platform/LocalizedString.h"

#include "notestore/NoteStoreSource.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace app {
namespace {

QString quoted(const QString& path)
{
    return u'“' + QDir::toNativeSeparators(path) + u'”';
}

void setText(QString* target, const QString& text)
{
    if (target)
        *target = text;
}

// What a signal handler needs to give the terminal its echo back.
int g_terminalFd = -1;
termios g_savedTerminal{};

void restoreTerminalAndRaise(int signal)
{
    tcsetattr(g_terminalFd, TCSANOW, &g_savedTerminal);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

constexpr int kRestoringSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};

} // namespace

bool parsePasswordLines(const notestore::Secret& text, notestore::PasswordList& passwords, QString* problem)
{
    passwords.clear();
    const unsigned char* bytes = text.data();
    qsizetype start = 0;
    // A byte order mark from a Windows editor is not part of the first password.
    if (text.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        start = 3;
    int lineNumber = 0;
    while (start < text.size()) {
        ++lineNumber;
        qsizetype end = start;
        while (end < text.size() && bytes[end] != '\n')
            ++end;
        qsizetype length = end - start;
        if (length > 0 && bytes[start + length - 1] == '\r')
            --length;
        if (length > kMaxPasswordBytes) {
            setText(problem, platform::localizedString("line %1 is longer than %2 bytes").arg(lineNumber).arg(kMaxPasswordBytes));
            passwords.clear();
            return false;
        }
        if (length > 0) {
            if (passwords.size() >= size_t(kMaxPasswords)) {
                setText(problem, platform::localizedString("it holds more than %1 passwords").arg(kMaxPasswords));
                passwords.clear();
                return false;
            }
            passwords.emplace_back(bytes + start, length);
        }
        start = end + 1;
    }
    return true;
}

std::optional<notestore::PasswordList> readPasswordFile(const QString& path, QString* error)
{
    const auto fail = [&](const QString& why) {
        setText(error, platform::localizedString("The password file %1 couldn’t be read: %2").arg(quoted(path), why));
        return std::nullopt;
    };
    // Blocking: a pipe is opened once its writer is there.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !(S_ISREG(info.st_mode) || S_ISFIFO(info.st_mode))) {
        ::close(fd);
        return fail(platform::localizedString("it is not a regular file or a pipe"));
    }
    notestore::Secret contents(kMaxPasswordFileBytes + 1);
    qsizetype size = 0;
    while (size < contents.size()) {
        const ssize_t got = ::read(fd, contents.data() + size, size_t(contents.size() - size));
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int code = errno;
            ::close(fd);
            return fail(QString::fromLocal8Bit(std::strerror(code)));
        }
        size += got;
    }
    ::close(fd);
    if (size > kMaxPasswordFileBytes)
        return fail(platform::localizedString("it is larger than %1 bytes").arg(kMaxPasswordFileBytes));
    const notestore::Secret text(contents.data(), size);
    notestore::PasswordList passwords;
    QString problem;
    if (!parsePasswordLines(text, passwords, &problem))
        return fail(problem);
    if (passwords.empty())
        return fail(platform::localizedString("it holds no password"));
    return passwords;
}

std::optional<notestore::Secret> askPassword(int inputFd, int promptFd, const QString& prompt, QString* error)
{
    termios saved{};
    if (!isatty(inputFd) || tcgetattr(inputFd, &saved) != 0) {
        setText(error, platform::localizedString("a password can only be asked for when standard input is a terminal"));
        return std::nullopt;
    }
    const QByteArray promptBytes = prompt.toLocal8Bit();
    [[maybe_unused]] const auto shown = ::write(promptFd, promptBytes.constData(), size_t(promptBytes.size()));

    g_terminalFd = inputFd;
    g_savedTerminal = saved;
    struct sigaction restoring {};
    restoring.sa_handler = restoreTerminalAndRaise;
    sigemptyset(&restoring.sa_mask);
    struct sigaction previous[std::size(kRestoringSignals)] {};
    for (size_t i = 0; i < std::size(kRestoringSignals); ++i)
        sigaction(kRestoringSignals[i], &restoring, &previous[i]);
    termios silent = saved;
    silent.c_lflag &= ~tcflag_t(ECHO);
    silent.c_lflag |= ECHONL; // the Return still moves to the next line
    tcsetattr(inputFd, TCSAFLUSH, &silent);

    notestore::Secret buffer(kMaxPasswordBytes);
    qsizetype length = 0;
    bool tooLong = false;
    int failure = 0;
    for (;;) {
        unsigned char byte = 0;
        const ssize_t got = ::read(inputFd, &byte, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            failure = errno;
        if (got <= 0 || byte == '\n')
            break;
        if (length < buffer.size())
            buffer.data()[length++] = byte;
        else
            tooLong = true;
    }

    tcsetattr(inputFd, TCSAFLUSH, &saved);
    for (size_t i = 0; i < std::size(kRestoringSignals); ++i)
        sigaction(kRestoringSignals[i], &previous[i], nullptr);
    g_terminalFd = -1;

    if (failure) {
        setText(error, platform::localizedString("the password could not be read: %1")
                           .arg(QString::fromLocal8Bit(std::strerror(failure))));
        return std::nullopt;
    }
    if (tooLong) {
        setText(error, platform::localizedString("the password is longer than %1 bytes").arg(kMaxPasswordBytes));
        return std::nullopt;
    }
    if (length > 0 && buffer.data()[length - 1] == '\r')
        --length;
    return notestore::Secret(buffer.data(), length);
}

QString passwordPrompt(const QStringList& hints)
{
    QStringList distinct;
    for (const QString& hint : hints)
        if (!hint.trimmed().isEmpty() && !distinct.contains(hint.trimmed()))
            distinct.append(hint.trimmed());
    QString prompt = platform::localizedString("Password for locked notes");
    if (!distinct.isEmpty())
        prompt += platform::localizedString(" (hint: %1)").arg(distinct.join(QStringLiteral("; ")));
    return prompt + QStringLiteral(": ");
}

LockedNotesInfo lockedNotesOf(NotesApplication& notes)
{
    const auto* store = dynamic_cast<notestore::NoteStoreApplication*>(&notes);
    if (!store)
        return {};
    return {store->lockedNoteCount(), store->passwordHints()};
}

void givePasswords(NotesApplication& notes, notestore::PasswordList passwords)
{
    if (auto* store = dynamic_cast<notestore::NoteStoreApplication*>(&notes))
        store->setPasswords(std::move(passwords));
}

QString backupPasswordPrompt(const QString& deviceName)
{
    return platform::localizedString("Password of the encrypted backup of “%1”: ").arg(deviceName);
}

notestore::PasswordList clonePasswords(const notestore::PasswordList& passwords)
{
    notestore::PasswordList copies;
    for (const notestore::Secret& password : passwords)
        copies.push_back(password.clone());
    return copies;
}

bool supplyPasswords(NotesApplication& notes, notestore::PasswordList passwords, bool ask, QString* error)
{
    const LockedNotesInfo locked = lockedNotesOf(notes);
    if (ask && locked.count > 0) {
        auto typed = askPassword(STDIN_FILENO, STDERR_FILENO, passwordPrompt(locked.hints), error);
        if (!typed)
            return false;
        if (!typed->isEmpty())
            passwords.push_back(std::move(*typed));
    }
    givePasswords(notes, std::move(passwords));
    return true;
}

} // namespace app
