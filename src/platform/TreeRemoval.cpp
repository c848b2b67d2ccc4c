#include "platform/TreeRemoval.h"

#include <QFile>
#include <QSet>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

constexpr qsizetype kListedFailures = 10;
// Descriptors held at once; deeper levels are closed and found again
// through ".." on the way back, so depth costs no descriptors.
constexpr size_t kOpenLevels = 64;

struct Level {
    DIR* dir = nullptr; // null while closed
    QByteArray name;    // in the parent
    dev_t device = 0;
    ino_t inode = 0;
    bool failed = false;         // something below stays, so this folder does too
    QSet<QByteArray> failedHere; // entries not to try again after a reopen
};

QString elided(const QByteArray& path)
{
    const QString text = QFile::decodeName(path);
    return text.size() <= 160 ? text : text.left(60) + QStringLiteral("…") + text.right(90);
}

class Remover {
public:
    Remover(RemovalFailure* failure, QByteArray leaf) : m_failure(failure), m_leaf(std::move(leaf)) {}

    void note(const std::vector<Level>& stack, const QByteArray& name, int code)
    {
        if (!m_failure)
            return;
        if (!m_failure->code)
            m_failure->code = code;
        if (m_failure->remaining.size() >= kListedFailures) {
            ++m_failure->moreRemaining;
            return;
        }
        QByteArray relative = m_leaf;
        for (size_t i = 1; i < stack.size(); ++i)
            relative += '/' + stack[i].name;
        if (!name.isEmpty())
            relative += '/' + name;
        m_failure->remaining << QStringLiteral("%1 (%2)").arg(elided(relative), QString::fromLocal8Bit(strerror(code)));
    }

private:
    RemovalFailure* m_failure;
    QByteArray m_leaf;
};

// An owned folder without write or search permission is opened up, so its
// contents can go; a folder of another user is left for the failure report.
void makeEnterable(int parent, const char* name, const struct stat& info)
{
    if ((info.st_mode & S_IRWXU) != S_IRWXU && info.st_uid == geteuid())
        fchmodat(parent, name, (info.st_mode & 07777) | S_IRWXU, 0);
}

DIR* openDirectory(int parent, const char* name, const struct stat& expected)
{
    const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    // Replaced since it was looked at: not what we set out to remove.
    if (fstat(fd, &info) != 0 || info.st_dev != expected.st_dev || info.st_ino != expected.st_ino) {
        ::close(fd);
        errno = ESTALE;
        return nullptr;
    }
    DIR* dir = fdopendir(fd);
    if (!dir)
        ::close(fd);
    return dir;
}

} // namespace

bool removeTree(const QByteArray& path, RemovalFailure* failure)
{
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray parentPath = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
    const QByteArray leaf = slash < 0 ? path : path.mid(slash + 1);
    Remover remover(failure, leaf);
    std::vector<Level> stack;
    const int parent = ::open(parentPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0) {
        remover.note(stack, {}, errno);
        return false;
    }
    struct stat top {};
    if (fstatat(parent, leaf.constData(), &top, AT_SYMLINK_NOFOLLOW) != 0) {
        remover.note(stack, {}, errno);
        ::close(parent);
        return false;
    }
    if (!S_ISDIR(top.st_mode)) {
        const bool removed = unlinkat(parent, leaf.constData(), 0) == 0;
        if (!removed)
            remover.note(stack, {}, errno);
        ::close(parent);
        return removed;
    }
    // An empty folder, the usual case for the export's own, goes in one call.
    if (unlinkat(parent, leaf.constData(), AT_REMOVEDIR) == 0) {
        ::close(parent);
        return true;
    }
    const dev_t device = top.st_dev;
    makeEnterable(parent, leaf.constData(), top);

    auto enter = [&](int at, const QByteArray& name, const struct stat& info) {
        DIR* dir = openDirectory(at, name.constData(), info);
        if (!dir)
            return false;
        stack.push_back(Level{dir, name, info.st_dev, info.st_ino, false, {}});
        if (stack.size() > kOpenLevels) {
            Level& old = stack[stack.size() - kOpenLevels - 1];
            if (old.dir) {
                closedir(old.dir);
                old.dir = nullptr;
            }
        }
        return true;
    };
    if (!enter(parent, leaf, top)) {
        remover.note(stack, {}, errno);
        ::close(parent);
        return false;
    }
    bool anyFailed = false;
    while (!stack.empty()) {
        Level& level = stack.back();
        const int here = ::dirfd(level.dir);
        errno = 0;
        const dirent* entry = readdir(level.dir);
        if (entry) {
            const QByteArray name(entry->d_name);
            if (name == "." || name == ".." || level.failedHere.contains(name))
                continue;
            const auto fail = [&](int code) {
                remover.note(stack, name, code);
                level.failed = true;
                level.failedHere.insert(name);
            };
            struct stat info {};
            if (fstatat(here, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno != ENOENT)
                    fail(errno);
                continue;
            }
            if (!S_ISDIR(info.st_mode)) {
                if (unlinkat(here, name.constData(), 0) != 0 && errno != ENOENT)
                    fail(errno);
                continue;
            }
            // Another file system mounted here is not ours to empty.
            if (info.st_dev != device) {
                fail(EXDEV);
                continue;
            }
            makeEnterable(here, name.constData(), info);
            if (!enter(here, name, info))
                fail(errno);
            continue;
        }
        // The folder is done (or cannot be read further): remove it from its parent.
        if (const int readError = errno) {
            level.failed = true;
            remover.note(stack, {}, readError);
        }
        Level done = std::move(stack.back());
        stack.pop_back();
        int above = parent;
        if (!stack.empty()) {
            Level& up = stack.back();
            if (!up.dir) {
                struct stat expected {};
                expected.st_dev = up.device;
                expected.st_ino = up.inode;
                up.dir = openDirectory(::dirfd(done.dir), "..", expected);
            }
            if (!up.dir) {
                // The way back is gone; what is left stays, and is reported.
                closedir(done.dir);
                for (Level& rest : stack)
                    if (rest.dir)
                        closedir(rest.dir);
                remover.note(stack, {}, errno ? errno : ESTALE);
                ::close(parent);
                return false;
            }
            above = ::dirfd(up.dir);
        }
        closedir(done.dir);
        bool failed = done.failed;
        if (!failed && unlinkat(above, done.name.constData(), AT_REMOVEDIR) != 0) {
            stack.push_back(Level{nullptr, done.name, 0, 0, false, {}}); // for the name in the report
            remover.note(stack, {}, errno);
            stack.pop_back();
            failed = true;
        }
        if (failed) {
            anyFailed = true;
            if (!stack.empty()) {
                stack.back().failed = true;
                stack.back().failedHere.insert(done.name);
            }
        }
    }
    ::close(parent);
    return !anyFailed;
}

} // namespace platform
