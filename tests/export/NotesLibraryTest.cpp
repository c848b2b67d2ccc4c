#include "export/ExportTestSupport.h"

using testsupport::libraryApp;

namespace {

QString loadError(const QByteArray& json)
{
    platform::Error error;
    EXPECT_FALSE(NotesLibrary::fromJSON(json, QStringLiteral("/lib"), &error));
    return error.localizedDescription();
}

} // namespace

TEST(NotesLibrary, BadDescriptionsAreRefusedNamingTheFileAndThePlace)
{
    const QString syntax = loadError("{\n  \"accounts\": [\n    {\"name\": }\n]}");
    EXPECT_TRUE(syntax.contains(QStringLiteral("/lib/library.json"))) << syntax.toStdString();
    EXPECT_TRUE(syntax.contains(QStringLiteral("line 3"))) << syntax.toStdString();

    const std::pair<QByteArray, const char*> cases[] = {
        {R"({"notes": [{"id": "n", "name": 7}]})", "notes[0].name"},
        {R"({"folders": {"id": "f"}})", "“folders” must be a list"},
        {R"({"notes": [{"id": "n", "passwordProtected": "yes"}]})", "passwordProtected"},
        {R"({"notes": [{"id": "n", "creationDate": "yesterday"}]})", "creationDate"},
        {R"([1, 2])", "top level"},
        // References must resolve; folders may not contain themselves.
        {R"({"accounts": [{"id": "a", "folders": ["nope"]}]})", "“nope”"},
        {R"({"folders": [{"id": "f", "notes": ["n"]}]})", "folders[0].notes[0]"},
        {R"({"folders": [{"id": "f"}, {"id": "f"}]})", "repeats"},
        {R"({"folders": [{"id": "a", "folders": ["b"]}, {"id": "b", "folders": ["a"]}]})", "inside itself"},
        // Listed twice, a folder would be exported twice, doubling at every level.
        {R"({"folders": [{"id": "a", "folders": ["c"]}, {"id": "b", "folders": ["c"]}, {"id": "c"}]})", "more than one folder"},
        {R"({"folders": [{"id": "a", "folders": ["c", "c"]}, {"id": "c"}]})", "more than one folder"},
        // Files must lie inside the library.
        {R"({"attachments": [{"id": "x", "file": "../../etc/passwd"}]})", "inside the library"},
        {R"({"attachments": [{"id": "x", "file": "/etc/passwd"}]})", "inside the library"},
        {R"({"notes": [{"id": "n", "bodyFile": "../secret.html"}]})", "notes[0].bodyFile"},
        {R"({"notes": [{"id": "n", "body": "x", "bodyFile": "n.html"}]})", "both"},
    };
    for (const auto& [json, expected] : cases) {
        const QString message = loadError(json);
        EXPECT_TRUE(message.contains(QString::fromUtf8(expected))) << json.toStdString() << ": " << message.toStdString();
    }
}

TEST(NotesLibrary, BodyFilesAreReadOnRequestAndAMissingOneReadsAsEmpty)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir.filePath(QStringLiteral("bodies/n.html")), "<div>caf\xc3\xa9</div>");
    auto app = libraryApp(R"({"accounts": [{"id": "acc", "folders": ["f"]}], "folders": [{"id": "f", "notes": ["n", "m"]}],
                              "notes": [{"id": "n", "bodyFile": "bodies/n.html"}, {"id": "m", "bodyFile": "bodies/m.html"}]})",
                          dir.path());
    ASSERT_TRUE(app);
    const auto notes = app->accounts()[0]->folders()[0]->notes();
    EXPECT_EQ(notes[0]->body(), QStringLiteral("<div>café</div>"));
    testsupport::writeFile(dir.filePath(QStringLiteral("bodies/n.html")), "<div>changed</div>");
    EXPECT_EQ(notes[0]->body(), QStringLiteral("<div>changed</div>"));
    EXPECT_EQ(notes[1]->body(), QString());
}

TEST(NotesLibrary, AMissingFolderOrDescriptionIsAClearError)
{
    platform::Error error;
    EXPECT_FALSE(NotesLibrary::load(QStringLiteral("/nonexistent/library"), &error));
    EXPECT_TRUE(error.localizedDescription().contains(QStringLiteral("does not exist")));
    testsupport::TempDir empty;
    EXPECT_FALSE(NotesLibrary::load(empty.path(), &error));
    EXPECT_TRUE(error.localizedDescription().contains(QStringLiteral("library.json")));
}
