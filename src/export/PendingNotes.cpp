// A note is read from Notes when the walk reaches it, but written a little
// later: a rich-text note's conversion (most of an export's processor time)
// then runs on a thread of its own while the walk reads and writes the notes
// around it, one conversion after the other. Files are still written in the
// order the notes were read, on this thread; the folders the walk enters
// are made in turn with them, and the manifest waits until all are written,
// so the export's folder sees the same steps, in the same order, as when
// each note was written at once. Attachments are staged outside it.
#include "export/ExportNoteOperation.h"
#include "platform/FileDates.h"
#include "platform/FileManager.h"
#include "platform/FileURL.h"

namespace {

// Enough to keep the conversion busy through a run of rich-text notes, so
// that it never waits for the walk nor the walk for it. Bodies wait in
// memory and staged attachments on disk, both within the byte bound; a
// cancelled export still waits for the conversions under way.
constexpr size_t kMaxPendingNotes = 1024;
constexpr size_t kMaxPendingRichTextNotes = 64;
constexpr qint64 kMaxPendingBytes = 16 * 1024 * 1024;

} // namespace

bool ExportNoteOperation::writeNoteFile(NotesNote& note, const QByteArray& body, const QUrl& fileURL, bool richText,
                                        bool picturesAsFiles)
{
    PendingNote pending;
    pending.fileURL = fileURL;
    pending.picturesAsFiles = picturesAsFiles;
    pending.exportNumber = m_exportNumber;
    if (richText) {
        platform::Error error;
        pending.richTextJob = prepareRichText(note, body, &error);
        if (!pending.richTextJob) {
            // The notes read before it are written first, and their own
            // failure, if any, is the one reported.
            if (flushPendingNotes())
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
    pending.bytes = pending.html.size()
                    + (pending.richTextJob ? pending.richTextJob->page.size() + pending.richTextJob->stagedBytes : 0);
    m_pendingBytes += pending.bytes;
    if (pending.richTextJob)
        ++m_pendingRichTextNotes;
    m_pendingNotes.push_back(std::move(pending));
    return writePendingNotes(false);
}

bool ExportNoteOperation::makeFolder(const QUrl& folderURL)
{
    PendingNote pending;
    pending.fileURL = folderURL;
    pending.folder = true;
    m_pendingNotes.push_back(std::move(pending));
    return writePendingNotes(false);
}

bool ExportNoteOperation::flushPendingNotes()
{
    return writePendingNotes(true);
}

bool ExportNoteOperation::writePendingNotes(bool all)
{
    // Without `all`, only up to the first note still being converted, or
    // as many as bring the waiting notes back within bounds: a note waits
    // for nothing it need not, as when each was written at once.
    const auto ready = [](const PendingNote& pending) {
        return !pending.richTextJob || pending.document.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    };
    const auto full = [this] {
        return m_pendingNotes.size() >= kMaxPendingNotes || m_pendingBytes >= kMaxPendingBytes
               || m_pendingRichTextNotes >= kMaxPendingRichTextNotes;
    };
    while (!m_pendingNotes.empty() && (all || full() || ready(m_pendingNotes.front()))) {
        PendingNote pending = std::move(m_pendingNotes.front());
        m_pendingNotes.pop_front();
        m_pendingBytes -= pending.bytes;
        if (pending.richTextJob)
            --m_pendingRichTextNotes;
        if (writePendingNote(pending))
            continue;
        // The export stops here. A conversion still under way reads its
        // job, so each is waited for before its staged files go.
        for (PendingNote& left : m_pendingNotes) {
            if (left.richTextJob) {
                left.document.wait();
                removeStagedFiles(*left.richTextJob);
            }
        }
        m_pendingNotes.clear();
        m_pendingBytes = 0;
        m_pendingRichTextNotes = 0;
        return false;
    }
    return true;
}

bool ExportNoteOperation::writePendingNote(PendingNote& pending)
{
    platform::Error error;
    if (pending.folder) {
        // Missing parents are made too; as the name was free, this is
        // usually one mkdir.
        if (!platform::FileManager::defaultManager()->createDirectory(pending.fileURL, true, &error)) {
            if (!operationError())
                setOperationError(error);
            return false;
        }
        m_exportedFolderPaths.insert(platform::fileurl::path(pending.fileURL));
        return true;
    }
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
        if (pending.passwordProtected) {
            m_passwordProtectedFileURLs.insert(pending.fileURL);
            m_passwordProtectedFilePaths.insert(platform::fileurl::path(pending.fileURL));
        }
    }
    if (richText)
        platform::filedates::setDates(pending.fileURL, pending.creationDate, pending.modificationDate, nullptr);

    // Written while it is still the note being exported, so nothing lies
    // between its count and the next note's description.
    NotesNote* next = pending.exportNumber != 0 && pending.exportNumber == m_exportNumber ? std::exchange(m_nextNote, nullptr)
                                                                                        : nullptr;
    m_describedAhead = next;
    // Counted by the next hand-off: this one when it names the next note or
    // the walk is over, else the walk's next one, which comes soon.
    ++m_uncountedNotes;
    if (!next && m_exportNumber != 0)
        return true;
    changeProgress([this, next](platform::Progress& progress) {
        // A cancel comes from the main thread, so it is either seen here or
        // after the export thread's own look, which stops before that note.
        if (next && !isCancelled())
            describe(progress, *next);
    });
    return true;
}
