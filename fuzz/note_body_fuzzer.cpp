// Feeds arbitrary bytes to the note body decoder and the HTML builder:
// gzip data as the database holds it, anything else as the protobuf itself
// so that the builder meets every run layout. Whatever is decoded must give
// well-formed HTML without lone surrogates.
#include "notestore/NoteBody.h"
#include "notestore/NoteHTML.h"
#include "notestore/WellFormedHTML.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(const QString& problem, const char* what)
{
    if (problem.isEmpty())
        return;
    fprintf(stderr, "note body fuzzer: %s: %s\n", what, qPrintable(problem));
    abort();
}

class Marker : public notestore::AttachmentRenderer {
public:
    QString htmlForAttachment(const QString&, const QString&, int) override
    {
        return QStringLiteral("<span class=\"attachment\">x</span>");
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const bool gzipped = size >= 2 && data[0] == 0x1f && data[1] == 0x8b;
    QString reason;
    const auto note = gzipped ? notestore::decodeNoteBody(bytes, &reason)
                              : notestore::noteTextFromProtobuf(bytes, &reason);
    if (!note) {
        check(reason.isEmpty() ? QStringLiteral("refused without a reason") : QString(), "decoder");
        return 0;
    }
    Marker marker;
    check(wellformed::check(QString::fromUtf8(notestore::htmlForNote(*note))), "HTML");
    check(wellformed::check(QString::fromUtf8(notestore::htmlForNote(*note, &marker))), "HTML with attachments");
    return 0;
}
