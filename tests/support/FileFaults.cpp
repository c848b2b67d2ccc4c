#include "support/FileFaults.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
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

ItemState stateOf(const QString& path)
{
    struct stat info {};
    ItemState state;
    if (lstat(native(path).constData(), &info) != 0)
        return state;
    state.mode = info.st_mode & 07777;
    state.size = info.st_size;
    state.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    if (S_ISDIR(info.st_mode)) {
        state.kind = 'd';
    } else if (S_ISLNK(info.st_mode)) {
        state.kind = 'l';
        state.checksum = QFile::symLinkTarget(path).toUtf8();
    } else {
        state.kind = 'f';
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            QCryptographicHash hash(QCryptographicHash::Sha256);
            hash.addData(&file);
            state.checksum = hash.result().toHex();
        }
    }
    return state;
}

void walk(const QString& root, const QString& relative, const QStringList& excluding, TreeSnapshot& out)
{
    const QDir dir(relative.isEmpty() ? root : root + u'/' + relative);
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                            QDir::Name);
    for (const QString& name : names) {
        if (relative.isEmpty() && excluding.contains(name))
            continue;
        const QString child = relative.isEmpty() ? name : relative + u'/' + name;
        const ItemState state = stateOf(root + u'/' + child);
        out[child] = state;
        if (state.kind == 'd')
            walk(root, child, excluding, out);
    }
}

std::string describe(const ItemState& state)
{
    return std::string(1, state.kind) + " mode " + std::to_string(state.mode) + " size " + std::to_string(state.size) +
           " mtime " + std::to_string(state.modifiedNs) + " sum " + state.checksum.left(12).toStdString();
}

} // namespace

TreeSnapshot snapshotTree(const QString& root, const QStringList& excluding, bool withRoot)
{
    TreeSnapshot snapshot;
    if (withRoot)
        snapshot[QStringLiteral(".")] = stateOf(root);
    walk(root, QString(), excluding, snapshot);
    return snapshot;
}

std::string treeDifferences(const TreeSnapshot& before, const TreeSnapshot& after)
{
    std::string text;
    for (const auto& [path, state] : before) {
        const auto found = after.find(path);
        if (found == after.end())
            text += "removed " + path.toStdString() + "\n";
        else if (!(found->second == state))
            text += "changed " + path.toStdString() + ": " + describe(state) + " -> " + describe(found->second) + "\n";
    }
    for (const auto& [path, state] : after) {
        if (!before.count(path))
            text += "added " + path.toStdString() + "\n";
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
    QDir().mkpath(path);
    QJsonArray notes, noteIDs;
    auto addNote = [&](const QString& id, const QString& name) {
        QByteArray body = "<div>" + name.toUtf8() + "</div>";
        body += QByteArray(qMax(0, bodySize - int(body.size())), char('a' + notes.size() % 26));
        library.bodies[name] = body;
        notes.append(QJsonObject{{"id", id}, {"name", name}, {"body", QString::fromUtf8(body)}});
    };
    for (int i = 1; i <= count; ++i) {
        addNote(QStringLiteral("n%1").arg(i), QStringLiteral("%1 %2").arg(prefix).arg(i));
        noteIDs.append(QStringLiteral("n%1").arg(i));
    }
    addNote(QStringLiteral("deep"), QStringLiteral("Deep"));
    if (deepHasAttachment) {
        QJsonObject deep = notes.last().toObject();
        deep.insert("attachments", QJsonArray{"manual"});
        notes.replace(notes.size() - 1, deep);
    }
    const QJsonObject description{
        {"accounts", QJsonArray{QJsonObject{{"id", "a1"}, {"name", "Work"}, {"folders", QJsonArray{"f1", "f2"}}}}},
        {"folders", QJsonArray{QJsonObject{{"id", "f1"}, {"name", "Notes"}, {"folders", QJsonArray{"f2"}},
                                           {"notes", noteIDs}},
                               QJsonObject{{"id", "f2"}, {"name", "Sub"}, {"notes", QJsonArray{"deep"}}}}},
        {"notes", notes},
        {"attachments", deepHasAttachment ? QJsonArray{QJsonObject{{"id", "manual"}, {"name", "manual.pdf"},
                                                                   {"file", "files/manual.pdf"}}}
                                          : QJsonArray{}},
    };
    writeFile(path + QStringLiteral("/library.json"), QJsonDocument(description).toJson());
    writeFile(path + QStringLiteral("/files/manual.pdf"), "%PDF-1.4\n%%EOF\n");
    return library;
}

std::map<QString, QByteArray> htmlFiles(const QString& root)
{
    std::map<QString, QByteArray> files;
    QDirIterator it(root, {QStringLiteral("*.html")}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        files[it.fileInfo().completeBaseName()] = readFile(it.filePath());
    }
    return files;
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

bool ExportScene::manifestExists() const
{
    return QFile::exists(destination + QStringLiteral("/Notes Import.plist"));
}

int ExportScene::expectWholeNoteFiles() const
{
    const auto written = htmlFiles(destination);
    for (const auto& [name, bytes] : written) {
        const auto body = library.bodies.find(name);
        if (body == library.bodies.end())
            ADD_FAILURE() << "unexpected file " << name.toStdString();
        else
            EXPECT_EQ(bytes, body->second) << name.toStdString() << " is not the note's whole body";
    }
    return int(written.size());
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

bool runningAsRoot()
{
    return geteuid() == 0;
}

void setTreeWritable(const QString& root, bool writable)
{
    chmod(native(root).constData(), writable ? 0755 : 0555);
    QDirIterator it(root, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        chmod(native(it.next()).constData(), writable ? 0755 : 0555);
}

} // namespace testsupport
