#pragma once

#include <QString>
#include <QStringList>

// Base directories of the freedesktop layout, read from the environment on
// every call so a test can point them at a folder of its own.
namespace platform::xdg {

QString configHome(); // $XDG_CONFIG_HOME or ~/.config
QString dataHome();   // $XDG_DATA_HOME or ~/.local/share
QStringList dataDirs(); // $XDG_DATA_DIRS or /usr/local/share:/usr/share

// Sets XDG_RUNTIME_DIR when it is unset (root in a plain shell, a
// container, cron), before the application object exists. Qt then uses
// $TMPDIR/runtime-<user> anyway, but warns on standard error each time it
// looks there, and offers no switch for that warning. So the programs make
// that same folder as Qt would (the user's own, mode 0700) and name it; a
// folder there that is not so is left to Qt, whose warning is then deserved.
void provideRuntimeDirectory();

} // namespace platform::xdg
