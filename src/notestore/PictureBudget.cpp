#include "notestore/PictureBudget.h"

#include "notestore/ContainerFiles.h"

namespace notestore {

bool PictureBudget::admit(qint64 bytes)
{
    if (m_refuseAll || bytes > m_left) {
        m_refuseAll = true;
        return false;
    }
    m_left -= bytes;
    return true;
}

qint64 pictureBytesShown(const pb::NoteText& text, const QHash<QString, AttachmentRow>& rows, const MediaPlace& place,
                         qint64 limit)
{
    QHash<QString, qint64> sizes; // a picture shown again costs no second look
    qint64 total = 0;
    for (const pb::Run& run : text.run()) {
        if (total > limit)
            break;
        if (!run.has_attachment())
            continue;
        const QString identifier = QString::fromUtf8(run.attachment().identifier());
        auto known = sizes.constFind(identifier);
        if (known == sizes.constEnd()) {
            const auto row = rows.constFind(identifier);
            const AttachmentKind kind = row == rows.constEnd() ? AttachmentKind::File : attachmentKind(row->typeUTI);
            qint64 size = 0;
            if (kind == AttachmentKind::Picture || kind == AttachmentKind::Drawing || kind == AttachmentKind::Gallery) {
                const AttachmentFile picture = pictureToShow(*row, place);
                size = picture.relativePath.isEmpty() ? 0 : containerFiles(place)->fileSize(picture.relativePath);
            }
            known = sizes.insert(identifier, size);
        }
        total += *known;
    }
    return total;
}

QString pictureContentID(const QString& attachmentIdentifier)
{
    // Hexadecimal is safe in a URL and in an attribute, whatever the database holds.
    return QStringLiteral("picture-") + QString::fromLatin1(attachmentIdentifier.toUtf8().toHex());
}

QString pictureReferenceHTML(const QString& contentID)
{
    return QStringLiteral("<img src=\"cid:%1\">").arg(contentID);
}

} // namespace notestore
