#include "export/EmbeddedPictures.h"
#include "export/ExportNames.h"
#include "export/ExportNoteOperation.h"
#include "export/ExportStaging.h"
#include "export/FileAttachments.h"
#include "platform/AttributedString.h"
#include "platform/FileDates.h"
#include "platform/FileManager.h"
#include "platform/FileURL.h"
#include "platform/HTMLImport.h"
#include "platform/LocalizedString.h"
#include "platform/Log.h"
#include "platform/RTFDWriter.h"
#include "platform/Resources.h"

#include <QDir>
#include <QHash>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

namespace {

const QByteArray kCSSPlaceholder = QByteArrayLiteral("/* HTML FRAGMENT CSS PLACEHOLDER */");
const QByteArray kBodyPlaceholder = QByteArrayLiteral("<!-- HTML FRAGMENT BODY PLACEHOLDER -->");

platform::Error richTextError(const QString& description)
{
    return platform::Error(QStringLiteral("ExportNoteOperationErrorDomain"), 2, description);
}

// Whether the UTF-8 body holds "base64," in any case, as a search of its
// characters would find it: case folding also makes "s" of "ſ" (U+017F).
// Searched in the bytes, as most bodies hold no picture of their own.
bool mayEmbedPictures(const QByteArray& body)
{
    const auto foldsTo = [](QByteArrayView bytes, const char* ascii) {
        return bytes.size() == qsizetype(std::strlen(ascii)) && qstrnicmp(bytes.data(), ascii, size_t(bytes.size())) == 0;
    };
    for (qsizetype i = body.indexOf("64,"); i >= 0; i = body.indexOf("64,", i + 3)) {
        const QByteArrayView before = QByteArrayView(body).first(i);
        if ((before.size() >= 4 && foldsTo(before.last(4), "base")) ||
            (before.size() >= 5 && foldsTo(before.last(5).first(2), "ba") && before.last(3).startsWith("\xC5\xBF") &&
             foldsTo(before.last(1), "e")))
            return true;
    }
    return false;
}

} // namespace

QUrl ExportNoteOperation::pageTemplateURL() const
{
    {
        std::lock_guard lock(m_mutex);
        if (m_pageTemplateURL)
            return *m_pageTemplateURL;
    }
    return platform::urlForResource(QStringLiteral("NoteHTMLTemplate"), QStringLiteral("html"));
}

void ExportNoteOperation::setPageTemplateURL(const QUrl& url)
{
    std::lock_guard lock(m_mutex);
    m_pageTemplateURL = url;
}

QUrl ExportNoteOperation::attachmentStagingDirectoryURL() const
{
    std::lock_guard lock(m_mutex);
    return m_stagingDirectory ? platform::fileurl::fromPath(m_stagingDirectory->path(), true) : QUrl();
}

std::optional<QByteArray> ExportNoteOperation::completeHTMLForHTMLFragment(const QString& fragment)
{
    return completeHTMLForHTMLFragmentUTF8(fragment.toUtf8());
}

std::optional<QByteArray> ExportNoteOperation::completeHTMLForHTMLFragmentUTF8(const QByteArray& fragment)
{
    // Read afresh for every note, so the template is never stale.
    const QUrl url = pageTemplateURL();
    QFile file(url.isEmpty() ? QString() : platform::fileurl::path(url));
    if (url.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        platform::logLine(platform::stringWithFormat(QStringLiteral("Couldn't get HTML Fragment template: %@"),
                                                     {url.isEmpty() ? QStringLiteral("NoteHTMLTemplate.html")
                                                                    : platform::fileurl::path(url)}));
        return std::nullopt;
    }
    // The template is ours and valid UTF-8, and the markers are ASCII, so
    // replacing bytes finds what replacing characters would.
    QByteArray page = file.readAll();
    // The style sheet goes in first, so a marker inside the note's own text
    // is left as the note has it.
    page.replace(kCSSPlaceholder, noteStylesCSSString().toUtf8());
    page.replace(kBodyPlaceholder, fragment);
    return page;
}

bool ExportNoteOperation::createRichTextFileForNote(NotesNote& note, const QUrl& fileURL, platform::Error* error)
{
    return createRichTextFileForNote(note, note.bodyUTF8(), fileURL, error);
}

bool ExportNoteOperation::createRichTextFileForNote(NotesNote& note, const QByteArray& body, const QUrl& fileURL,
                                                    platform::Error* error)
{
    const std::unique_ptr<RichTextJob> job = prepareRichText(note, body, error);
    return job && writeRichText(*job, convertRichText(*job), note.name(), fileURL, error);
}

std::unique_ptr<ExportNoteOperation::RichTextJob> ExportNoteOperation::prepareRichText(NotesNote& note,
                                                                                      const QByteArray& body,
                                                                                      platform::Error* error)
{
    auto* fileManager = platform::FileManager::defaultManager();
    auto job = std::make_unique<RichTextJob>();
    const auto fail = [&] {
        removeStagedFiles(*job);
        return nullptr;
    };
    // Each staged file has a folder of its own, numbered across the export
    // as several notes' files may be staged at once, so two attachments of
    // one name never share a file; a note's go once its package is written.
    const auto newSlot = [&]() -> std::optional<QUrl> {
        if (!m_stagingDirectory) {
            // A folder of this export's own: no other program's files of the
            // same names are touched, and it goes with the operation.
            auto directory = std::make_unique<QTemporaryDir>(exportStagingTemplate());
            if (!directory->isValid()) {
                platform::setError(error, platform::Error::fromErrno(EACCES, platform::localizedString("Couldn't create a folder for attachments")));
                return std::nullopt;
            }
            std::lock_guard lock(m_mutex);
            m_stagingDirectory = std::move(directory);
        }
        const QUrl slot = platform::fileurl::appendingPathComponent(
            platform::fileurl::fromPath(m_stagingDirectory->path(), true), QString::number(m_stagingSlotCount++), true);
        if (fileManager->isReachable(slot))
            fileManager->removeItem(slot, nullptr);
        if (!fileManager->createDirectory(slot, false, error))
            return std::nullopt;
        job->stagingSlots.push_back(slot);
        return slot;
    };
    bool failed = false;
    // The attachment saved into a staging folder of its own, as a text
    // attachment that the package copies when it is written (never read
    // here); null when it could not be saved (then named in the summary).
    const auto stage = [&](NotesAttachment& attachment) -> std::shared_ptr<platform::TextAttachment> {
        const QString name = attachment.name();
        const std::optional<QUrl> slot = newSlot();
        if (!slot) {
            failed = true;
            return nullptr;
        }
        // Notes names may hold "/" or "..": the staged file is always one
        // name inside its folder.
        const QString stagedName = exportFileName(name, platform::localizedString("Attachment"));
        const QUrl stagingURL = platform::fileurl::appendingPathComponent(*slot, stagedName);
        attachment.saveIn(stagingURL, kNotesSaveFormatItem);
        if (!fileManager->isReachable(stagingURL)) {
            noteAttachmentLeftOut(note.name(), name, attachment.saveProblem());
            return nullptr;
        }
        platform::filedates::setDates(stagingURL, attachment.creationDate(), attachment.modificationDate(), nullptr);
        const QString stagedPath = platform::fileurl::path(stagingURL);
        job->stagedBytes += std::max<qint64>(0, QFileInfo(stagedPath).size());
        auto textAttachment = std::make_shared<platform::TextAttachment>();
        textAttachment->fileName = stagedName;
        textAttachment->contentsFilePath = stagedPath;
        return textAttachment;
    };

    // The body's own pictures become files first, so the page stays small.
    // The body is UTF-8 as body() would have it encoded, so without pictures
    // it goes into the page as it is.
    std::optional<QByteArray> page;
    if (mayEmbedPictures(body)) {
        QString fragment = QString::fromUtf8(body);
        const std::optional<QUrl> slot = newSlot();
        QString reason;
        if (!slot || !takeOutEmbeddedPictures(fragment, platform::fileurl::path(*slot), job->pictures, &reason)) {
            if (slot)
                platform::setError(error, richTextError(reason));
            return fail();
        }
        page = completeHTMLForHTMLFragment(fragment);
    } else {
        page = completeHTMLForHTMLFragmentUTF8(body);
    }
    if (!page) {
        platform::setError(error, richTextError(platform::stringWithFormat(
                                      platform::localizedString("The note “%@” could not be exported: the page template "
                                                      "“NoteHTMLTemplate.html” is missing."),
                                      {note.name()})));
        return fail();
    }
    job->page = std::move(*page);

    // Pictures too large for the body are shown by content ID: each is
    // staged once and stands, as a file, wherever the body shows it.
    const auto attachments = note.attachments();
    for (const auto& attachment : attachments) {
        const QString contentID = attachment->contentID();
        if (contentID.isEmpty() || job->pictures.contains(contentID))
            continue;
        const auto staged = stage(*attachment);
        if (failed)
            return fail();
        if (staged)
            job->pictures.insert(contentID, staged);
    }
    for (const auto& attachment : attachments) {
        if (!isFileAttachment(*attachment))
            continue;
        const auto staged = stage(*attachment);
        if (failed)
            return fail();
        if (staged)
            job->files.push_back(staged);
    }
    return job;
}

ExportNoteOperation::RichTextDocument ExportNoteOperation::convertRichText(const RichTextJob& job)
{
    RichTextDocument result;
    const auto pictureSource = [&job](const QString& source) -> platform::TextAttachmentRef {
        static const QString scheme = QStringLiteral("cid:");
        return source.startsWith(scheme) ? job.pictures.value(source.mid(scheme.size())) : nullptr;
    };
    std::optional<platform::AttributedString> document =
        platform::attributedStringFromHTML(job.page, &result.error, pictureSource, &result.flattened);
    if (!document)
        return result;
    for (const auto& file : job.files) {
        document->appendString(QStringLiteral("\n"));
        document->append(platform::AttributedString::withAttachment(file));
    }
    result.package = platform::rtfdFileWrapper(*document, &result.error);
    return result;
}

bool ExportNoteOperation::writeRichText(RichTextJob& job, RichTextDocument document, const QString& noteName,
                                        const QUrl& fileURL, platform::Error* error)
{
    if (document.flattened) {
        std::lock_guard lock(m_mutex);
        m_summary.notesAsPlainText << noteName;
    }
    bool written = false;
    if (!document.package)
        platform::setError(error, document.error);
    else
        written = document.package->writeToURL(fileURL, true, error);
    removeStagedFiles(job);
    return written;
}

void ExportNoteOperation::removeStagedFiles(RichTextJob& job)
{
    auto* fileManager = platform::FileManager::defaultManager();
    // The files staged are known, so each folder is usually empty by the
    // time it goes and need not be listed. Only a file directly inside one
    // of the job's own folders is ever removed.
    QStringList folders;
    for (const QUrl& slot : job.stagingSlots)
        folders << platform::fileurl::path(slot) + u'/';
    const auto removeFile = [&](const platform::TextAttachmentRef& file) {
        if (!file)
            return;
        const QString& path = file->contentsFilePath;
        const bool staged = std::any_of(folders.begin(), folders.end(), [&](const QString& folder) {
            return path.startsWith(folder) && !QStringView(path).mid(folder.size()).contains(u'/');
        });
        if (staged)
            fileManager->removeItem(platform::fileurl::fromPath(path, false), nullptr);
    };
    for (const auto& file : std::exchange(job.files, {}))
        removeFile(file);
    for (const auto& picture : std::exchange(job.pictures, {}))
        removeFile(picture);
    for (const QUrl& slot : std::exchange(job.stagingSlots, {}))
        fileManager->removeItem(slot, nullptr);
}

void ExportNoteOperation::noteAttachmentLeftOut(const QString& noteName, const QString& attachmentName,
                                                const QString& reason)
{
    platform::logLine(platform::stringWithFormat(
        QStringLiteral("Attachment %@ of note %@ could not be saved and was left out"), {attachmentName, noteName}));
    QString item = noteName + QStringLiteral(": ") + attachmentName;
    if (!reason.isEmpty())
        item += QStringLiteral(" (") + reason + u')';
    std::lock_guard lock(m_mutex);
    m_summary.attachmentsLeftOut.append(item);
}
