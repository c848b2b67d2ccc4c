#pragma once

#include "app/FakeWorkspace.h"
#include "app/gui/AppDelegate.h"
#include "platform/Alert.h"
#include "support/TestSupport.h"

#include <QRegularExpression>
#include <QWidget>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace testsupport {

// Records every alert instead of showing it, for as long as it lives.
class AlertRecorder {
public:
    struct Shown {
        platform::Alert alert;
        platform::AlertStyle style;
        QWidget* window;
    };

    AlertRecorder()
    {
        m_previous = platform::setAlertPresenter([this](const platform::Alert& alert, platform::AlertStyle style,
                                                        QWidget* window) {
            shown.push_back({alert, style, window});
            return 0;
        });
    }
    ~AlertRecorder() { platform::setAlertPresenter(m_previous); }
    AlertRecorder(const AlertRecorder&) = delete;
    AlertRecorder& operator=(const AlertRecorder&) = delete;

    // The style, message, informative text and buttons of the one alert shown.
    QStringList only() const
    {
        if (shown.size() != 1)
            return {QStringLiteral("%1 alerts").arg(shown.size())};
        const platform::Alert& alert = shown[0].alert;
        const char* style = shown[0].style == platform::AlertStyle::Sheet ? "sheet" : "modal";
        return QStringList{QString::fromLatin1(style), alert.messageText, alert.informativeText} + alert.buttons;
    }

    std::vector<Shown> shown;

private:
    platform::AlertPresenter m_previous;
};

// The window program in a home of its own, its alerts recorded, with a
// recent enough Ostrel installed and a terminate handler that only counts.
class DelegateHarness {
public:
    DelegateHarness()
    {
        workspace.installed = QUrl::fromLocalFile(QStringLiteral("/apps/app.ostrel.Ostrel.desktop"));
        workspace.version = QStringLiteral("1.10.4");
        delegate.setTerminateHandler([this] { ++terminated; });
    }

    // Runs `open` and waits until a library has been opened (or not).
    bool opened(const std::function<void()>& open)
    {
        std::optional<bool> success;
        QObject::connect(&delegate, &AppDelegate::notesLibraryOpened, &delegate, [&](bool ok) { success = ok; });
        open();
        EXPECT_TRUE(spinUntil([&] { return success.has_value(); }, 60000));
        QObject::disconnect(&delegate, &AppDelegate::notesLibraryOpened, &delegate, nullptr);
        return success.value_or(false);
    }
    bool launch() { return opened([this] { delegate.applicationDidFinishLaunching(); }); }
    bool use(const QString& library) { return opened([&] { delegate.useNotesLibrary(library); }); }

    QString importFolder() const { return home.filePath(QStringLiteral("data/group.app.ostrel/Notes Import")); }
    bool sheetEnded()
    {
        return spinUntil([this] { return !delegate.progressWindow()->window()->isVisible(); }, 60000);
    }
    // Starts an import, waits for its end and lists the notes written as ".html".
    QStringList importedNotes()
    {
        delegate.startImport();
        if (!delegate.progressWindow() || !sheetEnded())
            return {QStringLiteral("(the import did not end)")};
        return tree(importFolder()).filter(QRegularExpression(QStringLiteral("\\.html$")));
    }

    PrivateHome privateHome;
    TempDir& home = privateHome.dir;
    AlertRecorder alerts;
    FakeWorkspace workspace;
    AppDelegate delegate{&workspace};
    int terminated = 0;
};

} // namespace testsupport
