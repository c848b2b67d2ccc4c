#include "export/ExportNoteOperation.h"
#include "styles/OTLNoteTextStyle.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// Settings of a folder of the test's own, so the style sheet reads no real
// note background colour.
class NoteStylesCSSTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
        OTLNoteTextStyle::reloadStylesFromDefaults();
    }
    void TearDown() override
    {
        OTLNoteTextStyle::reloadStylesFromDefaults();
        qputenv("XDG_CONFIG_HOME", m_oldConfig);
    }

private:
    testsupport::TempDir m_dir;
    QByteArray m_oldConfig;
};

} // namespace

TEST_F(NoteStylesCSSTest, MadeOnceAndKeptForTheExport)
{
    auto operation = std::make_shared<ExportNoteOperation>();
    const QString css = operation->noteStylesCSSString();
    EXPECT_EQ(css, OTLNoteTextStyle::CSSDeclarationForStandardStyles());
    EXPECT_TRUE(css.startsWith("h1 {margin: 0.0px 0.0px 0.0px 0.0px; font-family: Helvetica Neue; font-size: 17.0px;"));
    EXPECT_EQ(css.count('\n'), 5);

    // A style changed during the export does not change its pages.
    OTLNoteTextStyle::titleNoteTextStyle()->setFontSize(30);
    EXPECT_EQ(operation->noteStylesCSSString(), css);
    EXPECT_TRUE(std::make_shared<ExportNoteOperation>()->noteStylesCSSString().contains("font-size: 30.0px"));
}
