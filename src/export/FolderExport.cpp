#include "export/ExportNames.h"
#include "export/ExportNoteOperation.h"
#include "export/FileAttachments.h"
#include "platform/FileDates.h"
#include "platform/FileManager.h"
#include "platform/FileURL.h"
#include "platform/LocalizedString.h"

#include <utility>


bool ExportNoteOperation::exportFolder(NotesFolder& folder, const QUrl& parentFolderURL)
{
    return exportFolder(folder, parentFolderURL, 1);
}

bool ExportNoteOperation::exportFolder(NotesFolder& folder, const QUrl& parentFolderURL, int depth)
{
    // The outline was checked, but Notes may have changed since.
    if (depth > kMaxFolderDepth) {
        setOperationError(tooDeepError(folder.name()));
        return false;
    }
    const QString name = m_uniqueNames.makeFilenameUniqueInDirectoryAtURL(
        exportFileName(folder.name(), platform::localizedString("Untitled Folder")), parentFolderURL);
    const QUrl folderURL = platform::fileurl::appendingPathComponent(parentFolderURL, name, true);
    if (!makeFolder(folderURL))
        return false;
    for (const auto& subfolder : folder.folders()) {
        if (isCancelled() || libraryIsGone())
            return false;
        if (!exportFolder(*subfolder, folderURL, depth + 1))
            return false;
    }
    const auto notes = folder.notes();
    for (qsizetype index = 0; index < notes.size(); ++index) {
        const auto& note = notes[index];
        if (isCancelled() || libraryIsGone())
            return false;
        // As UTF-8: an HTML note's bytes go to its file as they come.
        const QByteArray body = note->bodyUTF8();
        if (body.isEmpty()) {
            m_describedAhead = nullptr;
            noteWithoutBody(*note, folder.name());
            continue;
        }
        // Known from the count already; a locked note's would have to be opened.
        NotesNote* next = index + 1 < notes.size() ? notes[index + 1].get() : nullptr;
        m_nextNote = next && !next->passwordProtected() && next->hasBody() ? next : nullptr;
        m_exportNumber = ++m_exportCount;
        const bool exported = exportNote(*note, folderURL, body, note);
        m_exportNumber = 0;
        m_nextNote = nullptr;
        if (!exported)
            return false;
    }
    // Nothing more is made in this folder; its names need not be kept.
    m_uniqueNames.forgetDirectoryAtURL(folderURL);
    return true;
}

void ExportNoteOperation::noteWithoutBody(NotesNote& note, const QString& folderName)
{
    const QString problem = note.bodyProblem();
    std::lock_guard lock(m_mutex);
    if (problem.isEmpty())
        ++m_summary.emptyNoteCount;
    else
        m_summary.notesLeftOut << platform::stringWithFormat(platform::localizedString("“%@” in “%@”: %@"),
                                                             {note.name(), folderName, problem});
}

bool ExportNoteOperation::describeProgress(NotesNote& note)
{
    if (std::exchange(m_describedAhead, nullptr) == &note)
        return true;
    // The walk looked at the cancel flag and the library before this
    // note; what counting the notes carried along sets off is looked at
    // here, so the note is not written after it either.
    const bool carriesCount = m_uncountedNotes != 0;
    NotesNote* noteForName = &note;
    if (!changeProgress([noteForName](platform::Progress& progress) { describe(progress, *noteForName); }, true))
        return false;
    return !carriesCount || !libraryIsGone();
}

void ExportNoteOperation::describe(platform::Progress& progress, NotesNote& note)
{
    // The name is read on the main thread, while the export thread waits.
    progress.setLocalizedDescription(platform::stringWithFormat(platform::localizedString("Exporting “%@”…"), {note.name()}));
}

bool ExportNoteOperation::exportNote(NotesNote& note, const QUrl& folderURL)
{
    return exportNote(note, folderURL, note.bodyUTF8(), nullptr);
}

bool ExportNoteOperation::exportNote(NotesNote& note, const QUrl& folderURL, const QByteArray& body,
                                     const std::shared_ptr<NotesNote>& owner)
{
    if (!describeProgress(note))
        return false;

    bool richText = false;
    bool picturesAsFiles = false;
    for (const auto& attachment : note.attachments()) {
        if (isFileAttachment(*attachment)) {
            richText = true;
        } else if (!attachment->contentID().isEmpty()) {
            // A picture too large for the body: only a package can carry it.
            richText = picturesAsFiles = true;
        } else if (const QString problem = attachment->saveProblem(); !problem.isEmpty()) {
            // Not a file of the package (a picture, a table): named here, as
            // the package path names the files it could not save.
            noteAttachmentLeftOut(note.name(), attachment->name(), problem);
        }
    }

    const QString baseName = exportFileName(note.name(), platform::localizedString("Untitled Note"));
    const QString extension = richText ? QStringLiteral("rtfd") : QStringLiteral("html");
    const QString fileName = m_uniqueNames.makeFilenameUniqueInDirectoryAtURL(
        platform::pathutil::appendingPathExtension(baseName, extension), folderURL);
    // An ".rtfd" document is a package directory, and its URL says so.
    const QUrl fileURL = platform::fileurl::appendingPathComponent(folderURL, fileName, richText);
    return writeNoteWithLinks(note, body, folderURL, fileURL, richText, picturesAsFiles, owner);
}
