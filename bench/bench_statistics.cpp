// The statistics batch of dimensions 2 … 30 with 10 trials each, once without a window and
// once through the window's command (grids, pies and curves refreshed on every trial).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QCoreApplication>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>

#include "engine/engine.h"
#include "experiments/statistics_batch.h"
#include "ui/dialogs.h"
#include "ui/form1.h"

namespace {

namespace fs = std::filesystem;

constexpr int kLargestDimension = 30;
constexpr int kSampleSize = 10;

fs::path OutputFile(const char* name) {
    return fs::temp_directory_path() / ("bench_statistics_" + std::to_string(::getpid()) + "_" + name + ".txt");
}

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
    std::optional<QString> SaveFileName(const ui::SaveDialogSettings&) override { return file_; }
    void ShowException(const QString& message) override { throw std::runtime_error(message.toStdString()); }

private:
    QString file_;
};

void BM_StatisticsHeadless(benchmark::State& state, const engine::Variant& variant) {
    const fs::path file = OutputFile("headless");
    for (auto _ : state) {
        state.PauseTiming();
        auto engine = std::make_unique<engine::Engine>(variant);
        state.ResumeTiming();
        experiments::RunStatisticsBatch(file, *engine, kLargestDimension, kSampleSize, [&] { engine->RunTrial(); });
    }
    state.counters["trials"] = (kLargestDimension - 1) * kSampleSize;
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
    state.counters["trials"] = (kLargestDimension - 1) * kSampleSize;
    fs::remove(file);
}

BENCHMARK_CAPTURE(BM_StatisticsHeadless, Zorvath, engine::kZorvath)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_StatisticsWindow, Zorvath, engine::kZorvath)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_StatisticsHeadless, Zorvane, engine::kZorvane)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_StatisticsWindow, Zorvane, engine::kZorvane)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
