#include "notestore/NoteStoreTestSupport.h"

#include "app/NotesAccess.h"
#include "app/Passwords.h"
#include "platform/PropertyList.h"

#include <QRegularExpression>

using namespace notestoregen;
using namespace Qt::StringLiterals;
using namespace testsupport;

namespace {

const QByteArray kFirstPassword = "first p\xC3\xA4ssword";
const QByteArray kSecondPassword = "second password";

// A locked note whose body is `body`, encrypted under `password`.
void lock(Note& note, const QString& body, const QByteArray& password, const QString& hint = QString())
{
    lockNote(note, gzippedBody(plainText(*note.title, body)), password, hint);
}

// Two accounts with a password each; one plain note beside the locked ones.
Container twoAccounts(bool withPlainNote = true)
{
    Container c;
    const int cloud = c.addFolder(u"Private"_s, c.addAccount(u"iCloud"_s));
    const int mac = c.addFolder(u"Notes"_s, c.addAccount(u"On My Mac"_s));
    lock(c.notes[size_t(c.addNote(u"Diary"_s, cloud, {}, appleTime(2024, 3, 1)))], u"dear diary"_s, kFirstPassword,
         u"the usual"_s);
    lock(c.notes[size_t(c.addNote(u"Bank"_s, mac, {}, appleTime(2024, 3, 2)))], u"account numbers"_s, kSecondPassword,
         u"the other one"_s);
    lock(c.notes[size_t(c.addNote(u"Codes"_s, mac, {}, appleTime(2024, 3, 3)))], u"door codes"_s, kSecondPassword);
    if (withPlainNote)
        c.addNote(u"Shopping"_s, cloud, plainText(u"Shopping"_s, u"milk"_s), appleTime(2024, 3, 4));
    return c;
}

TEST(LockedNotesCommand, ExportsWhatOpensAndNamesTheRest)
{
    const QString diary = u"“Diary” in “Private”: "_s;
    const QString bank = u"“Bank” in “Notes”: "_s;
    const QString codes = u"“Codes” in “Notes”: "_s;
    const QString wrong = u"wrong password"_s;
    const QString none = u"no password given"_s;
    const struct {
        const char* name;
        const char* passwordFile; // null: no --password-file
        bool withPlainNote;
        QStringList written;      // note files besides the manifest; all but Shopping were locked
        QStringList leftOut;      // summary lines naming notes left out
        int exitCode;
    } cases[] = {
        {"BothPasswords", "wrong\nfirst p\xC3\xA4ssword\nsecond password\n", true,
         {"On My Mac/Notes/Bank.html", "On My Mac/Notes/Codes.html", "iCloud/Private/Diary.html",
          "iCloud/Private/Shopping.html"},
         {}, 0},
        {"OnePassword", "second password\r\n", true,
         {"On My Mac/Notes/Bank.html", "On My Mac/Notes/Codes.html", "iCloud/Private/Shopping.html"},
         {diary + wrong}, 0},
        {"NoPassword", nullptr, true, {"iCloud/Private/Shopping.html"}, {diary + none, codes + none, bank + none}, 0},
        // Nothing at all could be exported: that is a failure.
        {"OnlyLockedNotesWrongPassword", "third\n", false, {}, {diary + wrong, codes + wrong, bank + wrong}, 1},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        const TempDir dir;
        const QString notes = dir.filePath(u"group.com.apple.notes"_s);
        writeContainer(twoAccounts(test.withPlainNote), notes);
        const QString destination = dir.filePath(u"out"_s);
        QStringList arguments{u"--library"_s, notes, u"--destination"_s, destination, u"--no-handoff"_s};
        if (test.passwordFile) {
            writeFile(dir.filePath(u"passwords"_s), test.passwordFile);
            arguments << u"--password-file"_s << dir.filePath(u"passwords"_s);
        }
        const CommandResult run = runExport(arguments, dir);
        EXPECT_EQ(run.exitCode, test.exitCode) << run.err.toStdString();

        // The files written, not the folders or hidden ones.
        QStringList files = tree(destination).filter(QRegularExpression(u"^[^.].*[^/]$"_s));
        files.removeOne(u"out.plist"_s);
        EXPECT_EQ(files, test.written);
        QStringList leftOut = run.err.split(u'\n').filter(QRegularExpression(u"^  “"_s));
        leftOut.replaceInStrings(QRegularExpression(u"^  "_s), QString());
        EXPECT_EQ(leftOut, test.leftOut) << run.err.toStdString();
        const QString diaryFile = u"iCloud/Private/Diary.html"_s;
        EXPECT_TRUE(!files.contains(diaryFile) || readFile(destination + u'/' + diaryFile).contains("dear diary"));

        platform::Error error;
        const auto manifest =
            platform::plist::propertyListFromData(readFile(destination + u"/out.plist"_s), &error);
        ASSERT_TRUE(manifest) << error.localizedDescription().toStdString();
        QStringList encrypted;
        for (const QString& file : files)
            if (!file.endsWith(u"Shopping.html"_s))
                encrypted << file + u'*';
        EXPECT_EQ(manifestEntries(manifest->toMap(), destination).filter(u"*"_s), encrypted);

        // No password anywhere: not in the output, not in any file written.
        const QByteArray written = everythingWritten(destination) + run.out.toUtf8() + run.err.toUtf8();
        for (const QByteArray& password : {kFirstPassword, kSecondPassword, QByteArray("p\xC3\xA4ssword")})
            EXPECT_FALSE(written.contains(password)) << password.constData();
    }
}

TEST(LockedNotesCommand, AskPasswordNeedsATerminal)
{
    const TempDir dir;
    const CommandResult run =
        runExport({u"--ask-password"_s, u"--no-handoff"_s, u"--destination"_s, dir.filePath(u"out"_s)}, dir);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(u"--password-file"_s)) << run.err.toStdString();
}

// Each locked note gives its body or the reason it cannot, asked twice as
// the enumeration and the export do; the hints are the notes' own.
TEST(LockedNoteSource, GivesEachBodyOrItsReason)
{
    Container c = twoAccounts(false);
    for (const char* title : {"Passcode", "Damaged"})
        lock(c.notes[size_t(c.addNote(QString::fromUtf8(title), 0, {}, appleTime(2024, 1, 1)))], u"secret"_s,
             kFirstPassword);
    c.notes.rbegin()[1].crypto->wrappedKey.clear(); // locked with the device passcode: no key to unwrap
    (*c.notes.back().data)[0] = char((*c.notes.back().data)[0] ^ 1);
    const TempDir dir;
    writeContainer(c, dir.filePath(u"notes"_s));
    platform::Error error;
    const auto notes = app::openNotes(dir.filePath(u"notes"_s), &error);
    ASSERT_TRUE(notes) << error.localizedDescription().toStdString();
    const app::LockedNotesInfo info = app::lockedNotesOf(*notes);
    EXPECT_EQ(info.count, 5);
    EXPECT_EQ(app::passwordPrompt(info.hints), u"Password for locked notes (hint: the usual; the other one): "_s);
    app::givePasswords(*notes, passwordList({"a", kFirstPassword, "c"}));

    QStringList bodies;
    for (int round = 0; round < 2; ++round)
        for (const auto& account : notes->accounts())
            for (const auto& folder : account->folders())
                for (const auto& note : folder->notes()) {
                    EXPECT_TRUE(note->passwordProtected());
                    const QString body = note->body();
                    bodies << note->name() + u": "_s + (body.isEmpty() ? note->bodyProblem() : body);
                }
    const QStringList once{u"Diary: <div><h1>Diary</h1></div><div>dear diary</div>"_s,
                           u"Passcode: cannot be opened on this machine"_s,
                           u"Damaged: its body cannot be read (the data does not match its authentication tag)"_s,
                           u"Codes: wrong password"_s, u"Bank: wrong password"_s};
    EXPECT_EQ(bodies, once + once);
}

} // namespace
