// Throughput of the text helpers on large notes. The sizes grow by four up
// to 1 Mi UTF-16 units; the fitted complexity shows the time stays linear.
#include "text/TextUtilities.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr qsizetype kLargest = qsizetype(1) << 20;

// A note mixing prose, hashtags (numeric and chained ones too), accents,
// emoji, every kind of line break and attachment placeholders.
QString noteText(qsizetype units)
{
    static const QString pieces[] = {
        QStringLiteral("Meeting notes for the caf\u00E9 project "),
        QStringLiteral("#work #2024 #to_do#later "),
        QStringLiteral("R\u00E9sum\u00E9 and CAFE\u0301 with \U0001F600 emoji\r\n"),
        QStringLiteral("email#not-a-tag, list\n\r\uFFFC picture\r"),
        QStringLiteral("plain words that only take up space and time\n"),
    };
    QString text;
    text.reserve(units + 64);
    for (int i = 0; text.size() < units; ++i)
        text += pieces[i % std::size(pieces)];
    text.truncate(units);
    return text;
}

template <typename Work>
void run(benchmark::State& state, Work work)
{
    const QString text = noteText(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(work(text));
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size() * int64_t(sizeof(char16_t)));
    state.SetComplexityN(state.range(0));
}

void BM_Hashtags(benchmark::State& state)
{
    QList<fw::TextRange> ranges;
    run(state, [&](const QString& text) { return fw::tagNamesAndRangesFromHashtags(text, &ranges); });
}

void BM_StandardSearch(benchmark::State& state)
{
    run(state, [](const QString& text) { return fw::localizedStandardRangesOfString(text, QStringLiteral("cafe")); });
}

void BM_StandardizeNewlines(benchmark::State& state)
{
    run(state, [](const QString& text) { return fw::stringByStandardizingNewlines(text); });
}

void BM_WithoutAttachments(benchmark::State& state)
{
    run(state, [](const QString& text) { return fw::stringWithoutAttachments(text); });
}

#define TEXT_BENCH(name) \
    BENCHMARK(name)->RangeMultiplier(4)->Range(kLargest / 64, kLargest)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN)

TEXT_BENCH(BM_Hashtags);
TEXT_BENCH(BM_StandardSearch);
TEXT_BENCH(BM_StandardizeNewlines);
TEXT_BENCH(BM_WithoutAttachments);

} // namespace

int main(int argc, char** argv)
{
    // Numeric tags read the user defaults; keep them away from the real ones.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
