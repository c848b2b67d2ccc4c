// notes-export: runs one export of a Notes library from the command line.

#include "app/DestinationFolder.h"
#include "app/ImportFlow.h"
#include "app/NotesAccess.h"
#include "export/ExportNoteOperation.h"
#include "export/NotesLibrary.h"
#include "platform/FileManager.h"
#include "platform/FileURL.h"
#include "platform/LocalizedString.h"
#include "platform/Operation.h"
#include "platform/Resources.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

enum ExitCode { ExitSuccess = 0, ExitFailure = 1, ExitUsage = 2, ExitCancelled = 130 };

int interruptPipe[2] = {-1, -1};

void onInterrupt(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto ignored = write(interruptPipe[1], &byte, 1);
    // A second Ctrl-C ends the program at once.
    std::signal(SIGINT, SIG_DFL);
}

void printError(const QString& text)
{
    fprintf(stderr, "notes-export: %s\n", text.toLocal8Bit().constData());
    fflush(stderr);
}

void printAlert(const app::AlertText& alert)
{
    printError(alert.informative.isEmpty() ? alert.message : alert.message + u'\n' + alert.informative);
}

// Shows the export's progress on standard error: a bar that redraws itself
// on a terminal, one line per change of text otherwise.
class ProgressPrinter {
public:
    explicit ProgressPrinter(const platform::Progress& progress)
        : m_progress(progress), m_terminal(isatty(STDERR_FILENO) == 1) {}

    void update()
    {
        const QString description = m_progress.localizedDescription();
        const qint64 done = m_progress.completedUnitCount();
        const qint64 total = m_progress.totalUnitCount();
        if (!m_terminal) {
            if (description == m_lastDescription)
                return;
            m_lastDescription = description;
            const QString counter = total >= 0 ? QStringLiteral("[%1/%2] ").arg(done).arg(total) : QString();
            fprintf(stderr, "%s%s\n", counter.toLocal8Bit().constData(), description.toLocal8Bit().constData());
            fflush(stderr);
            return;
        }
        // Redrawn at most every 50 ms: a large library changes it thousands of times a second.
        if (m_redrawn.isValid() && !m_redrawn.hasExpired(50) && done != total)
            return;
        m_redrawn.start();
        constexpr int barWidth = 24;
        const int filled = total > 0 ? int(barWidth * m_progress.fractionCompleted()) : 0;
        QString bar = total < 0 ? QStringLiteral("[%1]").arg(QString(barWidth, u'.'))
                                : QStringLiteral("[%1%2] %3/%4").arg(QString(filled, u'#'), QString(barWidth - filled, u' '))
                                      .arg(done)
                                      .arg(total);
        QString line = bar + u' ' + description;
        const int width = terminalWidth();
        if (line.size() > width - 1)
            line = line.left(width - 2) + u'…';
        fprintf(stderr, "\r\033[K%s", line.toLocal8Bit().constData());
        fflush(stderr);
        m_lineOpen = true;
    }

    void finish()
    {
        if (m_lineOpen)
            fprintf(stderr, "\n");
        m_lineOpen = false;
    }

private:
    static int terminalWidth()
    {
        winsize size{};
        return ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 10 ? size.ws_col : 80;
    }

    const platform::Progress& m_progress;
    const bool m_terminal;
    QString m_lastDescription;
    bool m_lineOpen = false;
    QElapsedTimer m_redrawn;
};

} // namespace

int main(int argc, char* argv[])
{
    // Styled documents need the GUI side of Qt, but never a display.
    const bool choosePlatform = qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (choosePlatform)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // Ostrel, launched from here, must not inherit a display-less platform.
    if (choosePlatform)
        qunsetenv("QT_QPA_PLATFORM");
    QCoreApplication::setApplicationName(QStringLiteral("notes-export"));

    // Settings Ostrel keeps in the shared suite (note styles among them) apply here too.
    platform::UserDefaults::standard().addSuite(QString::fromLatin1(app::kApplicationGroupIdentifier));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Exports a Notes library and hands it to Ostrel for import."));
    parser.addHelpOption();
    const QCommandLineOption libraryOption(QStringLiteral("library"),
                                           QStringLiteral("The Notes library: a folder holding library.json, "
                                                          "a Notes folder copied from a Mac or its "
                                                          "NoteStore.sqlite (default: the bundled sample)."),
                                           QStringLiteral("PATH"));
    const QCommandLineOption destinationOption(QStringLiteral("destination"),
                                               QStringLiteral("The folder to export into; it is emptied first "
                                                              "(default: \"Notes Import\" in the shared container)."),
                                               QStringLiteral("DIR"));
    const QCommandLineOption noHandoffOption(QStringLiteral("no-handoff"),
                                             QStringLiteral("Do not check for Ostrel or hand the export to it; "
                                                            "print the hand-off URL instead."));
    parser.addOptions({libraryOption, destinationOption, noHandoffOption});
    if (!parser.parse(app.arguments())) {
        printError(parser.errorText());
        return ExitUsage;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(ExitSuccess);
    if (!parser.positionalArguments().isEmpty()) {
        printError(QStringLiteral("unexpected argument “%1”").arg(parser.positionalArguments().constFirst()));
        return ExitUsage;
    }
    const bool handsOff = !parser.isSet(noHandoffOption);
    const QString libraryPath = parser.isSet(libraryOption)
                                    ? parser.value(libraryOption)
                                    : platform::resourceDirectory() + QStringLiteral("/SampleLibrary");

    platform::Error error;
    const auto notesApp = app::openNotes(libraryPath, &error);
    if (!notesApp) {
        printError(error.localizedDescription());
        return ExitFailure;
    }
    if (handsOff) {
        if (const auto problem = app::ostrelVersionProblem(*platform::Workspace::sharedWorkspace())) {
            printAlert(*problem);
            return ExitFailure;
        }
    }

    QString destinationPath;
    if (parser.isSet(destinationOption)) {
        destinationPath = QDir(parser.value(destinationOption)).absolutePath();
        if (!prepareDestinationFolder(destinationPath, app::libraryFolder(libraryPath), &error)) {
            printError(error.localizedDescription());
            return ExitFailure;
        }
    } else {
        // The shared folder is wiped without asking, so it must not hold the library.
        const QString container = platform::fileurl::path(platform::FileManager::defaultManager()->containerURL(
            QString::fromLatin1(app::kApplicationGroupIdentifier)));
        if (!container.isEmpty() && !checkOutsideLibrary(container + u'/' + QLatin1String(app::kImportFolderName),
                                                         app::libraryFolder(libraryPath), &error)) {
            printError(error.localizedDescription());
            return ExitFailure;
        }
        const auto folder = app::prepareImportFolder(&error);
        if (!folder) {
            printAlert({platform::localizedString("Cannot start the import."), error.localizedDescription()});
            return ExitFailure;
        }
        destinationPath = platform::fileurl::path(*folder);
    }

    auto operation = ExportNoteOperation::exportOperationForApp(notesApp,
                                                                platform::fileurl::fromPath(destinationPath, true));
    ProgressPrinter printer(*operation->progress());
    QObject::connect(operation->progress().get(), &platform::Progress::changed, [&printer] { printer.update(); });

    if (pipe2(interruptPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        auto* notifier = new QSocketNotifier(interruptPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, [operation, notifier] {
            char byte;
            while (read(interruptPipe[0], &byte, 1) > 0) {
            }
            notifier->setEnabled(false);
            operation->cancel();
        });
        std::signal(SIGINT, onInterrupt);
    }

    platform::OperationQueue queue;
    std::weak_ptr<ExportNoteOperation> weakOperation = operation;
    operation->setCompletionBlock([weakOperation] {
        platform::OperationQueue::mainQueue()->addOperationWithBlock([weakOperation] {
            const auto finished = weakOperation.lock();
            QCoreApplication::exit(finished && finished->plistURL() ? ExitSuccess : ExitFailure);
        });
    });
    queue.addOperation(operation);
    app.exec();
    printer.finish();
    // Also after a failure or a cancel: what was written stays, so say what it is.
    for (const QString& line : operation->summary().lines())
        fprintf(stderr, "%s\n", line.toLocal8Bit().constData());

    if (const auto failure = operation->operationError()) {
        printError(failure->localizedDescription());
        return ExitFailure;
    }
    if (operation->isCancelled() && !operation->plistURL()) {
        printError(QStringLiteral("export cancelled"));
        return ExitCancelled;
    }
    const auto manifest = operation->plistURL();
    if (!manifest) {
        printError(QStringLiteral("the export ended without a manifest"));
        return ExitFailure;
    }
    printf("%s\n", platform::fileurl::path(*manifest).toLocal8Bit().constData());
    if (!handsOff) {
        printf("%s\n", app::handoffURL(*manifest).toString(QUrl::FullyEncoded).toLocal8Bit().constData());
        return ExitSuccess;
    }
    fflush(stdout);

    int handoffResult = ExitFailure;
    app::openOstrel(*platform::Workspace::sharedWorkspace(), *manifest,
                    [&handoffResult](const std::optional<app::AlertText>& failure) {
                        if (failure)
                            printAlert(*failure);
                        handoffResult = failure ? ExitFailure : ExitSuccess;
                        QCoreApplication::exit(handoffResult);
                    });
    app.exec();
    return handoffResult;
}
