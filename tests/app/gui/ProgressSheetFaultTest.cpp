#include "app/gui/GuiTestSupport.h"
#include "app/gui/ProgressWindowController.h"
#include "export/ExportTestSupport.h"
#include "platform/FaultyFileManager.h"
#include "platform/FileURL.h"
#include "support/FileFaults.h"
#include "support/TestSupport.h"

#include <QWidget>
#include <cerrno>
#include <gtest/gtest.h>

using namespace testsupport;

// The window flow over a library on disk: the sheet runs the export into
// "Notes Import", the destination turns read-only mid-way, and the user is
// told in the error's own words while nothing else changes.
TEST(ProgressSheetFaults, ADestinationThatTurnsReadOnlyIsShown)
{
    ExportScene scene;
    AlertRecorder alerts;
    QWidget window;
    window.resize(400, 300);
    window.show();
    // A real file system remounted read-only where one can be mounted, a failing file manager elsewhere.
    SmallFileSystem small(1024 * 1024);
    platform::FaultyFileManager fallback(EROFS);
    std::optional<FileManagerReplacement> replacement;
    if (small.isMounted()) {
        scene.prepare(small.path() + QStringLiteral("/out"));
    } else {
        scene.prepare(scene.work.filePath(QStringLiteral("out")));
        replacement.emplace(&fallback);
    }
    const auto app = loadedApp(scene.library.path);
    ASSERT_TRUE(app);
    ProgressWindowController controller;
    int endCount = 0, endCode = -1;
    controller.showSheetOnWindow(&window, app, platform::fileurl::fromPath(scene.destination, true), [&](int code) {
        ++endCount;
        endCode = code;
    });
    QObject context;
    onNotesWritten(controller.progress(), 3, &context, [&] {
        if (small.isMounted())
            ASSERT_TRUE(small.remountReadOnly());
        else
            fallback.failFromNow(EROFS);
    });
    ASSERT_TRUE(spinUntil([&] { return endCount > 0; }, 60000));

    EXPECT_EQ(endCode, 0);
    EXPECT_FALSE(controller.metadataFileURL());
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].style, platform::AlertStyle::Modal);
    EXPECT_EQ(alerts.shown[0].alert.messageText, QStringLiteral("The import could not be completed."));
    const QString informative = alerts.shown[0].alert.informativeText;
    EXPECT_TRUE(informative.endsWith(QStringLiteral("The file “Note 3.html” couldn’t be saved: Read-only file system.")))
        << informative.toStdString();
    EXPECT_FALSE(scene.manifestExists());
    EXPECT_EQ(scene.expectWholeNoteFiles(), 3);
    EXPECT_EQ(scene.changesOutsideDestination(), "");
}
