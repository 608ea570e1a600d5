// The statistics batch of dimensions 2 … 100 with 20 trials each: without a window on one
// thread and on every thread, and through the window's command.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QCoreApplication>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <thread>

#include "experiments/experiment.h"
#include "experiments/statistics_batch.h"
#include "ui/dialogs.h"
#include "ui/form1.h"

namespace {

namespace fs = std::filesystem;

constexpr int kLargestDimension = 100;
constexpr int kSampleSize = 20;

fs::path OutputFile(const char* name) {
    return fs::temp_directory_path() / ("bench_statistics_" + std::to_string(::getpid()) + "_" + name + ".txt");
}

int AllThreads() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

// Answers the command's two questions and its save dialog; any error is fatal to the run.
class BatchDialogs : public ui::Dialogs {
public:
    explicit BatchDialogs(QString file) : file_(std::move(file)) {}
    bool InputQuery(const QString&, const QString& prompt, QString& text) override {
        text = prompt.contains(QStringLiteral("Dimensiones")) ? QString::number(kLargestDimension)
                                                              : QString::number(kSampleSize);
        return true;
    }
    bool MessageDlgYes(const QString&) override { return false; }
    std::optional<QString> OpenFileName(const QString&) override { return std::nullopt; }
    std::unique_ptr<ui::Progress> ShowProgress(const QString&, int) override { return std::make_unique<ui::NoProgress>(); }
    std::optional<QString> SaveFileName(const ui::SaveDialogSettings&) override { return file_; }
    void ShowException(const QString& message) override { throw std::runtime_error(message.toStdString()); }

private:
    QString file_;
};

void BM_StatisticsHeadless(benchmark::State& state, const engine::Variant& variant) {
    const int threads = state.range(0) == 0 ? AllThreads() : static_cast<int>(state.range(0));
    const fs::path file = OutputFile("headless");
    for (auto _ : state) {
        state.PauseTiming();
        auto experiment = std::make_unique<experiments::Experiment>(variant);
        experiment->RunTrial();
        state.ResumeTiming();
        experiments::RunStatisticsBatch(file, *experiment, kLargestDimension, kSampleSize, {threads, {}, {}});
    }
    state.counters["threads"] = threads;
    fs::remove(file);
}

void BM_StatisticsWindow(benchmark::State& state, const engine::Variant& variant) {
    const fs::path file = OutputFile("window");
    BatchDialogs dialogs(QString::fromStdString(file.string()));
    for (auto _ : state) {
        state.PauseTiming();
        auto form = std::make_unique<TForm1>(variant, dialogs);
        form->show();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        form->Guarded(&TForm1::Button6Click, form.get());
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
    fs::remove(file);
}

// Argument: threads, 0 for every core.
BENCHMARK_CAPTURE(BM_StatisticsHeadless, Zorvath, engine::kZorvath)->Arg(1)->Arg(0)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_StatisticsWindow, Zorvath, engine::kZorvath)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_StatisticsHeadless, Zorvane, engine::kZorvane)->Arg(1)->Arg(0)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_StatisticsWindow, Zorvane, engine::kZorvane)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace
