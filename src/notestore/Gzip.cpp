#include "notestore/Gzip.h"

namespace notestore {

bool gunzip(QByteArrayView, qint64, QByteArray& out, QString* reason)
{
    out.clear();
    if (reason)
        *reason = QStringLiteral("not implemented yet");
    return false;
}

} // namespace notestore
