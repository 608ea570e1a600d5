// Engine benchmarks: the fast engine run beside the straightforward one (same relations, same
// process) and a whole headless trial at the largest dimension. At the end a table gives the
// ratio straightforward / fast per dimension and variant.

#include <benchmark/benchmark.h>

#include "bench/relation_pool.h"

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine/engine.h"
#include "engine/variant.h"
#include "tests/engine/reference_engine.h"

namespace {

constexpr int kDimensions[] = {10, 50, 100};

const char* VariantName(const engine::Variant& v) {
    return v.program == engine::Variant::Program::Zorvath ? "Zorvath" : "Zorvane";
}

enum class Implementation { Fast, Reference };

void AnalyzeRelationBench(benchmark::State& state, engine::Variant variant, int n, Implementation impl) {
    const auto pool = RelationPool(variant, n);
    auto e = std::make_unique<engine::Engine>(variant);
    e->dimension = n;
    int next = 0;
    for (auto _ : state) {
        e->relation = pool[next];
        next = (next + 1) % kPoolSize;
        if (impl == Implementation::Fast) e->AnalyzeRelation();
        else reference::AnalyzeRelation(*e);
        benchmark::DoNotOptimize(e->results.d1Transitivized.data());
        benchmark::ClobberMemory();
    }
}

void RunTrialBench(benchmark::State& state, engine::Variant variant, int n) {
    auto e = std::make_unique<engine::Engine>(variant);
    e->dimension = n;
    for (auto _ : state) {
        e->RunTrial();
        benchmark::DoNotOptimize(e->results.d1Transitivized.data());
        benchmark::ClobberMemory();
    }
}

std::string AnalyzeName(const engine::Variant& v, int n, Implementation impl) {
    return std::string("AnalyzeRelation/") + VariantName(v) + "/" + std::to_string(n) +
           (impl == Implementation::Fast ? "/fast" : "/reference");
}

// Console output as usual, and the mean time per run of every benchmark kept for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, so that redirected output stays plain text.
    RatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& reports) override {
        ConsoleReporter::ReportRuns(reports);
        for (const Run& run : reports)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                seconds_[run.benchmark_name()] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    }

    void PrintRatios() const {
        bool header = false;
        for (const engine::Variant& v : {engine::kZorvath, engine::kZorvane}) {
            for (int n : kDimensions) {
                const auto fast = seconds_.find(AnalyzeName(v, n, Implementation::Fast));
                const auto ref = seconds_.find(AnalyzeName(v, n, Implementation::Reference));
                if (fast == seconds_.end() || ref == seconds_.end()) continue;
                if (!header) {
                    std::printf("\nAnalyzeRelation, straightforward / fast (same run)\n");
                    std::printf("%-8s %5s %14s %14s %9s\n", "variant", "n", "fast ms", "reference ms", "ratio");
                    header = true;
                }
                std::printf("%-8s %5d %14.4f %14.4f %8.1fx\n", VariantName(v), n, fast->second * 1e3,
                            ref->second * 1e3, ref->second / fast->second);
            }
        }
    }

private:
    std::map<std::string, double> seconds_;
};

void RegisterAll() {
    for (const engine::Variant& v : {engine::kZorvath, engine::kZorvane}) {
        for (int n : kDimensions) {
            for (Implementation impl : {Implementation::Fast, Implementation::Reference}) {
                benchmark::RegisterBenchmark(AnalyzeName(v, n, impl).c_str(), AnalyzeRelationBench, v, n, impl)
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
    for (const engine::Variant& v : {engine::kZorvath, engine::kZorvane}) {
        benchmark::RegisterBenchmark((std::string("RunTrial/") + VariantName(v) + "/100").c_str(), RunTrialBench,
                                     v, 100)
            ->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
