#include "notestore-generate/DamagedContainers.h"

#include <QDir>
#include <QFile>
#include <sqlite3.h>

namespace notestoregen {

bool writeDamagedContainer(const Container& container, const QStringList& statements, const QString& folder,
                           QString* error)
{
    if (!writeContainer(container, folder, error))
        return false;
    sqlite3* db = nullptr;
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(QStringLiteral("NoteStore.sqlite")));
    bool ok = sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
    for (const QString& statement : statements) {
        char* message = nullptr;
        if (!ok || sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
            if (error)
                *error = QStringLiteral("%1: %2").arg(statement, QString::fromUtf8(message ? message : sqlite3_errmsg(db)));
            sqlite3_free(message);
            ok = false;
            break;
        }
    }
    sqlite3_close(db);
    return ok;
}

bool overwriteDatabaseBytes(const QString& folder, qint64 offset, const QByteArray& bytes, QString* error)
{
    QFile file(QDir(folder).filePath(QStringLiteral("NoteStore.sqlite")));
    if (!file.open(QIODevice::ReadWrite) || offset + bytes.size() > file.size() || !file.seek(offset)
        || file.write(bytes) != bytes.size()) {
        if (error)
            *error = QStringLiteral("cannot overwrite %1 at %2").arg(file.fileName()).arg(offset);
        return false;
    }
    return true;
}

} // namespace notestoregen
