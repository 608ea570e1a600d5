// Presentation and long work: the window shows snapshots of its experiment, and runs long work
// on a thread of its own while it refuses commands, presenting the work a few times a second.
#include <QAction>
#include <QCloseEvent>
#include <QEventLoop>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRegion>
#include <chrono>
#include <cmath>
#include <exception>
#include <memory>
#include <thread>
#include <utility>

#include "ui/charts.h"
#include "ui/form1.h"
#include "ui/tnorm_window.h"
#include "ui/matrix_viewer.h"
#include "ui/methods_window.h"
#include "ui/string_grid.h"

namespace {

// Long work shows its latest trial this often.
constexpr std::chrono::milliseconds kPresentInterval{200};

}  // namespace

void TForm1::RefreshGrids() { Present(experiments::TakeSnapshot(*experiment_)); }

void TForm1::Present(std::shared_ptr<const experiments::Snapshot> snapshot) {
    shown_ = std::move(snapshot);
    const experiments::Snapshot& s = *shown_;
    for (int k = 0; k < engine::kResultTextCount; ++k)
        SetCaption(labels_[2 + k], QString::fromStdString(s.results.resultText[k]));
    // Each grid shares the snapshot and formats only the cells it paints; element (i, j) goes to
    // column i, row j, so each grid shows the transpose of the row-major reading.
    const engine::Analysis& r = s.results;
    const engine::RelationMatrix* shown[] = {&s.relation,       &r.minClosure,       &r.prodClosure, &r.wClosure,
                                             &r.minTransitivized, &r.prodTransitivized, &r.wTransitivized,
                                             &r.minOrder,         &r.prodOrder,         &r.wOrder};
    for (int k = 1; k <= 10; ++k)
        grids_[k]->SetMatrix(std::shared_ptr<const engine::RelationMatrix>(shown_, shown[k - 1]), s.dimension);
    for (const QPointer<ui::MatrixViewer>& viewer : viewers_)
        if (viewer) viewer->Show(shown_);
    UpdatePaintState();
    if (charts_) charts_->Present(shown_);
    if (tnorms_) tnorms_->Present(shown_);
    if (methods_) methods_->Present(shown_);
    // The grids repaint the cells that change on their own, and the plot never reaches under a
    // grid, so the client area is repainted around them: the grids' frames and scroll bars,
    // which stay as they are, are not painted again on every trial.
    QRegion around(client_->rect());
    for (int k = 1; k <= 10; ++k) around -= grids_[k]->geometry();
    client_->update(around);
}

void TForm1::SetCommandsEnabled(bool enabled) {
    for (int k = 1; k <= 8; ++k) buttons_[k]->setEnabled(enabled);
    for (QAction* menu : menuBar()->actions()) menu->setEnabled(enabled);
}

void TForm1::RunInBackground(const QString& title, long long total,
                             const std::function<void(std::stop_token, const ProgressReport&)>& work) {
    busy_ = true;
    SetCommandsEnabled(false);
    workStop_ = std::stop_source();
    const std::unique_ptr<ui::Progress> progress = dialogs_.ShowProgress(title, static_cast<int>(total));
    QEventLoop loop;
    std::exception_ptr failure;
    // Runs on the work's thread: a snapshot now and then, presented on this one.
    auto lastShown = presentationClock() - kPresentInterval;
    const ProgressReport report = [&](long long done, const QString& text) {
        const auto now = presentationClock();
        if (now - lastShown < kPresentInterval) return;
        lastShown = now;
        QMetaObject::invokeMethod(
            this,
            [this, &progress, snapshot = experiments::TakeSnapshot(*experiment_), done, text] {
                Present(snapshot);
                progress->SetValue(static_cast<int>(done), text);
                if (progress->Cancelled()) workStop_.request_stop();
            },
            Qt::QueuedConnection);
    };
    {
        // Everything the work posts is handled before the loop's quit, posted last.
        std::jthread thread([&] {
            try {
                work(workStop_.get_token(), report);
            } catch (...) {
                failure = std::current_exception();
            }
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec();
    }
    busy_ = false;
    SetCommandsEnabled(true);
    RefreshGrids();
    if (closeRequested_) {
        closeRequested_ = false;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
    if (failure) std::rethrow_exception(failure);
}

void TForm1::RunAsideTrial(const QString& title,
                           const std::function<std::unique_ptr<experiments::AsideTrial>()>& make) {
    constexpr int kSteps = 1000;
    try {
        RunInBackground(title, kSteps, [&](std::stop_token stop, const ProgressReport& report) {
            const std::unique_ptr<experiments::AsideTrial> trial = make();
            const int n = trial->dimension();
            engine::AnalysisControl control;
            const std::stop_callback onStop(stop, [&] { control.stop = true; });
            // The experiment stays at rest until the trial is taken over, so it may be shown.
            experiments::FollowAnalysis(
                control, [&](engine::AnalysisControl& c) { trial->Analyze(c); }, kPresentInterval / 2, [&] {
                    const double fraction = control.Fraction(n);
                    report(std::llround(kSteps * fraction), QStringLiteral("Análisis de la relación de %1 elementos: %2 %")
                                                                .arg(n)
                                                                .arg(static_cast<int>(100 * fraction)));
                });
            trial->Adopt();
        });
    } catch (const engine::AnalysisStopped&) {
        // Cancelled: nothing changed, nothing to say.
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!busy_) {
        QMainWindow::closeEvent(event);
        return;
    }
    // The work stops at its next trial boundary; the window closes then.
    closeRequested_ = true;
    workStop_.request_stop();
    event->ignore();
}
