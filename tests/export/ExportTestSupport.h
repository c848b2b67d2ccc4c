#pragma once

#include "export/ExportNoteOperation.h"
#include "export/NotesLibrary.h"
#include "platform/FileURL.h"
#include "support/TestSupport.h"
#include "support/WatchedNotesApplication.h"

#include <QDir>
#include <atomic>
#include <gtest/gtest.h>

namespace testsupport {

// The library `json` describes, watched; null, failing the test, when it does not load.
inline std::shared_ptr<WatchedNotesApplication> libraryApp(const QByteArray& json, const QString& folder = QString())
{
    platform::Error error;
    auto library = NotesLibrary::fromJSON(json, folder.isEmpty() ? QDir::tempPath() : folder, &error);
    EXPECT_TRUE(library) << error.localizedDescription().toStdString();
    return library ? WatchedNotesApplication::wrap(LibraryNotesApplication::make(library)) : nullptr;
}

// The library in the folder `path`, watched; null, failing the test, when it does not load.
inline std::shared_ptr<WatchedNotesApplication> loadedApp(const QString& path)
{
    platform::Error error;
    auto library = NotesLibrary::load(path, &error);
    EXPECT_TRUE(library) << error.localizedDescription().toStdString();
    return library ? WatchedNotesApplication::wrap(LibraryNotesApplication::make(library)) : nullptr;
}

// Runs `operation` on a private queue while this thread runs the event loop.
inline void runToEnd(const std::shared_ptr<ExportNoteOperation>& operation)
{
    platform::OperationQueue queue;
    std::atomic<bool> finished{false};
    operation->setCompletionBlock([&finished] { finished = true; });
    queue.addOperation(operation);
    ASSERT_TRUE(spinUntil([&] { return finished.load(); }, 60000));
    queue.waitUntilAllOperationsAreFinished();
}

// The export's error as the user reads it; empty when it has none.
inline QString failureOf(const ExportNoteOperation& operation)
{
    const auto error = operation.operationError();
    return error ? error->localizedDescription() : QString();
}

// An export of `app` into a fresh folder "Notes Import".
struct ExportRun {
    TempDir root;
    QString destination = root.filePath(QStringLiteral("Notes Import"));
    std::shared_ptr<ExportNoteOperation> operation;

    explicit ExportRun(std::shared_ptr<NotesApplication> app)
    {
        QDir().mkpath(destination);
        operation = ExportNoteOperation::exportOperationForApp(std::move(app), platform::fileurl::fromPath(destination, true));
    }
    void perform() const { runToEnd(operation); }
    QString failure() const { return failureOf(*operation); }
};

} // namespace testsupport
