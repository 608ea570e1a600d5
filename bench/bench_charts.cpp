// The charts window's share of presenting a trial: replacing the points, rescaling the axes
// and repainting the five charts as the event loop does, trial after trial, once a hundred
// trials fill the curves.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <memory>
#include <vector>

#include "bench/no_dialogs.h"
#include "experiments/experiment.h"
#include "ui/charts.h"

namespace {

using bench_support::NoDialogs;

void BM_ChartsWindowUpdate(benchmark::State& state) {
    auto experiment = std::make_unique<experiments::Experiment>(engine::kZorvane);
    experiment->engine.dimension = static_cast<int>(state.range(0));
    for (int k = 0; k < experiments::kRecentPoints; ++k) experiment->RunTrial();
    std::vector<std::shared_ptr<const experiments::Snapshot>> trials;
    for (int k = 0; k < 40; ++k) {
        experiment->RunTrial();
        trials.push_back(experiments::TakeSnapshot(*experiment));
    }

    NoDialogs dialogs;
    ui::ChartsWindow charts(dialogs, nullptr);
    charts.Present(trials.front());
    charts.show();
    QCoreApplication::processEvents();
    std::size_t next = 0;
    for (auto _ : state) {
        charts.Present(trials[next]);
        next = (next + 1) % trials.size();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

BENCHMARK(BM_ChartsWindowUpdate)->Arg(3)->Arg(100)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
