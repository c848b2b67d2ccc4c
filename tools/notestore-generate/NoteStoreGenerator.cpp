#include "notestore-generate/NoteStoreGenerator.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>
#include <QTimeZone>
#include <QUuid>
#include <random>
#include <sqlite3.h>
#include <zlib.h>

extern const char kNoteStoreSchemaIOS15[]; // generated from schema/schema-ios15.sql

namespace notestoregen {

namespace {

constexpr double kAppleEpochOffset = 978307200.0;

// A made-up ID is a name-based UUID of what it names, so a container is
// written the same every time.
QUuid madeUuid(const QString& name)
{
    static const QUuid space(QStringLiteral("6f1c2a52-3d0e-4b7e-9a51-0c6d2b1f8e44"));
    return QUuid::createUuidV5(space, name);
}

struct ColumnChange {
    SchemaVersion from; // the first version with the change
    const char* column;
    const char* type; // nullptr: the column is dropped before `from`
};

// Columns present in iOS 15 but not before `from`.
constexpr ColumnChange kIntroduced[] = {
    {SchemaVersion::iOS12, "ZSERVERRECORDDATA", nullptr},
    {SchemaVersion::iOS13, "ZACCOUNT4", nullptr},
    {SchemaVersion::iOS13, "ZMERGEABLEDATA1", nullptr},
    {SchemaVersion::iOS14, "ZLASTOPENEDDATE", nullptr},
    {SchemaVersion::iOS15, "ZACCOUNT5", nullptr},
    {SchemaVersion::iOS15, "ZCREATIONDATE3", nullptr},
    {SchemaVersion::iOS15, "ZTYPEUTI1", nullptr},
};

// Columns that later versions add.
constexpr ColumnChange kAdded[] = {
    {SchemaVersion::iOS16, "ZACCOUNT6", "INTEGER"},
    {SchemaVersion::iOS17, "ZGENERATION", "VARCHAR"},
    {SchemaVersion::iOS17, "ZGENERATION1", "VARCHAR"},
    {SchemaVersion::iOS18, "ZUNAPPLIEDENCRYPTEDRECORDDATA", "BLOB"},
    {SchemaVersion::iOS26, "ZATTRIBUTEDSNIPPET", "BLOB"},
    {SchemaVersion::Unknown, "ZTITLE3", "VARCHAR"},
    {SchemaVersion::Unknown, "ZTITLE4", "VARCHAR"},
};

// The Unknown layout renamed the title columns.
constexpr const char* kDroppedByUnknown[] = {"ZTITLE1", "ZTITLE2"};

QStringList entityNames(SchemaVersion version)
{
    // iOS 15's entities in its order; earlier and later versions differ in
    // a few, which moves every number after them.
    QStringList names{"ICCloudState", "ICCloudSyncingObject", "ICAccountData", "ICAttachment",
                      "ICAttachmentPreviewImage", "ICDeviceMigrationState", "ICHashtag", "ICInlineAttachment",
                      "ICLegacyTombstone", "ICMedia", "ICNote", "ICNoteContainer", "ICAccount", "ICFolder",
                      "ICLocation", "ICAttachmentLocation", "ICNoteData", "ICServerChangeToken"};
    if (version < SchemaVersion::iOS15)
        names.removeOne(QStringLiteral("ICHashtag"));
    if (version >= SchemaVersion::iOS16)
        names.insert(names.indexOf(QStringLiteral("ICLegacyTombstone")), QStringLiteral("ICInvitation"));
    return names;
}

QString superEntity(const QString& name)
{
    if (name == u"ICCloudState" || name == u"ICCloudSyncingObject" || name == u"ICLocation" ||
        name == u"ICNoteData" || name == u"ICServerChangeToken")
        return {};
    if (name == u"ICAccount" || name == u"ICFolder")
        return QStringLiteral("ICNoteContainer");
    if (name == u"ICAttachmentLocation")
        return QStringLiteral("ICLocation");
    return QStringLiteral("ICCloudSyncingObject");
}

QString columnName(const QString& definition)
{
    return definition.trimmed().section(u' ', 0, 0);
}

// The schema of `version` as SQL statements.
QStringList schemaStatements(SchemaVersion version)
{
    QString text = QString::fromUtf8(kNoteStoreSchemaIOS15);
    QStringList lines;
    for (const QString& line : text.split(u'\n')) {
        if (!line.startsWith(QLatin1String("--")))
            lines << line;
    }
    QStringList statements;
    for (QString statement : lines.join(u'\n').split(u';')) {
        statement = statement.trimmed();
        if (statement.isEmpty())
            continue;
        const bool objectTable = statement.startsWith(QLatin1String("CREATE TABLE ZICCLOUDSYNCINGOBJECT "));
        if (version == SchemaVersion::TooOld && statement.contains(QLatin1String("ZICNOTEDATA")))
            continue;
        if (statement.startsWith(QLatin1String("CREATE INDEX ZICCLOUDSYNCINGOBJECT_"))) {
            const QString indexed = statement.section(u'(', 1).section(u')', 0, 0).trimmed();
            if (!versionHasColumn(version, indexed))
                continue;
        }
        if (objectTable) {
            const qsizetype open = statement.indexOf(u'(');
            const qsizetype close = statement.lastIndexOf(u')');
            QStringList kept;
            for (const QString& definition : statement.mid(open + 1, close - open - 1).split(u',')) {
                if (versionHasColumn(version, columnName(definition)))
                    kept << definition.trimmed();
            }
            for (const ColumnChange& change : kAdded) {
                if (version >= change.from)
                    kept << QStringLiteral("%1 %2").arg(QLatin1String(change.column), QLatin1String(change.type));
            }
            statement = statement.left(open + 1) + u' ' + kept.join(QStringLiteral(", ")) + QStringLiteral(" )");
        }
        statements << statement;
    }
    if (version == SchemaVersion::iOS11)
        statements << QStringLiteral("CREATE TABLE Z_11NOTES ( Z_11FOLDERS INTEGER, Z_9NOTES INTEGER, "
                                     "PRIMARY KEY (Z_11FOLDERS, Z_9NOTES) )");
    if (version == SchemaVersion::TooOld)
        statements << QStringLiteral("CREATE TABLE ZNOTEBODY ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, "
                                     "Z_OPT INTEGER, ZOWNER INTEGER, ZCONTENT VARCHAR )");
    return statements;
}

// Primary keys: accounts, then folders, notes and other rows.
qint64 accountPK(const Container&, int index) { return index + 1; }
qint64 folderPK(const Container& c, int index) { return qint64(c.accounts.size()) + index + 1; }
qint64 notePK(const Container& c, int index) { return folderPK(c, int(c.folders.size())) + index; }
qint64 objectPK(const Container& c, int index) { return notePK(c, int(c.notes.size())) + index; }

class Writer {
public:
    Writer(const Container& container, QString* error) : m_container(container), m_error(error) {}
    ~Writer()
    {
        if (m_db)
            sqlite3_close(m_db);
    }

    bool write(const QString& folder)
    {
        if (!QDir().mkpath(folder))
            return fail(QStringLiteral("cannot make %1").arg(folder));
        const QString path = QDir(folder).filePath(QStringLiteral("NoteStore.sqlite"));
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(path + QLatin1String(suffix));
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                            nullptr) != SQLITE_OK)
            return sqliteFailure();
        if (!exec("PRAGMA journal_mode=WAL") || !exec("PRAGMA wal_autocheckpoint=0"))
            return false;
        for (const QString& statement : schemaStatements(m_container.version)) {
            if (!exec(statement))
                return false;
        }
        readColumns();
        if (!writeRows(false) || !exec("PRAGMA wal_checkpoint(TRUNCATE)"))
            return false;
        if (!hasWalRows())
            return exec("PRAGMA journal_mode=DELETE");
        if (!writeRows(true))
            return false;
        // Closing would move the log into the database; real copies keep it apart.
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        return true;
    }

private:
    bool fail(const QString& message)
    {
        if (m_error)
            *m_error = message;
        return false;
    }
    bool sqliteFailure() { return fail(QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : "cannot open")); }

    bool exec(const QString& sql)
    {
        char* message = nullptr;
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK)
            return true;
        const QString reason = QString::fromUtf8(message ? message : "failed") + QStringLiteral(": ") + sql.left(200);
        sqlite3_free(message);
        return fail(reason);
    }

    void readColumns()
    {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(m_db, "PRAGMA table_info(ZICCLOUDSYNCINGOBJECT)", -1, &statement, nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW)
            m_columns.insert(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 1))));
        sqlite3_finalize(statement);
        sqlite3_prepare_v2(m_db, "SELECT 1 FROM sqlite_master WHERE name = 'ZICNOTEDATA'", -1, &statement, nullptr);
        m_hasNoteData = sqlite3_step(statement) == SQLITE_ROW;
        sqlite3_finalize(statement);
    }

    bool hasWalRows() const
    {
        auto wal = [](const auto& list) {
            return std::any_of(list.begin(), list.end(), [](const auto& item) { return item.walOnly; });
        };
        return wal(m_container.accounts) || wal(m_container.folders) || wal(m_container.notes) ||
               wal(m_container.objects);
    }

    bool insert(const QString& table, const QVariantMap& values)
    {
        QStringList names;
        QStringList marks;
        for (auto it = values.begin(); it != values.end(); ++it) {
            names << it.key();
            marks << QStringLiteral("?");
        }
        const QByteArray sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(table, names.join(u','), marks.join(u','))
                                   .toUtf8();
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK)
            return sqliteFailure();
        int index = 1;
        for (const QVariant& value : values) {
            switch (value.typeId()) {
            case QMetaType::UnknownType:
            case QMetaType::Nullptr:
                sqlite3_bind_null(statement, index);
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                sqlite3_bind_double(statement, index, value.toDouble());
                break;
            case QMetaType::QByteArray: {
                const QByteArray bytes = value.toByteArray();
                sqlite3_bind_blob64(statement, index, bytes.constData(), quint64(bytes.size()), SQLITE_TRANSIENT);
                break;
            }
            case QMetaType::QString: {
                const QByteArray text = value.toString().toUtf8();
                sqlite3_bind_text64(statement, index, text.constData(), quint64(text.size()), SQLITE_TRANSIENT,
                                    SQLITE_UTF8);
                break;
            }
            default:
                sqlite3_bind_int64(statement, index, value.toLongLong());
            }
            ++index;
        }
        const int result = sqlite3_step(statement);
        sqlite3_finalize(statement);
        return result == SQLITE_DONE || sqliteFailure();
    }

    // The generator's own columns, kept only where this version has them.
    void put(QVariantMap& row, const char* column, const QVariant& value) const
    {
        if (m_columns.contains(QLatin1String(column)))
            row.insert(QLatin1String(column), value);
    }

    QVariantMap objectRow(const QString& entity, qint64 pk, const QString& identifier) const
    {
        const int entityNumber = int(entityNames(m_container.version).indexOf(entity)) + 1;
        return {{QStringLiteral("Z_PK"), pk},
                {QStringLiteral("Z_ENT"), entityNumber},
                {QStringLiteral("Z_OPT"), 1},
                {QStringLiteral("ZIDENTIFIER"), identifier}};
    }

    static QString madeIdentifier(const char* kind, size_t index)
    {
        return madeUuid(QStringLiteral("%1/%2").arg(QLatin1String(kind)).arg(index))
            .toString(QUuid::WithoutBraces)
            .toUpper();
    }

    bool writeRows(bool walOnly)
    {
        if (!exec("BEGIN"))
            return false;
        if (!walOnly && !writeMetadata())
            return false;
        const Container& c = m_container;
        for (size_t i = 0; i < c.accounts.size(); ++i) {
            const Account& account = c.accounts[i];
            if (account.walOnly != walOnly)
                continue;
            QVariantMap row = objectRow(QStringLiteral("ICAccount"), accountPK(c, int(i)),
                                        account.identifier.isEmpty() ? madeIdentifier("account", i)
                                                                     : account.identifier);
            put(row, "ZNAME", account.name);
            put(row, "ZACCOUNTTYPE", account.accountType);
            row.insert(account.extraColumns);
            if (!insert(QStringLiteral("ZICCLOUDSYNCINGOBJECT"), row))
                return false;
        }
        for (size_t i = 0; i < c.folders.size(); ++i) {
            const Folder& folder = c.folders[i];
            if (folder.walOnly != walOnly)
                continue;
            QVariantMap row = objectRow(QStringLiteral("ICFolder"), folderPK(c, int(i)),
                                        folder.identifier.isEmpty() ? madeIdentifier("folder", i) : folder.identifier);
            if (folder.title) {
                put(row, "ZTITLE2", *folder.title);
                put(row, "ZTITLE4", *folder.title);
            }
            put(row, "ZOWNER", accountPK(c, folder.account));
            if (folder.parent)
                put(row, "ZPARENT", folderPK(c, *folder.parent));
            put(row, "ZFOLDERTYPE", folder.folderType);
            put(row, "ZMARKEDFORDELETION", folder.markedForDeletion ? 1 : 0);
            row.insert(folder.extraColumns);
            if (!insert(QStringLiteral("ZICCLOUDSYNCINGOBJECT"), row))
                return false;
        }
        for (size_t i = 0; i < c.notes.size(); ++i) {
            if (c.notes[i].walOnly == walOnly && !writeNote(int(i)))
                return false;
        }
        for (size_t i = 0; i < c.objects.size(); ++i) {
            const ObjectRow& object = c.objects[i];
            if (object.walOnly != walOnly)
                continue;
            if (!entityNames(c.version).contains(object.entity))
                return fail(QStringLiteral("no entity %1 in this version").arg(object.entity));
            QVariantMap row = objectRow(object.entity, objectPK(c, int(i)),
                                        object.identifier.isEmpty() ? madeIdentifier("object", i) : object.identifier);
            for (const auto& [column, note] : object.noteReferences)
                row.insert(column, notePK(c, note));
            for (const auto& [column, other] : object.objectReferences)
                row.insert(column, objectPK(c, other));
            row.insert(object.columns);
            if (!insert(QStringLiteral("ZICCLOUDSYNCINGOBJECT"), row))
                return false;
        }
        return exec("COMMIT");
    }

    bool writeNote(int index)
    {
        const Container& c = m_container;
        const Note& note = c.notes[size_t(index)];
        const qint64 pk = notePK(c, index);
        QVariantMap row = objectRow(QStringLiteral("ICNote"), pk,
                                    note.identifier.isEmpty() ? madeIdentifier("note", size_t(index)) : note.identifier);
        if (note.title) {
            put(row, "ZTITLE1", *note.title);
            put(row, "ZTITLE3", *note.title);
        }
        put(row, "ZSNIPPET", QString::fromUtf8(note.text.text()).section(u'\n', 1, 1).left(100));
        put(row, "ZFOLDER", folderPK(c, note.folder));
        put(row, "ZISPASSWORDPROTECTED", note.passwordProtected ? 1 : 0);
        put(row, "ZMARKEDFORDELETION", note.markedForDeletion ? 1 : 0);
        put(row, "ZISPINNED", note.pinned ? 1 : 0);
        if (!note.passwordHint.isEmpty())
            put(row, "ZPASSWORDHINT", note.passwordHint);
        const char* creationColumn = m_columns.contains(QStringLiteral("ZCREATIONDATE3")) ? "ZCREATIONDATE3"
                                                                                            : "ZCREATIONDATE1";
        if (note.creationDate)
            put(row, creationColumn, *note.creationDate);
        if (note.modificationDate)
            put(row, "ZMODIFICATIONDATE1", *note.modificationDate);
        // Notes that are not locked carry an empty salt all the same.
        put(row, "ZCRYPTOSALT", note.crypto ? note.crypto->salt : QByteArray(""));
        put(row, "ZCRYPTOITERATIONCOUNT", note.crypto ? note.crypto->iterations : 0);
        if (note.crypto)
            put(row, "ZCRYPTOWRAPPEDKEY", note.crypto->wrappedKey);
        if (note.hasNoteData && m_hasNoteData)
            put(row, "ZNOTEDATA", pk);
        row.insert(note.extraColumns);
        if (!insert(QStringLiteral("ZICCLOUDSYNCINGOBJECT"), row))
            return false;
        if (!note.hasNoteData || !m_hasNoteData)
            return true;
        QVariantMap data{{QStringLiteral("Z_PK"), pk},
                         {QStringLiteral("Z_ENT"), int(entityNames(c.version).indexOf(QStringLiteral("ICNoteData"))) + 1},
                         {QStringLiteral("Z_OPT"), 1},
                         {QStringLiteral("ZNOTE"), pk},
                         {QStringLiteral("ZDATA"), note.data ? *note.data : gzippedBody(note.text)}};
        if (note.crypto) {
            data.insert(QStringLiteral("ZCRYPTOINITIALIZATIONVECTOR"), note.crypto->iv);
            data.insert(QStringLiteral("ZCRYPTOTAG"), note.crypto->tag);
        }
        return insert(QStringLiteral("ZICNOTEDATA"), data);
    }

    bool writeMetadata()
    {
        const QStringList names = entityNames(m_container.version);
        const qint64 max = objectPK(m_container, int(m_container.objects.size()));
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QString super = superEntity(names[i]);
            if (!insert(QStringLiteral("Z_PRIMARYKEY"), {{QStringLiteral("Z_ENT"), int(i + 1)},
                                                         {QStringLiteral("Z_NAME"), names[i]},
                                                         {QStringLiteral("Z_SUPER"), super.isEmpty() ? 0 : int(names.indexOf(super) + 1)},
                                                         {QStringLiteral("Z_MAX"), max}}))
                return false;
        }
        return insert(QStringLiteral("Z_METADATA"), {{QStringLiteral("Z_VERSION"), 1},
                                                      {QStringLiteral("Z_UUID"), madeIdentifier("store", 0)}});
    }

    const Container& m_container;
    QString* m_error;
    sqlite3* m_db = nullptr;
    QSet<QString> m_columns;
    bool m_hasNoteData = true;
};

} // namespace

const char* versionName(SchemaVersion version)
{
    static const char* const names[] = {"TooOld", "iOS11", "iOS12", "iOS13", "iOS14", "iOS15",
                                        "iOS16",  "iOS17", "iOS18", "iOS26", "Unknown"};
    const auto index = size_t(version);
    return index < std::size(names) ? names[index] : "?";
}

double appleTime(int year, int month, int day, int hour, int minute)
{
    const QDateTime time(QDate(year, month, day), QTime(hour, minute), Qt::UTC);
    return double(time.toSecsSinceEpoch()) - kAppleEpochOffset;
}

bool versionHasColumn(SchemaVersion version, const QString& column)
{
    for (const ColumnChange& change : kIntroduced) {
        if (column == QLatin1String(change.column))
            return version >= change.from;
    }
    for (const ColumnChange& change : kAdded) {
        if (column == QLatin1String(change.column))
            return version >= change.from;
    }
    if (version == SchemaVersion::Unknown) {
        for (const char* dropped : kDroppedByUnknown) {
            if (column == QLatin1String(dropped))
                return false;
        }
    }
    return true;
}

pb::NoteText styledText(const std::vector<TextRun>& runs)
{
    pb::NoteText text;
    QString all;
    for (const TextRun& source : runs) {
        all += source.text;
        pb::Run* run = text.add_run();
        run->set_length(source.text.size());
        if (source.paragraphStyle != -1 || source.alignment || source.indent || source.checked || source.blockQuote) {
            pb::ParagraphStyle* paragraph = run->mutable_paragraph();
            if (source.paragraphStyle != -1)
                paragraph->set_style(source.paragraphStyle);
            if (source.alignment)
                paragraph->set_alignment(source.alignment);
            if (source.indent)
                paragraph->set_indent(source.indent);
            if (source.checked) {
                const QString item = QStringLiteral("checklist/%1/%2").arg(all.size()).arg(source.text);
                paragraph->mutable_checklist()->set_uuid(madeUuid(item).toRfc4122().toStdString());
                paragraph->mutable_checklist()->set_done(*source.checked ? 1 : 0);
            }
            if (source.blockQuote)
                paragraph->set_block_quote(1);
        }
        if (source.fontWeight)
            run->set_font_weight(source.fontWeight);
        if (source.underline)
            run->set_underline(1);
        if (source.strikethrough)
            run->set_strikethrough(1);
        if (source.baseline)
            run->set_baseline(source.baseline);
        if (!source.link.isEmpty())
            run->set_link(source.link.toStdString());
        if (source.color) {
            pb::RunColor* color = run->mutable_color();
            color->set_red(float(source.color->redF()));
            color->set_green(float(source.color->greenF()));
            color->set_blue(float(source.color->blueF()));
            color->set_alpha(float(source.color->alphaF()));
        }
        if (source.highlight)
            run->set_highlight(source.highlight);
        if (!source.attachmentIdentifier.isEmpty()) {
            run->mutable_attachment()->set_identifier(source.attachmentIdentifier.toStdString());
            run->mutable_attachment()->set_type_uti(source.attachmentType.toStdString());
        }
    }
    text.set_text(all.toStdString());
    return text;
}

pb::NoteText plainText(const QString& title, const QString& body)
{
    return styledText({TextRun(title + u'\n', 0), TextRun(body)});
}

QByteArray gzip(const QByteArray& data)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&stream, uLong(data.size()))) + 32, Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.truncate(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return out;
}

QByteArray gzippedBody(const pb::NoteText& text)
{
    pb::BodyRoot root;
    root.mutable_document()->set_version(1);
    *root.mutable_document()->mutable_note() = text;
    const std::string bytes = root.SerializeAsString();
    return gzip(QByteArray(bytes.data(), qsizetype(bytes.size())));
}

int Container::addAccount(const QString& name, const QString& identifier)
{
    Account& account = accounts.emplace_back();
    account.name = name;
    account.identifier = identifier;
    return int(accounts.size()) - 1;
}

int Container::addFolder(const QString& title, int account, std::optional<int> parent)
{
    Folder& folder = folders.emplace_back();
    folder.title = title;
    folder.account = account;
    folder.parent = parent;
    return int(folders.size()) - 1;
}

int Container::addNote(const QString& title, int folder, const pb::NoteText& text, double modificationDate)
{
    Note& note = notes.emplace_back();
    note.title = title;
    note.folder = folder;
    note.text = text;
    note.modificationDate = modificationDate;
    note.creationDate = modificationDate - 86400;
    return int(notes.size()) - 1;
}

bool writeContainer(const Container& container, const QString& folder, QString* error)
{
    for (const ContainerFile& file : container.files) {
        const QString path = QDir(folder).filePath(file.relativePath);
        QDir().mkpath(QFileInfo(path).path());
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(file.contents) != file.contents.size()) {
            if (error)
                *error = QStringLiteral("cannot write %1").arg(path);
            return false;
        }
    }
    return Writer(container, error).write(folder);
}

Container sizedContainer(int noteCount, int bodyBytes, int depth, int accountCount)
{
    std::mt19937 random(20240101);
    Container container;
    for (int a = 0; a < accountCount; ++a)
        container.addAccount(a == 0 ? QStringLiteral("iCloud") : QStringLiteral("On My Mac %1").arg(a));
    std::vector<int> folders;
    for (int a = 0; a < accountCount; ++a) {
        for (int top = 0; top < 4; ++top) {
            std::optional<int> parent;
            for (int level = 0; level < std::max(1, depth); ++level) {
                const int folder = container.addFolder(QStringLiteral("Folder %1.%2").arg(top + 1).arg(level + 1), a, parent);
                folders.push_back(folder);
                parent = folder;
            }
        }
    }
    static const QStringList words{"alpha", "river", "Ostrich", "quiet", "lamp", "zebra", "nine", "été", "日本",
                                   "window", "paper", "green", "🙂", "orbit", "salt"};
    for (int n = 0; n < noteCount; ++n) {
        const QString title = QStringLiteral("Note %1").arg(n + 1);
        std::vector<TextRun> runs{TextRun(title + u'\n', 0)};
        int size = 0;
        int paragraph = 0;
        while (size < bodyBytes) {
            QString line;
            for (int w = 0; w < 12; ++w)
                line += words[qsizetype(random() % quint32(words.size()))] + u' ';
            line += u'\n';
            TextRun run(line);
            switch (paragraph++ % 5) {
            case 1: run.withWeight(1); break;
            case 2: run.paragraphStyle = 100; break;
            case 3: run.paragraphStyle = 103; run.withChecked(paragraph % 2 == 0); break;
            default: break;
            }
            size += int(line.toUtf8().size());
            runs.push_back(run);
        }
        const double modified = appleTime(2020, 1, 1) + double(random() % (5 * 365 * 86400));
        container.addNote(title, folders[size_t(n) % folders.size()], styledText(runs), modified);
    }
    return container;
}

} // namespace notestoregen
