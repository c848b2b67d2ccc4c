// Feeds arbitrary bytes to the keybag reader of encrypted backups. A bag
// it accepts must hold classes and the salt and rounds to derive a key;
// unlocking one with rounds made small must end in a known outcome.
#include "backup/Keybag.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool holds, const char* what)
{
    if (holds)
        return;
    fprintf(stderr, "backup keybag fuzzer: %s\n", what);
    abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString problem;
    auto bag = backup::parseKeybag(bytes, &problem);
    if (!bag) {
        check(!problem.isEmpty(), "refused without a reason");
        return 0;
    }
    check(!bag->classes.empty() && int(bag->classes.size()) <= backup::Keybag::kMaxClasses, "classes out of bounds");
    check(!bag->derivation.salt.isEmpty() && bag->derivation.iterations > 0, "no key derivation");
    // Rounds are the input's to choose; the fuzzer keeps them cheap.
    bag->derivation.iterations = 1 + bag->derivation.iterations % 4;
    bag->derivation.dpic = bag->derivation.dpic % 4;
    backup::ClassKeys keys;
    const auto outcome = backup::unlockKeybag(*bag, backup::Secret("password", 8), keys, &problem);
    check(outcome != backup::UnlockOutcome::Opened || !keys.empty(), "opened without keys");
    check(outcome == backup::UnlockOutcome::Opened || keys.empty(), "keys left after a failure");
    return 0;
}
