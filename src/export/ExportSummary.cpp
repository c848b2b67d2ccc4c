#include "export/ExportSummary.h"
#include "platform/HTMLImport.h"

#include "platform/LocalizedString.h"

using platform::stringWithFormat;

QStringList ExportSummary::lines() const
{
    const auto number = [](quint64 n) { return QString::number(n); };
    QStringList lines{stringWithFormat(platform::localizedString("Notes written: %@ (%@ as “.html”, %@ as “.rtfd”)."),
                                       {number(htmlNoteCount + richTextNoteCount), number(htmlNoteCount),
                                        number(richTextNoteCount)})};
    if (emptyNoteCount > 0)
        lines << stringWithFormat(platform::localizedString("Notes skipped for an empty body: %@."), {number(emptyNoteCount)});
    if (!notesLeftOut.isEmpty()) {
        lines << stringWithFormat(platform::localizedString("Notes that could not be exported and were left out: %@."),
                                  {number(quint64(notesLeftOut.size()))});
        for (const QString& item : notesLeftOut)
            lines << QStringLiteral("  ") + item;
    }
    if (!notesAsPlainText.isEmpty()) {
        lines << stringWithFormat(platform::localizedString("Notes written as plain text, their HTML nested more than %@ levels deep: %@."),
                                  {number(quint64(platform::kMaxHTMLNesting)), number(quint64(notesAsPlainText.size()))});
        for (const QString& item : notesAsPlainText)
            lines << QStringLiteral("  ") + item;
    }
    if (!attachmentsLeftOut.isEmpty()) {
        lines << stringWithFormat(platform::localizedString("Attachments that could not be saved and were left out: %@."),
                                  {number(quint64(attachmentsLeftOut.size()))});
        for (const QString& item : attachmentsLeftOut)
            lines << QStringLiteral("  ") + item;
    }
    return lines;
}
