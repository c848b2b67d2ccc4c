#include "platform/Log.h"

#include <QDateTime>
#include <QFile>
#include <mutex>

namespace platform {

void logLine(const QString& line)
{
    static std::mutex mutex;
    const QByteArray text = QStringLiteral("%1 %2\n")
                                .arg(QDateTime::currentDateTime().toString(Qt::ISODateWithMs), line)
                                .toUtf8();
    std::lock_guard lock(mutex);
    fwrite(text.constData(), 1, size_t(text.size()), stderr);
    fflush(stderr);
}

} // namespace platform
