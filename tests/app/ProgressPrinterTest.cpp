#include "app/ProgressPrinter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// What an export does to its progress: the first description is set
// before anyone watches, then the total, then per note its description
// before it and its count after it, and "Finishing…" at the end.
void exportThreeNotes(platform::Progress& progress, const std::function<void(int note)>& afterNote = {})
{
    progress.setTotalUnitCount(3);
    const char* names[] = {"One", "Two", "Three"};
    for (int note = 0; note < 3; ++note) {
        progress.setLocalizedDescription(QStringLiteral("Exporting “%1”…").arg(QLatin1String(names[note])));
        progress.setCompletedUnitCount(note + 1);
        if (afterNote)
            afterNote(note);
    }
    progress.setLocalizedDescription(QStringLiteral("Finishing…"));
}

const QByteArrayList kLines = {"[0/3] Preparing to export…\n", "[0/3] Exporting “One”…\n", "[1/3] Exporting “Two”…\n",
                               "[2/3] Exporting “Three”…\n", "[3/3] Finishing…\n"};

struct Printed {
    platform::Progress progress{-1};
    QList<QByteArray> writes;
    std::unique_ptr<ProgressPrinter> printer;

    explicit Printed(int terminalWidth = 0)
    {
        progress.setLocalizedDescription(QStringLiteral("Preparing to export…"));
        std::function<int()> width;
        if (terminalWidth > 0)
            width = [terminalWidth] { return terminalWidth; };
        printer = std::make_unique<ProgressPrinter>(&progress, [this](const QByteArray& text) { writes.append(text); }, width);
    }
};

} // namespace

// Lines are written only by the timer, here only while the event loop runs
// after one note, and by finish(), which draws the last state; none is lost.
TEST(ProgressPrinter, WritesOnItsTimerAndAtFinishLosingNoLine)
{
    const struct {
        int terminalWidth;
        int flushAfterNote; // -1: no event loop runs before finish()
        QList<QByteArray> writes;
    } cases[] = {
        {0, -1, {kLines.join()}},
        {80, -1, {"\r\033[K[########################] 3/3 Finishing…", "\n"}},
        {20, -1, {"\r\033[K[#################…", "\n"}},
        {0, 0, {kLines.mid(0, 2).join(), kLines.mid(2).join()}},
        {0, 1, {kLines.mid(0, 3).join(), kLines.mid(3).join()}},
        {0, 2, {kLines.mid(0, 4).join(), kLines.mid(4).join()}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.terminalWidth << " columns, flushed after " << c.flushAfterNote);
        Printed printed(c.terminalWidth);
        exportThreeNotes(printed.progress, [&](int note) {
            if (note == c.flushAfterNote) {
                ASSERT_TRUE(testsupport::spinUntil([&] { return !printed.writes.isEmpty(); }));
            }
        });
        printed.printer->finish();
        EXPECT_EQ(printed.writes, c.writes);
    }
    // Before the total is known the bar shows no count.
    Printed waiting(80);
    waiting.printer->finish();
    EXPECT_EQ(waiting.writes, (QList<QByteArray>{"\r\033[K[........................] Preparing to export…", "\n"}));
}
