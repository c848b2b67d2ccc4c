// A note is read from Notes when the walk reaches it, but written a little
// later: a rich-text note's conversion (most of an export's processor time)
// then runs on a thread of its own while the walk reads the notes after it.
// Files are still written in the order the notes were read, on this thread,
// and every other change to the disk (a folder, a staged attachment, the
// manifest) waits until the notes before it are written, so the disk sees
// the same steps, in the same order, as when each note was written at once.
#include "export/ExportNoteOperation.h"
#include "platform/FileDates.h"
#include "platform/FileManager.h"

namespace {

// Enough to keep the conversion busy; bodies wait in memory.
constexpr size_t kMaxPendingNotes = 64;
constexpr qint64 kMaxPendingBytes = 16 * 1024 * 1024;

} // namespace

bool ExportNoteOperation::writeNoteFile(NotesNote& note, const QByteArray& body, const QUrl& fileURL, bool richText,
                                        bool picturesAsFiles)
{
    PendingNote pending;
    pending.fileURL = fileURL;
    pending.picturesAsFiles = picturesAsFiles;
    if (richText) {
        // Staging its attachments changes the disk: the notes before it go first.
        if (!flushPendingNotes())
            return false;
        platform::Error error;
        pending.richTextJob = prepareRichText(note, body, &error);
        if (!pending.richTextJob) {
            setOperationError(error);
            return false;
        }
        pending.name = note.name();
        pending.document = m_richTextQueue.async([job = pending.richTextJob.get()] { return convertRichText(*job); });
        pending.passwordProtected = note.passwordProtected();
        pending.creationDate = note.creationDate();
        pending.modificationDate = note.modificationDate();
    } else {
        pending.html = body;
        pending.creationDate = note.creationDate();
        pending.modificationDate = note.modificationDate();
        pending.passwordProtected = note.passwordProtected();
    }
    m_pendingBytes += pending.html.size();
    m_pendingNotes.push_back(std::move(pending));
    const bool full = m_pendingNotes.size() >= kMaxPendingNotes || m_pendingBytes >= kMaxPendingBytes;
    return writePendingNotes(full);
}

bool ExportNoteOperation::flushPendingNotes()
{
    return writePendingNotes(true);
}

bool ExportNoteOperation::writePendingNotes(bool all)
{
    // Without `all`, only up to the first note still being converted: a
    // note waits for nothing it need not, as when each was written at once.
    const auto ready = [](const PendingNote& pending) {
        return !pending.richTextJob || pending.document.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    };
    while (!m_pendingNotes.empty() && (all || ready(m_pendingNotes.front()))) {
        PendingNote pending = std::move(m_pendingNotes.front());
        m_pendingNotes.pop_front();
        m_pendingBytes -= pending.html.size();
        if (writePendingNote(pending))
            continue;
        // The export stops here. A rich-text note is only ever first in
        // line (the notes before it were written when it was staged), so
        // the notes left are HTML, with nothing staged.
        m_pendingNotes.clear();
        m_pendingBytes = 0;
        return false;
    }
    return true;
}

bool ExportNoteOperation::writePendingNote(PendingNote& pending)
{
    platform::Error error;
    const bool richText = bool(pending.richTextJob);
    bool written;
    if (richText) {
        written = writeRichText(*pending.richTextJob, pending.document.get(), pending.name, pending.fileURL, &error);
    } else {
        // Dates are a courtesy: a file system that cannot keep them still gets the note.
        const auto setDates = [&](int fd) {
            platform::filedates::setDates(fd, pending.fileURL, pending.creationDate, pending.modificationDate, nullptr);
        };
        written = platform::FileManager::defaultManager()->writeData(pending.html, pending.fileURL, &error, setDates);
    }
    if (!written) {
        // The first error is the one to report: a later one may only follow from it.
        if (!operationError())
            setOperationError(error);
        return false;
    }
    {
        std::lock_guard lock(m_mutex);
        ++(richText ? m_summary.richTextNoteCount : m_summary.htmlNoteCount);
        if (pending.picturesAsFiles)
            m_summary.notesWithPicturesAsFiles << pending.name;
        if (pending.passwordProtected)
            m_passwordProtectedFileURLs.insert(pending.fileURL);
    }
    if (richText)
        platform::filedates::setDates(pending.fileURL, pending.creationDate, pending.modificationDate, nullptr);

    changeProgress([](platform::Progress& progress) { progress.setCompletedUnitCount(progress.completedUnitCount() + 1); });
    return true;
}
