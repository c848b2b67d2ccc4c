#include "notestore/LockedMedia.h"
#include "platform/LocalizedString.h"

#include "export/ExportStaging.h"
#include "notestore/LockedNotes.h"
#include "platform/FileURL.h"

#include <QTemporaryDir>

namespace notestore {

namespace {

bool fail(QString* problem, const QString& reason)
{
    if (problem)
        *problem = reason;
    return false;
}

bool decryptBounded(const AttachmentRow& row, const MediaPlace& place, const AttachmentFile& source,
                    const QString& destinationPath, QString* problem, qint64 maxBytes)
{
    if (!place.mediaKey)
        return fail(problem, platform::localizedString("its file is locked: %1").arg(platform::localizedString(kNoPasswordGiven)));
    Secret key;
    QString reason;
    if (place.mediaKey(row.mediaPK, row.mediaKey, key, &reason) != CryptoOutcome::Opened)
        return fail(problem, platform::localizedString("its file is locked: %1").arg(reason));
    const auto local = containerFiles(place)->localFile(source.relativePath, &reason);
    if (!local)
        return fail(problem, reason);
    if (decryptFile(key, local->path(), destinationPath, row.mediaSeal, &reason, maxBytes) != CryptoOutcome::Opened)
        return fail(problem, platform::localizedString("its file cannot be decrypted: %1").arg(reason));
    return true;
}

} // namespace

bool decryptMediaFile(const AttachmentRow& row, const MediaPlace& place, const AttachmentFile& source,
                      const QString& destinationPath, QString* problem)
{
    return decryptBounded(row, place, source, destinationPath, problem, kMaxLockedMediaBytes);
}

QString lockedPictureHTML(const AttachmentRow& row, const MediaPlace& place, const AttachmentFile& source,
                          QString* problem)
{
    // Readable by this user only, and named so that what a killed run
    // leaves behind is removed by the next.
    const QTemporaryDir folder(exportStagingTemplate());
    if (!folder.isValid()) {
        fail(problem, platform::localizedString("its file cannot be decrypted: no private temporary folder (%1)")
                          .arg(folder.errorString()));
        return {};
    }
    // The extension tells the picture's type when its bytes do not.
    const QString extension = platform::pathutil::pathExtension(source.path);
    const QString path = folder.filePath(extension.isEmpty() ? QStringLiteral("picture")
                                                             : QStringLiteral("picture.") + extension);
    if (!decryptBounded(row, place, source, path, problem, kMaxInlinePictureSize))
        return {};
    return inlinePictureHTML(path, problem);
}

} // namespace notestore
