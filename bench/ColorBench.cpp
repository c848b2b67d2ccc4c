// Per-call cost of the colour helpers the CSS generation calls for every style.
#include "colors/ColorExtensions.h"

#include <benchmark/benchmark.h>

using platform::Color;

static void BM_rgbStringValue(benchmark::State& state)
{
    const auto color = Color::withRGBA(0.2, 0.4, 0.6, 0.5);
    for (auto _ : state)
        benchmark::DoNotOptimize(otl::rgbStringValue(color));
}
BENCHMARK(BM_rgbStringValue);

static void BM_rgbStringValueCatalogue(benchmark::State& state)
{
    const auto color = platform::ColorList::named("Crayons")->colorWithKey("Lemon");
    for (auto _ : state)
        benchmark::DoNotOptimize(otl::rgbStringValue(color));
}
BENCHMARK(BM_rgbStringValueCatalogue);

static void BM_isEqualToColorOTLVersion(benchmark::State& state)
{
    const auto a = Color::withRGBA(0.2, 0.4, 0.6, 1);
    const auto b = Color::withWhite(0.4, 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(otl::isEqualToColorOTLVersion(a, b));
}
BENCHMARK(BM_isEqualToColorOTLVersion);

static void BM_isEqualToColorOTLVersionCatalogue(benchmark::State& state)
{
    const auto a = Color::textBackgroundColor();
    const auto b = platform::ColorList::named("Apple")->colorWithKey("White");
    for (auto _ : state)
        benchmark::DoNotOptimize(otl::isEqualToColorOTLVersion(a, b));
}
BENCHMARK(BM_isEqualToColorOTLVersionCatalogue);

BENCHMARK_MAIN();
