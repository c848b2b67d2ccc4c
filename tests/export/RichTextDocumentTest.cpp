#include "export/ExportTestSupport.h"

#include <QFileInfo>

using namespace testsupport;

namespace {

// One note with three attachments, two of them named to climb out of any folder.
class RichTextNote : public testing::Test {
protected:
    void SetUp() override
    {
        writeFile(m_library.filePath(QStringLiteral("report.pdf")), "%PDF-1.4\n% a small test file\n%%EOF\n");
        m_app = libraryApp(R"({"accounts": [{"id": "a", "name": "A", "folders": ["f"]}],
            "folders": [{"id": "f", "name": "F", "notes": ["n"]}],
            "notes": [{"id": "n", "name": "Note", "body": "<div>x</div>", "attachments": ["up", "abs", "pdf"]}],
            "attachments": [{"id": "up", "name": "../../x.pdf", "file": "report.pdf"},
                            {"id": "abs", "name": "/tmp/y.pdf", "file": "report.pdf"},
                            {"id": "pdf", "name": "report.pdf", "file": "report.pdf"}]})",
                           m_library.path());
        m_note = m_app->accounts().first()->folders().first()->notes().first();
    }

    QString packagePath() const { return m_out.filePath(QStringLiteral("Note.rtfd")); }
    QUrl packageURL() const { return platform::fileurl::fromPath(packagePath(), true); }

    std::shared_ptr<ExportNoteOperation> m_operation = std::make_shared<ExportNoteOperation>();
    TempDir m_library, m_out;
    std::shared_ptr<NotesApplication> m_app;
    std::shared_ptr<NotesNote> m_note;
};

} // namespace

TEST_F(RichTextNote, AttachmentNamesNeverReachOutsideTheStagingFolder)
{
    platform::Error error;
    ASSERT_TRUE(m_operation->createRichTextFileForNote(*m_note, packageURL(), &error));
    const QString staging = platform::fileurl::path(m_operation->attachmentStagingDirectoryURL());
    EXPECT_TRUE(staging.startsWith(QDir::tempPath()));
    EXPECT_FALSE(QFileInfo::exists(staging + QStringLiteral("/../../x.pdf")));
    EXPECT_EQ(tree(staging), QStringList{}); // staged inside it, and gone once packaged

    const QStringList package = tree(packagePath());
    ASSERT_EQ(package.size(), 4);
    for (const QString& name : package)
        EXPECT_FALSE(name.contains(u'/'));
}

TEST_F(RichTextNote, AMissingTemplateFailsTheNote)
{
    m_operation->setPageTemplateURL(platform::fileurl::fromPath(m_out.filePath(QStringLiteral("none.html")), false));
    EXPECT_FALSE(m_operation->completeHTMLForHTMLFragment(QStringLiteral("x")));
    platform::Error error;
    EXPECT_FALSE(m_operation->createRichTextFileForNote(*m_note, packageURL(), &error));
    EXPECT_TRUE(error.localizedDescription().contains(QStringLiteral("NoteHTMLTemplate.html")));
    EXPECT_FALSE(QFileInfo::exists(packagePath()));
}

