#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_set>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace notestore {

class ContainerFiles;
class PrivateCopy;

struct AccountRow {
    qint64 pk = 0;
    QString name;
    QString identifier;
};

struct FolderRow {
    qint64 pk = 0;
    std::optional<QString> title;
    QString identifier;
    std::optional<qint64> owner;
    std::optional<qint64> parent;
    qint64 folderType = 0; // 0 normal, 1 trash, 3 smart folder
    bool markedForDeletion = false;
};

struct NoteRow {
    qint64 pk = 0;
    QString identifier;
    QString title;
    std::optional<qint64> folder;
    std::optional<double> creationDate; // seconds since 2001-01-01 UTC
    std::optional<double> modificationDate;
    bool passwordProtected = false;
    bool markedForDeletion = false;
    bool pinned = false;
    QString passwordHint;
    // Key material of a locked note; read only for password-protected notes.
    QByteArray cryptoSalt;
    qint64 cryptoIterations = 0;
    QByteArray cryptoWrappedKey;
    // The note's ICAttachment rows, by primary key, in key order.
    std::vector<qint64> attachments;
};

// A note's ZICNOTEDATA row.
struct NoteData {
    QByteArray data; // gzip, or ciphertext of a locked note
    QByteArray cryptoIV;
    QByteArray cryptoTag;
};

// One result row of query(), read by column index.
class Row {
public:
    explicit Row(sqlite3_stmt* statement) : m_statement(statement) {}
    bool isNull(int column) const;
    qint64 integer(int column) const;
    std::optional<qint64> optionalInteger(int column) const;
    std::optional<double> real(int column) const;
    QString text(int column) const;
    QByteArray blob(int column) const;

private:
    sqlite3_stmt* m_statement;
};

// A Notes database opened read-only from a private copy of the user's
// files. Tells the version by the schema, finds entity numbers by name and
// picks among the columns that version has. Safe to use from any thread.
class NoteStoreDatabase {
public:
    static constexpr const char* kDatabaseFileName = "NoteStore.sqlite";
    static constexpr const char* kErrorDomain = "NoteStoreErrorDomain";
    enum ErrorCode { ErrorUnreadable = 1, ErrorNotSQLite, ErrorNotNotes, ErrorTooOld, ErrorTooNew, ErrorCorrupt, ErrorBusy, ErrorTooLarge };

    // Limits for what one database may hold.
    static constexpr qint64 kMaxNoteDataBytes = qint64(256) << 20;
    static constexpr qint64 kMaxRows = 2'000'000;

    // Copies and opens the database at `path` (the user's NoteStore.sqlite).
    // Errors name that file: not SQLite, not a Notes database, a version
    // older or newer than this program reads, damaged, busy.
    static std::shared_ptr<NoteStoreDatabase> open(const QString& path, platform::Error* error);
    // The same for the database of `files`.
    static std::shared_ptr<NoteStoreDatabase> open(const ContainerFiles& files, platform::Error* error);
    ~NoteStoreDatabase();

    // The user's file, for messages.
    const QString& path() const { return m_path; }
    // The Notes version the schema belongs to: 11 … 26 (iOS numbering).
    int version() const { return m_version; }
    // Z_ENT of an entity ("ICNote"), when the database has it.
    std::optional<qint64> entity(const QString& name) const;
    bool hasColumn(const QString& column) const { return m_columns.contains(column); }
    // Whether an index of the object table starts with `column`.
    bool hasIndexOn(const QString& column) const { return m_indexedColumns.contains(column); }
    // The first of `candidates` the object table has, or empty.
    QString firstColumn(const QStringList& candidates) const;
    // SQL for the first non-null of those that exist, or NULL.
    QString coalesce(const QStringList& candidates) const;

    bool readAccounts(std::vector<AccountRow>& rows, platform::Error* error);
    bool readFolders(std::vector<FolderRow>& rows, platform::Error* error);
    bool readNotes(std::vector<NoteRow>& rows, platform::Error* error);
    // The newest note-data row of the note; nullopt with `reason` when it
    // cannot be read, an empty row when there is none.
    std::optional<NoteData> readNoteData(qint64 notePK, QString* reason);
    // Whether readNoteData() would find data within the size limit, told
    // without reading it.
    bool hasNoteData(qint64 notePK);

    // Runs `sql` with `bindings`; `each` is called per row and may stop the
    // walk by returning false. For readers of further rows.
    bool query(const QString& sql, const QVariantList& bindings, const std::function<bool(const Row&)>& each,
               platform::Error* error);
    // The same with the SQL as UTF-8, for queries made once and run per note.
    bool query(const QByteArray& sql, const QVariantList& bindings, const std::function<bool(const Row&)>& each,
               platform::Error* error);

private:
    NoteStoreDatabase(QString path, std::unique_ptr<PrivateCopy> copy);
    bool inspect(platform::Error* error);
    platform::Error sqliteError(int code, const QString& what) const;

    const QString m_path;
    std::unique_ptr<PrivateCopy> m_copy;
    sqlite3* m_db = nullptr;
    mutable std::mutex m_mutex;
    // Prepared once: the same few queries run for every note.
    QHash<QByteArray, sqlite3_stmt*> m_statements;
    int m_version = 0;
    QSet<QString> m_columns;
    QSet<QString> m_noteDataColumns;
    QSet<QString> m_indexedColumns;
    // Run for every note, so made once the columns are known.
    QByteArray m_noteDataSQL;
    QByteArray m_noteDataSizeSQL;
    // The notes hasNoteData() finds data for, read in one pass when first
    // asked; nullopt where that pass failed or found too many rows.
    std::once_flag m_notesWithDataRead;
    std::optional<std::unordered_set<qint64>> m_notesWithData;
    QHash<QString, qint64> m_entities;
};

} // namespace notestore
