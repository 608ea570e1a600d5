// The whole analysis (three closures, three transitivizations, the comparisons) of large random
// relations, as `--analiza` runs it: both programs, relations not symmetric and symmetric, at
// 500, 1,000 and 2,000 elements, every core. Real time, since the work is spread over threads;
// the peak memory of the process so far is reported beside it.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <memory>

#include "engine/engine.h"
#include "engine/variant.h"

namespace {

void WholeAnalysis(benchmark::State& state, engine::Variant variant, bool symmetric) {
    const int n = static_cast<int>(state.range(0));
    auto e = std::make_unique<engine::Engine>(variant);
    e->dimension = n;
    e->symmetric = symmetric;
    e->reflexive = false;
    e->Reserve(n);
    e->GenerateRelation();
    const engine::RelationMatrix relation = e->relation;
    for (auto _ : state) {
        // A fresh memory each time, as for a relation loaded once: every closure iterates.
        state.PauseTiming();
        e->closureMemory = engine::ClosureMemory{};
        e->relation = relation;
        state.ResumeTiming();
        e->AnalyzeRelation();
        benchmark::DoNotOptimize(e->results.d1Transitivized.data());
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["pico_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.counters["limite_MB"] = (64.0 * n * n + 100e6) / 1e6;
    state.counters["iter_min"] = e->results.closureCounts[engine::Min].iterCount;
    state.counters["iter_w"] = e->results.closureCounts[engine::W].iterCount;
}

void Register() {
    for (const auto& [variant, program] : {std::pair(engine::kZorvath, "Zorvath"), std::pair(engine::kZorvane, "Zorvane")})
        for (const bool symmetric : {false, true})
            benchmark::RegisterBenchmark((std::string("WholeAnalysis/") + program + (symmetric ? "/simetrica" : "/general")).c_str(),
                                         WholeAnalysis, variant, symmetric)
                ->Arg(500)
                ->Arg(1000)
                ->Arg(2000)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->Iterations(1);
}

}  // namespace

int main(int argc, char** argv) {
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
