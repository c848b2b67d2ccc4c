#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// Looks up a user-facing text in the application's translations, with the
// English text as key; answers the key itself when there is no translation.
// Call it as `platform::localizedString("English text")`, qualified and with
// the literal, so that lupdate finds the text; a text kept in a variable
// first is marked where it is written, with QT_TRANSLATE_NOOP("platform", …).
QString localizedString(const char* englishText);

} // namespace platform

namespace platform {

// Fills each "%@" of `format` with the next of `arguments`, in order.
QString stringWithFormat(const QString& format, const QStringList& arguments);

} // namespace platform
