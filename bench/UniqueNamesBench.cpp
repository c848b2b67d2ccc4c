// Unique names for the notes of one folder, each file created as the
// export creates it: 4,000 notes of one name against 4,000 of different
// names, with the export's memo and with the plain file-system rule.
#include "platform/FileURL.h"
#include "text/FileNames.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

enum Names { Same, Distinct };

template <typename Make>
void run(benchmark::State& state, Names names, Make make)
{
    const int count = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const QUrl url = platform::fileurl::fromPath(dir.path(), true);
        fw::UniqueFileNames memo;
        state.ResumeTiming();
        for (int i = 0; i < count; ++i) {
            const QString wanted = names == Same ? QStringLiteral("Meeting.html")
                                                 : QStringLiteral("Meeting %1x.html").arg(i);
            const QString name = make(memo, wanted, url);
            const int fd = ::open(QFile::encodeName(dir.filePath(name)).constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            if (fd < 0)
                state.SkipWithError("a name was handed out twice");
            else
                ::close(fd);
        }
        state.PauseTiming();
        dir.remove();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * count);
}

QString remembered(fw::UniqueFileNames& memo, const QString& name, const QUrl& url)
{
    return memo.makeFilenameUniqueInDirectoryAtURL(name, url);
}

QString plain(fw::UniqueFileNames&, const QString& name, const QUrl& url)
{
    return fw::makeFilenameUniqueInDirectoryAtURL(name, url);
}

void BM_SameNamesRemembered(benchmark::State& state) { run(state, Same, remembered); }
void BM_DistinctNamesRemembered(benchmark::State& state) { run(state, Distinct, remembered); }
void BM_SameNamesFileSystemOnly(benchmark::State& state) { run(state, Same, plain); }
void BM_DistinctNamesFileSystemOnly(benchmark::State& state) { run(state, Distinct, plain); }

} // namespace

BENCHMARK(BM_SameNamesRemembered)->Arg(4000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DistinctNamesRemembered)->Arg(4000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SameNamesFileSystemOnly)->Arg(4000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DistinctNamesFileSystemOnly)->Arg(4000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
