#include "app/gui/ProgressWindowController.h"
#include "app/gui/GuiTestSupport.h"
#include "app/gui/MiddleElidedLabel.h"
#include "export/ExportTestSupport.h"
#include "export/OperationQueueExtensions.h"
#include "support/FaultyFileManager.h"
#include "platform/FileURL.h"
#include "support/FileFaults.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScopeGuard>
#include <cerrno>
#include <future>
#include <gtest/gtest.h>

using testsupport::libraryApp;
using testsupport::spinUntil;

namespace {

const QByteArray kLibrary = R"({
  "accounts": [{"id": "a1", "name": "Work", "folders": ["f1"]}],
  "folders": [{"id": "f1", "name": "Notes", "notes": ["n1", "n2", "n3"]}],
  "notes": [{"id": "n1", "name": "One", "body": "<div>1</div>"},
            {"id": "n2", "name": "Two", "body": "<div>2</div>"},
            {"id": "n3", "name": "Three", "body": "<div>3</div>"}]
})";

class ProgressSheet : public testing::Test {
protected:
    void SetUp() override
    {
        parent.resize(400, 300);
        parent.show();
        QDir().mkpath(destination);
    }

    // Starts the export; the handler records each end code.
    void start(std::shared_ptr<NotesApplication> app)
    {
        controller.showSheetOnWindow(&parent, std::move(app), platform::fileurl::fromPath(destination, true),
                                     [this](int code) { ends << code; });
    }
    bool ended() { return spinUntil([this] { return !ends.isEmpty(); }, 60000); }
    QString manifestPath() const { return destination + QStringLiteral("/Notes Import.plist"); }
    // Whether the sheet is up, how often and how it ended, the manifest and the alerts.
    std::string state()
    {
        return QStringLiteral("%1, ended %2x with %3, %4 manifest, %5 alerts")
            .arg(controller.window()->isVisible() ? "shown" : "hidden")
            .arg(ends.size())
            .arg(ends.value(0, -1))
            .arg(QFile::exists(manifestPath()) ? "a" : "no")
            .arg(alerts.shown.size())
            .toStdString();
    }

    testsupport::AlertRecorder alerts;
    testsupport::TempDir root;
    QString destination = root.filePath(QStringLiteral("Notes Import"));
    QWidget parent;
    ProgressWindowController controller;
    QList<int> ends;
};

} // namespace

TEST_F(ProgressSheet, ASuccessfulExportEndsWithOneAndTheManifest)
{
    const auto app = libraryApp(kLibrary);
    start(app);
    EXPECT_EQ(controller.notesApp(), app);
    EXPECT_EQ(controller.folderURL(), platform::fileurl::fromPath(destination, true));
    // The end always comes through the main queue, never from inside the call.
    EXPECT_EQ(state(), "shown, ended 0x with -1, no manifest, 0 alerts");
    EXPECT_EQ(controller.window()->windowModality(), Qt::WindowModal);
    EXPECT_EQ(controller.progressIndicator()->maximum(), 0); // indeterminate until the total is known

    ASSERT_TRUE(ended());
    EXPECT_EQ(state(), "hidden, ended 1x with 1, a manifest, 0 alerts");
    EXPECT_EQ(controller.metadataFileURL(), platform::fileurl::fromPath(manifestPath(), false));
    EXPECT_EQ(controller.progress()->completedUnitCount(), 3);
    const QProgressBar* bar = controller.progressIndicator();
    EXPECT_EQ(std::pair(bar->value(), bar->maximum()), std::pair(1000, 1000));
}

TEST_F(ProgressSheet, CancellingDuringEnumerationEndsWithZeroOnceTheExportStops)
{
    auto app = libraryApp(kLibrary);
    std::atomic<bool> cancelled{false};
    bool endedBeforeCancelReturned = true;
    app->setRequestObserver([&](const testsupport::WatchedNotesApplication::Request&) {
        if (cancelled.exchange(true))
            return;
        fw::addOperationWithBlockAndWaitUntilFinished(platform::OperationQueue::mainQueue(), [&] {
            controller.cancelOperation();
            endedBeforeCancelReturned = !ends.isEmpty();
        });
    });
    start(app);
    ASSERT_TRUE(ended());
    EXPECT_FALSE(endedBeforeCancelReturned); // the sheet stayed up after the cancel
    EXPECT_TRUE(controller.isCancelled());
    // The progress changed once more after the cancel; the sheet kept saying why it waits.
    EXPECT_EQ(controller.window()->findChild<MiddleElidedLabel*>()->text(), QStringLiteral("Cancelling…"));
    EXPECT_EQ(state(), "hidden, ended 1x with 0, no manifest, 0 alerts");
}

TEST_F(ProgressSheet, ACancelAfterTheExportFinishedButBeforeItsResultArrivedStillEndsWithZero)
{
    start(libraryApp(kLibrary));
    // The last progress change comes just before the manifest is written.
    // A main-queue block queued from it runs ahead of the result: it waits
    // for the worker to finish completely, then cancels.
    bool finishedBeforeCancel = false;
    QObject::connect(controller.progress().get(), &platform::Progress::changed, &parent, [&] {
        if (controller.progress()->localizedDescription() != QStringLiteral("Finishing…"))
            return;
        platform::OperationQueue::mainQueue()->addOperationWithBlock([&] {
            controller.operationQueue()->waitUntilAllOperationsAreFinished();
            finishedBeforeCancel = QFile::exists(manifestPath()) && ends.isEmpty();
            controller.cancelOperation();
        });
    });
    ASSERT_TRUE(ended());
    EXPECT_TRUE(finishedBeforeCancel);
    EXPECT_EQ(ends, QList<int>{0});
    EXPECT_TRUE(alerts.shown.empty());
}

TEST_F(ProgressSheet, EscapeAndClosingTheSheetCancelWithoutClosingIt)
{
    start(libraryApp(kLibrary));
    QDialog* sheet = controller.window();
    sheet->close();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_TRUE(controller.isCancelled());

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(sheet, &escape);
    EXPECT_TRUE(sheet->isVisible()); // up until the export has stopped
    ASSERT_TRUE(ended());
    EXPECT_EQ(state(), "hidden, ended 1x with 0, no manifest, 0 alerts");
}

TEST(ProgressSheetLifetime, DroppingTheControllerMidExportNeitherHangsNorEnds)
{
    const testsupport::TempDir root;
    auto app = libraryApp(kLibrary);
    std::atomic<bool> requested{false};
    // The first request (enumeration, on the worker) waits until the
    // controller is gone; otherwise a quick export may end first.
    std::promise<void> dropped;
    std::shared_future<void> droppedFuture = dropped.get_future().share();
    app->setRequestObserver([&requested, droppedFuture](const testsupport::WatchedNotesApplication::Request&) {
        if (!requested.exchange(true))
            droppedFuture.wait();
    });
    bool handlerCalled = false;
    {
        // Released once the controller is gone, whatever happens.
        const auto release = qScopeGuard([&] { dropped.set_value(); });
        ProgressWindowController controller;
        controller.showSheetOnWindow(nullptr, app, root.url(), [&](int) { handlerCalled = true; });
        ASSERT_TRUE(spinUntil([&] { return requested.load(); }));
    }
    // The export still needs the main thread for its progress; it stops and
    // lets go of the Notes object without anyone waiting on the main thread.
    EXPECT_TRUE(spinUntil([&] { return app.use_count() == 1; }));
    EXPECT_FALSE(handlerCalled);
}

// A note's name is its first line and may be very long: the sheet keeps its
// width and shows the start and the end of the name with "…" between.
TEST_F(ProgressSheet, ALongNoteNameIsElidedInTheMiddle)
{
    QDialog* sheet = controller.window();
    auto* label = sheet->findChild<MiddleElidedLabel*>();
    ASSERT_TRUE(label) << "the description is not a middle-eliding label";
    sheet->show();
    QApplication::processEvents();
    const int width = sheet->width();
    const std::pair<QString, const char*> cases[] = { // a name, and a pattern of what is shown
        {QStringLiteral("Short"), "^Exporting “Short”…$"},
        {QStringLiteral("Start of the name ") + QString(264, u'x') + QStringLiteral(" end of it"),
         "^Exporting “Start.*….*end of it”…$"}};
    for (const auto& [name, shown] : cases) {
        const QString text = QStringLiteral("Exporting “%1”…").arg(name);
        label->setText(text);
        QApplication::processEvents();
        EXPECT_EQ(sheet->width(), width);
        EXPECT_LE(sheet->minimumSizeHint().width(), width);
        EXPECT_LE(label->geometry().right(), width);
        EXPECT_EQ(label->text(), text);
        EXPECT_TRUE(QRegularExpression(QString::fromUtf8(shown)).match(label->displayedText()).hasMatch())
            << label->displayedText().toStdString();
    }
}

// An export that fails tells the user in the error's own words.
TEST_F(ProgressSheet, AFailedExportIsShownWithItsReason)
{
    // The account folder fits, the folder "Notes" does not.
    platform::FaultyFileManager disk(EROFS, platform::FaultyFileManager::kUnlimited, 1);
    testsupport::FileManagerReplacement replacement(&disk);
    start(libraryApp(kLibrary));
    ASSERT_TRUE(ended());
    EXPECT_EQ(state(), "hidden, ended 1x with 0, no manifest, 1 alerts");
    EXPECT_FALSE(controller.metadataFileURL());
    const QStringList alert = alerts.only();
    EXPECT_EQ(alert.mid(0, 2), (QStringList{"modal", "The import could not be completed."}));
    EXPECT_TRUE(alert.value(2).endsWith(QStringLiteral("The folder “Notes” couldn’t be created: Read-only file system.")))
        << alert.value(2).toStdString();
}
