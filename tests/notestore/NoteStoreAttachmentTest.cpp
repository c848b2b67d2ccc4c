#include "export/FileAttachments.h"
#include "notestore/NoteStoreAttachment.h"
#include "platform/FileURL.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace notestore;
using testsupport::TempDir;

namespace {

const QByteArray kPDF = "%PDF-1.4\n% scanned\n%%EOF\n";

AttachmentRow row(const char* identifier, const char* type, const char* media = "", const char* file = "")
{
    AttachmentRow r;
    r.identifier = QString::fromLatin1(identifier);
    r.typeUTI = QString::fromLatin1(type);
    r.mediaIdentifier = QString::fromLatin1(media);
    r.mediaFilename = QString::fromLatin1(file);
    r.creationDate = QDateTime::fromSecsSinceEpoch(1'600'000'000, Qt::UTC);
    r.modificationDate = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
    return r;
}

// What the scripting interface lists for one note, attachment by attachment.
struct Listed {
    QString name;
    std::optional<QString> url;
    bool fileAttachment;
    QString problem; // a part of it; empty when there is none
};

} // namespace

TEST(ScriptingAttachments, ListEveryAttachmentInTextOrderAndNameWhatCannotBeExported)
{
    TempDir root;
    const QString media = root.filePath(QStringLiteral("Accounts/A/Media"));
    testsupport::writeFile(media + QStringLiteral("/M1/Report.pdf"), kPDF);
    testsupport::writeFile(root.filePath(QStringLiteral("Accounts/A/FallbackPDFs/S/FallbackPDF.pdf")), kPDF);
    testsupport::writeFile(media + QStringLiteral("/M4/README"), "plain");

    AttachmentRow link = row("L", "public.url");
    link.urlString = QStringLiteral("https://example.org/");
    link.title = QStringLiteral("Example");
    AttachmentRow table = row("T", "com.apple.notes.table");
    table.mergeableData = "ok";
    AttachmentRow badTable = row("T2", "com.apple.notes.table");
    const QHash<QString, AttachmentRow> rows = {
        {QStringLiteral("F"), row("F", "com.adobe.pdf", "M1", "Report.pdf")},
        {QStringLiteral("G"), row("G", "com.adobe.pdf", "M2", "Gone.pdf")},
        {QStringLiteral("P"), row("P", "public.jpeg", "M3", "Photo.jpeg")},
        {QStringLiteral("S"), row("S", "com.apple.paper.doc.scan")},
        {QStringLiteral("R"), row("R", "com.example.plain", "M4", "README")},
        {QStringLiteral("L"), link},
        {QStringLiteral("T"), table},
        {QStringLiteral("T2"), badTable},
    };
    const QHash<QString, InlineAttachmentRow> tokens = {
        {QStringLiteral("H"), {QStringLiteral("H"), QStringLiteral("com.apple.notes.inlinetextattachment.hashtag"), QStringLiteral("#work"), {}}},
    };
    NoteAttachmentRenderer renderer({root.path(), QStringLiteral("A")}, rows, tokens,
                                    [](const QByteArray& data, AttachmentRenderer&, int, QString*) {
                                        return data.isEmpty() ? QString() : QStringLiteral("<table></table>");
                                    });
    for (const char* id : {"S", "F", "T", "H", "G", "P", "L", "T2", "R", "X", "F"})
        renderer.htmlForAttachment(QString::fromLatin1(id), {}, 0);

    const std::vector<Listed> expected = {
        {"Scan.pdf", std::nullopt, true, ""},
        {"Report.pdf", std::nullopt, true, ""},
        {"Gone.pdf", std::nullopt, true, "never downloaded"},
        {"Photo.jpeg", std::nullopt, false, "never downloaded"},
        {"Example", QStringLiteral("https://example.org/"), false, ""},
        {"Table", std::nullopt, false, "table data cannot be read"},
        {"README", std::nullopt, false, "no extension"},
        {"Attachment", std::nullopt, false, "does not hold"},
    };
    const QList<std::shared_ptr<NotesAttachment>> listed = scriptingAttachments(renderer);
    ASSERT_EQ(size_t(listed.size()), expected.size());
    TempDir out;
    for (size_t i = 0; i < expected.size(); ++i) {
        NotesAttachment& attachment = *listed[qsizetype(i)];
        const Listed& want = expected[i];
        SCOPED_TRACE(want.name.toStdString());
        EXPECT_EQ(attachment.name(), want.name);
        EXPECT_EQ(attachment.URL(), want.url);
        EXPECT_EQ(isFileAttachment(attachment), want.fileAttachment);
        if (want.fileAttachment) {
            // As the export does: save, then ask why nothing came.
            const QString target = out.filePath(QString::number(i) + QStringLiteral(".pdf"));
            attachment.saveIn(platform::fileurl::fromPath(target, false), kNotesSaveFormatItem);
            EXPECT_EQ(QFileInfo::exists(target), want.problem.isEmpty());
            if (want.problem.isEmpty()) {
                EXPECT_EQ(testsupport::readFile(target), kPDF);
            }
        }
        if (want.problem.isEmpty())
            EXPECT_EQ(attachment.saveProblem(), QString());
        else
            EXPECT_TRUE(attachment.saveProblem().contains(want.problem)) << attachment.saveProblem().toStdString();
    }
    EXPECT_EQ(listed[1]->modificationDate(), QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC));
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), 2); // nothing half-written
}
