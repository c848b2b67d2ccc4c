// What the export names on disk, and how the manifest sees those names.

#include "export/ExportTestSupport.h"
#include "platform/FileURL.h"
#include "platform/PropertyList.h"

#include <QDir>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using testsupport::runToEnd;

namespace {

struct Export {
    testsupport::TempDir root;
    QString library = root.filePath(QStringLiteral("Library"));
    QString destination = root.filePath(QStringLiteral("Notes Import"));
    std::shared_ptr<ExportNoteOperation> operation;

    explicit Export(const QJsonObject& description)
    {
        QDir().mkpath(library);
        QDir().mkpath(destination);
        testsupport::writeFile(library + QStringLiteral("/report.pdf"), "%PDF-1.4\n%%EOF\n");
        auto app = testsupport::libraryApp(QJsonDocument(description).toJson(), library);
        operation = ExportNoteOperation::exportOperationForApp(app, platform::fileurl::fromPath(destination, true));
        runToEnd(operation);
    }
    QStringList manifestEntries() const
    {
        const auto value = platform::plist::propertyListFromData(
            testsupport::readFile(destination + QStringLiteral("/Notes Import.plist")), nullptr);
        return testsupport::manifestEntries(value ? value->toMap() : QVariantMap(), destination);
    }
};

} // namespace

// Titles are a note's first line: long ones must neither stop the export
// nor lose their extension, for ".html" notes, ".rtfd" packages (whose
// staging adds to the name), folders and accounts alike.
TEST(ExportNames, LongNamesInEveryScriptAreWrittenAndListed)
{
    const QString emoji = QString::fromUcs4(U"\U0001F600", 1);
    const QStringList titles{QString(300, u'a'), QString(100, QChar(0x4EAC)), emoji.repeated(75),
                             QString(150, QChar(0x00E9)), QString(84, QChar(0x4EAC)) + QStringLiteral("b")};
    QJsonArray notes;
    QStringList noteIds;
    for (int t = 0; t < titles.size(); ++t) {
        // Each title twice as HTML and twice as RTFD, so names are also made unique.
        for (int copy = 0; copy < 4; ++copy) {
            const QString id = QStringLiteral("n%1-%2").arg(t).arg(copy);
            noteIds << id;
            QJsonObject note = QJsonObject({{"id", id}, {"name", titles[t]}, {"body", QStringLiteral("<div>%1</div>").arg(id)}});
            if (copy >= 2)
                note.insert(QStringLiteral("attachments"), QJsonArray{QStringLiteral("long"), QStringLiteral("long again")});
            notes.append(note);
        }
    }
    // Two attachments of one name near the limit, so the package numbers one.
    const QString attachmentName = QString(80, QChar(0x4EAC)) + QStringLiteral("x.pdf");
    const QJsonObject description = QJsonObject({
        {"accounts", QJsonArray{QJsonObject({{"id", "a"}, {"name", QString(260, u'A')}, {"folders", QJsonArray{"f"}}})}},
        {"folders", QJsonArray{QJsonObject({{"id", "f"}, {"name", emoji.repeated(70)}, {"folders", QJsonArray{"g"}}}),
                               QJsonObject({{"id", "g"}, {"name", QString(300, u'g') + QStringLiteral(".rtfd")},
                                       {"notes", QJsonArray::fromStringList(noteIds)}})}},
        {"notes", notes},
        {"attachments", QJsonArray{QJsonObject({{"id", "long"}, {"name", attachmentName}, {"file", "report.pdf"}}),
                                   QJsonObject({{"id", "long again"}, {"name", attachmentName}, {"file", "report.pdf"}})}},
    });

    Export run(description);
    ASSERT_FALSE(run.operation->operationError()) << run.operation->operationError()->localizedDescription().toStdString();
    ASSERT_TRUE(run.operation->plistURL());
    EXPECT_EQ(run.operation->summary().htmlNoteCount, 10u);
    EXPECT_EQ(run.operation->summary().richTextNoteCount, 10u);
    EXPECT_TRUE(run.operation->summary().attachmentsLeftOut.isEmpty());

    int notesListed = 0;
    // Account, folder, sub-folder (named like a package), then the notes.
    for (const QString& entry : run.manifestEntries())
        notesListed += (entry.endsWith(QStringLiteral(".html")) && entry.count(u'/') == 3) ||
                       (entry.endsWith(QStringLiteral(".rtfd/")) && entry.count(u'/') == 4);
    EXPECT_EQ(notesListed, 20);

    QDirIterator it(run.destination, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    int packagesWithBothAttachments = 0;
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        EXPECT_LE(name.size(), 255) << it.filePath().toStdString();
        EXPECT_LE(name.toUtf8().size(), 255) << it.filePath().toStdString();
        EXPECT_FALSE(name.startsWith(u'.')) << "left behind: " << it.filePath().toStdString();
        if (name.endsWith(QStringLiteral(".rtfd")) && it.fileInfo().isDir() && it.filePath().count(u'/') > run.destination.count(u'/') + 2)
            packagesWithBothAttachments += QDir(it.filePath()).entryList(QDir::Files).size() == 3;
    }
    EXPECT_EQ(packagesWithBothAttachments, 10);
}

// A Notes folder may be named like a package; it is still a folder, and
// every note in it is listed. ".rtfd" notes stay items.
TEST(ExportNames, FoldersNamedLikePackagesAreFoldersOfTheManifest)
{
    for (const QString& folderName : {QStringLiteral("Thesis.rtfd"), QStringLiteral("Trip.app"),
                                     QStringLiteral("Photos.bundle"), QStringLiteral("Plain")}) {
        SCOPED_TRACE(folderName.toStdString());
        const QJsonObject description = QJsonObject({
            {"accounts", QJsonArray{QJsonObject({{"id", "a"}, {"name", "Work"}, {"folders", QJsonArray{"f"}}})}},
            {"folders", QJsonArray{QJsonObject({{"id", "f"}, {"name", folderName}, {"folders", QJsonArray{"g"}},
                                           {"notes", QJsonArray{"n", "r"}}}),
                                   QJsonObject({{"id", "g"}, {"name", "Inner.rtfd"}, {"notes", QJsonArray{"m"}}})}},
            {"notes", QJsonArray{QJsonObject({{"id", "n"}, {"name", "Chapter"}, {"body", "<div>1</div>"}}),
                                 QJsonObject({{"id", "r"}, {"name", "Chapter"}, {"body", "<div>2</div>"},
                                         {"attachments", QJsonArray{"pdf"}}}),
                                 QJsonObject({{"id", "m"}, {"name", "Deep"}, {"body", "<div>3</div>"}})}},
            {"attachments", QJsonArray{QJsonObject({{"id", "pdf"}, {"name", "report.pdf"}, {"file", "report.pdf"}})}},
        });
        Export run(description);
        ASSERT_TRUE(run.operation->plistURL());
        const QString folder = QStringLiteral("Work/") + folderName;
        EXPECT_EQ(run.manifestEntries(),
                  (QStringList{"Work/", folder + "/", folder + "/Chapter.html", folder + "/Chapter.rtfd/",
                               folder + "/Inner.rtfd/", folder + "/Inner.rtfd/Deep.html"}));
    }
}
