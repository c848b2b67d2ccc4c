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

const QByteArray kAllLines = "[0/3] Preparing to export…\n"
                             "[0/3] Exporting “One”…\n"
                             "[1/3] Exporting “Two”…\n"
                             "[2/3] Exporting “Three”…\n"
                             "[3/3] Finishing…\n";

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
    QByteArray all() const { return writes.join(); }
};

} // namespace

TEST(ProgressPrinter, NothingIsWrittenPerChangeAndFinishShowsTheLastState)
{
    const struct {
        int terminalWidth;
        QList<QByteArray> writes; // after finish(), with no event loop run in between
    } cases[] = {
        {0, {kAllLines}},
        {80, {"\r\033[K[########################] 3/3 Finishing…", "\n"}},
        {20, {"\r\033[K[#################…", "\n"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.terminalWidth);
        Printed printed(c.terminalWidth);
        exportThreeNotes(printed.progress);
        EXPECT_TRUE(printed.writes.isEmpty());
        printed.printer->finish();
        EXPECT_EQ(printed.writes, c.writes);
    }
    // Before the total is known the bar shows no count.
    Printed waiting(80);
    waiting.printer->finish();
    EXPECT_EQ(waiting.writes, (QList<QByteArray>{"\r\033[K[........................] Preparing to export…", "\n"}));
}

TEST(ProgressPrinter, LinesWrittenByTheTimerAndAtTheEndTogetherLoseNone)
{
    for (int flushAfterNote = 0; flushAfterNote < 3; ++flushAfterNote) {
        SCOPED_TRACE(flushAfterNote);
        Printed printed;
        exportThreeNotes(printed.progress, [&](int note) {
            if (note == flushAfterNote) {
                ASSERT_TRUE(testsupport::spinUntil([&] { return !printed.writes.isEmpty(); }));
            }
        });
        const qsizetype timerWrites = printed.writes.size();
        printed.printer->finish();
        EXPECT_EQ(printed.writes.size(), timerWrites + 1);
        EXPECT_EQ(printed.all(), kAllLines);
    }
}
