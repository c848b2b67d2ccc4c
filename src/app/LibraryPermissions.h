#pragma once

#include <QString>

namespace app {

// Why the library at `path` (a folder, or a file in one) cannot be read
// for its permissions, naming the folder or file that refuses; empty when
// nothing refuses. Without it, a folder that cannot be entered would read
// as one that holds nothing.
QString libraryPermissionProblem(const QString& path);

} // namespace app
