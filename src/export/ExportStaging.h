#pragma once

#include <QString>
#include <QStringList>

// The private folder an export stages attachment copies in lives in the
// temporary directory under a name that carries the owner's process id, so
// that what a killed run left behind can be recognised and removed later.
QString exportStagingTemplate();

// Removes staging folders of earlier runs whose process is gone: only
// folders of this user, named by our pattern, never following links.
// Returns one line per folder that could not be removed.
QStringList removeStaleStagingFolders();
