// Parses per second for the CSS colour forms; items/s is parses per second.
#include "colors/CSSColorParsing.h"

#include <benchmark/benchmark.h>

#include <QString>
#include <QStringList>

namespace {

void parseAll(benchmark::State& state, const QStringList& inputs)
{
    std::size_t parsed = 0;
    for (auto _ : state) {
        for (const QString& input : inputs) {
            benchmark::DoNotOptimize(otl::colorWithCSS(input));
            ++parsed;
        }
    }
    state.SetItemsProcessed(std::int64_t(parsed));
}

void BM_Hex(benchmark::State& state) { parseAll(state, {"#F80", "#FF8800", "#FF880080", " #abcd "}); }
void BM_RGB(benchmark::State& state)
{
    parseAll(state, {"rgb(255, 0, 0)", "rgba(255, 0, 0, 0.5)", "rgb(100%, 0%, 0%)"});
}
void BM_HSL(benchmark::State& state) { parseAll(state, {"hsl(120, 100%, 50%)", "hsla(240, 50%, 25%, 0.5)"}); }
// Short names sit at the end of the longest-first list, so they cost most.
void BM_Named(benchmark::State& state)
{
    parseAll(state, {"red", "Tan", "LightGoldenRodYellow", "darkslategrey", "transparent", "nosuchcolor"});
}
void BM_Mix(benchmark::State& state)
{
    parseAll(state, {"#F80", "rgb(255, 0, 0)", "hsl(120, 100%, 50%)", "gray(128)", "red", "MediumSpringGreen"});
}

} // namespace

BENCHMARK(BM_Hex);
BENCHMARK(BM_RGB);
BENCHMARK(BM_HSL);
BENCHMARK(BM_Named);
BENCHMARK(BM_Mix);
BENCHMARK_MAIN();
