// Classifications per second on the sample Applications folder with a warm
// cache: every sample bundle classified in turn, as the survey's worker does.
//
//   corvane-classification-bench [benchmark flags]
#include "survey/engine/Classification.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace corvane;

namespace {

QStringList bundlesIn(const QString& folder)
{
    QStringList found;
    QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.app")}, QDir::Dirs))
        found << dir.filePath(name);
    return found;
}

QStringList& sampleBundles()
{
    static QStringList bundles;
    return bundles;
}

void classifySampleFolder(benchmark::State& state)
{
    const survey::SystemLists lists = survey::loadSystemLists();
    const QStringList& bundles = sampleBundles();
    std::int64_t listed = 0;
    for (auto _ : state) {
        for (const QString& path : bundles) {
            auto result = survey::classifyBundle(path, lists, {});
            listed += result.has_value();
            benchmark::DoNotOptimize(result);
        }
    }
    state.SetItemsProcessed(state.iterations() * bundles.size());
    state.counters["listed_per_pass"] = static_cast<double>(listed) / static_cast<double>(state.iterations());
}
BENCHMARK(classifySampleFolder)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Sample Applications"));
    if (QProcess::execute(QStringLiteral(CORVANE_MAKE_SAMPLES_PROGRAM), {folder}) != 0) {
        std::fprintf(stderr, "cannot write the sample folder\n");
        return 1;
    }
    sampleBundles() = bundlesIn(folder);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
