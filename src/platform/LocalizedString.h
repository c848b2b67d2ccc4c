#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// Looks up a user-facing text in the application's translations, with the
// English text as key; answers the key itself when there is no translation.
QString localizedString(const char* englishText);

} // namespace platform

namespace platform {

// Fills each "%@" of `format` with the next of `arguments`, in order.
QString stringWithFormat(const QString& format, const QStringList& arguments);

} // namespace platform
