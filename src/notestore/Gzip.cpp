#include "notestore/Gzip.h"
#include "platform/LocalizedString.h"

#include <zlib.h>

#include <algorithm>

namespace notestore {

namespace {

constexpr qsizetype kInputPiece = 1 << 20;
constexpr qsizetype kOutputPiece = 64 * 1024;

bool fail(QString* reason, const QString& why)
{
    if (reason)
        *reason = why;
    return false;
}

bool looksCompressed(QByteArrayView data)
{
    if (data.size() < 2)
        return false;
    const auto first = static_cast<unsigned char>(data[0]);
    const auto second = static_cast<unsigned char>(data[1]);
    if (first == 0x1f && second == 0x8b)
        return true;
    // A zlib stream: deflate method and a header checksum.
    return (first & 0x0f) == 8 && (first >> 4) <= 7 && ((first << 8) | second) % 31 == 0;
}

bool startsGzipMember(QByteArrayView data)
{
    return data.size() >= 2 && static_cast<unsigned char>(data[0]) == 0x1f
           && static_cast<unsigned char>(data[1]) == 0x8b;
}

class Inflater {
public:
    Inflater() { m_ok = inflateInit2(&m_stream, 15 + 32) == Z_OK; }
    ~Inflater()
    {
        if (m_ok)
            inflateEnd(&m_stream);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    bool ok() const { return m_ok; }
    z_stream& stream() { return m_stream; }

private:
    z_stream m_stream{};
    bool m_ok = false;
};

} // namespace

bool gunzip(QByteArrayView data, qint64 limit, QByteArray& out, QString* reason)
{
    out.clear();
    limit = std::max<qint64>(limit, 0);
    if (data.isEmpty())
        return fail(reason, platform::localizedString("the data is empty, not gzip data"));
    if (!looksCompressed(data))
        return fail(reason, platform::localizedString("not gzip data"));

    Inflater inflater;
    if (!inflater.ok())
        return fail(reason, platform::localizedString("the decompressor could not start"));
    z_stream& stream = inflater.stream();

    qsizetype consumed = 0;
    char piece[kOutputPiece];
    for (;;) {
        if (stream.avail_in == 0 && consumed < data.size()) {
            const qsizetype size = std::min(kInputPiece, data.size() - consumed);
            stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + consumed));
            stream.avail_in = uInt(size);
            consumed += size;
        }
        stream.next_out = reinterpret_cast<Bytef*>(piece);
        stream.avail_out = uInt(sizeof piece);
        const int status = inflate(&stream, Z_NO_FLUSH);
        const qsizetype produced = qsizetype(sizeof piece) - qsizetype(stream.avail_out);
        if (produced > 0) {
            if (out.size() + produced > limit) {
                out.clear();
                return fail(reason, platform::localizedString("larger than %1 bytes once decompressed").arg(limit));
            }
            out.append(piece, produced);
        }
        if (status == Z_STREAM_END) {
            // Concatenated gzip members are one stream; anything else after
            // the end is padding.
            const qsizetype left = qsizetype(stream.avail_in) + (data.size() - consumed);
            const QByteArrayView rest = data.sliced(data.size() - left);
            if (!startsGzipMember(rest))
                return true;
            if (inflateReset(&stream) != Z_OK)
                return fail(reason, platform::localizedString("the decompressor could not restart"));
            continue;
        }
        if (status == Z_BUF_ERROR && stream.avail_in == 0 && consumed >= data.size()) {
            out.clear();
            return fail(reason, platform::localizedString("the gzip data is cut short"));
        }
        if (status != Z_OK && status != Z_BUF_ERROR) {
            out.clear();
            const QString detail = stream.msg ? QString::fromLatin1(stream.msg) : QStringLiteral("error %1").arg(status);
            return fail(reason, platform::localizedString("the gzip data is damaged (%1)").arg(detail));
        }
        if (status == Z_OK && produced == 0 && stream.avail_in == 0 && consumed >= data.size()) {
            out.clear();
            return fail(reason, platform::localizedString("the gzip data is cut short"));
        }
    }
}

} // namespace notestore
