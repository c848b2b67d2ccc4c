// A walk asks for a folder's notes one after the other, and reading,
// inflating, decoding and rendering a body was most of what the asking
// thread did for each. So when it asks for one, the bodies of the next few
// notes of the folder are built on a thread of their own meanwhile. Only
// bodies that need neither keys nor attachments are built there (keys and
// media files are the asking thread's alone); any other is built when asked
// for, as before, and so is a body asked for again. The database serialises
// its queries, and the outline does not change once loaded.
//
// The work goes over in batches: handing over one note at a time woke the
// other thread, on the other processor, once a note, and the waking and
// locking took about a fifteenth of the asking thread's time.
#include "notestore/NoteStoreSource.h"

#include <algorithm>
#include <future>

namespace notestore {

namespace {

// Enough to keep that thread busy while the asking one writes a note; a new
// batch is handed over once half of them have been taken.
constexpr size_t kBodiesAhead = 6;

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
    if (folder < 0 || m_bodiesAhead.size() > kBodiesAhead / 2)
        return;
    const std::vector<int>& notes = m_folders[size_t(folder)].notes;
    const size_t end = std::min(notes.size(), size_t(position) + 1 + kBodiesAhead);
    std::vector<std::pair<int, std::promise<std::optional<BodyAhead>>>> batch;
    for (size_t next = size_t(position) + 1; next < end && m_bodiesAhead.size() < kBodiesAhead; ++next) {
        const int note = notes[next];
        if (m_notes[size_t(note)].passwordProtected || m_bodiesAhead.count(note))
            continue;
        std::promise<std::optional<BodyAhead>> promise;
        m_bodiesAhead.emplace(note, promise.get_future());
        batch.emplace_back(note, std::move(promise));
    }
    if (batch.empty())
        return;
    // Each body is handed over as soon as it is built, not with the batch.
    m_aheadQueue.async([this, batch = std::move(batch)]() mutable {
        for (auto& [note, promise] : batch) {
            BodyAhead ahead;
            std::optional<QByteArray> html = buildBody(m_notes[size_t(note)], &ahead.problem, nullptr, true);
            if (html)
                ahead.html = std::move(*html);
            promise.set_value(html ? std::optional<BodyAhead>(std::move(ahead)) : std::nullopt);
        }
    });
}

} // namespace notestore
