#include "app/gui/AppDelegate.h"

#include "app/ImportFlow.h"
#include "app/NotesAccess.h"
#include "app/Passwords.h"
#include "backup/BackupFolder.h"
#include "export/NotesLibrary.h"
#include "platform/Alert.h"
#include "platform/FileURL.h"
#include "platform/LocalizedString.h"
#include "platform/MainThreadHandoff.h"
#include "platform/Resources.h"
#include "platform/RichText.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMainWindow>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>


AppDelegate::AppDelegate(platform::Workspace* workspace, QObject* parent)
    : QObject(parent),
      m_workspace(workspace ? workspace : platform::Workspace::sharedWorkspace()),
      m_openQueue(std::make_unique<platform::OperationQueue>())
{
    m_window = new QMainWindow;
    m_window->setObjectName(QStringLiteral("MainWindow"));
    m_window->setWindowTitle(platform::localizedString("Notes Import"));
    m_window->resize(560, 460);

    auto* central = new QWidget(m_window);
    // A browser view, so the link in the text opens in the user's browser.
    auto* textView = new QTextBrowser(central);
    textView->setOpenExternalLinks(true);
    m_textView = textView;
    m_textView->setFrameShape(QFrame::NoFrame);

    m_libraryLabel = new QLabel(central);
    m_libraryLabel->setTextFormat(Qt::PlainText);
    m_libraryLabel->setWordWrap(true);
    m_chooseButton = new QPushButton(platform::localizedString("Choose…"), central);
    m_startButton = new QPushButton(platform::localizedString("Start Import"), central);
    m_startButton->setDefault(true);
    // A Notes folder or library by one of its files; a device backup, or a
    // folder of them, by its folder.
    auto* chooseMenu = new QMenu(m_chooseButton);
    connect(chooseMenu->addAction(platform::localizedString("Notes Folder or Library…")), &QAction::triggered, this,
            &AppDelegate::chooseNotesLibrary);
    connect(chooseMenu->addAction(platform::localizedString("iPhone or iPad Backup…")), &QAction::triggered, this,
            &AppDelegate::chooseBackupFolder);
    m_chooseButton->setMenu(chooseMenu);
    connect(m_startButton, &QPushButton::clicked, this, &AppDelegate::startImport);

    auto* libraryRow = new QHBoxLayout;
    libraryRow->addWidget(m_libraryLabel, 1);
    libraryRow->addWidget(m_chooseButton);
    auto* startRow = new QHBoxLayout;
    startRow->addStretch();
    startRow->addWidget(m_startButton);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 12);
    layout->addWidget(m_textView, 1);
    auto* controls = new QVBoxLayout;
    controls->setContentsMargins(12, 0, 12, 0);
    controls->addLayout(libraryRow);
    controls->addLayout(startRow);
    layout->addLayout(controls);
    m_window->setCentralWidget(central);
}

AppDelegate::~AppDelegate()
{
    m_progressWindow.reset();
    m_openQueue.reset(); // waits for an opening still under way
    delete m_window;
}

std::shared_ptr<NotesApplication> AppDelegate::notesApp() const
{
    std::lock_guard lock(m_mutex);
    return m_notesApp;
}

QString AppDelegate::sampleLibraryPath()
{
    return QDir(platform::resourceDirectory()).filePath(QStringLiteral("SampleLibrary"));
}

QString AppDelegate::notesLibraryPath() const
{
    const QString remembered = platform::UserDefaults::standard().string(QString::fromLatin1(kNotesLibraryPathKey));
    return remembered.isEmpty() ? sampleLibraryPath() : remembered;
}

void AppDelegate::applicationDidFinishLaunching()
{
    // Settings Ostrel keeps in the shared suite (its note styles among them) apply here too.
    platform::UserDefaults::standard().addSuite(QString::fromLatin1(app::kApplicationGroupIdentifier));

    QTextDocument* document = m_textView->document();
    document->setDocumentMargin(10);
    QFile info(platform::urlForResource(QStringLiteral("Info"), QStringLiteral("rtf")).toLocalFile());
    if (info.open(QIODevice::ReadOnly))
        platform::readRichText(info.readAll(), *document);
    // The system font at its size, keeping the text's bold and italic.
    const QFont systemFont = QApplication::font();
    QTextCursor all(document);
    all.select(QTextCursor::Document);
    QTextCharFormat font;
    font.setFontFamilies(systemFont.families());
    font.setFontPointSize(systemFont.pointSizeF() > 0 ? systemFont.pointSizeF() : 10);
    all.mergeCharFormat(font);

    updateLibraryLabel();
    openNotesLibrary(notesLibraryPath(), OpenPurpose::Launch);
}

void AppDelegate::openNotesLibrary(const QString& path, OpenPurpose purpose)
{
    m_chooseButton->setEnabled(false);
    QPointer<AppDelegate> self = this;
    // Reading a large library takes a while; the window stays responsive.
    // The backup's password is asked on the main thread while this waits.
    auto typed = std::make_shared<notestore::PasswordList>();
    app::BackupUnlock unlock;
    unlock.passwords = [self, typed](const backup::BackupSummary& summary,
                                     QString*) -> std::optional<notestore::PasswordList> {
        std::optional<notestore::Secret> password;
        platform::runOnMainThreadAndWait([&] {
            if (self)
                password = self->m_backupPasswordPrompt ? self->m_backupPasswordPrompt(self->m_window, summary.displayName())
                                                        : runBackupPasswordDialog(self->m_window, summary.displayName());
        });
        notestore::PasswordList passwords;
        if (password && !password->isEmpty()) {
            typed->push_back(password->clone());
            passwords.push_back(std::move(*password));
        }
        return passwords;
    };
    // Seconds of key derivation per password on a real backup: say so.
    unlock.deriving = [self] {
        platform::OperationQueue::mainQueue()->addOperationWithBlock([self] {
            if (self)
                self->m_libraryLabel->setText(platform::localizedString("Opening the encrypted backup…"));
        });
    };
    m_openQueue->addOperationWithBlock([self, this, path, purpose, unlock, typed] {
        platform::Error error;
        auto notesApp = app::openNotes(path, &error, unlock);
        if (!notesApp) {
            const QString failure = error.localizedDescription();
            // Several backups: the user picks one of them.
            QStringList backups;
            if (error.domain() == QLatin1String(backup::kErrorDomain) && error.code() == backup::ErrorSeveralBackups) {
                platform::Error ignored;
                for (const backup::BackupSummary& summary : backup::findBackups(path, &ignored))
                    backups << summary.folder + u'\n' + summary.description();
            }
            const bool locked = error.domain() == QLatin1String(backup::kErrorDomain)
                             && (error.code() == backup::ErrorNoPassword || error.code() == backup::ErrorWrongPassword);
            platform::OperationQueue::mainQueue()->addOperationWithBlock([self, path, purpose, failure, backups, locked] {
                if (self)
                    self->notesLibraryDidOpen(path, purpose, false, failure, backups, locked);
            });
            return;
        }
        // The backup's password serves its locked notes too.
        if (!typed->empty())
            app::givePasswords(*notesApp, app::clonePasswords(*typed));
        {
            std::lock_guard lock(m_mutex);
            m_backupPasswords = typed;
        }
        // Without permission no Notes object is made, and nothing is reported.
        if (app::determinePermissionToAutomate(path)) {
            std::lock_guard lock(m_mutex);
            m_notesApp = notesApp;
            m_openLibraryPath = path;
        }
        platform::OperationQueue::mainQueue()->addOperationWithBlock([self, path, purpose] {
            if (self)
                self->notesLibraryDidOpen(path, purpose, true, QString());
        });
    });
}

void AppDelegate::notesLibraryDidOpen(const QString& path, OpenPurpose purpose, bool success, const QString& failure,
                                      const QStringList& backups, bool locked)
{
    m_chooseButton->setEnabled(true);
    if (!success && !backups.isEmpty()) {
        QStringList descriptions;
        for (const QString& backup : backups)
            descriptions << backup.section(u'\n', 1);
        const int chosen = m_backupChooser ? m_backupChooser(m_window, descriptions) : [&] {
            bool ok = false;
            const QString item = QInputDialog::getItem(m_window, platform::localizedString("Choose a Backup"),
                                                       platform::localizedString("This folder holds the backups of several "
                                                                       "devices. Export the notes of:"),
                                                       descriptions, 0, false, &ok);
            return ok ? int(descriptions.indexOf(item)) : -1;
        }();
        if (chosen >= 0 && chosen < backups.size()) {
            openNotesLibrary(backups[chosen].section(u'\n', 0, 0), purpose);
            return;
        }
    }
    const QString key = QString::fromLatin1(kNotesLibraryPathKey);
    if (success) {
        if (purpose == OpenPurpose::Switch) {
            if (QDir::cleanPath(path) == QDir::cleanPath(sampleLibraryPath()))
                platform::UserDefaults::standard().removeObject(key);
            else
                platform::UserDefaults::standard().setObject(path, key);
        }
        updateLibraryLabel();
        emit notesLibraryOpened(true);
        return;
    }
    updateLibraryLabel();
    // A password not given or mistyped is no reason to quit or to forget
    // the backup: the user may choose it again.
    if (purpose == OpenPurpose::Switch || locked) {
        // Another library was asked for; the one in use stays.
        showAlertSheet(platform::localizedString("Could not open Notes"), failure);
        emit notesLibraryOpened(false);
        return;
    }
    // A remembered folder that has gone away would stop every later
    // launch too; forget it so the next one starts with the sample.
    if (!platform::UserDefaults::standard().string(key).isEmpty())
        platform::UserDefaults::standard().removeObject(key);
    emit notesLibraryOpened(false);
    platform::runModalAlert({platform::localizedString("Could not open Notes"), failure, {platform::localizedString("Quit")}});
    terminate();
}

void AppDelegate::updateLibraryLabel()
{
    QString path;
    {
        std::lock_guard lock(m_mutex);
        path = m_openLibraryPath;
    }
    if (path.isEmpty())
        path = notesLibraryPath();
    const QString shown = QDir::cleanPath(path) == QDir::cleanPath(sampleLibraryPath())
                              ? platform::localizedString("the bundled sample library")
                              : QDir::toNativeSeparators(path);
    m_libraryLabel->setText(platform::stringWithFormat(platform::localizedString("Notes library: %@"), {shown}));
}

void AppDelegate::chooseNotesLibrary()
{
    // A Notes folder is chosen by its database, a library folder by its description.
    const QString file = QFileDialog::getOpenFileName(m_window, platform::localizedString("Choose a Notes Library"),
                                                      notesLibraryPath(),
                                                      platform::localizedString("Notes libraries (NoteStore.sqlite library.json "
                                                                      "Manifest.plist Manifest.db)"));
    // A library folder by its description, a device backup by its manifest.
    const QString name = QFileInfo(file).fileName();
    if (!file.isEmpty())
        useNotesLibrary(name == QLatin1String(NotesLibrary::kDescriptionFileName)
                                || name == QLatin1String("Manifest.plist") || name == QLatin1String("Manifest.db")
                            ? QFileInfo(file).path()
                            : file);
}

void AppDelegate::chooseBackupFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(m_window, platform::localizedString("Choose an iPhone or iPad Backup"),
                                                             notesLibraryPath());
    if (!folder.isEmpty())
        useNotesLibrary(folder);
}

void AppDelegate::useNotesLibrary(const QString& path)
{
    openNotesLibrary(path, OpenPurpose::Switch);
}

bool AppDelegate::checkOstrelVersion()
{
    if (const auto problem = app::ostrelVersionProblem(*m_workspace)) {
        showAlertSheet(problem->message, problem->informative);
        return false;
    }
    return true;
}

void AppDelegate::startImport()
{
    // One import at a time: a second one would empty the folder the first is writing.
    if (m_progressWindow && m_progressWindow->isRunning())
        return;
    if (!checkOstrelVersion())
        return;
    if (const auto notes = notesApp(); notes && m_passwordsAskedFor.lock() != notes) {
        m_passwordsAskedFor = notes;
        std::shared_ptr<notestore::PasswordList> backupPasswords;
        {
            std::lock_guard lock(m_mutex);
            backupPasswords = m_backupPasswords;
        }
        if (backupPasswords && !backupPasswords->empty()) {
            // Asked as usual; the backup's password is tried as well.
            const app::LockedNotesInfo locked = app::lockedNotesOf(*notes);
            if (locked.count > 0) {
                auto password = m_passwordPrompt ? m_passwordPrompt(m_window, locked.count, locked.hints)
                                                 : runPasswordDialog(m_window, locked.count, locked.hints);
                notestore::PasswordList passwords = app::clonePasswords(*backupPasswords);
                if (password && !password->isEmpty())
                    passwords.push_back(std::move(*password));
                app::givePasswords(*notes, std::move(passwords));
            }
        } else {
            askForLockedNotePasswords(*notes, m_window, m_passwordPrompt);
        }
    }
    platform::Error error;
    const auto folder = app::prepareImportFolder(&error);
    if (!folder) {
        showAlertSheet(platform::localizedString("Cannot start the import."), error.localizedDescription());
        return;
    }
    m_progressWindow = std::make_unique<ProgressWindowController>();
    ProgressWindowController* controller = m_progressWindow.get();
    QPointer<AppDelegate> self = this;
    controller->showSheetOnWindow(m_window, notesApp(), *folder, [self, controller](int code) {
        if (!self || code != ProgressWindowController::kResponseOK)
            return;
        if (const auto manifest = controller->metadataFileURL())
            self->openOstrelToImportMetadataFileAtURL(*manifest);
    });
}

void AppDelegate::openOstrelToImportMetadataFileAtURL(const QUrl& metadataFileURL)
{
    QPointer<AppDelegate> self = this;
    app::openOstrel(*m_workspace, metadataFileURL, [self](const std::optional<app::AlertText>& failure) {
        if (!self)
            return;
        if (failure)
            self->showAlertSheet(failure->message, failure->informative);
        else
            self->terminate();
    });
}

void AppDelegate::showAlertSheet(const QString& message, const QString& informative)
{
    platform::beginAlertSheet({message, informative, {}}, m_window);
}

void AppDelegate::terminate()
{
    if (m_terminate) {
        m_terminate();
        return;
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}
