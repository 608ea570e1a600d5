// "50 veces" in the offscreen window at n = 10 and n = 100, next to the engine's own trials
// (generation and analysis without grids or paint) in the same run: one after another, and on
// every core as the window runs them.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <algorithm>
#include <memory>
#include <thread>

#include "bench/no_dialogs.h"
#include "engine/engine.h"
#include "experiments/trial_pipeline.h"
#include "ui/form1.h"
#include "ui/matrix_viewer.h"

namespace {

using bench_support::NoDialogs;

constexpr int kTrialsPerCommand = 50;

void SetTrialCounter(benchmark::State& state) {
    state.counters["per_trial"] = benchmark::Counter(static_cast<double>(state.iterations()) * kTrialsPerCommand,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The whole command as the user runs it: 50 trials, each with its grid refresh and the
// window presented on the offscreen platform. With a second argument of 0 or more, the charts
// window is open beside it, and as many matrix viewers as that argument says (the relation and two
// closures), all following every presented trial.
void BM_Window50Veces(benchmark::State& state) {
    NoDialogs dialogs;
    TForm1 form(engine::kZorvane, dialogs);
    form.engine().dimension = static_cast<int>(state.range(0));
    form.show();
    if (state.range(1) >= 0) {
        form.Graficas1Click(&form);
        if (state.range(1) == 3)
            for (int matrix : {1, 2, 5}) form.OpenViewer(matrix);
    }
    QCoreApplication::processEvents();
    for (auto _ : state) {
        form.Button5Click(&form);
        QCoreApplication::processEvents();
    }
    if (!dialogs.errors.empty()) state.SkipWithError("the command reported an error");
    SetTrialCounter(state);
}

// The engine alone: the same 50 trials without grids, labels or paint, one after another.
void BM_Engine50Trials(benchmark::State& state) {
    auto engine = std::make_unique<engine::Engine>(engine::kZorvane);
    engine->dimension = static_cast<int>(state.range(0));
    for (auto _ : state)
        for (int k = 0; k < kTrialsPerCommand; ++k) engine->RunTrial();
    SetTrialCounter(state);
}

// The engine alone as the window runs it: the same 50 trials analysed on every core.
void BM_Engine50TrialsEveryCore(benchmark::State& state) {
    auto experiment = std::make_unique<experiments::Experiment>(engine::kZorvane);
    const experiments::TrialGroup trials[] = {{static_cast<int>(state.range(0)), kTrialsPerCommand}};
    const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    for (auto _ : state) experiments::RunTrialGroups(*experiment, trials, threads, {}, {});
    SetTrialCounter(state);
}

BENCHMARK(BM_Window50Veces)->Args({10, -1})->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Engine50Trials)->Arg(10)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Engine50TrialsEveryCore)->Arg(10)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Window50Veces)->Args({100, -1})->Args({100, 0})->Args({100, 3})->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Engine50Trials)->Arg(100)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Engine50TrialsEveryCore)->Arg(100)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
