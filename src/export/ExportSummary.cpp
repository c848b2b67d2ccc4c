#include "export/ExportSummary.h"
#include "export/NotesScripting.h"
#include "platform/HTMLImport.h"

#include "platform/LocalizedString.h"

using platform::stringWithFormat;

namespace {

// Names and reasons come from the library and may hold line breaks or
// other controls; each item stays one line of the summary.
QString oneLine(QString item)
{
    for (QChar& c : item) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029)
            c = u' ';
    }
    return item;
}

} // namespace

QStringList ExportSummary::lines() const
{
    const auto number = [](quint64 n) { return QString::number(n); };
    QStringList lines{stringWithFormat(platform::localizedString("Notes written: %@ (%@ as “.html”, %@ as “.rtfd”)."),
                                       {number(htmlNoteCount + richTextNoteCount), number(htmlNoteCount),
                                        number(richTextNoteCount)})};
    for (const QString& remark : libraryRemarks)
        lines << oneLine(remark);
    if (emptyNoteCount > 0)
        lines << stringWithFormat(platform::localizedString("Notes skipped for an empty body: %@."), {number(emptyNoteCount)});
    if (!notesLeftOut.isEmpty()) {
        lines << stringWithFormat(platform::localizedString("Notes that could not be exported and were left out: %@."),
                                  {number(quint64(notesLeftOut.size()))});
        for (const QString& item : notesLeftOut)
            lines << QStringLiteral("  ") + oneLine(item);
    }
    if (!notesAsPlainText.isEmpty()) {
        lines << stringWithFormat(platform::localizedString("Notes written as plain text, their HTML nested more than %@ levels deep: %@."),
                                  {number(quint64(platform::kMaxHTMLNesting)), number(quint64(notesAsPlainText.size()))});
        for (const QString& item : notesAsPlainText)
            lines << QStringLiteral("  ") + oneLine(item);
    }
    if (!notesWithPicturesAsFiles.isEmpty()) {
        lines << stringWithFormat(platform::localizedString("Notes written as “.rtfd” with their pictures as files, the pictures "
                                                  "being more than %@ MB in all: %@."),
                                  {number(quint64(kMaxPictureBytesInBody >> 20)),
                                   number(quint64(notesWithPicturesAsFiles.size()))});
        for (const QString& item : notesWithPicturesAsFiles)
            lines << QStringLiteral("  ") + oneLine(item);
    }
    if (!attachmentsLeftOut.isEmpty()) {
        lines << stringWithFormat(platform::localizedString("Attachments that could not be saved and were left out: %@."),
                                  {number(quint64(attachmentsLeftOut.size()))});
        for (const QString& item : attachmentsLeftOut)
            lines << QStringLiteral("  ") + oneLine(item);
    }
    return lines;
}
