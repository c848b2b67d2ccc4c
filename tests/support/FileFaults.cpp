#include "support/FileFaults.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

namespace {

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

// Kind, mode, size, time and contents (a checksum, or a link's target) of
// the entry at `path`, links not followed.
QString stateOf(const QString& path)
{
    struct stat info {};
    if (lstat(native(path).constData(), &info) != 0)
        return QStringLiteral("unreadable");
    QByteArray contents;
    if (S_ISLNK(info.st_mode))
        contents = QFile::symLinkTarget(path).toUtf8();
    else if (S_ISREG(info.st_mode))
        contents = QCryptographicHash::hash(readFile(path), QCryptographicHash::Sha256).toHex().left(16);
    const char kind = S_ISDIR(info.st_mode) ? 'd' : S_ISLNK(info.st_mode) ? 'l' : 'f';
    return QString::asprintf("%c mode %o size %lld mtime %lld.%09ld ", kind, info.st_mode & 07777, qint64(info.st_size),
                             qint64(info.st_mtim.tv_sec), info.st_mtim.tv_nsec) +
           QString::fromUtf8(contents);
}

} // namespace

TreeSnapshot snapshotTree(const QString& root, const QStringList& excluding, bool withRoot)
{
    TreeSnapshot snapshot;
    if (withRoot)
        snapshot[QStringLiteral(".")] = stateOf(root);
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = QDir(root).relativeFilePath(it.next());
        if (!excluding.contains(path.section(u'/', 0, 0)))
            snapshot[path] = stateOf(it.filePath());
    }
    return snapshot;
}

std::string treeDifferences(const TreeSnapshot& before, const TreeSnapshot& after)
{
    TreeSnapshot both = before;
    both.insert(after.begin(), after.end());
    std::string text;
    for (const auto& entry : both) {
        const QString was = before.count(entry.first) ? before.at(entry.first) : QStringLiteral("absent");
        const QString is = after.count(entry.first) ? after.at(entry.first) : QStringLiteral("absent");
        if (was != is)
            text += QStringLiteral("%1: %2 -> %3\n").arg(entry.first, was, is).toStdString();
    }
    return text;
}

SmallFileSystem::SmallFileSystem(qint64 bytes, const QString& at)
{
    static int serial = 0;
    m_ownMountPoint = at.isEmpty();
    m_path = m_ownMountPoint ? QDir::temp().filePath(QStringLiteral("ni-small-fs-%1-%2").arg(getpid()).arg(++serial)) : at;
    if (!QDir().mkpath(m_path)) {
        m_failure = QStringLiteral("cannot make the mount point");
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
    if (mount("tmpfs", native(m_path).constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) == 0)
        m_mounted = true;
    else
        m_failure = QStringLiteral("cannot mount a tmpfs here: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
}

SmallFileSystem::~SmallFileSystem()
{
    if (m_mounted)
        umount2(native(m_path).constData(), MNT_DETACH);
    if (m_ownMountPoint)
        QDir().rmdir(m_path);
}

bool SmallFileSystem::remountReadOnly()
{
    return m_mounted &&
           mount(nullptr, native(m_path).constData(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV,
                 nullptr) == 0;
}

namespace {

DiskLibrary writeDiskLibrary(const QString& path, int count, int bodySize, const QString& prefix,
                             bool deepHasAttachment)
{
    DiskLibrary library{path, {}};
    QStringList notes, noteIDs;
    for (int i = 1; i <= count + 1; ++i) {
        const bool deep = i > count;
        const QString id = deep ? QStringLiteral("deep") : QStringLiteral("n%1").arg(i);
        const QString name = deep ? QStringLiteral("Deep") : QStringLiteral("%1 %2").arg(prefix).arg(i);
        QByteArray body = "<div>" + name.toUtf8() + "</div>";
        body += QByteArray(qMax(0, bodySize - int(body.size())), char('a' + (i - 1) % 26));
        library.bodies[name] = body;
        const bool attached = deep && deepHasAttachment;
        notes << QStringLiteral(R"({"id": "%1", "name": "%2", "body": "%3"%4})")
                     .arg(id, name, QString::fromUtf8(body), attached ? R"(, "attachments": ["manual"])" : "");
        if (!deep)
            noteIDs << u'"' + id + u'"';
    }
    const QString manual = R"({"id": "manual", "name": "manual.pdf", "file": "files/manual.pdf"})";
    writeFile(path + QStringLiteral("/library.json"),
              QStringLiteral(R"({"accounts": [{"id": "a1", "name": "Work", "folders": ["f1", "f2"]}],
                  "folders": [{"id": "f1", "name": "Notes", "folders": ["f2"], "notes": [%1]},
                              {"id": "f2", "name": "Sub", "notes": ["deep"]}],
                  "notes": [%2], "attachments": [%3]})")
                  .arg(noteIDs.join(u','), notes.join(u','), deepHasAttachment ? manual : QString())
                  .toUtf8());
    writeFile(path + QStringLiteral("/files/manual.pdf"), "%PDF-1.4\n%%EOF\n");
    return library;
}

} // namespace

void ExportScene::prepare(const QString& parentPath, int noteCount, int bodySize, const QString& prefix,
                          bool deepHasAttachment)
{
    parent = parentPath;
    destination = parent + QStringLiteral("/Notes Import");
    ASSERT_TRUE(QDir().mkpath(destination));
    writeFile(parent + QStringLiteral("/keep.txt"), "not ours");
    writeFile(parent + QStringLiteral("/Other/inside.txt"), "not ours either");
    library = writeDiskLibrary(work.filePath(QStringLiteral("Library")), noteCount, bodySize, prefix, deepHasAttachment);
    libraryBefore = snapshotTree(library.path);
    parentBefore = snapshotTree(parent, {QStringLiteral("Notes Import")}, false);
}

int ExportScene::expectWholeNoteFiles() const
{
    int count = 0;
    QDirIterator it(destination, {QStringLiteral("*.html")}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    for (; it.hasNext(); ++count) {
        const QString name = QFileInfo(it.next()).completeBaseName();
        const auto body = library.bodies.find(name);
        if (body == library.bodies.end())
            ADD_FAILURE() << "unexpected file " << name.toStdString();
        else
            EXPECT_EQ(readFile(it.filePath()), body->second) << name.toStdString() << " is not the note's whole body";
    }
    return count;
}

std::string ExportScene::changesOutsideDestination(const QString& libraryNow) const
{
    return treeDifferences(libraryBefore, snapshotTree(libraryNow.isEmpty() ? library.path : libraryNow)) +
           treeDifferences(parentBefore, snapshotTree(parent, {QStringLiteral("Notes Import")}, false));
}

void onNotesWritten(const std::shared_ptr<platform::Progress>& progress, qint64 notes, QObject* context,
                    std::function<void()> action)
{
    if (!action)
        return;
    auto fired = std::make_shared<bool>(false);
    platform::Progress* observed = progress.get();
    QObject::connect(observed, &platform::Progress::changed, context, [observed, notes, fired, action] {
        if (!*fired && observed->completedUnitCount() == notes) {
            *fired = true;
            action();
        }
    });
}

void setTreeWritable(const QString& root, bool writable)
{
    chmod(native(root).constData(), writable ? 0755 : 0555);
    QDirIterator it(root, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        chmod(native(it.next()).constData(), writable ? 0755 : 0555);
}

} // namespace testsupport
