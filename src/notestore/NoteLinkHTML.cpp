#include "notestore/NoteAttachments.h"
#include "platform/LocalizedString.h"

#include "export/NoteLinks.h"
#include "notestore/HtmlWriter.h"
#include "notestore/NoteLinkTargets.h"

namespace notestore {

// A link to another note shows what the note shows, else the target's
// title; the export points it at the target's file, or leaves the text
// alone when the target is not exported.
QString NoteAttachmentRenderer::noteLinkHTML(const InlineAttachmentRow& row, Visit& visit)
{
    const QString target = linkedNoteIdentifier(row.tokenContentIdentifier);
    QString text = row.altText;
    if (text.isEmpty() && !target.isEmpty() && m_noteTitle)
        text = m_noteTitle(target);
    if (text.isEmpty()) {
        visit.problem = platform::localizedString("its target note is not in the database");
        return {};
    }
    if (target.isEmpty())
        return text.toHtmlEscaped();
    return QStringLiteral("<a") + attribute("href", noteLinkURL(target)) + u'>' + text.toHtmlEscaped()
         + QStringLiteral("</a>");
}

} // namespace notestore
