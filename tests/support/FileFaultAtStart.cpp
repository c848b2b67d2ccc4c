#include "support/FaultyFileManager.h"

#include <cstdio>
#include <cstdlib>

// Linked into the test build of notes-export only: with $NI_FILE_FAULT set,
// the program writes to a disk that fails as described, from its first file.
namespace {

const bool installed = [] {
    if (!qEnvironmentVariableIsSet("NI_FILE_FAULT"))
        return false;
    const QString description = qEnvironmentVariable("NI_FILE_FAULT");
    // Kept for the whole run: the export may still be writing when the program ends.
    platform::FaultyFileManager* manager = platform::FaultyFileManager::fromDescription(description).release();
    if (!manager) {
        // A test that asked for a fault must not pass on a disk without one.
        std::fprintf(stderr, "NI_FILE_FAULT cannot be read: %s\n", qPrintable(description));
        std::_Exit(2);
    }
    platform::FileManager::setDefaultManager(manager);
    return true;
}();

} // namespace
