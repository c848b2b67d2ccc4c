// Feeds arbitrary bytes to the library.json reader. Whatever it accepts must
// be safe to walk: every reference in range, no folder inside itself, every
// attachment file inside the library folder.
#include "export/NotesLibrary.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

const QString kFolder = QStringLiteral("/nonexistent/fuzz-library");

void check(bool holds, const char* what)
{
    if (holds)
        return;
    fprintf(stderr, "notes library fuzzer: %s\n", what);
    abort();
}

// Shared subfolders may make the tree far larger than the description; the
// walk stops after this many folders so that one input stays quick.
int budget = 0;

void walkFolder(NotesFolder& folder, int depth, int folderCount)
{
    // Deeper than there are folders means the walk went round a cycle.
    check(depth <= folderCount, "a folder lies inside itself");
    if (--budget < 0)
        return;
    folder.id();
    folder.name();
    for (const auto& note : folder.notes()) {
        note->name();
        note->body();
        note->passwordProtected();
        for (const auto& attachment : note->attachments()) {
            attachment->name();
            attachment->URL();
        }
    }
    for (const auto& child : folder.folders())
        walkFolder(*child, depth + 1, folderCount);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    platform::Error error;
    const auto library =
        NotesLibrary::fromJSON(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), kFolder, &error);
    if (!library) {
        check(!error.localizedDescription().isEmpty(), "refused without a reason");
        return 0;
    }
    const auto inRange = [](const std::vector<int>& indices, size_t count) {
        for (const int index : indices)
            if (index < 0 || size_t(index) >= count)
                return false;
        return true;
    };
    for (const auto& account : library->accounts())
        check(inRange(account.folders, library->folders().size()), "an account names a missing folder");
    for (const auto& folder : library->folders()) {
        check(inRange(folder.folders, library->folders().size()), "a folder names a missing folder");
        check(inRange(folder.notes, library->notes().size()), "a folder names a missing note");
    }
    for (const auto& note : library->notes())
        check(inRange(note.attachments, library->attachments().size()), "a note names a missing attachment");
    for (const auto& attachment : library->attachments())
        check(attachment.filePath.isEmpty() || attachment.filePath.startsWith(kFolder + u'/'),
              "an attachment file lies outside the library folder");

    const auto app = LibraryNotesApplication::make(library);
    const int folderCount = int(library->folders().size());
    budget = 2000;
    for (const auto& account : app->accounts()) {
        account->name();
        for (const auto& folder : account->folders())
            walkFolder(*folder, 0, folderCount);
    }
    return 0;
}
