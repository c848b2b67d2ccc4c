#include "platform/TreeRemoval.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

constexpr qsizetype kListedFailures = 10;

struct Level {
    DIR* dir = nullptr;
    QByteArray name;  // in the parent
    QByteArray relative;
    bool failed = false; // something below stays, so this folder does too
};

// Deep trees hold one descriptor per level; the soft limit is raised once
// to the hard one rather than giving up half-way.
int openDirectory(int parent, const char* name)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = openat(parent, name, flags);
    if (fd < 0 && errno == EMFILE) {
        rlimit limit{};
        if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
            limit.rlim_cur = limit.rlim_max;
            setrlimit(RLIMIT_NOFILE, &limit);
            fd = openat(parent, name, flags);
        }
    }
    return fd;
}

class Remover {
public:
    explicit Remover(RemovalFailure* failure) : m_failure(failure) {}

    void note(const QByteArray& relative, int code)
    {
        if (!m_failure)
            return;
        if (!m_failure->code)
            m_failure->code = code;
        if (m_failure->remaining.size() < kListedFailures)
            m_failure->remaining << QStringLiteral("%1 (%2)").arg(QFile::decodeName(relative),
                                                                  QString::fromLocal8Bit(strerror(code)));
        else
            ++m_failure->moreRemaining;
    }

private:
    RemovalFailure* m_failure;
};

// An owned folder without write or search permission is opened up, so its
// contents can go; a folder of another user is left for the failure report.
void makeEnterable(int parent, const char* name, const struct stat& info)
{
    if ((info.st_mode & S_IRWXU) != S_IRWXU && info.st_uid == geteuid())
        fchmodat(parent, name, (info.st_mode & 07777) | S_IRWXU, 0);
}

} // namespace

bool removeTree(const QByteArray& path, RemovalFailure* failure)
{
    Remover remover(failure);
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray parentPath = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
    const QByteArray leaf = slash < 0 ? path : path.mid(slash + 1);
    const int parent = ::open(parentPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0) {
        remover.note(leaf, errno);
        return false;
    }
    struct stat top {};
    if (fstatat(parent, leaf.constData(), &top, AT_SYMLINK_NOFOLLOW) != 0) {
        remover.note(leaf, errno);
        ::close(parent);
        return false;
    }
    if (!S_ISDIR(top.st_mode)) {
        const bool removed = unlinkat(parent, leaf.constData(), 0) == 0;
        if (!removed)
            remover.note(leaf, errno);
        ::close(parent);
        return removed;
    }
    const dev_t device = top.st_dev;
    makeEnterable(parent, leaf.constData(), top);

    std::vector<Level> stack;
    bool anyFailed = false;
    auto enter = [&](int dirfd, const QByteArray& name, const QByteArray& relative) {
        const int fd = openDirectory(dirfd, name.constData());
        DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
        if (!dir) {
            remover.note(relative, errno);
            if (fd >= 0)
                ::close(fd);
            return false;
        }
        stack.push_back(Level{dir, name, relative, false});
        return true;
    };
    if (!enter(parent, leaf, leaf)) {
        ::close(parent);
        return false;
    }
    while (!stack.empty()) {
        Level& level = stack.back();
        const int here = ::dirfd(level.dir);
        errno = 0;
        const dirent* entry = readdir(level.dir);
        if (entry) {
            const QByteArray name(entry->d_name);
            if (name == "." || name == "..")
                continue;
            const QByteArray relative = level.relative + '/' + name;
            struct stat info {};
            if (fstatat(here, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno != ENOENT) {
                    remover.note(relative, errno);
                    level.failed = true;
                }
                continue;
            }
            if (!S_ISDIR(info.st_mode)) {
                if (unlinkat(here, name.constData(), 0) != 0 && errno != ENOENT) {
                    remover.note(relative, errno);
                    level.failed = true;
                }
                continue;
            }
            // Another file system mounted here is not ours to empty.
            if (info.st_dev != device) {
                remover.note(relative, EXDEV);
                level.failed = true;
                continue;
            }
            makeEnterable(here, name.constData(), info);
            if (!enter(here, name, relative))
                stack.back().failed = true;
            continue;
        }
        // The folder is done (or could not be read further): close and remove it.
        const int readError = errno;
        const Level done = level;
        stack.pop_back();
        closedir(done.dir);
        const int above = stack.empty() ? parent : ::dirfd(stack.back().dir);
        bool failed = done.failed;
        if (readError) {
            remover.note(done.relative, readError);
            failed = true;
        }
        if (!failed && unlinkat(above, done.name.constData(), AT_REMOVEDIR) != 0) {
            remover.note(done.relative, errno);
            failed = true;
        }
        if (failed) {
            anyFailed = true;
            if (!stack.empty())
                stack.back().failed = true;
        }
    }
    ::close(parent);
    return !anyFailed;
}

} // namespace platform
