#include "export/ExportNoteOperation.h"

#include "export/ExportNames.h"
#include "platform/FileManager.h"
#include "platform/FileURL.h"
#include "platform/LocalizedString.h"
#include "platform/MainThreadHandoff.h"
#include "platform/ProcessorSharing.h"
#include "styles/OTLNoteTextStyle.h"

#include <QCoreApplication>
#include <QScopeGuard>


namespace {

// The progress object belongs to the main thread, so it is deleted there too.
std::shared_ptr<platform::Progress> makeProgress()
{
    return std::shared_ptr<platform::Progress>(new platform::Progress(-1), [](platform::Progress* progress) {
        if (platform::isMainThread() || !QCoreApplication::instance())
            delete progress;
        else
            progress->deleteLater();
    });
}

platform::Error exportError(const QString& description)
{
    return platform::Error(QStringLiteral("ExportNoteOperationErrorDomain"), 1, description);
}

} // namespace

std::shared_ptr<ExportNoteOperation> ExportNoteOperation::exportOperationForApp(std::shared_ptr<NotesApplication> notesApp,
                                                                                const QUrl& destinationFolderURL)
{
    auto operation = std::make_shared<ExportNoteOperation>();
    std::lock_guard lock(operation->m_mutex);
    operation->m_notesApp = std::move(notesApp);
    operation->m_destinationFolderURL = destinationFolderURL;
    return operation;
}

ExportNoteOperation::ExportNoteOperation() : m_progress(makeProgress())
{
    // Made on the main thread, before the operation is queued.
    m_progress->setLocalizedDescription(platform::localizedString("Preparing to export…"));
}

ExportNoteOperation::~ExportNoteOperation() = default;

QString ExportNoteOperation::noteStylesCSSString()
{
    if (!m_noteStylesCSSString)
        m_noteStylesCSSString = OTLNoteTextStyle::CSSDeclarationForStandardStyles();
    return *m_noteStylesCSSString;
}

std::shared_ptr<NotesApplication> ExportNoteOperation::notesApp() const
{
    std::lock_guard lock(m_mutex);
    return m_notesApp;
}

QUrl ExportNoteOperation::destinationFolderURL() const
{
    std::lock_guard lock(m_mutex);
    return m_destinationFolderURL;
}

std::optional<QUrl> ExportNoteOperation::plistURL() const
{
    std::lock_guard lock(m_mutex);
    return m_plistURL;
}

std::optional<platform::Error> ExportNoteOperation::operationError() const
{
    std::lock_guard lock(m_mutex);
    return m_operationError;
}

std::vector<AccountDict> ExportNoteOperation::accountDicts() const
{
    std::lock_guard lock(m_mutex);
    return m_accountDicts;
}

QSet<QString> ExportNoteOperation::nestedFolderIdentifiers() const
{
    std::lock_guard lock(m_mutex);
    return m_nestedFolderIdentifiers;
}

ExportSummary ExportNoteOperation::summary() const
{
    std::lock_guard lock(m_mutex);
    return m_summary;
}

quint64 ExportNoteOperation::totalNoteCount() const
{
    std::lock_guard lock(m_mutex);
    return m_totalNoteCount;
}

QSet<QUrl> ExportNoteOperation::passwordProtectedFileURLs() const
{
    std::lock_guard lock(m_mutex);
    return m_passwordProtectedFileURLs;
}

void ExportNoteOperation::setOperationError(platform::Error error)
{
    std::lock_guard lock(m_mutex);
    m_operationError = std::move(error);
}

void ExportNoteOperation::setPlistURL(const QUrl& url)
{
    std::lock_guard lock(m_mutex);
    m_plistURL = url;
}

bool ExportNoteOperation::changeProgress(const std::function<void(platform::Progress&)>& change, bool unlessCountCancels)
{
    platform::Progress& progress = *m_progress;
    const qint64 written = std::exchange(m_uncountedNotes, 0);
    bool cancelledByCount = false;
    platform::runOnMainThreadAndWait([&] {
        // A step per note, as if each had a hand-off of its own: whoever
        // watches the count sees every value.
        const bool cancelled = isCancelled();
        for (qint64 note = 0; note < written; ++note)
            progress.setCompletedUnitCount(progress.completedUnitCount() + 1);
        cancelledByCount = written != 0 && !cancelled && isCancelled();
        if (!(cancelledByCount && unlessCountCancels))
            change(progress);
    });
    return !cancelledByCount;
}

void ExportNoteOperation::countWrittenNotes()
{
    if (m_uncountedNotes)
        changeProgress([](platform::Progress&) {});
}

void ExportNoteOperation::main()
{
    // Each note is one or two synchronous trips to the main thread.
    const platform::ShareProcessorWithMainThread sharing;
    // Staged attachments go when the export ends, however it ends; the
    // operation itself may live on until the program exits.
    const auto removeStaging = qScopeGuard([this] {
        std::lock_guard lock(m_mutex);
        m_stagingDirectory.reset();
    });
    // Every note written is counted, however the export ends; declared
    // first, so it also counts the notes the guard below writes.
    const auto countWritten = qScopeGuard([this] { countWrittenNotes(); });
    // Notes read before the export stopped, however it stopped, are written.
    const auto writePending = qScopeGuard([this] { flushPendingNotes(); });
    if (!getAccounts())
        return;
    if (const auto app = notesApp()) {
        const QStringList remarks = app->summaryRemarks();
        std::lock_guard lock(m_mutex);
        m_summary.libraryRemarks = remarks;
    }
    const auto total = qint64(totalNoteCount());
    changeProgress([total](platform::Progress& progress) { progress.setTotalUnitCount(total); });

    const QUrl destination = destinationFolderURL();
    for (const AccountDict& accountDict : accountDicts()) {
        if (isCancelled() || libraryIsGone())
            return;
        const auto account = accountWithIdentifier(accountDict.identifier);
        if (!account) {
            // Gone from Notes since the outline was made: stop rather than
            // hand over an import that silently lacks a whole account.
            setOperationError(exportError(platform::stringWithFormat(
                platform::localizedString("The account “%@” could not be found in Notes any more."), {accountDict.name})));
            return;
        }
        const QString folderName = m_uniqueNames.makeFilenameUniqueInDirectoryAtURL(
            exportFileName(account->name(), platform::localizedString("Untitled Account")), destination);
        const QUrl accountFolderURL = platform::fileurl::appendingPathComponent(destination, folderName, true);
        if (!makeFolder(accountFolderURL))
            return;
        for (const FolderDict& folderDict : accountDict.folders) {
            if (isCancelled() || libraryIsGone())
                return;
            const auto folder = folderWithIdentifier(folderDict.identifier, *account);
            if (!folder) {
                setOperationError(exportError(platform::stringWithFormat(
                    platform::localizedString("The folder “%@” could not be found in Notes any more."), {folderDict.name})));
                return;
            }
            if (!exportFolder(*folder, accountFolderURL))
                return;
        }
        m_uniqueNames.forgetDirectoryAtURL(accountFolderURL);
    }
    if (!writeWaitingNotes() || !flushPendingNotes())
        return;
    // The last note may have been read from a library that was already
    // going, or its count may set off a move.
    countWrittenNotes();
    if (libraryIsGone())
        return;
    createImportDict();
}

bool ExportNoteOperation::libraryIsGone()
{
    const auto app = notesApp();
    platform::Error error;
    if (!app || app->isReachable(&error))
        return false;
    setOperationError(error);
    return true;
}

platform::Error ExportNoteOperation::tooDeepError(const QString& folderName)
{
    return exportError(platform::stringWithFormat(
        platform::localizedString("The folder “%@” lies more than %@ folders deep; this program exports no deeper."),
        {folderName, QString::number(kMaxFolderDepth)}));
}

QString ExportNoteOperation::manifestFileName(const QUrl& destinationFolderURL)
{
    // A destination whose own name is near the limit still gets a manifest.
    return platform::pathutil::fittingName(platform::pathutil::appendingPathExtension(
        platform::fileurl::lastPathComponent(destinationFolderURL), QStringLiteral("plist")));
}
