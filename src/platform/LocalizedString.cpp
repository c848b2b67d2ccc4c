#include "platform/LocalizedString.h"

#include <QCoreApplication>

namespace platform {

QString localizedString(const char* englishText)
{
    // One table for the whole application, like a default strings table.
    // Its context is the one lupdate gives to `platform::localizedString("…")`
    // (see scripts/translations.py).
    return QCoreApplication::translate("platform", englishText);
}

} // namespace platform

namespace platform {

QString stringWithFormat(const QString& format, const QStringList& arguments)
{
    QString result;
    result.reserve(format.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format.at(i) == u'%' && i + 1 < format.size() && format.at(i + 1) == u'@') {
            if (next < arguments.size())
                result += arguments.at(next++);
            ++i;
        } else {
            result += format.at(i);
        }
    }
    return result;
}

} // namespace platform
