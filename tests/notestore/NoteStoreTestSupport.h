#pragma once

#include "export/NotesScripting.h"
#include "notestore-generate/NoteEncryption.h"
#include "notestore-generate/NoteStoreGenerator.h"
#include "notestore/Secret.h"
#include "support/TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <gtest/gtest.h>

namespace testsupport {

// Writes `container` into `folder`, failing the test when it cannot.
inline void writeContainer(const notestoregen::Container& container, const QString& folder)
{
    QString error;
    ASSERT_TRUE(notestoregen::writeContainer(container, folder, &error)) << error.toStdString();
}

inline notestore::PasswordList passwordList(const std::vector<QByteArray>& texts)
{
    notestore::PasswordList list;
    for (const QByteArray& text : texts)
        list.emplace_back(text.constData(), text.size());
    return list;
}

// Locks `note` under `password` with `plaintext` (a gzipped body) as its data.
inline void lockNote(notestoregen::Note& note, const QByteArray& plaintext, const QByteArray& password,
                     const QString& hint = {})
{
    const LockedItem item = lockWithPassword(plaintext, password);
    note.passwordProtected = true;
    note.crypto = notestoregen::NoteCrypto{item.salt, item.iterations, item.wrappedKey, item.iv, item.tag};
    note.data = item.ciphertext;
    note.passwordHint = hint;
}

// The Notes outline as lines: "Account/", "Account/Folder/", "Account/Folder/Note";
// each folder's notes in order, then its subfolders. With `ids`, each line
// ends in a blank and the id served for it.
inline QString idSuffix(bool ids, const QString& id) { return ids ? u' ' + id : QString(); }

inline void addFolderLines(NotesFolder& folder, const QString& prefix, QStringList& lines, bool ids, int depth = 0)
{
    const QString path = prefix + folder.name() + u'/';
    lines << path + idSuffix(ids, folder.id());
    for (const auto& note : folder.notes())
        lines << path + note->name() + idSuffix(ids, note->id());
    ASSERT_LT(depth, 100) << "folders nest without end";
    for (const auto& child : folder.folders())
        addFolderLines(*child, path, lines, ids, depth + 1);
}

inline QStringList outline(NotesApplication& app, bool ids = false)
{
    QStringList lines;
    for (const auto& account : app.accounts()) {
        lines << account->name() + u'/' + idSuffix(ids, account->id());
        // One request for the folders, as the export makes it.
        const auto folders = account->folders();
        QSet<QString> nested;
        for (const auto& folder : folders)
            for (const auto& child : folder->folders())
                nested.insert(child->id());
        for (const auto& folder : folders)
            if (!nested.contains(folder->id()))
                addFolderLines(*folder, account->name() + u'/', lines, ids);
    }
    return lines;
}

// Every file below `root` with a digest of its contents and its mode.
inline QMap<QString, QByteArray> fingerprint(const QString& root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        QByteArray digest = QByteArray::number(int(info.permissions()), 16);
        QFile file(path);
        if (info.isFile() && !info.isSymLink() && file.open(QIODevice::ReadOnly)) {
            QCryptographicHash hash(QCryptographicHash::Sha256);
            hash.addData(&file);
            digest += ':' + hash.result().toHex();
        }
        files.insert(QDir(root).relativeFilePath(path), digest);
    }
    return files;
}

// Every byte written below `root`, names included.
inline QByteArray everythingWritten(const QString& root)
{
    QByteArray all;
    for (const QString& entry : tree(root))
        all += entry.toUtf8() + '\n' + readFile(root + u'/' + entry);
    return all;
}

using CommandResult = ProgramRun;

// notes-export run with `arguments` in a home of its own.
inline CommandResult runExport(const QStringList& arguments, const TempDir& home)
{
    return runProgram(QStringLiteral("notes-export"), arguments, privateEnvironment(home), 120000);
}

} // namespace testsupport
