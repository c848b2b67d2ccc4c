#include "app/gui/GuiTestSupport.h"
#include "app/gui/ProgressWindowController.h"
#include "export/ExportTestSupport.h"
#include "support/FaultyFileManager.h"
#include "platform/FileURL.h"
#include "support/FileFaults.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QWidget>
#include <cerrno>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

// The window flow over a library on disk: the sheet runs the export into
// "Notes Import" inside `parent`, a fault strikes, and the user is told.
class ProgressSheetFaults : public testing::Test, protected ExportScene {
protected:
    void SetUp() override
    {
        window.resize(400, 300);
        window.show();
    }

    // Runs the sheet to its end; `afterNote` runs once `afterNotes` notes are written.
    void run(int afterNotes = -1, std::function<void()> afterNote = {})
    {
        const auto app = loadedApp(library.path);
        ASSERT_TRUE(app);
        controller.showSheetOnWindow(&window, app, platform::fileurl::fromPath(destination, true), [this](int code) {
                                         ++endCount;
                                         endCode = code;
                                     });
        QObject context;
        onNotesWritten(controller.progress(), afterNotes, &context, std::move(afterNote));
        ASSERT_TRUE(spinUntil([this] { return endCount > 0; }, 60000));
    }

    // The alert came once, with the error's own words; nothing else changed.
    void expectToldAndUnchanged(const QString& reasonEnd, int expectedNotes, const QString& libraryNow = QString())
    {
        EXPECT_EQ(endCode, 0);
        EXPECT_FALSE(controller.metadataFileURL());
        ASSERT_EQ(alerts.shown.size(), 1u);
        EXPECT_EQ(alerts.shown[0].style, platform::AlertStyle::Modal);
        EXPECT_EQ(alerts.shown[0].alert.messageText, QStringLiteral("The import could not be completed."));
        const QString informative = alerts.shown[0].alert.informativeText;
        EXPECT_TRUE(informative.endsWith(reasonEnd)) << informative.toStdString();
        EXPECT_FALSE(manifestExists());
        const int written = expectWholeNoteFiles();
        if (expectedNotes >= 0) {
            EXPECT_EQ(written, expectedNotes);
        }
        EXPECT_EQ(changesOutsideDestination(libraryNow), "");
    }

    AlertRecorder alerts;
    QWidget window;
    ProgressWindowController controller;
    int endCount = 0;
    int endCode = -1;
};

} // namespace

TEST_F(ProgressSheetFaults, AFullDiskIsShownWithTheFileItCouldNotSave)
{
    // A real small file system where one can be mounted, a failing file manager elsewhere.
    SmallFileSystem small(64 * 1024);
    platform::FaultyFileManager fallback(ENOSPC, 10000);
    std::optional<FileManagerReplacement> replacement;
    if (small.isMounted()) {
        prepare(small.path() + QStringLiteral("/out"), 40, 6000);
    } else {
        prepare(work.filePath(QStringLiteral("out")));
        replacement.emplace(&fallback);
    }
    run();
    expectToldAndUnchanged(QStringLiteral("couldn’t be saved: No space left on device."), small.isMounted() ? -1 : 3);
}

TEST_F(ProgressSheetFaults, ADestinationThatTurnsReadOnlyIsShown)
{
    SmallFileSystem small(1024 * 1024);
    platform::FaultyFileManager fallback(EROFS);
    std::optional<FileManagerReplacement> replacement;
    if (small.isMounted()) {
        prepare(small.path() + QStringLiteral("/out"));
    } else {
        prepare(work.filePath(QStringLiteral("out")));
        replacement.emplace(&fallback);
    }
    run(3, [&] {
        if (small.isMounted())
            ASSERT_TRUE(small.remountReadOnly());
        else
            fallback.failFromNow(EROFS);
    });
    expectToldAndUnchanged(QStringLiteral("The file “Note 3.html” couldn’t be saved: Read-only file system."), 3);
}

TEST_F(ProgressSheetFaults, ALibraryMovedAwayIsShown)
{
    prepare(work.filePath(QStringLiteral("out")));
    const QString moved = work.filePath(QStringLiteral("Moved Library"));
    run(2, [&] { ASSERT_TRUE(QDir().rename(library.path, moved)); });
    expectToldAndUnchanged(QStringLiteral("“%1” is no longer there: No such file or directory.").arg(library.path), 2, moved);
}
