#include "export/NoteLinks.h"

#include "platform/FileURL.h"

#include <QDir>
#include <QStringList>
#include <string.h>

namespace {

// Ids travel percent-encoded, so the address holds no quote, blank or "&"
// whatever a source's ids look like.
const QString kScheme = kNoteLinkScheme + u':';
const QString kStartTag = QStringLiteral("<a href=\"") + kScheme;
const QString kEndTag = QStringLiteral("</a>");

// What a percent-encoded id is made of.
bool isEncodedIDCharacter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'%' || c == u'-'
        || c == u'.' || c == u'_' || c == u'~';
}

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

bool NoteLinkTable::holdsNoteLinks(const QByteArray& body)
{
    static const QByteArray startTag = kStartTag.toLatin1();
    // Asked of every note's body: the C library's search is several times Qt's.
    return memmem(body.constData(), size_t(body.size()), startTag.constData(), size_t(startTag.size())) != nullptr;
}

namespace {

// Rewrites each note link of `body`: `decide` is given the note's id and
// the start tag as it stands, and leaves in `startTag` what to write
// instead, or nothing to keep only the link's text; false stops the walk.
// Every search stops where the next one starts, so a hostile body of many
// start tags and no end tags is still one pass.
template<typename Decide>
std::optional<QString> rewriteNoteLinks(const QString& body, Decide decide)
{
    const QStringView text(body);
    QString out;
    QString startTag;
    qsizetype copied = 0;
    qsizetype dropEndTagFrom = -1; // a link left as text loses its end tag too
    for (qsizetype at = body.indexOf(kStartTag); at >= 0; at = body.indexOf(kStartTag, at)) {
        const qsizetype idStart = at + kStartTag.size();
        qsizetype quote = idStart;
        while (quote < body.size() && isEncodedIDCharacter(body[quote]))
            ++quote;
        if (!text.sliced(quote).startsWith(QLatin1String("\">"))) {
            at = quote; // not a start tag of ours: left as it is
            continue;
        }
        startTag = text.sliced(at, quote + 2 - at).toString();
        if (!decide(QUrl::fromPercentEncoding(text.sliced(idStart, quote - idStart).toLatin1()), startTag))
            return std::nullopt;
        if (dropEndTagFrom >= 0) {
            // The earlier link's text ends before this link starts.
            const qsizetype end = text.sliced(dropEndTagFrom, at - dropEndTagFrom).indexOf(kEndTag, 0, Qt::CaseInsensitive);
            if (end >= 0) {
                out += text.sliced(copied, dropEndTagFrom + end - copied);
                copied = dropEndTagFrom + end + kEndTag.size();
            }
            dropEndTagFrom = -1;
        }
        out += text.sliced(copied, at - copied);
        out += startTag;
        if (startTag.isEmpty())
            dropEndTagFrom = quote + 2;
        at = copied = quote + 2;
    }
    if (dropEndTagFrom >= 0) {
        const qsizetype end = body.indexOf(kEndTag, dropEndTagFrom, Qt::CaseInsensitive);
        if (end >= 0) {
            out += text.sliced(copied, end - copied);
            copied = end + kEndTag.size();
        }
    }
    out += text.sliced(copied);
    return out;
}

} // namespace

std::optional<QString> NoteLinkTable::resolved(const QString& body, const QUrl& folderURL, bool complete) const
{
    const QString folderPath = platform::fileurl::path(folderURL);
    QHash<QString, QString> links; // by id: a note is often linked more than once
    return rewriteNoteLinks(body, [&](const QString& id, QString& startTag) {
        const auto path = m_paths.constFind(id);
        if (path == m_paths.constEnd()) {
            startTag.clear();
            return complete;
        }
        QString& link = links[id];
        if (link.isEmpty())
            link = QStringLiteral("<a href=\"") + relativeFileLink(folderPath, *path) + QStringLiteral("\">");
        startTag = link;
        return true;
    });
}

QString withoutNoteLinks(const QString& body, const std::function<bool(const QString& noteID)>& exported)
{
    return *rewriteNoteLinks(body, [&](const QString& id, QString& startTag) {
        if (!exported(id))
            startTag.clear();
        return true;
    });
}
