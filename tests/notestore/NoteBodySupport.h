#pragma once

// Helpers of the note body tests: compression and styled texts made in
// code.

#include "notestore-generate/NoteStoreGenerator.h"
#include "notestore.pb.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>

namespace notestoretest {

using notestoregen::gzip;

// A zlib stream: qCompress's output without its four-byte length.
inline QByteArray zlibCompress(const QByteArray& data) { return qCompress(data).mid(4); }

// A run of `length` UTF-16 units; `style` adjusts it.
struct RunSpec {
    qint64 length;
    std::function<void(notestore::pb::Run&)> style = {};
};

inline notestore::pb::NoteText noteText(const QString& text, std::initializer_list<RunSpec> runs)
{
    notestore::pb::NoteText note;
    note.set_text(text.toStdString());
    for (const RunSpec& spec : runs) {
        notestore::pb::Run* run = note.add_run();
        run->set_length(spec.length);
        if (spec.style)
            spec.style(*run);
    }
    return note;
}

// Paragraph styles for RunSpec.
inline std::function<void(notestore::pb::Run&)> paragraph(int style, int indent = 0, int alignment = 0,
                                                          bool quote = false, int done = -1)
{
    return [=](notestore::pb::Run& run) {
        auto* p = run.mutable_paragraph();
        p->set_style(style);
        if (indent)
            p->set_indent(indent);
        if (alignment)
            p->set_alignment(alignment);
        if (quote)
            p->set_block_quote(1);
        if (done >= 0)
            p->mutable_checklist()->set_done(done);
    };
}

} // namespace notestoretest
