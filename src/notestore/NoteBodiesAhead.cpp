// A walk asks for a folder's notes one after the other, and reading,
// inflating, decoding and rendering a body was most of what the asking
// thread did for each. So when it asks for one, the bodies of the next few
// notes of the folder are built on a thread of their own meanwhile. Only
// bodies that need neither keys nor attachments are built there (keys and
// media files are the asking thread's alone); any other is built when asked
// for, as before, and so is a body asked for again. The database serialises
// its queries, and the outline does not change once loaded.
#include "notestore/NoteStoreSource.h"

#include <algorithm>

namespace notestore {

namespace {

// Enough to keep that thread busy while the asking one writes a note.
constexpr size_t kBodiesAhead = 4;

} // namespace

QByteArray NoteStoreApplication::bodyOfNoteAt(int index, QString* problem,
                                               QList<std::shared_ptr<NotesAttachment>>* attachments)
{
    std::future<std::optional<BodyAhead>> built;
    {
        std::lock_guard lock(m_aheadMutex);
        if (const auto found = m_bodiesAhead.find(index); found != m_bodiesAhead.end()) {
            built = std::move(found->second);
            m_bodiesAhead.erase(found);
        }
        // Counting asks for the locked notes' bodies only; a walk asks for
        // every note's.
        if (!m_notes[size_t(index)].passwordProtected)
            buildBodiesAfter(index);
    }
    if (built.valid()) {
        if (std::optional<BodyAhead> ahead = built.get()) {
            *problem = std::move(ahead->problem);
            return std::move(ahead->html);
        }
    }
    return bodyOfNote(m_notes[size_t(index)], problem, attachments);
}

void NoteStoreApplication::buildBodiesAfter(int index)
{
    const auto [folder, position] = m_placeOfNote[size_t(index)];
    if (folder < 0)
        return;
    const std::vector<int>& notes = m_folders[size_t(folder)].notes;
    const size_t end = std::min(notes.size(), size_t(position) + 1 + kBodiesAhead);
    for (size_t next = size_t(position) + 1; next < end && m_bodiesAhead.size() < kBodiesAhead; ++next) {
        const int note = notes[next];
        if (m_notes[size_t(note)].passwordProtected || m_bodiesAhead.count(note))
            continue;
        m_bodiesAhead.emplace(note, m_aheadQueue.async([this, note]() -> std::optional<BodyAhead> {
            BodyAhead ahead;
            std::optional<QByteArray> html = buildBody(m_notes[size_t(note)], &ahead.problem, nullptr, true);
            if (!html)
                return std::nullopt;
            ahead.html = std::move(*html);
            return ahead;
        }));
    }
}

} // namespace notestore
