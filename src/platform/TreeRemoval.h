#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {

// What removing a tree left behind: each item that is still there, as a
// path relative to the tree's parent with the reason in brackets.
struct RemovalFailure {
    int code = 0;       // errno of the first failure
    QStringList remaining;
    qsizetype moreRemaining = 0; // beyond those listed
};

// Removes `path` and everything below it without following links and
// without entering another file system mounted inside it (such a folder
// and its parents stay, and are reported). Folders this user owns are made
// writable before they are emptied. Never recursive, so depth is bounded
// by memory, not the stack. True when nothing remains.
bool removeTree(const QByteArray& path, RemovalFailure* failure);

} // namespace platform
