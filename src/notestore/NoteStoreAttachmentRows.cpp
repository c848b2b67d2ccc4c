#include "notestore/NoteStoreAttachmentRows.h"
#include "platform/LocalizedString.h"

#include <QTimeZone>
#include <cmath>

namespace notestore {

namespace {

constexpr double kAppleEpochOffset = 978307200.0;

std::optional<QDateTime> dateFromAppleTime(std::optional<double> seconds)
{
    constexpr double kLimit = 3.0e11; // about the years 1 to 9999
    if (!seconds || !std::isfinite(*seconds) || std::abs(*seconds) > kLimit)
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(qint64(std::llround((*seconds + kAppleEpochOffset) * 1000.0)), Qt::UTC);
}

// `alias`.column for the first of `candidates` the table has, else NULL;
// several are tried in order, as COALESCE would.
QString column(const NoteStoreDatabase& database, const QString& alias, const QStringList& candidates)
{
    QStringList present;
    for (const QString& candidate : candidates) {
        if (database.hasColumn(candidate))
            present << alias + u'.' + candidate;
    }
    if (present.isEmpty())
        return QStringLiteral("NULL");
    return present.size() == 1 ? present.first() : QStringLiteral("COALESCE(%1)").arg(present.join(u','));
}

// Which column ties a row to its note differs between entities and versions.
QString noteCondition(const NoteStoreDatabase& database, const QString& alias)
{
    QStringList tests;
    for (const QString& candidate : {QStringLiteral("ZNOTE"), QStringLiteral("ZNOTE1")}) {
        if (database.hasColumn(candidate))
            tests << alias + u'.' + candidate + QStringLiteral(" = :note");
    }
    return tests.isEmpty() ? QStringLiteral("0") : u'(' + tests.join(QStringLiteral(" OR ")) + u')';
}

// The entity test, written so that SQLite finds the note's rows through the
// note columns' indexes rather than walking every row of the entity for
// each note; only where each of those columns has an index.
QString entityCondition(const NoteStoreDatabase& database, const QString& alias)
{
    bool indexed = true;
    for (const QString& candidate : {QStringLiteral("ZNOTE"), QStringLiteral("ZNOTE1")}) {
        if (database.hasColumn(candidate) && !database.hasIndexOn(candidate))
            indexed = false;
    }
    return (indexed ? QStringLiteral("+") : QString()) + alias + QStringLiteral(".Z_ENT = :entity");
}

// Key material is a few dozen bytes; anything longer is not read.
QString boundedBlob(const QString& expression)
{
    return QStringLiteral("CASE WHEN length(%1) <= 1024 THEN %1 END").arg(expression);
}

} // namespace

NoteAttachmentRowReader::NoteAttachmentRowReader(const NoteStoreDatabase& database)
    : m_attachmentEntity(database.entity(QStringLiteral("ICAttachment"))),
      m_inlineEntity(database.entity(QStringLiteral("ICInlineAttachment")))
{
    const QString typeUTI = QStringLiteral("NULLIF(%1, '')");
    if (m_attachmentEntity) {
        const QString mergeable = column(database, QStringLiteral("a"), {QStringLiteral("ZMERGEABLEDATA1"), QStringLiteral("ZMERGEABLEDATA")});
        const QString sql =
            QStringLiteral("SELECT a.ZIDENTIFIER, COALESCE(%1, %2), %3, %4, %5, %6, %7, "
                           "CASE WHEN length(%8) <= %9 THEN %8 END, %10, %11, m.ZIDENTIFIER, m.ZFILENAME, %12, "
                           "m.Z_PK, %15, %16, %17, %18, %19, %20 "
                           "FROM ZICCLOUDSYNCINGOBJECT a LEFT JOIN ZICCLOUDSYNCINGOBJECT m ON m.Z_PK = %13 "
                           "WHERE %21 AND %14")
                .arg(typeUTI.arg(column(database, QStringLiteral("a"), {QStringLiteral("ZTYPEUTI1")})),
                     column(database, QStringLiteral("a"), {QStringLiteral("ZTYPEUTI")}),
                     column(database, QStringLiteral("a"), {QStringLiteral("ZTITLE")}),
                     column(database, QStringLiteral("a"), {QStringLiteral("ZUSERTITLE")}),
                     column(database, QStringLiteral("a"), {QStringLiteral("ZURLSTRING")}),
                     column(database, QStringLiteral("a"), {QStringLiteral("ZCREATIONDATE")}),
                     column(database, QStringLiteral("a"), {QStringLiteral("ZMODIFICATIONDATE")}), mergeable)
                .arg(kMaxMergeableDataBytes)
                .arg(column(database, QStringLiteral("a"), {QStringLiteral("ZFALLBACKIMAGEGENERATION")}),
                     column(database, QStringLiteral("a"), {QStringLiteral("ZFALLBACKPDFGENERATION")}),
                     column(database, QStringLiteral("m"), {QStringLiteral("ZGENERATION1")}),
                     column(database, QStringLiteral("a"), {QStringLiteral("ZMEDIA")}),
                     noteCondition(database, QStringLiteral("a")))
                .arg(column(database, QStringLiteral("m"), {QStringLiteral("ZISPASSWORDPROTECTED")}),
                     boundedBlob(column(database, QStringLiteral("m"), {QStringLiteral("ZCRYPTOSALT")})),
                     column(database, QStringLiteral("m"), {QStringLiteral("ZCRYPTOITERATIONCOUNT")}),
                     boundedBlob(column(database, QStringLiteral("m"), {QStringLiteral("ZCRYPTOWRAPPEDKEY")})),
                     boundedBlob(column(database, QStringLiteral("m"), {QStringLiteral("ZASSETCRYPTOINITIALIZATIONVECTOR")})),
                     boundedBlob(column(database, QStringLiteral("m"), {QStringLiteral("ZASSETCRYPTOTAG")})),
                     entityCondition(database, QStringLiteral("a")));
        m_attachmentSQL = sql.toUtf8();
    }
    if (m_inlineEntity) {
        const QString sql = QStringLiteral("SELECT i.ZIDENTIFIER, %1, %2, %3 FROM ZICCLOUDSYNCINGOBJECT i "
                                           "WHERE %5 AND %4")
                                .arg(column(database, QStringLiteral("i"), {QStringLiteral("ZTYPEUTI1"), QStringLiteral("ZTYPEUTI")}),
                                     column(database, QStringLiteral("i"), {QStringLiteral("ZALTTEXT")}),
                                     column(database, QStringLiteral("i"), {QStringLiteral("ZTOKENCONTENTIDENTIFIER")}),
                                     noteCondition(database, QStringLiteral("i")),
                                     entityCondition(database, QStringLiteral("i")));
        m_inlineSQL = sql.toUtf8();
    }
}

bool NoteAttachmentRowReader::read(NoteStoreDatabase& database, qint64 notePK,
                                   QHash<QString, AttachmentRow>& attachments,
                                   QHash<QString, InlineAttachmentRow>& inlineAttachments, QString* reason) const
{
    const auto fail = [&](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    qint64 count = 0;
    platform::Error error;
    if (m_attachmentEntity) {
        const bool read = database.query(m_attachmentSQL, {*m_attachmentEntity, notePK}, [&](const Row& row) {
            if (++count > kMaxAttachmentsPerNote)
                return false;
            AttachmentRow attachment;
            attachment.identifier = row.text(0);
            attachment.typeUTI = row.text(1);
            attachment.title = row.text(2);
            attachment.userTitle = row.text(3);
            attachment.urlString = row.text(4);
            attachment.creationDate = dateFromAppleTime(row.real(5));
            attachment.modificationDate = dateFromAppleTime(row.real(6));
            attachment.mergeableData = row.blob(7);
            attachment.fallbackImageGeneration = row.text(8);
            attachment.fallbackPDFGeneration = row.text(9);
            attachment.mediaIdentifier = row.text(10);
            attachment.mediaFilename = row.text(11);
            attachment.mediaGeneration = row.text(12);
            attachment.mediaPK = row.integer(13);
            attachment.mediaPasswordProtected = row.integer(14) != 0;
            attachment.mediaKey = {row.blob(15), row.integer(16), row.blob(17)};
            attachment.mediaSeal = {row.blob(18), row.blob(19)};
            if (!attachment.identifier.isEmpty())
                attachments.insert(attachment.identifier, std::move(attachment));
            return true;
        }, &error);
        if (!read)
            return fail(platform::localizedString("its attachments cannot be read: %1").arg(error.localizedDescription()));
    }
    if (m_inlineEntity) {
        const bool read = database.query(m_inlineSQL, {*m_inlineEntity, notePK}, [&](const Row& row) {
            if (++count > kMaxAttachmentsPerNote)
                return false;
            InlineAttachmentRow token{row.text(0), row.text(1), row.text(2), row.text(3)};
            if (!token.identifier.isEmpty())
                inlineAttachments.insert(token.identifier, std::move(token));
            return true;
        }, &error);
        if (!read)
            return fail(platform::localizedString("its attachments cannot be read: %1").arg(error.localizedDescription()));
    }
    if (count > kMaxAttachmentsPerNote)
        return fail(platform::localizedString("it has more than %1 attachments").arg(kMaxAttachmentsPerNote));
    return true;
}

} // namespace notestore
