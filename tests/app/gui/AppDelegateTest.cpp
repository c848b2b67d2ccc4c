#include "app/gui/GuiTestSupport.h"
#include "app/ImportFlow.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
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

// Where the first link of the document starts, and its target.
std::pair<int, QString> firstLink(const QTextDocument& document)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().isAnchor())
                return {fragment.position(), fragment.charFormat().anchorHref()};
        }
    }
    return {-1, QString()};
}

} // namespace

TEST_F(AppDelegateTest, LaunchJoinsTheSharedSuiteShowsTheTextAndOpensTheSampleLibrary)
{
    ASSERT_TRUE(launch());
    EXPECT_TRUE(defaults().suites().contains(QLatin1String(app::kApplicationGroupIdentifier)));
    EXPECT_TRUE(delegate.textView()->document()->toPlainText().startsWith(QStringLiteral("Import your notes into Ostrel")));
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
    const QString container = home.filePath(QStringLiteral("data/%1").arg(QLatin1String(app::kApplicationGroupIdentifier)));
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
}

// Takes the URLs the program asks the desktop to open, instead of a browser.
class InfoLinkOpenedURLs : public QObject {
    Q_OBJECT
public:
    InfoLinkOpenedURLs() { QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open"); }
    ~InfoLinkOpenedURLs() override { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

TEST_F(AppDelegateTest, TheLinkInTheTextOpensInTheBrowser)
{
    ASSERT_TRUE(launch());
    delegate.window()->show();
    QTextEdit* view = delegate.textView();
    const auto [position, target] = firstLink(*view->document());
    ASSERT_GE(position, 0) << "the text has no link";
    EXPECT_TRUE(target.startsWith(QStringLiteral("https://")));

    InfoLinkOpenedURLs opened;
    QTextCursor cursor(view->document());
    cursor.setPosition(position + 1);
    view->setTextCursor(cursor);
    view->ensureCursorVisible();
    const QPoint at = view->cursorRect(cursor).center();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, view->viewport()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &event);
    }
    EXPECT_EQ(opened.urls, QList<QUrl>{QUrl(target)});
}

#include "AppDelegateTest.moc"
