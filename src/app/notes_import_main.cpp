#include "app/gui/AppDelegate.h"

#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("notes-import"));
    // Ties the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("app.ostrel.notes-import"));
    AppDelegate delegate;
    delegate.window()->show();
    // Launch work starts once the event loop runs, as it does for the platform's delegates.
    QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
    return application.exec();
}
