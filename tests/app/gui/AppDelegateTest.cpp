#include "app/gui/GuiTestSupport.h"
#include "app/ImportFlow.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QUrlQuery>
#include <gtest/gtest.h>

using testsupport::spinUntil;

namespace {

class AppDelegateTest : public testing::Test, protected testsupport::DelegateHarness {
protected:
    void expectOnlyAlert(const QString& message, const QString& informative, platform::AlertStyle style)
    {
        ASSERT_EQ(alerts.shown.size(), 1u);
        EXPECT_EQ(alerts.shown[0].alert.messageText, message);
        EXPECT_EQ(alerts.shown[0].alert.informativeText, informative);
        EXPECT_EQ(alerts.shown[0].style, style);
    }
    platform::UserDefaults& defaults() { return platform::UserDefaults::standard(); }
};

const QString kLibraryKey = QString::fromLatin1(AppDelegate::kNotesLibraryPathKey);

} // namespace

TEST_F(AppDelegateTest, LaunchJoinsTheSharedSuiteShowsTheTextAndOpensTheSampleLibrary)
{
    ASSERT_TRUE(launch());
    EXPECT_TRUE(defaults().suites().contains(QLatin1String(app::kApplicationGroupIdentifier)));
    const QString text = delegate.textView()->document()->toPlainText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Import your notes into Ostrel")));
    // Its link to the website opens in the user's browser.
    EXPECT_TRUE(delegate.textView()->toHtml().contains(QStringLiteral("href=\"https://")));
    EXPECT_TRUE(qobject_cast<QTextBrowser*>(delegate.textView())->openExternalLinks());
    ASSERT_TRUE(delegate.notesApp());
    EXPECT_FALSE(delegate.notesApp()->accounts().isEmpty());
    EXPECT_EQ(delegate.notesLibraryPath(), AppDelegate::sampleLibraryPath());
    EXPECT_TRUE(alerts.shown.empty());
    EXPECT_EQ(terminated, 0);
}

TEST_F(AppDelegateTest, AMissingLibraryFolderQuitsAfterTheAlertAndIsForgotten)
{
    defaults().setObject(home.filePath(QStringLiteral("gone")), kLibraryKey);
    EXPECT_FALSE(launch());
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].style, platform::AlertStyle::Modal);
    EXPECT_EQ(alerts.shown[0].alert.messageText, QStringLiteral("Could not open Notes"));
    EXPECT_TRUE(alerts.shown[0].alert.informativeText.contains(QStringLiteral("gone")));
    EXPECT_EQ(alerts.shown[0].alert.buttons, QStringList{QStringLiteral("Quit")});
    EXPECT_EQ(terminated, 1);
    EXPECT_FALSE(delegate.notesApp());
    // Otherwise every later launch would end the same way.
    EXPECT_TRUE(defaults().string(kLibraryKey).isEmpty());
}

// A missing Ostrel, or a file where the shared container goes: an alert on
// the window, and no import.
TEST_F(AppDelegateTest, WhatStopsTheImportBeforeItStartsIsShownOnTheWindow)
{
    ASSERT_TRUE(launch());
    const QString container =
        home.filePath(QStringLiteral("data/%1").arg(QLatin1String(app::kApplicationGroupIdentifier)));
    workspace.installed = QUrl();
    delegate.startImport();
    expectOnlyAlert(QStringLiteral("Unable to locate the Ostrel application."),
                    QStringLiteral("Make sure Ostrel is installed and try again."), platform::AlertStyle::Sheet);
    EXPECT_EQ(alerts.shown[0].window, delegate.window());
    EXPECT_FALSE(QFileInfo::exists(container));

    alerts.shown.clear();
    workspace.installed = QUrl::fromLocalFile(QStringLiteral("/apps/app.ostrel.Ostrel.desktop"));
    testsupport::writeFile(container, "x");
    delegate.startImport();
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].alert.messageText, QStringLiteral("Cannot start the import."));
    EXPECT_FALSE(alerts.shown[0].alert.informativeText.isEmpty());
    EXPECT_FALSE(delegate.progressWindow());
}

TEST_F(AppDelegateTest, ASecondStartReplacesTheFirstImportAndASuccessfulHandOffQuits)
{
    ASSERT_TRUE(launch());
    delegate.startImport();
    ProgressWindowController* first = delegate.progressWindow();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->window()->parentWidget(), delegate.window());
    delegate.startImport(); // ignored while the first one runs
    EXPECT_EQ(delegate.progressWindow(), first);
    first->cancelOperation();
    ASSERT_TRUE(sheetEnded());
    EXPECT_EQ(workspace.openCount, 0); // a cancelled import hands nothing over
    testsupport::writeFile(importFolder() + QStringLiteral("/left over.txt"), "x");

    delegate.startImport();
    EXPECT_FALSE(QFileInfo::exists(importFolder() + QStringLiteral("/left over.txt")));
    ASSERT_TRUE(sheetEnded());
    ASSERT_TRUE(spinUntil([&] { return terminated > 0; }));
    EXPECT_EQ(terminated, 1);
    EXPECT_TRUE(alerts.shown.empty());

    ASSERT_EQ(workspace.openedURLs.size(), 1);
    const QUrl handoff = workspace.openedURLs[0];
    EXPECT_EQ(handoff.scheme(), QStringLiteral("ostrel"));
    const QString location = QUrlQuery(handoff).queryItemValue(QStringLiteral("location"), QUrl::FullyDecoded);
    EXPECT_EQ(QUrl(location).toLocalFile(), importFolder() + QStringLiteral("/Notes Import.plist"));
    EXPECT_TRUE(QFile::exists(importFolder() + QStringLiteral("/Notes Import.plist")));
}

// Ostrel fails to start, or has gone by the time the export ends: the
// alert says so and the program keeps running.
TEST_F(AppDelegateTest, AFailedHandOffKeepsTheProgramRunning)
{
    ASSERT_TRUE(launch());
    for (const bool uninstalled : {false, true}) {
        SCOPED_TRACE(uninstalled ? "uninstalled" : "crashed");
        alerts.shown.clear();
        workspace.openResult = platform::Error(QStringLiteral("Test"), 1, QStringLiteral("Ostrel crashed."));
        delegate.startImport();
        if (uninstalled)
            workspace.installed = QUrl();
        ASSERT_TRUE(sheetEnded());
        ASSERT_TRUE(spinUntil([&] { return !alerts.shown.empty(); }));
        expectOnlyAlert(QStringLiteral("Cannot open Ostrel"),
                        uninstalled ? QStringLiteral("Unable to locate the Ostrel application.")
                                    : QStringLiteral("Ostrel crashed."),
                        platform::AlertStyle::Sheet);
        EXPECT_EQ(terminated, 0);
        EXPECT_TRUE(delegate.startButton()->isEnabled());
    }
}

TEST_F(AppDelegateTest, AnotherLibraryIsRememberedOnlyOnceItHasOpened)
{
    ASSERT_TRUE(launch());
    const auto sample = delegate.notesApp();

    EXPECT_FALSE(use(home.filePath(QStringLiteral("nothing here"))));
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].alert.messageText, QStringLiteral("Could not open Notes"));
    EXPECT_EQ(alerts.shown[0].style, platform::AlertStyle::Sheet);
    EXPECT_EQ(terminated, 0);
    EXPECT_EQ(delegate.notesApp(), sample);
    EXPECT_TRUE(defaults().string(kLibraryKey).isEmpty());

    const QString other = home.filePath(QStringLiteral("Other Library"));
    testsupport::writeFile(other + QStringLiteral("/library.json"), R"({"accounts": [{"id": "a", "name": "Home"}]})");
    EXPECT_TRUE(use(other));
    EXPECT_NE(delegate.notesApp(), sample);
    EXPECT_EQ(defaults().string(kLibraryKey), other);
    EXPECT_EQ(delegate.notesLibraryPath(), other);
    // The sample is nothing to remember.
    EXPECT_TRUE(use(AppDelegate::sampleLibraryPath()));
    EXPECT_TRUE(defaults().string(kLibraryKey).isEmpty());
}

// A library is chosen by one of its files, a backup by its folder.
TEST_F(AppDelegateTest, ALibraryIsChosenByItsFileOrFolder)
{
    ASSERT_TRUE(launch());
    const QString other = home.filePath(QStringLiteral("Other Library"));
    testsupport::writeFile(other + QStringLiteral("/library.json"), R"({"accounts": [{"id": "a", "name": "Home"}]})");
    const std::pair<std::function<void()>, QString> cases[] = {
        {[&] { delegate.chooseNotesLibrary(); }, other + QStringLiteral("/library.json")},
        {[&] { delegate.chooseBackupFolder(); }, other},
    };
    for (const auto& [choose, chosen] : cases) {
        SCOPED_TRACE(chosen.toStdString());
        use(AppDelegate::sampleLibraryPath());
        QTimer::singleShot(0, [&chosen] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            dialog->selectFile(chosen);
            static_cast<QDialog*>(dialog)->accept();
        });
        EXPECT_TRUE(opened(choose));
        EXPECT_EQ(delegate.notesLibraryPath(), other);
    }
}
