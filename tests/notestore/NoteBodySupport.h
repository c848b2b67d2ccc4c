#pragma once

// Helpers of the note body tests: compression, the published sample bodies
// and styled texts made in code.

#include "notestore.pb.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <initializer_list>

namespace notestoretest {

QByteArray gzip(const QByteArray& data);
QByteArray zlibCompress(const QByteArray& data);

// The published sample body "<name>_gzipped.bin"; the test fails when the
// fixtures are missing.
QByteArray readBlob(const char* name);

// A run of `length` UTF-16 units; `style` adjusts it.
struct RunSpec {
    qint64 length;
    std::function<void(notestore::pb::Run&)> style = {};
};
notestore::pb::NoteText noteText(const QString& text, std::initializer_list<RunSpec> runs);

// Paragraph styles for RunSpec.
std::function<void(notestore::pb::Run&)> paragraph(int style, int indent = 0, int alignment = 0, bool quote = false,
                                                   int done = -1);

} // namespace notestoretest
