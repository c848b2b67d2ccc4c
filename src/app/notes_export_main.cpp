// notes-export: runs one export of a Notes library from the command line.

#include "app/DestinationFolder.h"
#include "export/ExportNoteOperation.h"
#include "export/NotesLibrary.h"
#include "platform/FileURL.h"
#include "platform/Operation.h"
#include "platform/Resources.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
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
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("notes-export"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Exports a Notes library as a folder tree and an import manifest."));
    parser.addHelpOption();
    const QCommandLineOption libraryOption(QStringLiteral("library"),
                                           QStringLiteral("The Notes library folder (default: the bundled sample)."),
                                           QStringLiteral("DIR"));
    const QCommandLineOption destinationOption(QStringLiteral("destination"),
                                               QStringLiteral("The folder to export into; it is emptied first."),
                                               QStringLiteral("DIR"));
    const QCommandLineOption noHandoffOption(QStringLiteral("no-handoff"),
                                             QStringLiteral("Do not hand the export to Ostrel."));
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
    if (!parser.isSet(destinationOption)) {
        printError(QStringLiteral("--destination DIR is required"));
        return ExitUsage;
    }
    const QString libraryPath = parser.isSet(libraryOption)
                                    ? parser.value(libraryOption)
                                    : platform::resourceDirectory() + QStringLiteral("/SampleLibrary");
    const QString destinationPath = QDir(parser.value(destinationOption)).absolutePath();

    platform::Error error;
    const auto library = NotesLibrary::load(libraryPath, &error);
    if (!library) {
        printError(error.localizedDescription());
        return ExitFailure;
    }
    if (!prepareDestinationFolder(destinationPath, libraryPath, &error)) {
        printError(error.localizedDescription());
        return ExitFailure;
    }

    auto operation = ExportNoteOperation::exportOperationForApp(LibraryNotesApplication::make(library),
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

    if (const auto failure = operation->operationError()) {
        printError(failure->localizedDescription());
        return ExitFailure;
    }
    if (operation->isCancelled() && !operation->plistURL()) {
        printError(QStringLiteral("export cancelled"));
        return ExitCancelled;
    }
    if (const auto manifest = operation->plistURL()) {
        printf("%s\n", platform::fileurl::path(*manifest).toLocal8Bit().constData());
        return ExitSuccess;
    }
    printError(QStringLiteral("the export ended without a manifest"));
    return ExitFailure;
}
