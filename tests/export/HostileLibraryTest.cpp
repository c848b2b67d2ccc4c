// Libraries built to hurt: links out of the folder, FIFOs, endless devices,
// folders nested past any real library and pages nested past reason.

#include "export/ExportTestSupport.h"

#include <QDirIterator>
#include <QFile>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

namespace {

const QByteArray kCanary = "CANARY-4f1d: a secret outside the library\n";

// How a hostile entry is made at `path`; `canary` is a file outside the library.
struct Hostile {
    const char* name;
    std::function<void(const QString& path, const QString& canary)> make;
    const char* reason;
};

void link(const QString& target, const QString& at)
{
    ASSERT_EQ(symlink(QFile::encodeName(target).constData(), QFile::encodeName(at).constData()), 0);
}

const Hostile kHostile[] = {
    {"LinkToAFileOutside", [](const QString& path, const QString& canary) { link(canary, path); }, "symbolic link"},
    {"InsideALinkedFolder",
     [](const QString& path, const QString& canary) {
         // "x/body" where "x" leads to the canary's folder, whose "body" is the canary.
         link(QFileInfo(canary).absolutePath(), QFileInfo(path).absolutePath());
     },
     "symbolic link"},
    {"Fifo", [](const QString& path, const QString&) { ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0); },
     "not a regular file"},
    {"LinkToDevZero", [](const QString& path, const QString&) { link(QStringLiteral("/dev/zero"), path); }, "symbolic link"},
};

class HostileLibrary : public testing::TestWithParam<Hostile> {
protected:
    void SetUp() override
    {
        QDir().mkpath(library);
        writeFile(canary, kCanary);
    }

    TempDir dir;
    QString library = dir.filePath(QStringLiteral("lib"));
    QString canary = dir.filePath(QStringLiteral("x-target/body"));
};

} // namespace

TEST_F(HostileLibrary, TheDescriptionIsRefusedWithTheReason)
{
    // Were a link followed, this would load.
    writeFile(canary, R"({"accounts":[{"id":"a","name":"Work"}]})");
    const QString description = library + QStringLiteral("/library.json");
    for (const Hostile& entry : kHostile) {
        // The description lies at the top of the library: no folder of the library leads to it.
        if (QByteArray(entry.name) == "InsideALinkedFolder")
            continue;
        SCOPED_TRACE(entry.name);
        QFile::remove(description);
        entry.make(description, canary);
        platform::Error error;
        EXPECT_EQ(NotesLibrary::load(library, &error), nullptr);
        const QString said = error.localizedDescription();
        EXPECT_TRUE(said.startsWith(QStringLiteral("The Notes library description “"))) << said.toStdString();
        EXPECT_TRUE(said.contains(QLatin1String(entry.reason))) << said.toStdString();
    }
}

// A library whose note "Hostile" has the body file "x/body" and whose note
// "Attached" has it as its attachment exports the rest; the canary stays
// where it was and nowhere in the export.
TEST_P(HostileLibrary, ABodyFileOrAttachmentIsLeftOutAndNamed)
{
    writeFile(library + QStringLiteral("/library.json"), R"({"accounts":[{"id":"a","name":"Work","folders":["f"]}],
        "folders":[{"id":"f","name":"Notes","notes":["n1","n2","n3"]}],
        "notes":[{"id":"n1","name":"Safe","body":"<p>safe</p>"}, {"id":"n2","name":"Hostile","bodyFile":"x/body"},
                 {"id":"n3","name":"Attached","body":"<p>with a file</p>","attachments":["t"]}],
        "attachments":[{"id":"t","name":"secret.txt","file":"x/body"}]})");
    if (QByteArray(GetParam().name) != "InsideALinkedFolder")
        QDir().mkpath(library + QStringLiteral("/x"));
    GetParam().make(library + QStringLiteral("/x/body"), canary);
    ExportRun run(loadedApp(library));
    run.perform();
    EXPECT_EQ(run.failure(), QString());
    QDirIterator it(run.destination, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        EXPECT_FALSE(readFile(it.next()).contains("CANARY")) << it.filePath().toStdString();
    EXPECT_EQ(readFile(canary), kCanary);

    const ExportSummary summary = run.operation->summary();
    EXPECT_EQ(summary.htmlNoteCount, 1u);
    ASSERT_EQ(summary.notesLeftOut.size(), 1);
    EXPECT_TRUE(summary.notesLeftOut.first().startsWith(QStringLiteral("“Hostile” in “Notes”: ")));
    EXPECT_TRUE(summary.notesLeftOut.first().contains(QLatin1String(GetParam().reason))) << summary.notesLeftOut.first().toStdString();
    ASSERT_EQ(summary.attachmentsLeftOut.size(), 1);
    EXPECT_TRUE(summary.attachmentsLeftOut.first().startsWith(QStringLiteral("Attached: secret.txt (")))
        << summary.attachmentsLeftOut.first().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Entries, HostileLibrary, testing::ValuesIn(kHostile),
                         [](const testing::TestParamInfo<Hostile>& info) { return std::string(info.param.name); });

// ---- Depth ----

namespace {

// One account "A" listing the folder "f1", and the folders, notes and
// attachments that `rest` lists.
QByteArray describe(const QString& rest)
{
    return R"({"accounts": [{"id": "a", "name": "A", "folders": ["f1"]}], )" + rest.toUtf8() + "}";
}

// `depth` folders, each inside the one before, the last with one note.
QByteArray chainJSON(int depth)
{
    QStringList folders;
    for (int i = 1; i < depth; ++i)
        folders << QStringLiteral(R"({"id": "f%1", "name": "d", "folders": ["f%2"]})").arg(i).arg(i + 1);
    folders << QStringLiteral(R"({"id": "f%1", "name": "d", "notes": ["n"]})").arg(depth);
    return describe(QStringLiteral(R"("folders": [%1], "notes": [{"id": "n", "name": "Bottom", "body": "<p>deep</p>"}])")
                        .arg(folders.join(u',')));
}

// A folder with one subfolder, and so on without end.
class EndlessFolder final : public NotesFolder {
public:
    explicit EndlessFolder(int level) : m_level(level) {}
    QString id() override { return QString::number(m_level); }
    QString name() override { return QStringLiteral("level %1").arg(m_level); }
    QList<std::shared_ptr<NotesFolder>> folders() override { return {std::make_shared<EndlessFolder>(m_level + 1)}; }
    QList<std::shared_ptr<NotesNote>> notes() override { return {}; }

private:
    int m_level;
};

} // namespace

TEST(HostileDepth, FoldersDeeperThanTheLimitAreRefusedNamingTheFolder)
{
    for (const int depth : {kMaxFolderDepth + 1, 40000}) {
        SCOPED_TRACE(depth);
        platform::Error error;
        EXPECT_EQ(NotesLibrary::fromJSON(chainJSON(depth), QDir::tempPath(), &error), nullptr);
        EXPECT_TRUE(error.localizedDescription().endsWith(
            QStringLiteral("the folder with the id “f%1” lies %1 folders deep, more than the %2 this program exports.")
                .arg(kMaxFolderDepth + 1)
                .arg(kMaxFolderDepth)))
            << error.localizedDescription().toStdString();
    }
    // Any other source is bounded by the enumeration itself.
    ExportNoteOperation operation;
    EndlessFolder top(1);
    operation.getFolderInfo(top);
    EXPECT_EQ(failureOf(operation),
              QStringLiteral("The folder “level %1” lies more than %2 folders deep; this program exports no deeper.")
                  .arg(kMaxFolderDepth + 1)
                  .arg(kMaxFolderDepth));
}

TEST(HostileHTML, ADeeplyNestedPageIsImportedAsPlainTextAndSaid)
{
    TempDir dir;
    const QString nested = QStringLiteral("<div>").repeated(10000) + QStringLiteral("deep &amp; plain") +
                           QStringLiteral("</div>").repeated(10000);
    writeFile(dir.filePath(QStringLiteral("t.txt")), "attached");
    ExportRun run(libraryApp(describe(QStringLiteral(R"("folders": [{"id": "f1", "name": "F", "notes": ["n"]}],
        "notes": [{"id": "n", "name": "Nested", "body": "%1", "attachments": ["t"]}],
        "attachments": [{"id": "t", "name": "t.txt", "file": "t.txt"}])").arg(nested)),
                             dir.path()));
    run.perform();
    ASSERT_EQ(run.failure(), QString());
    EXPECT_EQ(run.operation->summary().notesAsPlainText, QStringList{QStringLiteral("Nested")});
    EXPECT_TRUE(run.operation->summary().lines().contains(
        QStringLiteral("Notes written as plain text, their HTML nested more than 200 levels deep: 1.")));
    const QByteArray rtf = readFile(run.destination + QStringLiteral("/A/F/Nested.rtfd/TXT.rtf"));
    EXPECT_TRUE(rtf.contains("deep & plain")) << rtf.left(400).toStdString();
    // Ten thousand blocks ending together make one line break, not thousands.
    EXPECT_LT(rtf.count("\\line"), 4);
}
