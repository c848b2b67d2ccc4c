// Feeds arbitrary bytes to the reader of Manifest.db's file records. What
// it accepts has a size in range, and archives and reads back the same.
#include "backup/FileRecord.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool holds, const char* what)
{
    if (holds)
        return;
    fprintf(stderr, "backup file record fuzzer: %s\n", what);
    abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString problem;
    const auto record = backup::readFileRecord(bytes, &problem);
    if (!record) {
        check(!problem.isEmpty(), "refused without a reason");
        return 0;
    }
    check(record->size >= 0 && record->size <= backup::FileRecord::kMaxFileBytes, "size out of range");
    const auto again = backup::fileRecordArchive(*record);
    check(again.has_value(), "what was read cannot be archived again");
    const auto reread = backup::readFileRecord(*again, &problem);
    check(reread && reread->size == record->size && reread->encryptionKey == record->encryptionKey
              && reread->relativePath == record->relativePath,
          "the archive made again does not read back the same");
    return 0;
}
