// Feeds arbitrary bytes to the table decoder (gzip data as the database
// holds it, anything else as the protobuf itself). A table it accepts keeps
// within the limits and draws as well-formed HTML.
#include "notestore/NoteTable.h"
#include "notestore/WellFormedHTML.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool holds, const char* what, const QString& detail = {})
{
    if (holds)
        return;
    fprintf(stderr, "note table fuzzer: %s %s\n", what, qPrintable(detail));
    abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const bool gzipped = size >= 2 && data[0] == 0x1f && data[1] == 0x8b;
    QString reason;
    const auto table = gzipped ? notestore::decodeTable(bytes, &reason) : notestore::tableFromProtobuf(bytes, &reason);
    if (!table) {
        check(!reason.isEmpty(), "refused without a reason");
        return 0;
    }
    check(table->rowCount() <= notestore::kMaxTableRows && table->columnCount() <= notestore::kMaxTableColumns,
          "grid over the limits");
    const QString html = notestore::htmlForTable(*table);
    const QString problem = wellformed::check(html);
    check(problem.isEmpty(), "HTML:", problem);
    return 0;
}
