// "50 veces" in the offscreen window at n = 10 and n = 100, next to the engine's own trial
// (generation and analysis without grids or paint) in the same run.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <memory>

#include "engine/engine.h"
#include "ui/dialogs.h"
#include "ui/form1.h"

namespace {

class NoDialogs : public ui::Dialogs {
public:
    struct Silent : ui::Progress {
        void SetValue(int, const QString&) override {}
        bool Cancelled() const override { return false; }
    };
    bool InputQuery(const QString&, const QString&, QString&) override { return false; }
    bool MessageDlgYes(const QString&) override { return false; }
    std::optional<QString> OpenFileName(const QString&) override { return std::nullopt; }
    std::unique_ptr<ui::Progress> ShowProgress(const QString&, int) override { return std::make_unique<Silent>(); }
    std::optional<QString> SaveFileName(const ui::SaveDialogSettings&) override { return std::nullopt; }
    void ShowException(const QString& message) override { errors.push_back(message); }
    std::vector<QString> errors;
};

constexpr int kTrialsPerCommand = 50;

void SetTrialCounter(benchmark::State& state) {
    state.counters["per_trial"] = benchmark::Counter(static_cast<double>(state.iterations()) * kTrialsPerCommand,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The whole command as the user runs it: 50 trials, each with its grid refresh and the
// window presented on the offscreen platform.
void BM_Window50Veces(benchmark::State& state) {
    NoDialogs dialogs;
    TForm1 form(engine::kZorvane, dialogs);
    form.engine().dimension = static_cast<int>(state.range(0));
    form.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        form.Button5Click(&form);
        QCoreApplication::processEvents();
    }
    if (!dialogs.errors.empty()) state.SkipWithError("the command reported an error");
    SetTrialCounter(state);
}

// The engine alone: the same 50 trials without grids, labels or paint.
void BM_Engine50Trials(benchmark::State& state) {
    auto engine = std::make_unique<engine::Engine>(engine::kZorvane);
    engine->dimension = static_cast<int>(state.range(0));
    for (auto _ : state)
        for (int k = 0; k < kTrialsPerCommand; ++k) engine->RunTrial();
    SetTrialCounter(state);
}

BENCHMARK(BM_Window50Veces)->Arg(10)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Engine50Trials)->Arg(10)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Window50Veces)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Engine50Trials)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
