// The files beside the statistics table: the batch of dimensions 2 … 100 with 20 trials each
// with and without the raw file (and the cost of one raw line alone), the workbook of such a
// run, and --reune's work on ten raw files of 99,000 lines each (dimensions 2 … 100), 990,000
// trials in all.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <thread>

#include "experiments/experiment.h"
#include "experiments/statistics_batch.h"
#include "experiments/batch_outputs.h"

namespace {

namespace fs = std::filesystem;

fs::path Scratch(const std::string& name) {
    return fs::temp_directory_path() / ("bench_outputs_" + std::to_string(::getpid()) + "_" + name);
}

int AllThreads() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

void BM_Batch(benchmark::State& state) {
    const bool raw = state.range(0) != 0;
    const fs::path table = Scratch("table.txt"), rawFile = Scratch("raw.csv");
    for (auto _ : state) {
        state.PauseTiming();
        auto experiment = std::make_unique<experiments::Experiment>(engine::kZorvane);
        experiment->RunTrial();
        state.ResumeTiming();
        experiments::BatchOutputs outputs({"Zorvane", 5489u, false, false, {}},
                                      raw ? std::optional(rawFile) : std::nullopt, std::nullopt);
        experiments::BatchOptions options{AllThreads(), {}, {}};
        if (raw) options.trial = [&](int n, int k, const engine::Analysis& a) { outputs.Trial(n, k, a); };
        experiments::RunStatisticsBatch(table, *experiment, 100, 20, options);
    }
    fs::remove(table);
    fs::remove(rawFile);
}
BENCHMARK(BM_Batch)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

formats::TrialRecord Record(std::mt19937& random, int n, int k) {
    std::uniform_real_distribution<float> d(0, static_cast<float>(n * n) / 4);
    formats::TrialRecord r{n, k};
    for (int t = 0; t < 3; ++t) {
        r.d1Closure[t] = d(random);
        r.d1Transitivized[t] = d(random);
        r.d2Closure[t] = d(random) / static_cast<float>(n);
        r.d2Transitivized[t] = d(random) / static_cast<float>(n);
    }
    return r;
}

// One trial's share of the raw file: its line, written.
void BM_RawLine(benchmark::State& state) {
    const fs::path file = Scratch("line.csv");
    toolkit::LineFile out(file, formats::kRawLineEnd);
    std::mt19937 random;
    const formats::TrialRecord record = Record(random, 100, 1);
    for (auto _ : state) out.WriteLine(formats::RawLine({"Zorvane", 5489u, false, false, {}}, record));
    fs::remove(file);
}
BENCHMARK(BM_RawLine);

void BM_WorkbookOfD100(benchmark::State& state) {
    std::mt19937 random;
    formats::TrialSummary summary;
    for (int n = 2; n <= 100; ++n)
        for (int k = 1; k <= 20; ++k) summary.Add(Record(random, n, k));
    const fs::path file = Scratch("book.xlsx");
    for (auto _ : state) formats::WriteWorkbook(file, summary, false, 100, {{"Programa", "Zorvane"}});
    fs::remove(file);
}
BENCHMARK(BM_WorkbookOfD100)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MergeTenFiles(benchmark::State& state) {
    std::vector<fs::path> files;
    std::mt19937 random;
    for (std::uint32_t seed = 1; seed <= 10; ++seed) {
        files.push_back(Scratch("replica" + std::to_string(seed) + ".csv"));
        std::ofstream out(files.back(), std::ios::binary);
        out << formats::kRawHeader << '\n';
        for (int n = 2; n <= 100; ++n)
            for (int k = 1; k <= 1000; ++k) out << formats::RawLine({"Zorvane", seed, false, false}, Record(random, n, k)) << '\n';
    }
    const fs::path book = Scratch("merged.xlsx");
    for (auto _ : state) {
        auto summary = std::make_unique<formats::TrialSummary>();
        const formats::RunFacts facts = experiments::MergeRawFiles("Zorvane", files, *summary);
        formats::WriteWorkbook(book, *summary, false, 100, facts);
        state.counters["lines"] = static_cast<double>(summary->Trials());
    }
    for (const fs::path& file : files) fs::remove(file);
    fs::remove(book);
}
BENCHMARK(BM_MergeTenFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
