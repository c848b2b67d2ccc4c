#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace notestore {

// Inflates gzip (or zlib) data of at most `limit` bytes once inflated.
// False, with the reason, for data that is not gzip, is cut short or
// would grow past the limit.
bool gunzip(QByteArrayView data, qint64 limit, QByteArray& out, QString* reason);

} // namespace notestore
