#include "export/ExportTestSupport.h"

#include <QFile>
#include <atomic>
#include <thread>

using namespace testsupport;

namespace {

QString loadError(const QByteArray& json)
{
    platform::Error error;
    EXPECT_FALSE(NotesLibrary::fromJSON(json, QStringLiteral("/lib"), &error));
    return error.localizedDescription();
}

} // namespace

TEST(NotesLibrary, BadOrMissingDescriptionsAreRefusedNamingTheFileAndThePlace)
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
        {R"({"folders": [{"id": "f"}, {"id": "f"}]})", "“folders[1]” repeats the id “f”"},
        {R"({"notes": [{"id": "n"}, 5]})", "“notes[1]” must be an object"},
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

    // A missing folder or description.
    platform::Error error;
    EXPECT_FALSE(NotesLibrary::load(QStringLiteral("/nonexistent/library"), &error));
    EXPECT_TRUE(error.localizedDescription().contains(QStringLiteral("does not exist")));
    TempDir empty;
    EXPECT_FALSE(NotesLibrary::load(empty.path(), &error));
    EXPECT_TRUE(error.localizedDescription().contains(QStringLiteral("library.json")));
}

// The export writes bodyUTF8() as it comes; it must be exactly the UTF-8
// of body(), whatever the file holds.
TEST(NotesLibrary, BodyAsUTF8IsTheUTF8OfTheDecodedBody)
{
    const QByteArray cases[] = {
        "<div>plain</div>",
        "<div>caf\xc3\xa9 \xf0\x9f\x98\x80</div>", // two- and four-byte sequences
        "\xef\xbb\xbf<div>after a byte-order mark</div>",
        "\xef\xbb\xbf\xef\xbb\xbf<div>after two</div>",
        QByteArray("<div>a\0b</div>", 14), // a NUL inside
        "<div>\xff\xfe stray bytes</div>",
        "<div>cut \xe2\x82</div>", // a sequence cut short
        "<div>\xc0\xaf overlong</div>",
        "<div>\xed\xa0\x80 a surrogate</div>",
        "<div>ends cut \xf0\x9f\x98",
    };
    TempDir dir;
    // An inline body goes the same way as the files.
    QByteArray notes = R"({"id": "inline", "body": "<div>inline \u00e9</div>"})", ids = R"("inline")";
    for (size_t i = 0; i < std::size(cases); ++i) {
        writeFile(dir.filePath(QStringLiteral("b%1.html").arg(i)), cases[i]);
        notes += QStringLiteral(R"(,{"id": "n%1", "bodyFile": "b%1.html"})").arg(i).toUtf8();
        ids += QStringLiteral(R"(,"n%1")").arg(i).toUtf8();
    }
    auto app = libraryApp(R"({"accounts": [{"id": "a", "folders": ["f"]}], "folders": [{"id": "f", "notes": [)" + ids +
                              R"(]}], "notes": [)" + notes + "]}",
                          dir.path());
    ASSERT_TRUE(app);
    const auto folderNotes = app->accounts()[0]->folders()[0]->notes();
    ASSERT_EQ(folderNotes.size(), qsizetype(std::size(cases)) + 1);
    for (const auto& note : folderNotes) {
        const QString body = note->body();
        EXPECT_FALSE(body.isEmpty());
        EXPECT_EQ(note->bodyUTF8(), body.toUtf8()) << body.toStdString();
    }
    // Body files are read on request: a changed one reads as changed, a missing one as empty.
    writeFile(dir.filePath(QStringLiteral("b0.html")), "<div>changed</div>");
    EXPECT_EQ(folderNotes[1]->body(), QStringLiteral("<div>changed</div>"));
    ASSERT_TRUE(QFile::remove(dir.filePath(QStringLiteral("b0.html"))));
    EXPECT_EQ(folderNotes[1]->body(), QString());
}

// A large library's body files may be looked up ahead on another thread
// while the export counts; whichever side asks first, each note gets the
// same answer, and a stopped look-ahead leaves the rest to be asked.
TEST(NotesLibrary, BodyPresenceIsTheSameWhoeverLooksFirst)
{
    TempDir dir;
    constexpr int kNotes = 300;
    QByteArray notes, ids;
    for (int i = 0; i < kNotes; ++i) {
        // Present, empty, missing, a folder.
        const QString name = QStringLiteral("b%1.html").arg(i);
        if (i % 4 == 0)
            writeFile(dir.filePath(name), "<div>x</div>");
        else if (i % 4 == 1)
            writeFile(dir.filePath(name), "");
        else if (i % 4 == 3)
            QDir(dir.path()).mkdir(name);
        notes += QStringLiteral(R"(%1{"id": "n%2", "bodyFile": "%3"})").arg(i ? "," : "").arg(i).arg(name).toUtf8();
        ids += QStringLiteral(R"(%1"n%2")").arg(i ? "," : "").arg(i).toUtf8();
    }
    writeFile(dir.filePath(QStringLiteral("library.json")),
              R"({"accounts": [{"id": "a", "folders": ["f"]}], "folders": [{"id": "f", "notes": [)" + ids +
                  R"(]}], "notes": [)" + notes + "]}");
    for (const bool stopped : {false, true}) {
        platform::Error error;
        const auto library = NotesLibrary::load(dir.path(), &error);
        ASSERT_TRUE(library) << error.localizedDescription().toStdString();
        EXPECT_TRUE(library->hasManyBodyFiles());
        std::atomic<bool> stop{stopped};
        std::thread helper([&] { library->lookAheadForBodies(stop); });
        for (int i = 0; i < kNotes; ++i)
            EXPECT_EQ(library->hasBody(library->notes()[size_t(i)]), i % 4 == 0) << i;
        helper.join();
    }
    EXPECT_FALSE(NotesLibrary::fromJSON(R"({"notes": [{"id": "n", "body": "<p>x</p>"}]})", dir.path(), nullptr)
                     ->hasManyBodyFiles());
}
