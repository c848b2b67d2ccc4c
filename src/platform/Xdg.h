#pragma once

#include <QString>
#include <QStringList>

// Base directories of the freedesktop layout, read from the environment on
// every call so a test can point them at a folder of its own.
namespace platform::xdg {

QString configHome(); // $XDG_CONFIG_HOME or ~/.config
QString dataHome();   // $XDG_DATA_HOME or ~/.local/share
QStringList dataDirs(); // $XDG_DATA_DIRS or /usr/local/share:/usr/share

} // namespace platform::xdg
