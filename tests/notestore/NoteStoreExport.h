#pragma once

#include "notestore/NoteStoreTestSupport.h"

#include "app/NotesAccess.h"
#include "app/Passwords.h"
#include "export/ExportNoteOperation.h"
#include "export/ExportTestSupport.h"
#include "platform/FileURL.h"

#include <optional>

namespace testsupport {

// The Notes folder `container` opened with `passwords` and exported into
// `destination`, made first as the command does; its summary, or nothing
// (and a failure) when it does not open or the export fails.
inline std::optional<ExportSummary> exportNotes(const QString& container, const QString& destination,
                                                const std::vector<QByteArray>& passwords = {})
{
    platform::Error error;
    const auto app = app::openNotes(container, &error);
    if (!app) {
        ADD_FAILURE() << error.localizedDescription().toStdString();
        return {};
    }
    app::givePasswords(*app, passwordList(passwords));
    QDir().mkpath(destination);
    const auto operation = ExportNoteOperation::exportOperationForApp(app, platform::fileurl::fromPath(destination, true));
    runToEnd(operation);
    if (!operation->plistURL()) {
        ADD_FAILURE() << operation->operationError().value_or(platform::Error()).localizedDescription().toStdString();
        return {};
    }
    return operation->summary();
}

// `c` written into `dir`/container and exported into `dir`/out.
inline std::optional<ExportSummary> exportContainer(const notestoregen::Container& c, const TempDir& dir,
                                                    const std::vector<QByteArray>& passwords = {})
{
    const QString container = dir.filePath(QStringLiteral("container"));
    QString error;
    if (!notestoregen::writeContainer(c, container, &error)) {
        ADD_FAILURE() << error.toStdString();
        return {};
    }
    return exportNotes(container, dir.filePath(QStringLiteral("out")), passwords);
}

} // namespace testsupport
