#include "app/gui/ProgressWindowController.h"

#include "app/gui/MiddleElidedLabel.h"
#include "export/ExportNoteOperation.h"
#include "platform/Alert.h"
#include "platform/LocalizedString.h"
#include "platform/Log.h"
#include "platform/ProgressRefresher.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

// Escape and closing the window reach reject(); both mean "cancel the
// export", and the sheet stays up until the export has stopped.
class ProgressWindowController::Sheet final : public QDialog {
public:
    Sheet(QWidget* parent, ProgressWindowController* controller) : QDialog(parent), m_controller(controller) {}
    void reject() override
    {
        if (m_controller)
            m_controller->cancelOperation();
    }

private:
    QPointer<ProgressWindowController> m_controller;
};

ProgressWindowController::ProgressWindowController(QObject* parent)
    : QObject(parent), m_operationQueue(std::make_shared<platform::OperationQueue>())
{
}

ProgressWindowController::~ProgressWindowController()
{
    m_operationQueue->cancelAllOperations();
    if (m_window)
        m_window->deleteLater();
}

std::shared_ptr<NotesApplication> ProgressWindowController::notesApp() const
{
    std::lock_guard lock(m_mutex);
    return m_notesApp;
}

QUrl ProgressWindowController::folderURL() const
{
    std::lock_guard lock(m_mutex);
    return m_folderURL;
}

std::shared_ptr<platform::Progress> ProgressWindowController::progress() const
{
    std::lock_guard lock(m_mutex);
    return m_progress;
}

std::optional<QUrl> ProgressWindowController::metadataFileURL() const
{
    std::lock_guard lock(m_mutex);
    return m_metadataFileURL;
}

bool ProgressWindowController::isCancelled() const
{
    std::lock_guard lock(m_mutex);
    return m_cancelled;
}

QDialog* ProgressWindowController::window()
{
    if (m_window)
        return m_window;
    auto* sheet = new Sheet(nullptr, this);
    sheet->setObjectName(windowNibName());
    sheet->setWindowTitle(platform::localizedString("Importing Notes"));
    sheet->setMinimumWidth(420);

    // Carries the note's name, which may be as long as its first line.
    m_descriptionLabel = new MiddleElidedLabel(platform::localizedString("Reading the Notes library…"), sheet);
    m_descriptionLabel->setTextFormat(Qt::PlainText);
    m_progressIndicator = new QProgressBar(sheet);
    m_progressIndicator->setRange(0, 0); // indeterminate until the total is known
    m_progressIndicator->setTextVisible(false);
    m_additionalLabel = new QLabel(sheet);
    m_additionalLabel->setTextFormat(Qt::PlainText);
    QFont small = m_additionalLabel->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_additionalLabel->setFont(small);
    m_cancelButton = new QPushButton(platform::localizedString("Cancel"), sheet);
    m_cancelButton->setAutoDefault(false);
    connect(m_cancelButton, &QPushButton::clicked, this, &ProgressWindowController::cancelOperation);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancelButton);
    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(20, 20, 20, 16);
    layout->addWidget(m_descriptionLabel);
    layout->addWidget(m_progressIndicator);
    layout->addWidget(m_additionalLabel);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    m_window = sheet;
    return sheet;
}

void ProgressWindowController::showSheetOnWindow(QWidget* parentWindow, std::shared_ptr<NotesApplication> notesApp,
                                                 const QUrl& folderURL, CompletionHandler completionHandler)
{
    auto operation = ExportNoteOperation::exportOperationForApp(notesApp, folderURL);
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = false;
        m_notesApp = notesApp;
        m_folderURL = folderURL;
        m_progress = operation->progress();
        m_metadataFileURL.reset();
    }
    m_completionHandler = std::move(completionHandler);

    // Runs on the worker once the export has finished, however it ended.
    // The block it queues holds the operation until it has read the
    // results, and the queue so that it is never destroyed on its own worker.
    std::weak_ptr<ExportNoteOperation> weakOperation = operation;
    QPointer<ProgressWindowController> controller = this;
    operation->setCompletionBlock([weakOperation, queue = m_operationQueue, controller] {
        auto finished = weakOperation.lock();
        platform::OperationQueue::mainQueue()->addOperationWithBlock([finished, queue, controller] {
            if (!controller || !finished)
                return;
            {
                std::lock_guard lock(controller->m_mutex);
                controller->m_metadataFileURL = finished->plistURL();
            }
            for (const QString& line : finished->summary().lines())
                platform::logLine(line);
            controller->endWithError(finished->operationError());
        });
    });

    QDialog* sheet = window();
    // Where the platform has no sheets, a window-modal dialog stands in.
    sheet->setParent(parentWindow, Qt::Dialog);
    sheet->setWindowModality(parentWindow ? Qt::WindowModal : Qt::ApplicationModal);
    m_cancelButton->setEnabled(true);
    // Redrawn from a timer: a label per change would hold up the export at every hand-off.
    m_refresher = std::make_unique<platform::ProgressRefresher>(m_progress.get(), [this] { updateFromProgress(); });
    updateFromProgress();

    m_operationQueue->addOperation(operation);
    sheet->open();
}

void ProgressWindowController::updateFromProgress()
{
    const auto progress = this->progress();
    if (!progress || !m_window)
        return;
    // After a cancel the sheet says so until the export has stopped.
    if (!progress->localizedDescription().isEmpty() && !isCancelled())
        m_descriptionLabel->setText(progress->localizedDescription());
    QString additional = progress->localizedAdditionalDescription();
    if (additional.isEmpty() && !progress->isIndeterminate() && progress->totalUnitCount() > 0)
        additional = platform::stringWithFormat(platform::localizedString("%@ of %@"),
                                                {QString::number(progress->completedUnitCount()),
                                                 QString::number(progress->totalUnitCount())});
    m_additionalLabel->setText(additional);
    if (progress->isIndeterminate()) {
        m_progressIndicator->setRange(0, 0);
    } else {
        m_progressIndicator->setRange(0, 1000);
        m_progressIndicator->setValue(int(progress->fractionCompleted() * 1000));
    }
}

void ProgressWindowController::cancelOperation()
{
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
    }
    if (m_cancelButton)
        m_cancelButton->setEnabled(false);
    if (m_descriptionLabel)
        m_descriptionLabel->setText(platform::localizedString("Cancelling…"));
    m_operationQueue->cancelAllOperations();
}

void ProgressWindowController::endWithError(const std::optional<platform::Error>& error)
{
    // The last count is shown even when it came after the last refresh.
    if (m_refresher)
        m_refresher->flush();
    if (isCancelled()) {
        endSheet(kResponseCancel);
        return;
    }
    if (error) {
        platform::runModalAlert({platform::localizedString("The import could not be completed."),
                                 error->localizedDescription(),
                                 {}});
        endSheet(kResponseCancel);
        return;
    }
    endSheet(kResponseOK);
}

void ProgressWindowController::endSheet(int code)
{
    if (m_window)
        m_window->done(code);
    // The handler may replace this controller; nothing here runs after it.
    if (auto handler = std::exchange(m_completionHandler, nullptr))
        handler(code);
}
