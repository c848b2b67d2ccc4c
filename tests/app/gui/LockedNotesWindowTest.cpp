#include "app/FakeWorkspace.h"
#include "app/gui/AppDelegate.h"
#include "app/gui/GuiTestSupport.h"
#include "notestore/NoteStoreTestSupport.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace notestoregen;
using testsupport::spinUntil;

namespace {

struct WindowCase {
    const char* name;
    std::optional<QByteArray> answer; // nothing: "Skip locked notes"
    QStringList written;
};

class LockedNotesWindow : public testing::TestWithParam<WindowCase> {};

// The window asks once, with the hint, and exports what the answer opens.
TEST_P(LockedNotesWindow, AsksOnceAndExportsWhatOpens)
{
    testsupport::PrivateHome privateHome;
    testsupport::AlertRecorder alerts;
    testsupport::FakeWorkspace workspace;
    workspace.installed = QUrl::fromLocalFile(QStringLiteral("/apps/app.ostrel.Ostrel.desktop"));
    workspace.version = QStringLiteral("1.10.4");
    AppDelegate delegate{&workspace};
    delegate.setTerminateHandler([] {});
    int asked = 0;
    delegate.setPasswordPrompt([&](QWidget*, int count, const QStringList& hints) -> std::optional<notestore::Secret> {
        ++asked;
        EXPECT_EQ(count, 2);
        EXPECT_EQ(hints, QStringList{QStringLiteral("tea")});
        if (!GetParam().answer)
            return std::nullopt;
        return notestore::Secret(GetParam().answer->constData(), GetParam().answer->size());
    });

    Container c;
    const int folder = c.addFolder(QStringLiteral("Notes"), c.addAccount(QStringLiteral("iCloud")));
    for (const char* title : {"Locked A", "Locked B"}) {
        Note& note = c.notes[size_t(c.addNote(QString::fromLatin1(title), folder, {}, appleTime(2024, 1, 1)))];
        testsupport::lockNote(note, gzippedBody(plainText(*note.title, QStringLiteral("x"))), "oolong",
                              QStringLiteral("tea"));
    }
    c.addNote(QStringLiteral("Open"), folder, plainText(QStringLiteral("Open"), QStringLiteral("y")), appleTime(2024, 1, 2));
    const QString notes = privateHome.dir.filePath(QStringLiteral("notes"));
    testsupport::writeContainer(c, notes);

    bool opened = false;
    QObject::connect(&delegate, &AppDelegate::notesLibraryOpened, &delegate, [&](bool) { opened = true; });
    delegate.useNotesLibrary(notes);
    ASSERT_TRUE(spinUntil([&] { return opened; }));

    const QString importFolder = privateHome.dir.filePath(QStringLiteral("data/group.app.ostrel/Notes Import"));
    for (int round = 0; round < 2; ++round) {
        delegate.startImport();
        ASSERT_TRUE(delegate.progressWindow());
        ASSERT_TRUE(spinUntil([&] { return !delegate.progressWindow()->window()->isVisible(); }, 60000));
        QStringList files;
        for (const QString& entry : testsupport::tree(importFolder))
            if (entry.endsWith(QStringLiteral(".html")))
                files << entry;
        EXPECT_EQ(files, GetParam().written) << "round " << round;
    }
    EXPECT_EQ(asked, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Window, LockedNotesWindow,
    testing::Values(WindowCase{"RightPassword",
                               QByteArray("oolong"),
                               {"iCloud/Notes/Locked A.html", "iCloud/Notes/Locked B.html", "iCloud/Notes/Open.html"}},
                    WindowCase{"WrongPassword", QByteArray("sencha"), {"iCloud/Notes/Open.html"}},
                    WindowCase{"Skipped", std::nullopt, {"iCloud/Notes/Open.html"}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
