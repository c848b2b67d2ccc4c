#include "export/NoteLinks.h"

#include "platform/FileURL.h"

#include <QDir>
#include <QStringList>

namespace {

// Ids travel percent-encoded, so the address holds no quote, blank or "&"
// whatever a source's ids look like.
const QString kScheme = kNoteLinkScheme + u':';
const QString kStartTag = QStringLiteral("<a href=\"") + kScheme;
const QString kEndTag = QStringLiteral("</a>");

} // namespace

QString noteLinkURL(const QString& noteID)
{
    return kScheme + QString::fromLatin1(QUrl::toPercentEncoding(noteID));
}

QString relativeFileLink(const QString& fromFolderPath, const QString& toPath)
{
    const QString relative = QDir(QDir::cleanPath(fromFolderPath)).relativeFilePath(QDir::cleanPath(toPath));
    QStringList steps;
    for (const QString& step : relative.split(u'/', Qt::SkipEmptyParts))
        steps << QString::fromLatin1(QUrl::toPercentEncoding(step));
    return steps.join(u'/');
}

void NoteLinkTable::setFileOfNote(const QString& noteID, const QUrl& fileURL)
{
    if (!noteID.isEmpty())
        m_paths.insert(noteID, platform::fileurl::path(fileURL));
}

void NoteLinkTable::forgetNote(const QString& noteID)
{
    m_paths.remove(noteID);
}

bool NoteLinkTable::holdsNoteLinks(const QString& body)
{
    return body.contains(kStartTag);
}

std::optional<QString> NoteLinkTable::resolved(const QString& body, const QUrl& folderURL, bool complete) const
{
    const QString folderPath = platform::fileurl::path(folderURL);
    QString out;
    qsizetype copied = 0;
    qsizetype dropEndTagFrom = -1; // a link left as text loses its end tag too
    for (qsizetype at = body.indexOf(kStartTag); at >= 0; at = body.indexOf(kStartTag, at)) {
        const qsizetype idStart = at + kStartTag.size();
        const qsizetype quote = body.indexOf(u'"', idStart);
        if (quote < 0 || quote + 1 >= body.size() || body[quote + 1] != u'>') {
            at = idStart; // not a start tag of ours: left as it is
            continue;
        }
        const QString id = QUrl::fromPercentEncoding(QStringView(body).sliced(idStart, quote - idStart).toLatin1());
        const auto path = m_paths.constFind(id);
        if (path == m_paths.constEnd() && !complete)
            return std::nullopt;
        if (dropEndTagFrom >= 0) {
            // The earlier link's text ends before this link starts.
            const qsizetype end = body.indexOf(kEndTag, dropEndTagFrom, Qt::CaseInsensitive);
            if (end >= 0 && end < at) {
                out += QStringView(body).sliced(copied, end - copied);
                copied = end + kEndTag.size();
            }
            dropEndTagFrom = -1;
        }
        out += QStringView(body).sliced(copied, at - copied);
        if (path != m_paths.constEnd()) {
            out += QStringLiteral("<a href=\"") + relativeFileLink(folderPath, *path) + QStringLiteral("\">");
        } else {
            dropEndTagFrom = quote + 2;
        }
        at = copied = quote + 2;
    }
    if (dropEndTagFrom >= 0) {
        const qsizetype end = body.indexOf(kEndTag, dropEndTagFrom, Qt::CaseInsensitive);
        if (end >= 0) {
            out += QStringView(body).sliced(copied, end - copied);
            copied = end + kEndTag.size();
        }
    }
    out += QStringView(body).sliced(copied);
    return out;
}
