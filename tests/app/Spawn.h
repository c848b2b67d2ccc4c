#pragma once

#include "support/TestSupport.h"

#include <QFile>
#include <QProcessEnvironment>
#include <QStringList>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <unistd.h>
#include <vector>

namespace testsupport {

// Starts `program` with `arguments` and only `environment`, its standard
// output to nothing and its standard error into `errorFd` (or this
// process's); the child's id, or -1. Unlike QProcess, the caller waits
// for it as it needs (for its resource use, or while it stands still).
inline pid_t spawn(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
                   int errorFd = -1)
{
    std::vector<QByteArray> storage{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    const size_t argumentCount = storage.size();
    for (const QString& entry : environment.toStringList())
        storage.push_back(entry.toLocal8Bit());
    std::vector<char*> argv, envp;
    for (size_t i = 0; i < storage.size(); ++i)
        (i < argumentCount ? argv : envp).push_back(storage[i].data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (errorFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, errorFd, STDERR_FILENO);
    pid_t child = -1;
    const int failed = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : child;
}

} // namespace testsupport
