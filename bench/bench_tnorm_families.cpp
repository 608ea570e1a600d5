// One t-norm's analysis (closure, transitivization, comparisons, texts) at the largest
// dimension, for Prod through its own kernels and for t-norms of other families: the Hamacher
// and Frank ones through their generator, the others pair by pair.

#include <benchmark/benchmark.h>

#include "bench/relation_pool.h"

#include <memory>
#include <vector>

#include "engine/engine.h"
#include "engine/family_analysis.h"

namespace {


void AnalyzeWith(benchmark::State& state, const char* name) {
    constexpr int n = engine::kInitialCapacity;
    const engine::AnyTNorm t = engine::AnyTNorm::Parse(name);
    const auto pool = RelationPool(engine::kZorvane, n);
    auto memory = std::make_unique<engine::FamilyClosureMemory>();
    auto out = std::make_unique<engine::FamilyAnalysis>();
    int next = 0;
    for (auto _ : state) {
        engine::AnalyzeRelation(t, n, pool[next], false, *memory, *out);
        next = (next + 1) % kPoolSize;
        benchmark::DoNotOptimize(out->transitivizedComparison.d1);
        benchmark::ClobberMemory();
    }
    state.counters["iteraciones"] = out->closureCounts.iterCount;
}

}  // namespace

BENCHMARK_CAPTURE(AnalyzeWith, prod, "prod")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AnalyzeWith, hamacher_0_5, "hamacher:0.5")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AnalyzeWith, hamacher_20, "hamacher:20")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AnalyzeWith, frank_0_01, "frank:0.01")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AnalyzeWith, frank_2, "frank:2")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AnalyzeWith, frank_100, "frank:100")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AnalyzeWith, yager_2, "yager:2")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AnalyzeWith, dombi_2, "dombi:2")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
