// Gzip and the note body decoder: good data comes through whole, bad data
// is refused with a reason and never half-read.
#include "notestore/Gzip.h"
#include "notestore/NoteBody.h"

#include "notestore-generate/NoteStoreGenerator.h"

#include <gtest/gtest.h>

using namespace notestore;
using notestoregen::gzip;

namespace {

struct GunzipCase {
    const char* name;
    QByteArray data;
    qint64 limit;
    QByteArray expected;  // inflated text, or null for a failure
    const char* reason;   // part of the failure's reason
};

TEST(GunzipTest, InflatesOrSaysWhy)
{
    const QByteArray hello = gzip("hello, notes");
    const QByteArray zeros = gzip(QByteArray(1 << 20, '\0'));
    QByteArray damaged = gzip(QByteArray(4096, 'x') + "tail");
    damaged[damaged.size() - 6] = char(damaged[damaged.size() - 6] ^ 0x55); // the CRC
    const GunzipCase cases[] = {
        // qCompress's output less its four-byte length: a bare zlib stream.
        {"Zlib", qCompress("zlib stream").mid(4), 1000, "zlib stream", nullptr},
        {"ExactlyAtLimit", hello, 12, "hello, notes", nullptr},
        {"Members", gzip("first ") + gzip("second"), 1000, "first second", nullptr},
        {"TrailingPadding", hello + QByteArray(8, '\0'), 1000, "hello, notes", nullptr},
        {"Empty", {}, 1000, nullptr, "empty"},
        {"NotGzip", "<div>hello</div>", 1000, nullptr, "not gzip"},
        {"OneByte", QByteArray(1, '\x1f'), 1000, nullptr, "not gzip"},
        {"HeaderOnly", hello.left(10), 1000, nullptr, "cut short"},
        {"Truncated", hello.chopped(4), 1000, nullptr, "cut short"},
        {"Damaged", damaged, 1 << 20, nullptr, "damaged"},
        {"OverLimit", hello, 11, nullptr, "larger than 11 bytes"},
        {"Bomb", zeros, 64 * 1024, nullptr, "larger than"},
        {"NegativeLimit", hello, -5, nullptr, "larger than 0 bytes"},
    };
    for (const GunzipCase& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray out = "stale";
        QString reason;
        EXPECT_EQ(gunzip(c.data, c.limit, out, &reason), !c.expected.isNull()) << qPrintable(reason);
        EXPECT_EQ(out, c.expected) << "a failure must not leave half the data"; // null equals empty
        EXPECT_TRUE(reason.contains(QLatin1String(c.reason))) << qPrintable(reason); // any, when it inflates
    }
}

// Protobuf made by hand, so that the hostile shapes are exact.
QByteArray varint(quint64 value)
{
    QByteArray out;
    for (; value >= 0x80; value >>= 7)
        out += char((value & 0x7f) | 0x80);
    return out + char(value);
}

QByteArray field(int number, const QByteArray& bytes)
{
    return varint(quint64(number) << 3 | 2) + varint(quint64(bytes.size())) + bytes;
}

QByteArray bodyWithNote(const QByteArray& note)
{
    return field(2, field(3, note));
}

struct DecodeCase {
    const char* name;
    QByteArray protobuf;
    const char* reason; // null: decodes
    bool gzipped = true; // false: given to the decoder as it is
};

TEST(DecodeNoteBodyTest, RefusesWhatIsNotANoteBody)
{
    const QByteArray good = bodyWithNote(field(2, "Hi") + field(5, varint(1 << 3) + varint(2)));
    const QByteArray manyRuns = QByteArray("\x2a\x00", 2).repeated(1'100'000);
    const QByteArray groups = QByteArray("\x4b\x4c", 2).repeated(600'000); // empty unknown groups, field 9
    QByteArray deep = "x";
    for (int i = 0; i < 40; ++i)
        deep = field(9, deep); // unknown fields stay bytes: harmless
    const DecodeCase cases[] = {
        {"Good", good, nullptr},
        {"NoDocument", field(7, "x"), "holds no text"},
        {"NoNote", field(2, field(2, varint(0))), "holds no text"},
        {"Truncated", good.chopped(1), "not readable"},
        {"LengthPastEnd", field(2, field(3, "x")).chopped(2) + "\x7f", "not readable"},
        {"FieldZero", good + QByteArray(1, '\0') + "garbage", "not readable"},
        {"Random", QByteArray("\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff", 11), "not readable"},
        {"ManyRuns", bodyWithNote(manyRuns), "more than 1000000 parts"},
        {"ManyGroups", bodyWithNote(groups + groups), "more than 1000000 parts"},
        {"DeepUnknownBytes", bodyWithNote(field(2, "ok") + deep), nullptr},
        {"NestedGroups", bodyWithNote(QByteArray(200, '\x4b') + QByteArray(200, '\x4c')), "nested deeper"},
        {"NotGzip", "plain text", " is unreadable: not gzip data", false},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        QString reason;
        const auto note = decodeNoteBody(c.gzipped ? gzip(c.protobuf) : c.protobuf, &reason);
        EXPECT_EQ(note.has_value(), !c.reason) << qPrintable(reason);
        EXPECT_TRUE(!c.reason || (reason.startsWith(u"the note body") && reason.contains(QLatin1String(c.reason))))
            << qPrintable(reason);
    }
}

} // namespace
