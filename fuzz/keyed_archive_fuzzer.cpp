// Feeds arbitrary bytes to the keyed-archive reader. What it reads must be
// archivable again, and that archive must read back.
#include "platform/KeyedArchiver.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

const QStringList kAllClasses{QStringLiteral("NSArray"), QStringLiteral("NSDictionary"), QStringLiteral("NSString"),
                              QStringLiteral("NSNumber"), QStringLiteral("NSData"), QStringLiteral("NSColor")};

void check(bool holds, const char* what, const platform::Error& error)
{
    if (holds)
        return;
    fprintf(stderr, "keyed archive fuzzer: %s (%s)\n", what, error.localizedDescription().toUtf8().constData());
    abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // Field by field, as a class's decoder reads it.
    platform::Error error;
    if (auto coder = platform::KeyedUnarchiver::forReadingFromData(bytes, &error)) {
        for (const char* key : {"root", "NSRGB", "NSWhite", "NSColorSpace", "NS.objects", "NS.keys", "$class"}) {
            const QString name = QString::fromLatin1(key);
            coder->containsValueForKey(name);
            coder->decodeObjectOfClasses(kAllClasses, name);
            coder->decodeInteger(name);
            coder->decodeDouble(name);
            coder->decodeBool(name);
        }
    } else {
        check(!error.localizedDescription().isEmpty(), "refused without a reason", error);
    }

    // Whole, as the transformers read it.
    platform::Error readError;
    const QVariant object = platform::KeyedUnarchiver::unarchivedObjectOfClasses(kAllClasses, bytes, &readError);
    if (!object.isValid())
        return 0;
    platform::Error writeError;
    const auto again = platform::KeyedArchiver::archivedData(object, true, &writeError);
    check(again.has_value(), "what was read cannot be archived again", writeError);
    platform::Error rereadError;
    check(platform::KeyedUnarchiver::unarchivedObjectOfClasses(kAllClasses, *again, &rereadError).isValid(),
          "the archive made again does not read back", rereadError);
    return 0;
}
