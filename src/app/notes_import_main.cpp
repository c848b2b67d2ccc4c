#include "app/CommandLine.h"
#include "app/ImportLock.h"
#include "app/gui/AppDelegate.h"
#include "export/ExportStaging.h"
#include "platform/Alert.h"
#include "platform/LocalizedString.h"
#include "platform/Log.h"
#include "platform/Memory.h"
#include "platform/Translations.h"
#include "platform/Xdg.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMainWindow>
#include <QTimer>

namespace {

// Answers the exit code when the command line says the program should not
// open its window: --help, --version or a wrong argument.
std::optional<int> handleCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(platform::localizedString("Exports a Notes library and hands it to Ostrel for import, in a window."));
    app::addStandardOptions(parser);
    if (const auto exitCode = app::parseCommandLine(parser, arguments))
        return exitCode;
    if (!parser.positionalArguments().isEmpty()) {
        app::printError(platform::localizedString("unexpected argument “%1”").arg(parser.positionalArguments().constFirst()));
        return app::ExitUsage;
    }
    return std::nullopt;
}

// --help, --version and a wrong option are answered without a display,
// before the window system is reached. Qt's own options (-platform,
// -display…) are written with one dash and left to it.
bool asksForTextOnly(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "-h" || argument == "-v" || argument.startsWith("--"))
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    platform::useFewHeaps();
    platform::xdg::provideRuntimeDirectory();
    if (asksForTextOnly(argc, argv)) {
        QCoreApplication application(argc, argv);
        app::setUpProgram("notes-import");
        platform::installTranslations();
        return handleCommandLine(application.arguments()).value_or(app::ExitUsage);
    }
    QApplication application(argc, argv);
    app::setUpProgram("notes-import");
    platform::installTranslations();
    if (const auto exitCode = handleCommandLine(application.arguments()))
        return *exitCode;
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
