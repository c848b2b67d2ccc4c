#include "app/gui/GuiTestSupport.h"
#include "app/ImportFlow.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <gtest/gtest.h>

using testsupport::spinUntil;

namespace {

class AppDelegateTest : public testing::Test, protected testsupport::DelegateHarness {
protected:
    platform::UserDefaults& defaults() { return platform::UserDefaults::standard(); }
};

const QString kLibraryKey = QString::fromLatin1(AppDelegate::kNotesLibraryPathKey);

} // namespace

TEST_F(AppDelegateTest, AMissingLibraryFolderQuitsAfterTheAlertAndIsForgotten)
{
    defaults().setObject(home.filePath(QStringLiteral("gone")), kLibraryKey);
    EXPECT_FALSE(launch());
    const QStringList alert = alerts.only();
    EXPECT_EQ(alert, (QStringList{"modal", "Could not open Notes", alert.value(2), "Quit"}));
    EXPECT_TRUE(alert.value(2).contains(QStringLiteral("gone")));
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
    EXPECT_EQ(alerts.only(), (QStringList{"sheet", "Unable to locate the Ostrel application.",
                                        "Make sure Ostrel is installed and try again."}));
    EXPECT_EQ(alerts.shown.at(0).window, delegate.window());
    EXPECT_FALSE(QFileInfo::exists(container));

    alerts.shown.clear();
    workspace.installed = QUrl::fromLocalFile(QStringLiteral("/apps/app.ostrel.Ostrel.desktop"));
    testsupport::writeFile(container, "x");
    delegate.startImport();
    EXPECT_EQ(alerts.only().value(1), QStringLiteral("Cannot start the import."));
    EXPECT_FALSE(alerts.only().value(2).isEmpty());
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
    EXPECT_TRUE(workspace.openedURLs.isEmpty()); // a cancelled import hands nothing over
    testsupport::writeFile(importFolder() + QStringLiteral("/left over.txt"), "x");

    delegate.startImport();
    EXPECT_FALSE(QFileInfo::exists(importFolder() + QStringLiteral("/left over.txt")));
    ASSERT_TRUE(sheetEnded());
    ASSERT_TRUE(spinUntil([&] { return terminated > 0; }));
    EXPECT_EQ(terminated, 1);
    EXPECT_TRUE(alerts.shown.empty());

    const QString manifest = importFolder() + QStringLiteral("/Notes Import.plist");
    EXPECT_EQ(workspace.openedURLs, QList<QUrl>{app::handoffURL(QUrl::fromLocalFile(manifest))});
    EXPECT_TRUE(QFile::exists(manifest));
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
        const char* informative = uninstalled ? "Unable to locate the Ostrel application." : "Ostrel crashed.";
        EXPECT_EQ(alerts.only(), (QStringList{"sheet", "Cannot open Ostrel", informative}));
        EXPECT_EQ(terminated, 0);
        EXPECT_TRUE(delegate.startButton()->isEnabled());
    }
}

// The launch joins the shared suite, shows the text and opens the sample.
// A library is chosen by one of its files, a backup by its folder; either is
// remembered only once it has opened, and the sample never.
TEST_F(AppDelegateTest, AnotherLibraryIsChosenAndRememberedOnlyOnceItHasOpened)
{
    ASSERT_TRUE(launch());
    EXPECT_TRUE(defaults().suites().contains(QLatin1String(app::kApplicationGroupIdentifier)));
    const QString text = delegate.textView()->document()->toPlainText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Import your notes into Ostrel")));
    // Its link to the website opens in the user's browser.
    EXPECT_TRUE(delegate.textView()->toHtml().contains(QStringLiteral("href=\"https://")));
    EXPECT_TRUE(qobject_cast<QTextBrowser*>(delegate.textView())->openExternalLinks());
    const auto sample = delegate.notesApp();
    ASSERT_TRUE(sample);
    EXPECT_FALSE(sample->accounts().isEmpty());
    EXPECT_EQ(delegate.notesLibraryPath(), AppDelegate::sampleLibraryPath());
    EXPECT_TRUE(alerts.shown.empty());

    EXPECT_FALSE(use(home.filePath(QStringLiteral("nothing here"))));
    EXPECT_EQ(alerts.only().mid(0, 2), (QStringList{"sheet", "Could not open Notes"}));
    EXPECT_EQ(terminated, 0);
    EXPECT_EQ(delegate.notesApp(), sample);
    EXPECT_TRUE(defaults().string(kLibraryKey).isEmpty());

    const QString other = home.filePath(QStringLiteral("Other Library"));
    testsupport::writeFile(other + QStringLiteral("/library.json"), R"({"accounts": [{"id": "a", "name": "Home"}]})");
    const std::pair<std::function<void()>, QString> cases[] = {
        {[&] { delegate.chooseNotesLibrary(); }, other + QStringLiteral("/library.json")},
        {[&] { delegate.chooseBackupFolder(); }, other},
    };
    for (const auto& [choose, chosen] : cases) {
        SCOPED_TRACE(chosen.toStdString());
        QTimer::singleShot(0, [&chosen] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            dialog->selectFile(chosen);
            static_cast<QDialog*>(dialog)->accept();
        });
        EXPECT_TRUE(opened(choose));
        EXPECT_NE(delegate.notesApp(), sample);
        EXPECT_EQ(defaults().string(kLibraryKey), other);
        EXPECT_EQ(delegate.notesLibraryPath(), other);
        EXPECT_TRUE(use(AppDelegate::sampleLibraryPath()));
        EXPECT_TRUE(defaults().string(kLibraryKey).isEmpty());
    }
}
