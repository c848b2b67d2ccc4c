#pragma once

#include "export/NotesScripting.h"
#include "platform/Error.h"
#include "platform/Operation.h"
#include "platform/Progress.h"

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace platform {
class ProgressRefresher;
}

class QLabel;
class QProgressBar;
class QPushButton;

// Runs one export under a window-modal sheet that shows its progress and
// can be cancelled. The sheet ends with code 1 when the export succeeded
// (metadataFileURL() then names the import manifest) and 0 when it was
// cancelled or failed (a failure has already been shown in an alert).
class ProgressWindowController final : public QObject {
    Q_OBJECT
public:
    static constexpr int kResponseOK = 1;
    static constexpr int kResponseCancel = 0;
    using CompletionHandler = std::function<void(int endCode)>;

    explicit ProgressWindowController(QObject* parent = nullptr);
    ~ProgressWindowController() override;

    static QString windowNibName() { return QStringLiteral("ProgressWindow"); }

    // Starts the export and shows the sheet; returns at once. The handler
    // runs on the main thread, always after this call has returned.
    void showSheetOnWindow(QWidget* window, std::shared_ptr<NotesApplication> notesApp, const QUrl& folderURL,
                           CompletionHandler completionHandler);

    // The sheet's cancel action (its button and the Escape key). The sheet
    // stays up until the export has noticed and finished.
    void cancelOperation();

    // Ends the sheet once the export has finished.
    void endWithError(const std::optional<platform::Error>& error);

    // The sheet, made on first use.
    QDialog* window();
    platform::OperationQueue* operationQueue() const { return m_operationQueue.get(); }
    std::shared_ptr<NotesApplication> notesApp() const;
    QUrl folderURL() const;
    std::shared_ptr<platform::Progress> progress() const;
    QProgressBar* progressIndicator() const { return m_progressIndicator; }
    std::optional<QUrl> metadataFileURL() const;
    bool isCancelled() const;
    // True from showing the sheet until it has ended.
    bool isRunning() const { return static_cast<bool>(m_completionHandler); }

private:
    class Sheet;
    void updateFromProgress();
    void endSheet(int code);

    mutable std::mutex m_mutex;
    // Shared with the export's completion action, so that a controller
    // dropped mid-export never has to wait for its worker on the main thread.
    std::shared_ptr<platform::OperationQueue> m_operationQueue;
    std::shared_ptr<NotesApplication> m_notesApp;
    QUrl m_folderURL;
    std::shared_ptr<platform::Progress> m_progress;
    std::unique_ptr<platform::ProgressRefresher> m_refresher;
    std::optional<QUrl> m_metadataFileURL;
    bool m_cancelled = false;

    QPointer<QDialog> m_window;
    QProgressBar* m_progressIndicator = nullptr;
    QLabel* m_descriptionLabel = nullptr;
    QLabel* m_additionalLabel = nullptr;
    QPushButton* m_cancelButton = nullptr;
    CompletionHandler m_completionHandler;
};
