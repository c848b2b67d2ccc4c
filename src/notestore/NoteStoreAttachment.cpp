#include "notestore/NoteStoreAttachment.h"
#include "platform/LocalizedString.h"

#include "notestore/LockedMedia.h"

#include "platform/FileManager.h"
#include "platform/FileURL.h"
#include "platform/Log.h"

namespace notestore {

NoteStoreAttachment::NoteStoreAttachment(AttachmentRow row, MediaPlace place, QString drawProblem, QString contentID)
    : m_row(std::move(row)), m_place(std::move(place)), m_drawProblem(std::move(drawProblem)),
      m_contentID(std::move(contentID))
{
}

QString NoteStoreAttachment::name()
{
    return attachmentKind(m_row.typeUTI) == AttachmentKind::LinkCard && !m_row.title.isEmpty()
               ? m_row.title
               : attachmentFileName(m_row, m_place);
}

std::optional<QString> NoteStoreAttachment::URL()
{
    if (attachmentKind(m_row.typeUTI) != AttachmentKind::LinkCard)
        return std::nullopt;
    return m_row.urlString;
}

void NoteStoreAttachment::saveIn(const QUrl& fileURL, FourCharCode)
{
    m_saveProblem.clear();
    const AttachmentFile file = fileToSave(m_row, m_place);
    if (file.path.isEmpty()) {
        m_saveProblem = file.problem; // nothing saved, as Notes does for a file it lacks
        return;
    }
    if (file.encrypted) {
        if (!decryptMediaFile(m_row, m_place, file, platform::fileurl::path(fileURL), &m_saveProblem))
            platform::logLine(QStringLiteral("Couldn't save attachment: %1").arg(m_saveProblem));
        return;
    }
    platform::Error error;
    if (!containerFiles(m_place)->copyFile(file.relativePath, fileURL, &error)) {
        m_saveProblem = error.localizedDescription();
        platform::logLine(QStringLiteral("Couldn't save attachment: %1").arg(m_saveProblem));
    }
}

QString NoteStoreAttachment::saveProblem()
{
    if (!m_drawProblem.isEmpty())
        return m_drawProblem;
    if (!m_saveProblem.isEmpty())
        return m_saveProblem;
    const AttachmentKind kind = attachmentKind(m_row.typeUTI);
    if (kind != AttachmentKind::File && kind != AttachmentKind::ScannedDocument)
        return {};
    // Without an extension the export cannot tell it from a picture, and would not save it.
    if (platform::pathutil::pathExtension(name()).isEmpty())
        return platform::localizedString("its name has no extension to tell its kind, %1").arg(m_row.typeUTI);
    return fileToSave(m_row, m_place).problem;
}

QList<std::shared_ptr<NotesAttachment>> scriptingAttachments(const NoteAttachmentRenderer& renderer)
{
    QList<std::shared_ptr<NotesAttachment>> result;
    for (const NoteAttachmentRenderer::Visit& visit : renderer.visits()) {
        if (const AttachmentRow* row = renderer.row(visit.identifier)) {
            // A table is part of the text, not an attachment of its own.
            if (attachmentKind(row->typeUTI) == AttachmentKind::Table && visit.problem.isEmpty())
                continue;
            result.append(std::make_shared<NoteStoreAttachment>(*row, renderer.place(), visit.problem, visit.contentID));
        } else if (!visit.problem.isEmpty()) {
            result.append(std::make_shared<LeftOutAttachment>(visit.name, visit.problem));
        }
    }
    return result;
}

} // namespace notestore
