#include "app/ImportLock.h"
#include "app/gui/AppDelegate.h"
#include "export/ExportStaging.h"
#include "platform/Alert.h"
#include "platform/LocalizedString.h"
#include "platform/Log.h"
#include "platform/Memory.h"

#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char** argv)
{
    platform::useOneHeapForAllThreads();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("notes-import"));
    // Ties the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("app.ostrel.notes-import"));
    // One import at a time into the shared folder, held while the window is open.
    platform::Error error;
    const auto importLock = app::ImportLock::acquireShared(&error);
    if (!importLock) {
        platform::logLine(error.localizedDescription());
        platform::runModalAlert({platform::localizedString("Cannot start the import."), error.localizedDescription(), {}});
        return 1;
    }
    for (const QString& leftOver : removeStaleStagingFolders())
        platform::logLine(QStringLiteral("Could not remove an old staging folder: %1").arg(leftOver));
    AppDelegate delegate;
    delegate.window()->show();
    // Launch work starts once the event loop runs, as it does for the platform's delegates.
    QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
    return application.exec();
}
