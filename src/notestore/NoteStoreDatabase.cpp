#include "notestore/NoteStoreDatabase.h"
#include "platform/LocalizedString.h"

#include "notestore/FolderFiles.h"
#include "notestore/PrivateCopy.h"

#include <QFile>
#include <QRegularExpression>
#include <unordered_map>
#include <sqlite3.h>

namespace notestore {

namespace {

constexpr const char* kObjectTable = "ZICCLOUDSYNCINGOBJECT";
// Text columns are cut to this many characters: names, not documents.
constexpr int kMaxTextColumn = 4096;
// A salt or wrapped key is a few dozen bytes; anything larger is not one.
constexpr int kMaxKeyColumn = 4096;
// Never wait long for a lock: the copy is private, so a lock means trouble.
constexpr int kBusyTimeoutMs = 2000;

// Newest first; the first whose column the object table has gives the version.
struct Fingerprint {
    int version;
    const char* column;
};
constexpr Fingerprint kFingerprints[] = {
    {26, "ZATTRIBUTEDSNIPPET"}, {18, "ZUNAPPLIEDENCRYPTEDRECORDDATA"}, {17, "ZGENERATION"}, {16, "ZACCOUNT6"},
    {15, "ZACCOUNT5"},          {14, "ZLASTOPENEDDATE"},               {13, "ZACCOUNT4"},   {12, "ZSERVERRECORDDATA"},
};
constexpr int kOldestVersion = 11;
constexpr int kNewestVersion = 26;

// The entities whose rows this program reads.
constexpr const char* kReadEntities[] = {"ICAccount", "ICFolder", "ICNote", "ICAttachment", "ICMedia",
                                         "ICInlineAttachment"};
// Note bodies cannot be read without these.
constexpr const char* kRequiredNoteDataColumns[] = {"Z_PK", "ZNOTE", "ZDATA"};

// Columns every version this program knows has; without them the layout is
// a later one.
constexpr const char* kRequiredColumns[] = {"Z_PK",    "Z_ENT",   "ZIDENTIFIER", "ZNAME",
                                            "ZTITLE1", "ZTITLE2", "ZFOLDER",     "ZPARENT",
                                            "ZOWNER",  "ZFOLDERTYPE", "ZMARKEDFORDELETION", "ZISPASSWORDPROTECTED"};

QString cut(const char* column)
{
    return QStringLiteral("substr(%1, 1, %2)").arg(QLatin1String(column)).arg(kMaxTextColumn);
}

QString boundedBlob(const QString& expression)
{
    return QStringLiteral("CASE WHEN length(%1) <= %2 THEN %1 END").arg(expression).arg(kMaxKeyColumn);
}

// SQLite's integrity report opens with a header line ("*** in database
// main ***") and may run on for pages; the first finding is what a user
// can use, on one line.
QString firstFinding(const QString& report)
{
    for (const QString& line : report.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts)) {
        const QString finding = line.trimmed();
        if (!finding.isEmpty() && !finding.startsWith(QLatin1String("*** in database")))
            return finding.left(200);
    }
    return report.simplified().left(200);
}

platform::Error storeError(NoteStoreDatabase::ErrorCode code, const QString& description)
{
    return platform::Error(QString::fromLatin1(NoteStoreDatabase::kErrorDomain), code, description);
}

} // namespace

bool Row::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

qint64 Row::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

std::optional<qint64> Row::optionalInteger(int column) const
{
    return isNull(column) ? std::nullopt : std::optional<qint64>(integer(column));
}

std::optional<double> Row::real(int column) const
{
    return isNull(column) ? std::nullopt : std::optional<double>(sqlite3_column_double(m_statement, column));
}

QString Row::text(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(m_statement, column)) : QString();
}

QByteArray Row::blob(int column) const
{
    const void* data = sqlite3_column_blob(m_statement, column);
    return data ? QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(m_statement, column))
                : QByteArray();
}

NoteStoreDatabase::NoteStoreDatabase(QString path, std::unique_ptr<PrivateCopy> copy)
    : m_path(std::move(path)), m_copy(std::move(copy))
{
}

NoteStoreDatabase::~NoteStoreDatabase()
{
    for (sqlite3_stmt* statement : std::as_const(m_statements))
        sqlite3_finalize(statement);
    // Closed before the copy beneath it is removed.
    if (m_db)
        sqlite3_close_v2(m_db);
}

std::shared_ptr<NoteStoreDatabase> NoteStoreDatabase::open(const QString& path, platform::Error* error)
{
    return open(FolderFiles(path), error);
}

std::shared_ptr<NoteStoreDatabase> NoteStoreDatabase::open(const ContainerFiles& files, platform::Error* error)
{
    auto copy = files.copyDatabase(error);
    if (!copy)
        return nullptr;
    const QString path = files.databasePath();
    const QByteArray copyPath = QFile::encodeName(copy->databasePath());
    std::shared_ptr<NoteStoreDatabase> database(new NoteStoreDatabase(path, std::move(copy)));
    // Writable, since the copy is ours alone: a read-only connection cannot
    // keep a log's index in its own memory, and exclusive locking needs that.
    // No statement may write all the same (query_only below).
    const int opened = sqlite3_open_v2(copyPath.constData(), &database->m_db,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (opened != SQLITE_OK) {
        platform::setError(error, database->sqliteError(opened, QString()));
        return nullptr;
    }
    sqlite3_busy_timeout(database->m_db, kBusyTimeoutMs);
    // Nobody else opens the private copy: the first read takes the lock and
    // keeps it, rather than every statement taking and dropping a file lock
    // and looking for a journal beside the file.
    if (const int locked = sqlite3_exec(database->m_db, "PRAGMA query_only=1; PRAGMA locking_mode=EXCLUSIVE",
                                        nullptr, nullptr, nullptr);
        locked != SQLITE_OK) {
        platform::setError(error, database->sqliteError(locked, QString()));
        return nullptr;
    }
    if (!database->inspect(error))
        return nullptr;
    return database;
}

platform::Error NoteStoreDatabase::sqliteError(int code, const QString& what) const
{
    const QString detail = firstFinding(QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(code)));
    switch (code & 0xff) {
    case SQLITE_NOTADB:
        return storeError(ErrorNotSQLite, platform::localizedString("“%1” is not a SQLite database, so it cannot be a Notes "
                                                         "database.")
                                              .arg(m_path));
    case SQLITE_CORRUPT:
        return storeError(ErrorCorrupt, platform::localizedString("The Notes database “%1” is damaged (%2). Copy it from the Mac "
                                                       "again.")
                                            .arg(m_path, detail));
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return storeError(ErrorBusy, platform::localizedString("The Notes database “%1” is busy (%2). Quit Notes on the Mac and "
                                                    "copy the folder again.")
                                         .arg(m_path, detail));
    default:
        return storeError(ErrorUnreadable, platform::localizedString("Cannot read the Notes database “%1”%2: %3.")
                                               .arg(m_path, what.isEmpty() ? QString() : QStringLiteral(" (") + what + u')', detail));
    }
}

constexpr qsizetype kMaxCachedStatements = 64;

bool NoteStoreDatabase::query(const QString& sql, const QVariantList& bindings,
                              const std::function<bool(const Row&)>& each, platform::Error* error)
{
    return query(sql.toUtf8(), bindings, each, error);
}

bool NoteStoreDatabase::query(const QByteArray& text, const QVariantList& bindings,
                              const std::function<bool(const Row&)>& each, platform::Error* error)
{
    std::lock_guard lock(m_mutex);
    sqlite3_stmt* statement = m_statements.value(text);
    int result = SQLITE_OK;
    if (!statement) {
        result = sqlite3_prepare_v3(m_db, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT, &statement,
                                    nullptr);
        if (result != SQLITE_OK) {
            platform::setError(error, sqliteError(result, QString()));
            return false;
        }
        // Queries are a fixed set, but their texts hold limits and column
        // names; the cache stays small whatever comes.
        if (m_statements.size() >= kMaxCachedStatements) {
            for (sqlite3_stmt* old : std::as_const(m_statements))
                sqlite3_finalize(old);
            m_statements.clear();
        }
        m_statements.insert(text, statement);
    }
    int index = 1;
    for (const QVariant& value : bindings) {
        if (value.typeId() == QMetaType::QString) {
            const QByteArray utf8 = value.toString().toUtf8();
            sqlite3_bind_text(statement, index++, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_int64(statement, index++, value.toLongLong());
        }
    }
    const Row row(statement);
    while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
        if (!each(row)) {
            result = SQLITE_DONE;
            break;
        }
    }
    if (result != SQLITE_DONE)
        platform::setError(error, sqliteError(result, QString()));
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return result == SQLITE_DONE;
}

bool NoteStoreDatabase::inspect(platform::Error* error)
{
    QSet<QString> tables;
    if (!query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"), {},
               [&](const Row& row) {
                   tables.insert(row.text(0));
                   return true;
               },
               error))
        return false;
    // Reads every page once, so damage shows now rather than as notes that
    // quietly come out empty.
    QString check;
    if (!query(QStringLiteral("PRAGMA quick_check(1)"), {},
               [&](const Row& row) {
                   check = row.text(0);
                   return false;
               },
               error))
        return false;
    if (check != u"ok") {
        platform::setError(error, storeError(ErrorCorrupt, platform::localizedString("The Notes database “%1” is damaged (%2). "
                                                                          "Copy it from the Mac again.")
                                                               .arg(m_path, firstFinding(check))));
        return false;
    }
    if (tables.contains(QStringLiteral("ZNOTEBODY")) && !tables.contains(QLatin1String(kObjectTable))) {
        platform::setError(error, storeError(ErrorTooOld, platform::localizedString("“%1” comes from a version of Notes older "
                                                                         "than iOS 11 / macOS 10.13, which this "
                                                                         "program cannot read.")
                                                              .arg(m_path)));
        return false;
    }
    if (!tables.contains(QLatin1String(kObjectTable)) || !tables.contains(QStringLiteral("Z_PRIMARYKEY"))) {
        platform::setError(error, storeError(ErrorNotNotes, platform::localizedString("“%1” is a SQLite database, but not a "
                                                                           "Notes database.")
                                                                .arg(m_path)));
        return false;
    }
    QSet<QString> twice;
    if (!query(QStringLiteral("PRAGMA table_info(%1)").arg(QLatin1String(kObjectTable)), {},
               [&](const Row& row) {
                   m_columns.insert(row.text(1));
                   return true;
               },
               error) ||
        !query(QStringLiteral("SELECT Z_ENT, Z_NAME FROM Z_PRIMARYKEY"), {},
               [&](const Row& row) {
                   const QString name = row.text(1);
                   if (m_entities.contains(name))
                       twice.insert(name);
                   m_entities.insert(name, row.integer(0));
                   return true;
               },
               error))
        return false;
    // Which rows are notes would be a guess: better no export than half a one.
    for (const char* name : kReadEntities) {
        if (twice.contains(QLatin1String(name))) {
            platform::setError(error, storeError(ErrorCorrupt, platform::localizedString("The Notes database “%1” is damaged: its "
                                                                              "table of entities names %2 twice.")
                                                                   .arg(m_path, QLatin1String(name))));
            return false;
        }
    }
    if (tables.contains(QStringLiteral("ZICNOTEDATA")) &&
        !query(QStringLiteral("PRAGMA table_info(ZICNOTEDATA)"), {},
               [&](const Row& row) {
                   m_noteDataColumns.insert(row.text(1));
                   return true;
               },
               error))
        return false;
    // Which columns lead an index, so per-note queries can be steered to one.
    qint64 indexes = 0;
    if (!query(QStringLiteral("SELECT i.name FROM pragma_index_list('%1') AS l, pragma_index_info(l.name) AS i "
                              "WHERE i.seqno = 0")
                   .arg(QLatin1String(kObjectTable)),
               {},
               [&](const Row& row) {
                   m_indexedColumns.insert(row.text(0));
                   return ++indexes < kMaxRows;
               },
               error))
        return false;
    for (const char* name : {"ICAccount", "ICFolder", "ICNote"}) {
        if (!m_entities.contains(QLatin1String(name))) {
            platform::setError(error, storeError(ErrorNotNotes, platform::localizedString("“%1” is a SQLite database, but not a "
                                                                               "Notes database (it has no %2).")
                                                                    .arg(m_path, QLatin1String(name))));
            return false;
        }
    }
    for (const Fingerprint& fingerprint : kFingerprints) {
        if (m_columns.contains(QLatin1String(fingerprint.column))) {
            m_version = fingerprint.version;
            break;
        }
    }
    if (!m_version && tables.contains(QStringLiteral("Z_11NOTES")))
        m_version = kOldestVersion;
    if (!m_version || !tables.contains(QStringLiteral("ZICNOTEDATA"))) {
        platform::setError(error, storeError(ErrorTooOld, platform::localizedString("“%1” comes from a version of Notes older "
                                                                         "than iOS 11 / macOS 10.13, which this "
                                                                         "program cannot read. Open it once in a "
                                                                         "newer Notes and copy it again.")
                                                              .arg(m_path)));
        return false;
    }
    QStringList missing;
    for (const char* column : kRequiredColumns) {
        if (!m_columns.contains(QLatin1String(column)))
            missing << QLatin1String(column);
    }
    if (firstColumn({QStringLiteral("ZMODIFICATIONDATE1"), QStringLiteral("ZMODIFICATIONDATE")}).isEmpty())
        missing << QStringLiteral("ZMODIFICATIONDATE1");
    for (const char* column : kRequiredNoteDataColumns) {
        if (!m_noteDataColumns.contains(QLatin1String(column)))
            missing << QStringLiteral("ZICNOTEDATA.") + QLatin1String(column);
    }
    if (!missing.isEmpty()) {
        platform::setError(error, storeError(ErrorTooNew, platform::localizedString("“%1” has a layout this program does not "
                                                                         "know (no %2); it may come from a version of "
                                                                         "Notes newer than iOS %3 / macOS %3.")
                                                              .arg(m_path, missing.join(QStringLiteral(", ")))
                                                              .arg(kNewestVersion)));
        return false;
    }
    auto crypto = [this](const char* column) {
        return m_noteDataColumns.contains(QLatin1String(column)) ? boundedBlob(QLatin1String(column))
                                                                 : QStringLiteral("NULL");
    };
    m_noteDataSQL = QStringLiteral("SELECT CASE WHEN length(ZDATA) <= %1 THEN ZDATA END, length(ZDATA), %2, %3 "
                                   "FROM ZICNOTEDATA WHERE ZNOTE = ? ORDER BY Z_PK DESC LIMIT 1")
                        .arg(kMaxNoteDataBytes)
                        .arg(crypto("ZCRYPTOINITIALIZATIONVECTOR"), crypto("ZCRYPTOTAG"))
                        .toUtf8();
    m_noteDataSizeSQL = "SELECT length(ZDATA) FROM ZICNOTEDATA WHERE ZNOTE = ? ORDER BY Z_PK DESC LIMIT 1";
    return true;
}

std::optional<qint64> NoteStoreDatabase::entity(const QString& name) const
{
    const auto it = m_entities.constFind(name);
    return it == m_entities.constEnd() ? std::nullopt : std::optional<qint64>(*it);
}

QString NoteStoreDatabase::firstColumn(const QStringList& candidates) const
{
    for (const QString& column : candidates) {
        if (m_columns.contains(column))
            return column;
    }
    return {};
}

QString NoteStoreDatabase::coalesce(const QStringList& candidates) const
{
    QStringList present;
    for (const QString& column : candidates) {
        if (m_columns.contains(column))
            present << column;
    }
    if (present.isEmpty())
        return QStringLiteral("NULL");
    return present.size() == 1 ? present.constFirst()
                               : QStringLiteral("COALESCE(%1)").arg(present.join(QStringLiteral(", ")));
}

namespace {

// Stops a walk that would load more rows than any real database holds.
bool withinLimit(qint64 count, const QString& path, const char* what, platform::Error* error)
{
    if (count < NoteStoreDatabase::kMaxRows)
        return true;
    platform::setError(error, storeError(NoteStoreDatabase::ErrorTooLarge,
                                         platform::localizedString("The Notes database “%1” holds more than %2 %3; this program "
                                                        "reads at most that many.")
                                             .arg(path)
                                             .arg(NoteStoreDatabase::kMaxRows)
                                             .arg(QLatin1String(what))));
    return false;
}

} // namespace

bool NoteStoreDatabase::readAccounts(std::vector<AccountRow>& rows, platform::Error* error)
{
    rows.clear();
    bool tooMany = false;
    const QString sql = QStringLiteral("SELECT Z_PK, %1, %2 FROM %3 WHERE Z_ENT = ? ORDER BY Z_PK")
                            .arg(cut("ZNAME"), cut("ZIDENTIFIER"), QLatin1String(kObjectTable));
    const bool read = query(sql, {*entity(QStringLiteral("ICAccount"))},
                            [&](const Row& row) {
                                if (!withinLimit(qint64(rows.size()), m_path, "accounts", error))
                                    return !(tooMany = true);
                                rows.push_back({row.integer(0), row.text(1), row.text(2)});
                                return true;
                            },
                            error);
    return read && !tooMany;
}

bool NoteStoreDatabase::readFolders(std::vector<FolderRow>& rows, platform::Error* error)
{
    rows.clear();
    bool tooMany = false;
    const QString sql = QStringLiteral("SELECT Z_PK, %1, %2, ZOWNER, ZPARENT, ZFOLDERTYPE, ZMARKEDFORDELETION "
                                       "FROM %3 WHERE Z_ENT = ? ORDER BY Z_PK")
                            .arg(cut("ZTITLE2"), cut("ZIDENTIFIER"), QLatin1String(kObjectTable));
    const bool read = query(sql, {*entity(QStringLiteral("ICFolder"))},
                            [&](const Row& row) {
                                if (!withinLimit(qint64(rows.size()), m_path, "folders", error))
                                    return !(tooMany = true);
                                FolderRow folder;
                                folder.pk = row.integer(0);
                                if (!row.isNull(1))
                                    folder.title = row.text(1);
                                folder.identifier = row.text(2);
                                folder.owner = row.optionalInteger(3);
                                folder.parent = row.optionalInteger(4);
                                folder.folderType = row.integer(5);
                                folder.markedForDeletion = row.integer(6) != 0;
                                rows.push_back(std::move(folder));
                                return true;
                            },
                            error);
    return read && !tooMany;
}

bool NoteStoreDatabase::readNotes(std::vector<NoteRow>& rows, platform::Error* error)
{
    rows.clear();
    bool tooMany = false;
    auto optional = [this](const char* column, const QString& expression) {
        return m_columns.contains(QLatin1String(column)) ? expression : QStringLiteral("NULL");
    };
    const QString locked = QStringLiteral("ZISPASSWORDPROTECTED = 1");
    const QString sql =
        QStringLiteral("SELECT Z_PK, %1, %2, ZFOLDER, %3, %4, ZISPASSWORDPROTECTED, ZMARKEDFORDELETION, %5, %6, "
                       "CASE WHEN %7 THEN %8 END, CASE WHEN %7 THEN %9 END, CASE WHEN %7 THEN %10 END "
                       "FROM %11 WHERE Z_ENT = ? ORDER BY Z_PK")
            .arg(cut("ZIDENTIFIER"), cut("ZTITLE1"),
                 coalesce({QStringLiteral("ZCREATIONDATE3"), QStringLiteral("ZCREATIONDATE1"),
                           QStringLiteral("ZCREATIONDATE2"), QStringLiteral("ZCREATIONDATE")}),
                 coalesce({QStringLiteral("ZMODIFICATIONDATE1"), QStringLiteral("ZMODIFICATIONDATE")}),
                 optional("ZISPINNED", QStringLiteral("ZISPINNED")), optional("ZPASSWORDHINT", cut("ZPASSWORDHINT")),
                 locked, optional("ZCRYPTOSALT", boundedBlob(QStringLiteral("ZCRYPTOSALT"))),
                 optional("ZCRYPTOITERATIONCOUNT", QStringLiteral("ZCRYPTOITERATIONCOUNT")))
            .arg(boundedBlob(coalesce({QStringLiteral("ZCRYPTOWRAPPEDKEY"), QStringLiteral("ZCRYPTOVERIFIER")})),
                 QLatin1String(kObjectTable));
    std::unordered_map<qint64, size_t> byKey;
    const bool read = query(sql, {*entity(QStringLiteral("ICNote"))},
                            [&](const Row& row) {
                                if (!withinLimit(qint64(rows.size()), m_path, "notes", error))
                                    return !(tooMany = true);
                                NoteRow note;
                                note.pk = row.integer(0);
                                note.identifier = row.text(1);
                                note.title = row.text(2);
                                note.folder = row.optionalInteger(3);
                                note.creationDate = row.real(4);
                                note.modificationDate = row.real(5);
                                note.passwordProtected = row.integer(6) != 0;
                                note.markedForDeletion = row.integer(7) != 0;
                                note.pinned = row.integer(8) != 0;
                                note.passwordHint = row.text(9);
                                note.cryptoSalt = row.blob(10);
                                note.cryptoIterations = row.integer(11);
                                note.cryptoWrappedKey = row.blob(12);
                                byKey.emplace(note.pk, rows.size());
                                rows.push_back(std::move(note));
                                return true;
                            },
                            error);
    if (!read || tooMany)
        return false;
    const auto attachmentEntity = entity(QStringLiteral("ICAttachment"));
    if (!attachmentEntity || !m_columns.contains(QStringLiteral("ZNOTE")))
        return true;
    qint64 count = 0;
    return query(QStringLiteral("SELECT Z_PK, ZNOTE FROM %1 WHERE Z_ENT = ? AND ZNOTE IS NOT NULL ORDER BY Z_PK")
                     .arg(QLatin1String(kObjectTable)),
                 {*attachmentEntity},
                 [&](const Row& row) {
                     if (++count > kMaxRows)
                         return !(tooMany = true);
                     const auto it = byKey.find(row.integer(1));
                     if (it != byKey.end())
                         rows[it->second].attachments.push_back(row.integer(0));
                     return true;
                 },
                 error) &&
           (!tooMany || withinLimit(count, m_path, "attachments", error));
}

std::optional<NoteData> NoteStoreDatabase::readNoteData(qint64 notePK, QString* reason)
{
    NoteData data;
    qint64 size = 0;
    platform::Error error;
    if (!query(m_noteDataSQL, {notePK},
               [&](const Row& row) {
                   data.data = row.blob(0);
                   size = row.integer(1);
                   data.cryptoIV = row.blob(2);
                   data.cryptoTag = row.blob(3);
                   return false;
               },
               &error)) {
        if (reason)
            *reason = error.localizedDescription();
        return std::nullopt;
    }
    if (size > kMaxNoteDataBytes) {
        if (reason)
            *reason = platform::localizedString("its body of %1 MB is larger than the %2 MB this program reads")
                          .arg(size >> 20)
                          .arg(kMaxNoteDataBytes >> 20);
        return std::nullopt;
    }
    return data;
}

bool NoteStoreDatabase::hasNoteData(qint64 notePK)
{
    // Counting asks for every note: one pass over the note data answers
    // them all. SQLite takes the bare column from the row of max(Z_PK),
    // the newest, as the per-note query does.
    std::call_once(m_notesWithDataRead, [this] {
        std::unordered_set<qint64> notes;
        qint64 rows = 0;
        const bool read = query(QByteArray("SELECT ZNOTE, length(ZDATA), max(Z_PK) FROM ZICNOTEDATA "
                                           "WHERE ZNOTE IS NOT NULL GROUP BY ZNOTE"),
                                {},
                                [&](const Row& row) {
                                    const qint64 size = row.integer(1);
                                    if (size > 0 && size <= kMaxNoteDataBytes)
                                        notes.insert(row.integer(0));
                                    return ++rows < kMaxRows;
                                },
                                nullptr);
        if (read && rows < kMaxRows)
            m_notesWithData = std::move(notes);
    });
    if (m_notesWithData)
        return m_notesWithData->count(notePK) > 0;
    qint64 size = 0;
    const bool read = query(m_noteDataSizeSQL, {notePK},
                            [&](const Row& row) {
                                size = row.integer(0);
                                return false;
                            },
                            nullptr);
    return read && size > 0 && size <= kMaxNoteDataBytes;
}

} // namespace notestore
