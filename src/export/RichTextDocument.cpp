#include "export/ExportNoteOperation.h"

#include "platform/FileManager.h"
#include "platform/FileURL.h"

#include <QRegularExpression>

// INTERIM: until styled documents are built from the page template, an
// ".rtfd" package holds the note's text as plain rich text, with no
// attachment files. It is written, never dropped, so the note is not lost.
namespace {

QString plainTextFromHTML(const QString& html)
{
    static const QRegularExpression breaks(QStringLiteral("<(br|/p|/div|/h[1-6]|/li)\\b[^>]*>"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    QString text = html;
    text.replace(breaks, QStringLiteral("\n"));
    text.remove(tags);
    text.replace(QLatin1String("&nbsp;"), QLatin1String(" "));
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

QByteArray plainRTF(const QString& text)
{
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\uc0\\deff0{\\fonttbl{\\f0\\fswiss Helvetica;}}\\f0\\fs24 ";
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            rtf += '\\';
            rtf += char(u);
        } else if (u == '\n') {
            rtf += "\\par\n";
        } else if (u >= 0x20 && u < 0x80) {
            rtf += char(u);
        } else if (u >= 0x80) {
            rtf += "\\u" + QByteArray::number(qint16(u)) + ' ';
        }
    }
    rtf += "}";
    return rtf;
}

} // namespace

bool ExportNoteOperation::createRichTextFileForNote(NotesNote& note, const QUrl& fileURL, platform::Error* error)
{
    return createRichTextFileForNote(note, note.body(), fileURL, error);
}

bool ExportNoteOperation::createRichTextFileForNote(NotesNote&, const QString& body, const QUrl& fileURL,
                                                    platform::Error* error)
{
    auto* fileManager = platform::FileManager::defaultManager();
    if (!fileManager->createDirectory(fileURL, false, error))
        return false;
    return fileManager->writeData(plainRTF(plainTextFromHTML(body)),
                                  platform::fileurl::appendingPathComponent(fileURL, QStringLiteral("TXT.rtf")), error);
}
