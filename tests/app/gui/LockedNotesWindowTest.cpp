#include "app/gui/GuiTestSupport.h"
#include "notestore/NoteStoreTestSupport.h"

#include <gtest/gtest.h>

using namespace notestoregen;

// The window asks once, with the hint, and exports what the answer opens.
TEST(LockedNotesWindow, AsksOnceAndExportsWhatOpens)
{
    Container notes;
    const int folder = notes.addFolder(QStringLiteral("Notes"), notes.addAccount(QStringLiteral("iCloud")));
    for (const char* title : {"Locked A", "Locked B"}) {
        Note& note = notes.notes[size_t(notes.addNote(QString::fromLatin1(title), folder, {}, appleTime(2024, 1, 1)))];
        testsupport::lockNote(note, gzippedBody(plainText(*note.title, QStringLiteral("x"))), "oolong",
                              QStringLiteral("tea"));
    }
    notes.addNote(QStringLiteral("Open"), folder, plainText(QStringLiteral("Open"), QStringLiteral("y")),
                  appleTime(2024, 1, 2));
    const testsupport::TempDir dir;
    const QString library = dir.filePath(QStringLiteral("notes"));
    testsupport::writeContainer(notes, library);

    const struct {
        const char* answer; // null: "Skip locked notes"
        QStringList written;
    } cases[] = {
        {"oolong", {"iCloud/Notes/Locked A.html", "iCloud/Notes/Locked B.html", "iCloud/Notes/Open.html"}},
        {"sencha", {"iCloud/Notes/Open.html"}},
        {nullptr, {"iCloud/Notes/Open.html"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer ? c.answer : "skipped");
        testsupport::DelegateHarness window;
        int asked = 0;
        window.delegate.setPasswordPrompt([&](QWidget*, int count, const QStringList& hints) {
            ++asked;
            EXPECT_EQ(count, 2);
            EXPECT_EQ(hints, QStringList{QStringLiteral("tea")});
            return c.answer ? std::optional(notestore::Secret(c.answer, strlen(c.answer))) : std::nullopt;
        });
        ASSERT_TRUE(window.use(library));
        // The second import asks no more.
        for (int round = 0; round < 2; ++round)
            EXPECT_EQ(window.importedNotes(), c.written) << "round " << round;
        EXPECT_EQ(asked, 1);
    }
}
