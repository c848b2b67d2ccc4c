// What the export names on disk, and how the manifest sees those names.

#include "export/ExportTestSupport.h"
#include "platform/FileURL.h"
#include "platform/PropertyList.h"

#include <QDir>
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
