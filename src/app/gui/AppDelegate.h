#pragma once

#include "app/gui/BackupPasswordDialog.h"
#include "app/gui/PasswordDialog.h"
#include "app/gui/ProgressWindowController.h"
#include "export/NotesScripting.h"
#include "platform/Operation.h"
#include "platform/Workspace.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <functional>
#include <memory>
#include <mutex>

class QLabel;
#include <QMainWindow>
class QPushButton;
#include <QTextEdit>

// The window program: shows what it does, opens the Notes library in the
// background and, on request, exports it under a progress sheet and hands
// the result to Ostrel.
class AppDelegate final : public QObject {
    Q_OBJECT
public:
    // Key under which the chosen Notes library folder is remembered.
    static constexpr const char* kNotesLibraryPathKey = "NotesLibraryPath";

    // `workspace` defaults to the shared one and must outlive the delegate.
    explicit AppDelegate(platform::Workspace* workspace = nullptr, QObject* parent = nullptr);
    ~AppDelegate() override;

    QMainWindow* window() const { return m_window; }
    QTextEdit* textView() const { return m_textView; }
    QPushButton* startButton() const { return m_startButton; }
    std::shared_ptr<NotesApplication> notesApp() const;
    ProgressWindowController* progressWindow() const { return m_progressWindow.get(); }

    void applicationDidFinishLaunching();
    void startImport();
    bool checkOstrelVersion();
    void openOstrelToImportMetadataFileAtURL(const QUrl& metadataFileURL);

    // The Notes library in use: the remembered folder, else the bundled sample.
    QString notesLibraryPath() const;
    static QString sampleLibraryPath();
    // Asks for another library folder.
    void chooseNotesLibrary();
    // Asks for a device backup's folder, or a folder of backups.
    void chooseBackupFolder();
    // Opens `path` in the background and remembers it once it has opened;
    // a folder that cannot be opened is reported and the current one kept.
    void useNotesLibrary(const QString& path);

    // What ends the program; tests replace it.
    void setTerminateHandler(std::function<void()> handler) { m_terminate = std::move(handler); }
    // What asks for the password of locked notes; tests replace the dialog.
    void setPasswordPrompt(PasswordPrompt prompt) { m_passwordPrompt = std::move(prompt); }
    // What asks for the password of an encrypted backup; tests replace it.
    void setBackupPasswordPrompt(BackupPasswordPrompt prompt) { m_backupPasswordPrompt = std::move(prompt); }
    // What picks one of several device backups (their descriptions); -1
    // when none is picked. Tests replace it.
    using BackupChooser = std::function<int(QWidget* parent, const QStringList& backups)>;
    void setBackupChooser(BackupChooser chooser) { m_backupChooser = std::move(chooser); }

signals:
    // The background opening of a Notes library has ended (on the main thread).
    void notesLibraryOpened(bool success);

private:
    enum class OpenPurpose { Launch, Switch };
    void openNotesLibrary(const QString& path, OpenPurpose purpose);
    // `backups`: the folder and description of each backup to pick from;
    // `locked`: an encrypted backup stayed shut (no or a wrong password).
    void notesLibraryDidOpen(const QString& path, OpenPurpose purpose, bool success, const QString& failure,
                             const QStringList& backups = {}, bool locked = false);
    void showAlertSheet(const QString& message, const QString& informative);
    void updateLibraryLabel();
    void terminate();

    platform::Workspace* m_workspace;
    QPointer<QMainWindow> m_window;
    QPointer<QTextEdit> m_textView;
    QLabel* m_libraryLabel = nullptr;
    QPushButton* m_chooseButton = nullptr;
    QPushButton* m_startButton = nullptr;

    mutable std::mutex m_mutex;
    std::shared_ptr<NotesApplication> m_notesApp;
    QString m_openLibraryPath;
    std::unique_ptr<ProgressWindowController> m_progressWindow;
    std::function<void()> m_terminate;
    std::unique_ptr<platform::OperationQueue> m_openQueue;
    PasswordPrompt m_passwordPrompt;
    BackupPasswordPrompt m_backupPasswordPrompt;
    BackupChooser m_backupChooser;
    // The password that opened an encrypted backup: tried on its locked notes too.
    std::shared_ptr<notestore::PasswordList> m_backupPasswords;
    // Asked once per library opened.
    std::weak_ptr<NotesApplication> m_passwordsAskedFor;
};
