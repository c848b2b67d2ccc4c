// notes-export: runs one export of a Notes library from the command line.

#include "app/CommandLine.h"
#include "app/DestinationFolder.h"
#include "app/ImportFlow.h"
#include "app/ImportLock.h"
#include "app/Interrupts.h"
#include "app/NotesAccess.h"
#include "app/Passwords.h"
#include "app/ProgressPrinter.h"
#include "backup/BackupFolder.h"
#include "export/ExportNoteOperation.h"
#include "export/ExportStaging.h"
#include "export/NotesLibrary.h"
#include "platform/FileManager.h"
#include "platform/FileURL.h"
#include "platform/LocalizedString.h"
#include "platform/Memory.h"
#include "platform/Operation.h"
#include "platform/Resources.h"
#include "platform/Translations.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "platform/Xdg.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using app::ExitCancelled;
using app::ExitFailure;
using app::ExitSuccess;
using app::ExitUsage;
using app::printError;

namespace {

void printAlert(const app::AlertText& alert)
{
    printError(alert.informative.isEmpty() ? alert.message : alert.message + u'\n' + alert.informative);
}

} // namespace

int main(int argc, char* argv[])
{
    platform::useFewHeaps();
    platform::xdg::provideRuntimeDirectory();
    // Styled documents need the GUI side of Qt, but never a display.
    const bool choosePlatform = qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (choosePlatform)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // Ostrel, launched from here, must not inherit a display-less platform.
    if (choosePlatform)
        qunsetenv("QT_QPA_PLATFORM");
    app::setUpProgram("notes-export");
    platform::installTranslations();

    // Settings Ostrel keeps in the shared suite (note styles among them) apply here too.
    platform::UserDefaults::standard().addSuite(QString::fromLatin1(app::kApplicationGroupIdentifier));

    QCommandLineParser parser;
    parser.setApplicationDescription(platform::localizedString("Exports a Notes library and hands it to Ostrel for import."));
    app::addStandardOptions(parser);
    const QCommandLineOption libraryOption(QStringLiteral("library"),
                                           platform::localizedString("The Notes library: a folder holding library.json, "
                                                          "a Notes folder copied from a Mac or its "
                                                          "NoteStore.sqlite, or an iPhone or iPad backup "
                                                          "(default: the bundled sample)."),
                                           QStringLiteral("PATH"));
    const QCommandLineOption destinationOption(QStringLiteral("destination"),
                                               platform::localizedString("The folder to export into; it is emptied first "
                                                              "(default: \"Notes Import\" in the shared container)."),
                                               QStringLiteral("DIR"));
    const QCommandLineOption noHandoffOption(QStringLiteral("no-handoff"),
                                             platform::localizedString("Do not check for Ostrel or hand the export to it; "
                                                            "print the hand-off URL instead."));
    // Passwords come from a file or the terminal only: a command line and
    // the environment are visible to other users and end up in logs.
    const QCommandLineOption passwordFileOption(QStringLiteral("password-file"),
                                                platform::localizedString("Passwords for an encrypted backup and locked notes, "
                                                               "one per line; each is tried on every one."),
                                                QStringLiteral("FILE"));
    const QCommandLineOption askPasswordOption(QStringLiteral("ask-password"),
                                               platform::localizedString("Ask on the terminal for the password of an encrypted "
                                                              "backup, then of locked notes (only when there are any)."));
    parser.addOptions({libraryOption, destinationOption, noHandoffOption, passwordFileOption, askPasswordOption});
    if (const auto exitCode = app::parseCommandLine(parser, app.arguments()))
        return *exitCode;
    if (!parser.positionalArguments().isEmpty()) {
        printError(platform::localizedString("unexpected argument “%1”").arg(parser.positionalArguments().constFirst()));
        return ExitUsage;
    }
    if (parser.isSet(askPasswordOption) && !isatty(STDIN_FILENO)) {
        printError(platform::localizedString("--ask-password needs a terminal on standard input; use --password-file"));
        return ExitUsage;
    }
    const bool handsOff = !parser.isSet(noHandoffOption);
    const QString libraryPath = parser.isSet(libraryOption)
                                    ? parser.value(libraryOption)
                                    : platform::resourceDirectory() + QStringLiteral("/SampleLibrary");

    // Read once (it may be a pipe): the passwords serve an encrypted backup and the locked notes.
    notestore::PasswordList passwords;
    if (parser.isSet(passwordFileOption)) {
        QString problem;
        auto fromFile = app::readPasswordFile(parser.value(passwordFileOption), &problem);
        if (!fromFile) {
            printError(problem);
            return ExitFailure;
        }
        passwords = std::move(*fromFile);
    }
    const bool ask = parser.isSet(askPasswordOption);
    notestore::PasswordList typedForBackup;
    app::BackupUnlock unlock;
    unlock.passwords = [&](const backup::BackupSummary& summary, QString* problem)
        -> std::optional<notestore::PasswordList> {
        notestore::PasswordList tried = app::clonePasswords(passwords);
        if (ask) {
            auto typed = app::askPassword(STDIN_FILENO, STDERR_FILENO, app::backupPasswordPrompt(summary.displayName()),
                                          problem);
            if (!typed)
                return std::nullopt;
            if (!typed->isEmpty()) {
                typedForBackup.push_back(typed->clone());
                tried.push_back(std::move(*typed));
            }
        }
        return tried;
    };
    unlock.deriving = [] {
        fprintf(stderr, "Opening the encrypted backup…\n");
        fflush(stderr);
    };

    platform::Error error;
    const auto notesApp = app::openNotes(libraryPath, &error, unlock);
    if (!notesApp) {
        printError(error.localizedDescription());
        if (error.domain() == QLatin1String(backup::kErrorDomain) && error.code() == backup::ErrorNoPassword && !ask
            && passwords.empty())
            printError(platform::localizedString("give its password with --password-file or --ask-password"));
        return ExitFailure;
    }
    for (notestore::Secret& typed : typedForBackup)
        passwords.push_back(std::move(typed));
    if (handsOff) {
        if (const auto problem = app::ostrelVersionProblem(*platform::Workspace::sharedWorkspace())) {
            printAlert(*problem);
            return ExitFailure;
        }
    }
    QString passwordProblem;
    if (!app::supplyPasswords(*notesApp, std::move(passwords), ask, &passwordProblem)) {
        printError(passwordProblem);
        return ExitFailure;
    }

    // What runs that were killed left in the temporary folder goes now.
    for (const QString& leftOver : removeStaleStagingFolders())
        printError(platform::localizedString("could not remove an old staging folder: %1").arg(leftOver));

    QString destinationPath;
    std::unique_ptr<app::ImportLock> importLock;
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
        importLock = app::ImportLock::acquireShared(&error);
        if (!importLock) {
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
    const auto printer = ProgressPrinter::onStandardError(operation->progress().get());

    // Ctrl-C, SIGTERM and SIGHUP stop the export at its next note.
    app::Interrupts interrupts([operation](int) { operation->cancel(); });

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
    printer->finish();
    // Also after a failure or a cancel: what was written stays, so say what it is.
    for (const QString& line : operation->summary().lines())
        fprintf(stderr, "%s\n", line.toLocal8Bit().constData());

    if (const auto failure = operation->operationError()) {
        printError(failure->localizedDescription());
        return ExitFailure;
    }
    if (operation->isCancelled() && !operation->plistURL()) {
        printError(platform::localizedString("export cancelled"));
        return ExitCancelled;
    }
    const auto manifest = operation->plistURL();
    if (!manifest) {
        printError(platform::localizedString("the export ended without a manifest"));
        return ExitFailure;
    }
    // Every note with content was left out (all locked, say): nothing to hand over.
    const ExportSummary summary = operation->summary();
    if (summary.htmlNoteCount + summary.richTextNoteCount == 0 && !summary.notesLeftOut.isEmpty()) {
        printError(platform::localizedString("no note could be exported"));
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
