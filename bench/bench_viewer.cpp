// The matrix viewer at n = 100: opening one (built, shown and painted), a repaint at each zoom,
// and "50 veces" with three viewers open next to the engine's own trials in the same run.
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

std::unique_ptr<TForm1> Window(NoDialogs& dialogs, int n) {
    auto form = std::make_unique<TForm1>(engine::kZorvane, dialogs);
    form->engine().dimension = n;
    form->Button1Click(form.get());
    return form;
}

void BM_ViewerOpen(benchmark::State& state) {
    NoDialogs dialogs;
    const auto form = Window(dialogs, 100);
    for (auto _ : state) {
        ui::MatrixViewer& viewer = form->OpenViewer(5);
        benchmark::DoNotOptimize(viewer.grab());  // every visible cell painted once
        state.PauseTiming();
        delete &viewer;
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// A repaint of the whole visible table: at 3 px every one of the 10 000 cells, at the widest
// zoom the few that fit, with their texts.
void BM_ViewerRepaint(benchmark::State& state) {
    NoDialogs dialogs;
    const auto form = Window(dialogs, 100);
    ui::MatrixViewer& viewer = form->OpenViewer(5);
    viewer.resize(1000, 900);
    viewer.SetZoomLevel(static_cast<int>(state.range(0)));
    QCoreApplication::processEvents();
    for (auto _ : state) viewer.view().viewport()->repaint();
    state.SetLabel(std::to_string(ui::MatrixViewer::kZoomWidths[state.range(0)]) + " px");
}

void SetTrialCounter(benchmark::State& state) {
    state.counters["per_trial"] = benchmark::Counter(static_cast<double>(state.iterations()) * kTrialsPerCommand,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Window50VecesThreeViewers(benchmark::State& state) {
    NoDialogs dialogs;
    const auto form = Window(dialogs, 100);
    form->show();
    for (int matrix : {1, 2, 5}) form->OpenViewer(matrix);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        form->Button5Click(form.get());
        QCoreApplication::processEvents();
    }
    if (!dialogs.errors.empty()) state.SkipWithError("the command reported an error");
    SetTrialCounter(state);
}

void BM_Engine50Trials(benchmark::State& state) {
    auto engine = std::make_unique<engine::Engine>(engine::kZorvane);
    engine->dimension = 100;
    for (auto _ : state)
        for (int k = 0; k < kTrialsPerCommand; ++k) engine->RunTrial();
    SetTrialCounter(state);
}

// The engine alone as the window runs it: the same 50 trials analysed on every core.
void BM_Engine50TrialsEveryCore(benchmark::State& state) {
    auto experiment = std::make_unique<experiments::Experiment>(engine::kZorvane);
    const experiments::TrialGroup trials[] = {{100, kTrialsPerCommand}};
    const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    for (auto _ : state) experiments::RunTrialGroups(*experiment, trials, threads, {}, {});
    SetTrialCounter(state);
}

BENCHMARK(BM_ViewerOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewerRepaint)->DenseRange(0, ui::MatrixViewer::kZoomLevels - 1, 4)->Arg(ui::MatrixViewer::kZoomLevels - 1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Window50VecesThreeViewers)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Engine50Trials)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Engine50TrialsEveryCore)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
