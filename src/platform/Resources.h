#pragma once

#include <QString>
#include <QUrl>

namespace platform {

// Folder holding the application's resources: "../share/notes-import"
// beside the running program, in the build tree as after installation.
QString resourceDirectory();

// URL of the resource `name`.`type`, or an empty URL when there is none;
// `name`_<language>.`type` instead where there is one for the user's
// language (QLocale's UI languages, as "de_DE", then "de").
QUrl urlForResource(const QString& name, const QString& type);

} // namespace platform
