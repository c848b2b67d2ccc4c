#pragma once

// Helpers of the note body tests: compression, the published sample bodies
// and styled texts made in code.

#include "notestore.pb.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <zlib.h>

namespace notestoretest {

// windowBits 15 gives a zlib stream, 15 + 16 a gzip one.
inline QByteArray deflateWith(const QByteArray& data, int windowBits)
{
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, 6, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY), Z_OK);
    QByteArray out(int(deflateBound(&stream, uLong(data.size()))) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return out;
}

inline QByteArray gzip(const QByteArray& data) { return deflateWith(data, 15 + 16); }
inline QByteArray zlibCompress(const QByteArray& data) { return deflateWith(data, 15); }

// The published sample "<name>_gzipped.bin", a seed of the fuzz corpora;
// the test fails when it is missing.
inline QByteArray readBlob(const char* name)
{
    const QString folder = qstrcmp(name, "table") == 0 ? QStringLiteral("note_table") : QStringLiteral("note_body");
    const QString path = QStringLiteral(NI_FUZZ_CORPUS "/%1/%2_gzipped.bin").arg(folder, QLatin1String(name));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << qPrintable(path);
        return {};
    }
    return file.read(1 << 20);
}

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
