#pragma once

#include "platform/FileManager.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

// One entry of a folder tree as the disk has it.
struct ItemState {
    char kind = '?'; // 'd', 'f', 'l'
    unsigned mode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    QByteArray checksum; // of a file's bytes or a link's target
    bool operator==(const ItemState&) const = default;
};
using TreeSnapshot = std::map<QString, ItemState>;

// Everything below `root`, links not followed, keyed by relative path;
// top-level entries named in `excluding` are left out with all they hold.
// The root's own entry ("." ) only when `withRoot`.
TreeSnapshot snapshotTree(const QString& root, const QStringList& excluding = {}, bool withRoot = true);
// "" when equal; otherwise one line per entry added, removed or changed.
std::string treeDifferences(const TreeSnapshot& before, const TreeSnapshot& after);

// A tmpfs of `bytes` mounted on a fresh folder, where this process may
// mount one (root with the capability); unmounted when it goes.
class SmallFileSystem {
public:
    explicit SmallFileSystem(qint64 bytes);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool isMounted() const { return m_mounted; }
    QString path() const { return m_path; }
    // Why it could not be mounted, for the skip message.
    QString failure() const { return m_failure; }
    bool remountReadOnly();

private:
    QString m_path;
    bool m_mounted = false;
    QString m_failure;
};

// Puts a file manager in place for as long as it lives.
class FileManagerReplacement {
public:
    explicit FileManagerReplacement(platform::FileManager* manager)
    {
        platform::FileManager::setDefaultManager(manager);
    }
    ~FileManagerReplacement() { platform::FileManager::setDefaultManager(nullptr); }
    FileManagerReplacement(const FileManagerReplacement&) = delete;
    FileManagerReplacement& operator=(const FileManagerReplacement&) = delete;
};

// A Notes library on disk: one account "Work" with folder "Notes" (notes
// "<prefix> 1" to "<prefix> <count>", bodies of `bodySize` bytes, all different)
// and its subfolder "Sub" with one note "Deep"; plus an attachment file so
// the library holds more than its description.
struct DiskLibrary {
    QString path;
    std::map<QString, QByteArray> bodies; // note name -> body
};
DiskLibrary writeDiskLibrary(const QString& path, int count, int bodySize,
                             const QString& prefix = QStringLiteral("Note"));

// Every ".html" file below `root`, by file name, with its bytes.
std::map<QString, QByteArray> htmlFiles(const QString& root);

bool runningAsRoot();
// Makes every folder from `root` down unwritable (or writable again).
void setTreeWritable(const QString& root, bool writable);

} // namespace testsupport
