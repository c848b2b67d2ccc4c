#include "platform/Error.h"

#include <cstring>

namespace platform {

Error Error::fromErrno(int errnoValue, const QString& what)
{
    const QString reason = QString::fromLocal8Bit(std::strerror(errnoValue));
    return Error(QString::fromLatin1(kPOSIXErrorDomain), errnoValue,
                 QStringLiteral("%1: %2.").arg(what, reason));
}

} // namespace platform
