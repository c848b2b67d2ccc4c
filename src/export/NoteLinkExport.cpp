#include "export/ExportNoteOperation.h"

#include "platform/FileURL.h"

bool ExportNoteOperation::writeNoteWithLinks(NotesNote& note, const QByteArray& body, const QUrl& folderURL,
                                             const QUrl& fileURL, bool richText, bool picturesAsFiles,
                                             const std::shared_ptr<NotesNote>& owner)
{
    // Named now, so notes written from here on can link to it.
    m_noteLinks.setFileOfNote(note.id(), fileURL);
    if (!NoteLinkTable::holdsNoteLinks(body))
        return writeNoteFile(note, body, fileURL, richText, picturesAsFiles);
    const std::optional<QString> resolved = m_noteLinks.resolved(QString::fromUtf8(body), folderURL, !owner);
    if (resolved)
        return writeNoteFile(note, resolved->toUtf8(), fileURL, richText, picturesAsFiles);
    // A note it links to has no name yet, and may get one later in the
    // walk. Its name is kept; the body is read again at the end rather than
    // held, since a body can carry its pictures.
    m_waitingNotes.push_back({owner, folderURL, fileURL, richText, picturesAsFiles});
    return true;
}

bool ExportNoteOperation::writeWaitingNotes()
{
    // Every note that is exported has its name now: a link to any other
    // note becomes its text.
    const std::vector<WaitingNote> waiting = std::exchange(m_waitingNotes, {});
    for (const WaitingNote& entry : waiting) {
        if (isCancelled() || libraryIsGone())
            return false;
        NotesNote& note = *entry.note;
        if (!describeProgress(note))
            return false;
        const QByteArray body = note.bodyUTF8();
        if (body.isEmpty()) {
            // Readable a moment ago: the library changed under the export.
            m_noteLinks.forgetNote(note.id());
            noteWithoutBody(note, platform::fileurl::lastPathComponent(entry.folderURL));
            continue;
        }
        const std::optional<QString> resolved = m_noteLinks.resolved(QString::fromUtf8(body), entry.folderURL, true);
        if (!writeNoteFile(note, resolved ? resolved->toUtf8() : body, entry.fileURL, entry.richText,
                           entry.picturesAsFiles))
            return false;
    }
    return true;
}
