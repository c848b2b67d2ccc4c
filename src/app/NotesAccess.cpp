#include "app/NotesAccess.h"

#include <QDir>
#include <QFileInfo>

namespace app {

std::shared_ptr<const NotesLibrary> openNotesLibrary(const QString& folderPath, platform::Error* error)
{
    return NotesLibrary::load(folderPath, error);
}

bool determinePermissionToAutomate(const QString& folderPath)
{
    const QFileInfo info(folderPath);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

} // namespace app
