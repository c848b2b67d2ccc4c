// Cost of one synchronous hand-off from a worker to the main thread, as the
// export makes two per note. The benchmarks run on a worker thread while the
// main thread runs the event loop, as in the programs.

#include "platform/MainThreadHandoff.h"
#include "platform/Operation.h"
#include "platform/Progress.h"
#include "platform/ProgressRefresher.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <benchmark/benchmark.h>
#include <chrono>
#include <thread>

namespace {

platform::Progress* progress = nullptr;

// The hand-off as it was: an operation on the main queue, waited for.
void BM_HandoffThroughMainQueueOperation(benchmark::State& state)
{
    qint64 count = 0;
    for (auto _ : state) {
        auto operation = platform::BlockOperation::operationWithBlock([&count] { progress->setCompletedUnitCount(++count); });
        platform::OperationQueue::mainQueue()->addOperation(operation);
        operation->waitUntilFinished();
    }
}
BENCHMARK(BM_HandoffThroughMainQueueOperation)->UseRealTime();

// One progress change through the direct hand-off, with a throttled view attached.
void BM_Handoff(benchmark::State& state)
{
    qint64 count = 0;
    for (auto _ : state)
        platform::runOnMainThreadAndWait([&count] { progress->setCompletedUnitCount(++count); });
}
BENCHMARK(BM_Handoff)->UseRealTime();

// As in an export: some work on the worker between hand-offs (a note's file
// written, the next body read), here 30 or 100 µs of spinning, so the
// main thread's loop has gone idle by the time the next one comes.
void BM_HandoffBetweenWork(benchmark::State& state)
{
    const auto work = std::chrono::microseconds(state.range(0));
    qint64 count = 0;
    for (auto _ : state) {
        const auto until = std::chrono::steady_clock::now() + work;
        while (std::chrono::steady_clock::now() < until) {
        }
        platform::runOnMainThreadAndWait([&count] { progress->setCompletedUnitCount(++count); });
    }
}
BENCHMARK(BM_HandoffBetweenWork)->Arg(30)->Arg(100)->UseRealTime();

// The same change made on the main thread itself, for the floor.
void BM_ProgressChangeOnMainThread(benchmark::State& state)
{
    qint64 count = 0;
    platform::runOnMainThreadAndWait([&] {
        for (auto _ : state)
            progress->setCompletedUnitCount(++count);
    });
}
BENCHMARK(BM_ProgressChangeOnMainThread)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    platform::Progress mainProgress(1 << 30);
    progress = &mainProgress;
    platform::ProgressRefresher view(&mainProgress, [] {});
    std::thread worker([&app] {
        benchmark::RunSpecifiedBenchmarks();
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    app.exec();
    worker.join();
    benchmark::Shutdown();
    return 0;
}
