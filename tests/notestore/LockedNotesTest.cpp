#include "notestore/NoteStoreTestSupport.h"

#include "app/NotesAccess.h"
#include "app/Passwords.h"
#include "notestore/NoteStoreSource.h"
#include "platform/PropertyList.h"


using namespace notestoregen;
using testsupport::CommandResult;
using testsupport::runExport;

namespace {

const QByteArray kFirstPassword = "first p\xC3\xA4ssword";
const QByteArray kSecondPassword = "second password";

// A locked note whose body is `body`, encrypted under `password`.
void lock(Note& note, const QString& body, const QByteArray& password, const QString& hint = QString())
{
    testsupport::lockNote(note, gzippedBody(plainText(*note.title, body)), password, hint);
}

// Two accounts with a password each; one plain note beside the locked ones.
Container twoAccounts(bool withPlainNote = true)
{
    Container c;
    const int cloud = c.addFolder(QStringLiteral("Private"), c.addAccount(QStringLiteral("iCloud")));
    const int mac = c.addFolder(QStringLiteral("Notes"), c.addAccount(QStringLiteral("On My Mac")));
    lock(c.notes[size_t(c.addNote(QStringLiteral("Diary"), cloud, {}, appleTime(2024, 3, 1)))],
         QStringLiteral("dear diary"), kFirstPassword, QStringLiteral("the usual"));
    lock(c.notes[size_t(c.addNote(QStringLiteral("Bank"), mac, {}, appleTime(2024, 3, 2)))],
         QStringLiteral("account numbers"), kSecondPassword, QStringLiteral("the other one"));
    lock(c.notes[size_t(c.addNote(QStringLiteral("Codes"), mac, {}, appleTime(2024, 3, 3)))],
         QStringLiteral("door codes"), kSecondPassword);
    if (withPlainNote)
        c.addNote(QStringLiteral("Shopping"), cloud, plainText(QStringLiteral("Shopping"), QStringLiteral("milk")),
                  appleTime(2024, 3, 4));
    return c;
}

struct CommandCase {
    const char* name;
    const char* passwordFile; // null: no --password-file
    bool withPlainNote;
    QStringList written;      // note files besides the manifest
    QStringList encrypted;    // manifest items marked "wasEncrypted"
    QStringList leftOut;      // summary lines naming notes left out
    int exitCode;
};

class LockedNotesCommand : public testing::TestWithParam<CommandCase> {};

TEST_P(LockedNotesCommand, ExportsWhatOpensAndNamesTheRest)
{
    const CommandCase& test = GetParam();
    const testsupport::TempDir dir;
    const QString notes = dir.filePath(QStringLiteral("group.com.apple.notes"));
    testsupport::writeContainer(twoAccounts(test.withPlainNote), notes);
    const QString destination = dir.filePath(QStringLiteral("out"));
    QStringList arguments{QStringLiteral("--library"), notes, QStringLiteral("--destination"), destination,
                          QStringLiteral("--no-handoff")};
    if (test.passwordFile) {
        testsupport::writeFile(dir.filePath(QStringLiteral("passwords")), test.passwordFile);
        arguments << QStringLiteral("--password-file") << dir.filePath(QStringLiteral("passwords"));
    }
    const CommandResult run = runExport(arguments, dir);
    EXPECT_EQ(run.exitCode, test.exitCode) << run.err.toStdString();

    QStringList files;
    for (const QString& entry : testsupport::tree(destination))
        if (!entry.endsWith(u'/') && entry != QStringLiteral("out.plist") && !entry.startsWith(u'.'))
            files << entry;
    EXPECT_EQ(files, test.written);
    for (const QString& line : test.leftOut) {
        EXPECT_TRUE(run.err.contains(QStringLiteral("  ") + line + u'\n')) << run.err.toStdString();
    }
    EXPECT_EQ(run.err.contains(QStringLiteral("Notes that could not be exported and were left out: %1.")
                                   .arg(test.leftOut.size())),
              !test.leftOut.isEmpty());
    if (files.contains(QStringLiteral("iCloud/Private/Diary.html"))) {
        EXPECT_TRUE(testsupport::readFile(destination + QStringLiteral("/iCloud/Private/Diary.html")).contains("dear diary"));
    }

    platform::Error error;
    const auto manifest = platform::plist::propertyListFromData(
        testsupport::readFile(destination + QStringLiteral("/out.plist")), &error);
    ASSERT_TRUE(manifest) << error.localizedDescription().toStdString();
    EXPECT_EQ(testsupport::manifestEntries(manifest->toMap(), destination).filter(QStringLiteral("*")), test.encrypted);

    // No password anywhere: not in the output, not in any file written.
    const QByteArray written = testsupport::everythingWritten(destination) + run.out.toUtf8() + run.err.toUtf8();
    for (const QByteArray& password : {kFirstPassword, kSecondPassword, QByteArray("p\xC3\xA4ssword")})
        EXPECT_FALSE(written.contains(password)) << password.constData();
}

const QString kDiary = QStringLiteral("“Diary” in “Private”: ");
const QString kBank = QStringLiteral("“Bank” in “Notes”: ");
const QString kCodes = QStringLiteral("“Codes” in “Notes”: ");

INSTANTIATE_TEST_SUITE_P(
    NoteStore, LockedNotesCommand,
    testing::Values(
        CommandCase{"BothPasswords",
                    "wrong\nfirst p\xC3\xA4ssword\nsecond password\n",
                    true,
                    {"On My Mac/Notes/Bank.html", "On My Mac/Notes/Codes.html", "iCloud/Private/Diary.html",
                     "iCloud/Private/Shopping.html"},
                    {"On My Mac/Notes/Bank.html*", "On My Mac/Notes/Codes.html*", "iCloud/Private/Diary.html*"},
                    {},
                    0},
        CommandCase{"OnePassword",
                    "second password\r\n",
                    true,
                    {"On My Mac/Notes/Bank.html", "On My Mac/Notes/Codes.html", "iCloud/Private/Shopping.html"},
                    {"On My Mac/Notes/Bank.html*", "On My Mac/Notes/Codes.html*"},
                    {kDiary + QStringLiteral("wrong password")},
                    0},
        CommandCase{"NoPassword",
                    nullptr,
                    true,
                    {"iCloud/Private/Shopping.html"},
                    {},
                    {kDiary + QStringLiteral("no password given"), kBank + QStringLiteral("no password given"),
                     kCodes + QStringLiteral("no password given")},
                    0},
        // Nothing at all could be exported: that is a failure.
        CommandCase{"OnlyLockedNotesWrongPassword",
                    "third\n",
                    false,
                    {},
                    {},
                    {kDiary + QStringLiteral("wrong password"), kBank + QStringLiteral("wrong password"),
                     kCodes + QStringLiteral("wrong password")},
                    1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LockedNotesCommand, AskPasswordNeedsATerminal)
{
    const testsupport::TempDir dir;
    const CommandResult run = runExport({QStringLiteral("--ask-password"), QStringLiteral("--no-handoff"),
                                         QStringLiteral("--destination"), dir.filePath(QStringLiteral("out"))},
                                        dir);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("--password-file"))) << run.err.toStdString();
}

struct SourceCase {
    const char* name;
    std::function<void(Note&)> lockNote;
    std::vector<QByteArray> passwords;
    const char* problem; // null: opens
};

class LockedNoteSource : public testing::TestWithParam<SourceCase> {};

TEST_P(LockedNoteSource, GivesTheBodyOrTheReason)
{
    Container c;
    const int folder = c.addFolder(QStringLiteral("Notes"), c.addAccount(QStringLiteral("iCloud")));
    const int index = c.addNote(QStringLiteral("Locked"), folder, {}, appleTime(2024, 1, 1));
    GetParam().lockNote(c.notes[size_t(index)]);
    const testsupport::TempDir dir;
    testsupport::writeContainer(c, dir.filePath(QStringLiteral("notes")));
    platform::Error error;
    const auto notes = app::openNotes(dir.filePath(QStringLiteral("notes")), &error);
    ASSERT_TRUE(notes) << error.localizedDescription().toStdString();
    EXPECT_EQ(app::lockedNotesOf(*notes).count, 1);
    notestore::PasswordList passwords;
    for (const QByteArray& text : GetParam().passwords)
        passwords.emplace_back(text.constData(), text.size());
    app::givePasswords(*notes, std::move(passwords));

    const auto note = notes->accounts().value(0)->folders().value(0)->notes().value(0);
    ASSERT_TRUE(note);
    EXPECT_TRUE(note->passwordProtected());
    // Asked twice, as the enumeration and the export do.
    for (int round = 0; round < 2; ++round) {
        const QString body = note->body();
        if (!GetParam().problem) {
            EXPECT_TRUE(body.contains(QStringLiteral("secret text"))) << body.toStdString();
            EXPECT_TRUE(note->bodyProblem().isEmpty());
        } else {
            EXPECT_TRUE(body.isEmpty());
            EXPECT_TRUE(note->bodyProblem().startsWith(QString::fromUtf8(GetParam().problem)))
                << note->bodyProblem().toStdString();
        }
    }
}

void lockedWithPw(Note& note)
{
    lock(note, QStringLiteral("secret text"), "pw");
}

INSTANTIATE_TEST_SUITE_P(
    NoteStore, LockedNoteSource,
    testing::Values(
        SourceCase{"Right", lockedWithPw, {"pw"}, nullptr},
        SourceCase{"RightAmongOthers", lockedWithPw, {"a", "b", "pw", "c"}, nullptr},
        SourceCase{"Wrong", lockedWithPw, {"PW"}, "wrong password"},
        SourceCase{"None", lockedWithPw, {}, "no password given"},
        // Locked with the device passcode: no key to unwrap with a password.
        SourceCase{"NoWrappedKey", [](Note& n) { lockedWithPw(n); n.crypto->wrappedKey.clear(); }, {"pw"},
                   "cannot be opened on this machine"},
        SourceCase{"DamagedBody", [](Note& n) { lockedWithPw(n); (*n.data)[0] = char((*n.data)[0] ^ 1); }, {"pw"},
                   "its body cannot be read"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LockedNoteSource, HintsOfTheLockedNotes)
{
    const testsupport::TempDir dir;
    testsupport::writeContainer(twoAccounts(), dir.filePath(QStringLiteral("notes")));
    platform::Error error;
    const auto notes = app::openNotes(dir.filePath(QStringLiteral("notes")), &error);
    ASSERT_TRUE(notes) << error.localizedDescription().toStdString();
    const app::LockedNotesInfo info = app::lockedNotesOf(*notes);
    EXPECT_EQ(info.count, 3);
    EXPECT_EQ(info.hints, (QStringList{QStringLiteral("the usual"), QStringLiteral("the other one")}));
    EXPECT_EQ(app::passwordPrompt(info.hints), QStringLiteral("Password for locked notes (hint: the usual; the other one): "));
}

} // namespace
