#pragma once

#include <QString>

namespace notestore {

// Why the media file of an attachment cannot be found when a folder on
// its way refuses this user: "its folder “…” cannot be read: permission
// denied", naming the first such folder below `containerRoot` on the way
// to any of `candidates` (paths inside it); empty when none refuses, and
// the file is simply missing.
QString deniedFolderProblem(const QString& containerRoot, const QStringList& candidates);

} // namespace notestore
