// The completion of the technique's result against the technique itself, at the largest
// dimension of the plain storage and at 1,000 elements, and the measures of transitivity, on
// relations as the plain program's trials draw them. Arguments: symmetrizing (the program that
// writes mirrors, on symmetric relations) and the dimension.

#include <benchmark/benchmark.h>

#include "bench/relation_pool.h"

#include <memory>
#include <vector>

#include "engine/engine.h"
#include "engine/lowering_methods.h"
#include "engine/transitivity_measures.h"
#include "engine/transitivize.h"

namespace {

struct Fixture {
    int n;
    engine::AnyTNorm t;
    std::vector<engine::RelationMatrix> pool, lowered;
    std::unique_ptr<engine::MethodScratch> scratch = std::make_unique<engine::MethodScratch>();
    std::unique_ptr<engine::RelationMatrix> out;
    Fixture(const char* name, bool symmetrizing, int dimension)
        : n(dimension),
          t(engine::AnyTNorm::Parse(name)),
          pool(RelationPool(symmetrizing ? engine::kZorvath : engine::kZorvane, n)),
          lowered(pool),
          out(std::make_unique<engine::RelationMatrix>(n)) {
        for (int p = 0; p < kPoolSize; ++p) engine::Transitivize(t, n, pool[p], lowered[p], scratch->order, symmetrizing);
    }
};

void Technique(benchmark::State& state, const char* name) {
    Fixture f(name, state.range(0) != 0, static_cast<int>(state.range(1)));
    int next = 0;
    for (auto _ : state) {
        engine::Transitivize(f.t, f.n, f.pool[next], *f.out, f.scratch->order, state.range(0) != 0);
        next = (next + 1) % kPoolSize;
        benchmark::ClobberMemory();
    }
}

// The completion alone, from the technique's result (copied in, as it is raised in place).
void Completion(benchmark::State& state, const char* name) {
    Fixture f(name, state.range(0) != 0, static_cast<int>(state.range(1)));
    int next = 0, passes = 0;
    for (auto _ : state) {
        *f.out = f.lowered[next];
        passes = engine::CompleteLowering(f.t, f.n, f.pool[next], *f.out, state.range(0) != 0, *f.scratch).passes;
        next = (next + 1) % kPoolSize;
        benchmark::ClobberMemory();
    }
    state.counters["pasadas"] = passes;
}

// The measures of transitivity of a relation and (second argument 1) the rise measures of its
// technique's result, at the dimension of the first argument.
void Measures(benchmark::State& state, const char* name) {
    Fixture f(name, false, static_cast<int>(state.range(0)));
    int next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine::MeasureTransitivity(f.t, f.n, f.pool[next]));
        if (state.range(1) != 0)
            benchmark::DoNotOptimize(engine::MeasureRise(f.t, f.n, f.pool[next], f.lowered[next], false));
        next = (next + 1) % kPoolSize;
    }
}

constexpr int n = engine::kInitialCapacity;

}  // namespace

BENCHMARK_CAPTURE(Technique, min, "min")->ArgsProduct({{0, 1}, {n, 1000}})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Completion, min, "min")->ArgsProduct({{0, 1}, {n, 1000}})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Technique, prod, "prod")->ArgsProduct({{0, 1}, {n, 1000}})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Completion, prod, "prod")->ArgsProduct({{0, 1}, {n, 1000}})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Technique, w, "w")->ArgsProduct({{0, 1}, {n, 1000}})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Completion, w, "w")->ArgsProduct({{0, 1}, {n, 1000}})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Technique, hamacher_0_5, "hamacher:0.5")->Args({0, n})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Completion, hamacher_0_5, "hamacher:0.5")->Args({0, n})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Measures, min, "min")->ArgsProduct({{n, 1000}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Measures, prod, "prod")->ArgsProduct({{n, 1000}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Measures, w, "w")->ArgsProduct({{1000}, {0}})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Measures, hamacher_0_5, "hamacher:0.5")->ArgsProduct({{n, 1000}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Measures, yager_2, "yager:2")->ArgsProduct({{n}, {0, 1}})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
