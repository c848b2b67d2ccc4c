#pragma once

#include "export/ExportSummary.h"
#include "export/NoteLinks.h"
#include "export/NotesScripting.h"
#include "platform/Error.h"
#include "platform/FileWrapper.h"
#include "platform/Operation.h"
#include "platform/Progress.h"
#include "platform/SerialQueue.h"
#include "platform/TextAttributes.h"
#include "text/FileNames.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <QDateTime>
#include <QVariantMap>
#include <QString>
#include <QUrl>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// The library outline: each folder once, under its parent.
struct FolderDict {
    QString name;
    QString identifier;
    std::vector<FolderDict> folders;
    quint64 totalItemCount = 0; // notes with a non-empty body here and below
};

struct AccountDict {
    QString name;
    QString identifier;
    std::vector<FolderDict> folders; // top-level folders only
};

// One import: walks the Notes library on a worker thread, writes one folder
// per account into the destination folder with every Notes folder and note
// beneath it, and ends with the import manifest. The outcome is left in
// plistURL() (success) or operationError() (failure); a cancelled export
// leaves both empty unless an error came first.
class ExportNoteOperation final : public platform::Operation {
public:
    static std::shared_ptr<ExportNoteOperation> exportOperationForApp(std::shared_ptr<NotesApplication> notesApp,
                                                                      const QUrl& destinationFolderURL);
    ExportNoteOperation();
    ~ExportNoteOperation() override;

    std::shared_ptr<NotesApplication> notesApp() const;
    QUrl destinationFolderURL() const;
    std::shared_ptr<platform::Progress> progress() const { return m_progress; }
    std::optional<QUrl> plistURL() const;
    std::optional<platform::Error> operationError() const;

    std::vector<AccountDict> accountDicts() const;
    QSet<QString> nestedFolderIdentifiers() const;
    quint64 totalNoteCount() const;
    QSet<QUrl> passwordProtectedFileURLs() const;
    // What has been written so far; complete once the export has ended.
    ExportSummary summary() const;

    // Library enumeration.
    bool getAccounts();
    FolderDict getFolderInfo(NotesFolder& folder);
    std::shared_ptr<NotesAccount> accountWithIdentifier(const QString& identifier);
    std::shared_ptr<NotesFolder> folderWithIdentifier(const QString& identifier, NotesAccount& account);

    // Folder and note export.
    bool exportFolder(NotesFolder& folder, const QUrl& parentFolderURL);
    bool exportNote(NotesNote& note, const QUrl& folderURL);

    // Rich-text documents, for notes with a file attachment.
    bool createRichTextFileForNote(NotesNote& note, const QUrl& fileURL, platform::Error* error);
    // The page template filled with the style sheet and `fragment`, as
    // UTF-8; nothing when the template cannot be read.
    std::optional<QByteArray> completeHTMLForHTMLFragment(const QString& fragment);
    // The template; the bundle's "NoteHTMLTemplate.html" unless set.
    QUrl pageTemplateURL() const;
    void setPageTemplateURL(const QUrl& url);
    // This export's own folder for staging attachment files; empty until
    // the first one is staged. Removed with the operation.
    QUrl attachmentStagingDirectoryURL() const;

    // Import manifest.
    bool createImportDict();

    // The style sheet for rich-text pages: made from the note text styles on
    // first use and kept for the rest of the export, so every page of one
    // export looks the same. Export thread only.
    QString noteStylesCSSString();

    // The manifest's file name for a destination folder: its own name plus ".plist".
    static QString manifestFileName(const QUrl& destinationFolderURL);

protected:
    void main() override;

private:
    // Runs `change` on the main thread and waits for it, after counting the
    // notes written since the last change one by one. False, with `change`
    // left out when `unlessCountCancels`, when that count cancelled the export.
    bool changeProgress(const std::function<void(platform::Progress&)>& change, bool unlessCountCancels = false);
    // Counts the notes written since the last change now.
    void countWrittenNotes();
    void setOperationError(platform::Error error);
    void setPlistURL(const QUrl& url);
    // True, with operationError() set, once Notes can no longer be reached;
    // asked wherever the cancel flag is.
    bool libraryIsGone();
    // The same, with the body the caller has already read from Notes.
    // Given its `owner`, a note that links to notes not yet named waits
    // for the end of the export; without, such links become text.
    bool exportNote(NotesNote& note, const QUrl& folderURL, const QByteArray& body,
                    const std::shared_ptr<NotesNote>& owner);
    // Names the note in the progress before it is written; false when the
    // export was cancelled by then (a count carried along may have done it).
    bool describeProgress(NotesNote& note);
    // The description "Exporting “name”…" for `note`; main thread only.
    static void describe(platform::Progress& progress, NotesNote& note);
    // Counts or names a note whose body came back empty.
    void noteWithoutBody(NotesNote& note, const QString& folderName);
    // Writes `body` (links already resolved) as the note's file at `fileURL`;
    // `picturesAsFiles` says its pictures were too large for its body.
    // The note is read from Notes now and written, in turn, at the next
    // flush (see PendingNotes.cpp); false once the export has to stop.
    bool writeNoteFile(NotesNote& note, const QByteArray& body, const QUrl& fileURL, bool richText,
                       bool picturesAsFiles);
    // Writes every note read but not yet written, in the order they were
    // read. False, with operationError() set unless one was already, when
    // one cannot be written; the rest are then left out.
    bool flushPendingNotes();
    // Makes the export's folder at `folderURL` in turn with the notes
    // waiting to be written; false once the export has to stop.
    bool makeFolder(const QUrl& folderURL);
    // Links between notes: the note's file is named, then written now or,
    // when a note it links to has no name yet, once all others are.
    bool writeNoteWithLinks(NotesNote& note, const QByteArray& body, const QUrl& folderURL, const QUrl& fileURL,
                            bool richText, bool picturesAsFiles, const std::shared_ptr<NotesNote>& owner);
    bool writeWaitingNotes();
    // Names an attachment that did not make it into the note in the summary.
    void noteAttachmentLeftOut(const QString& noteName, const QString& attachmentName, const QString& reason);
    bool createRichTextFileForNote(NotesNote& note, const QByteArray& body, const QUrl& fileURL, platform::Error* error);
    // A rich-text note in three steps: its page and staged attachments are
    // made on the export thread (requests to Notes, files in the staging
    // folder), converted anywhere (no side effects), then written.
    struct RichTextJob {
        QByteArray page;
        QHash<QString, platform::TextAttachmentRef> pictures; // by content ID
        std::vector<platform::TextAttachmentRef> files;       // go after the text
        std::vector<QUrl> stagingSlots;                       // removed once written
        qint64 stagedBytes = 0;                               // of the attachments staged for it
    };
    struct RichTextDocument {
        std::optional<platform::FileWrapper> package;
        platform::Error error;
        bool flattened = false; // nested too deeply for styled text
    };
    std::unique_ptr<RichTextJob> prepareRichText(NotesNote& note, const QByteArray& body, platform::Error* error);
    static RichTextDocument convertRichText(const RichTextJob& job);
    bool writeRichText(RichTextJob& job, RichTextDocument document, const QString& noteName, const QUrl& fileURL,
                       platform::Error* error);
    void removeStagedFiles(RichTextJob& job);
    // completeHTMLForHTMLFragment() with the fragment as UTF-8, spared a
    // round trip through UTF-16.
    std::optional<QByteArray> completeHTMLForHTMLFragmentUTF8(const QByteArray& fragment);
    // Manifest nodes are built straight into the property-list library's
    // tree, so a large export is not held a second time as QVariants.
    struct ManifestNodeDeleter {
        void operator()(void* node) const;
    };
    using ManifestNode = std::unique_ptr<void, ManifestNodeDeleter>;
    ManifestNode folderDictFromURL(const QUrl& folderURL, int depth);
    FolderDict getFolderInfo(NotesFolder& folder, int depth);
    bool exportFolder(NotesFolder& folder, const QUrl& parentFolderURL, int depth);
    static platform::Error tooDeepError(const QString& folderName);
    ManifestNode itemDictFromURL(const QUrl& fileURL) const;

    mutable std::mutex m_mutex; // guards everything below that the main thread may read
    std::shared_ptr<NotesApplication> m_notesApp;
    QUrl m_destinationFolderURL;
    const std::shared_ptr<platform::Progress> m_progress;
    std::vector<AccountDict> m_accountDicts;
    QSet<QString> m_nestedFolderIdentifiers;
    quint64 m_totalNoteCount = 0;
    QSet<QUrl> m_passwordProtectedFileURLs;
    // The same as paths, as the manifest looks them up: a package's URL
    // ends with "/", its listed entry may not.
    QSet<QString> m_passwordProtectedFilePaths;
    std::optional<QUrl> m_plistURL;
    std::optional<platform::Error> m_operationError;
    ExportSummary m_summary;
    std::optional<QString> m_noteStylesCSSString; // export thread only, so unguarded
    std::optional<QUrl> m_pageTemplateURL;
    std::unique_ptr<QTemporaryDir> m_stagingDirectory;

    // Export thread only.
    fw::UniqueFileNames m_uniqueNames;
    // Every directory made for a Notes folder, by path: whatever its name,
    // it is a folder of the manifest, never an item.
    QSet<QString> m_exportedFolderPaths;
    NoteLinkTable m_noteLinks;
    struct WaitingNote {
        std::shared_ptr<NotesNote> note;
        QUrl folderURL;
        QUrl fileURL;
        bool richText = false;
        bool picturesAsFiles = false;
    };
    std::vector<WaitingNote> m_waitingNotes;
    // Notes read from Notes and waiting to be written; see PendingNotes.cpp.
    struct PendingNote {
        QUrl fileURL;
        QString name;
        std::optional<QDateTime> creationDate;
        std::optional<QDateTime> modificationDate;
        bool passwordProtected = false;
        bool picturesAsFiles = false;
        QByteArray html;                          // an HTML note
        std::unique_ptr<RichTextJob> richTextJob; // a rich-text note, converted ahead by m_richTextQueue
        std::future<RichTextDocument> document;
        qint64 bytes = 0; // held in memory, or staged on disk, while it waits
        bool folder = false; // not a note: the folder at fileURL is made
        quint64 exportNumber = 0; // the exportNote() call that read it; 0 for a waiting note
    };
    std::deque<PendingNote> m_pendingNotes;
    qint64 m_pendingBytes = 0;
    size_t m_pendingRichTextNotes = 0; // of m_pendingNotes, kept here as the queue may be long
    int m_stagingSlotCount = 0; // names each staged attachment's folder
    // A note written while exportFolder() still exports it is counted in the
    // same trip to the main thread that describes the folder's next note,
    // when that one has a body: the walk's one trip per note instead of two.
    quint64 m_exportCount = 0;
    quint64 m_exportNumber = 0;            // of the note exportFolder() is exporting, 0 between notes
    NotesNote* m_nextNote = nullptr;       // the note it exports next, to describe
    NotesNote* m_describedAhead = nullptr; // so described; taken by its describeProgress() or its skip
    qint64 m_uncountedNotes = 0;           // written during the walk, counted by the next hand-off
    bool writePendingNotes(bool all);
    bool writePendingNote(PendingNote& pending);
    // Last, so that it finishes its work before anything it uses goes.
    platform::SerialQueue m_richTextQueue;
};
