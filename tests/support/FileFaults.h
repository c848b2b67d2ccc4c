#pragma once

#include "platform/FileManager.h"
#include "platform/Progress.h"
#include "support/TestSupport.h"

#include <QFile>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace testsupport {

// Each entry of a folder tree as the disk has it (kind, mode, size, time,
// contents), keyed by its path relative to the tree's root.
using TreeSnapshot = std::map<QString, QString>;

// Everything below `root`, links not followed, keyed by relative path;
// top-level entries named in `excluding` are left out with all they hold.
// The root's own entry ("." ) only when `withRoot`.
TreeSnapshot snapshotTree(const QString& root, const QStringList& excluding = {}, bool withRoot = true);
// "" when equal; otherwise one line per entry added, removed or changed.
std::string treeDifferences(const TreeSnapshot& before, const TreeSnapshot& after);

// A tmpfs of `bytes` mounted on a fresh folder (or on the existing folder
// `at`), where this process may mount one (root with the capability);
// unmounted when it goes.
class SmallFileSystem {
public:
    explicit SmallFileSystem(qint64 bytes, const QString& at = QString());
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
    bool m_ownMountPoint = true;
    bool m_mounted = false;
    QString m_failure;
};

// Puts a file manager in place for as long as it lives.
class FileManagerReplacement {
public:
    explicit FileManagerReplacement(platform::FileManager* manager)
        : m_previous(platform::FileManager::setDefaultManager(manager))
    {
    }
    ~FileManagerReplacement() { platform::FileManager::setDefaultManager(m_previous); }
    FileManagerReplacement(const FileManagerReplacement&) = delete;
    FileManagerReplacement& operator=(const FileManagerReplacement&) = delete;

private:
    platform::FileManager* m_previous;
};

// A Notes library on disk: one account "Work" with folder "Notes" (notes
// "<prefix> 1" to "<prefix> <count>", bodies of `bodySize` bytes, all different)
// and its subfolder "Sub" with one note "Deep"; plus an attachment file
// "files/manual.pdf" so the library holds more than its description.
struct DiskLibrary {
    QString path;
    std::map<QString, QByteArray> bodies; // note name -> body
};

// A library on disk and a destination "Notes Import" inside `parent`,
// with everything around the destination recorded, so a test can tell
// that a failed export changed nothing but the destination.
class ExportScene {
public:
    // With `deepHasAttachment`, "Deep" carries the attachment file, so the
    // export stages a copy of it early on.
    void prepare(const QString& parentPath, int noteCount = 8, int bodySize = 3000,
                 const QString& prefix = QStringLiteral("Note"), bool deepHasAttachment = false);
    bool manifestExists() const { return QFile::exists(destination + QStringLiteral("/Notes Import.plist")); }
    // How many note files the destination holds; each must be a note's
    // whole body, or the test fails.
    int expectWholeNoteFiles() const;
    // "" when the library (now at `libraryNow`, by default where it was)
    // and everything beside the destination are as they were.
    std::string changesOutsideDestination(const QString& libraryNow = QString()) const;

    TempDir work;
    QString parent, destination;
    DiskLibrary library;
    TreeSnapshot libraryBefore, parentBefore;
};

// Runs `action` once, when `progress` has counted `notes` notes written;
// that is on the main thread, while the export waits. Does nothing
// without an action. Disconnected when `context` goes.
void onNotesWritten(const std::shared_ptr<platform::Progress>& progress, qint64 notes, QObject* context,
                    std::function<void()> action);

// Makes every folder from `root` down unwritable (or writable again).
void setTreeWritable(const QString& root, bool writable);

} // namespace testsupport
