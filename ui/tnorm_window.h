#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>
#include <thread>
#include <vector>

#include "engine/family_analysis.h"
#include "experiments/experiment.h"
#include "experiments/tnorm_sweep.h"
#include "ui/dialogs.h"
#include "ui/tnorm_figures.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace ui {

class HeatMapModel;
class MatrixViewer;

/// The non-modal window of the other t-norms: for the relation of the snapshot it was last
/// given, the closure and the transitivized matrix of the chosen t-norm as heat maps with
/// their texts, and the sweep of the chosen family with the current parameter marked. A family
/// chooser, a slider over the family's usual range (log-scaled where it spans decades) and a
/// field for the exact value choose the t-norm. While hidden it only keeps the snapshot. The
/// sweep takes seconds at n = 100 for the families without a generator, so it is computed on a
/// thread of its own and drawn when it is ready; a newer relation or family cancels it.
class TNormWindow : public QWidget {
public:
    /// `dialogs` must outlive the window; `symmetrizing` says which technique transitivizes.
    TNormWindow(bool symmetrizing, Dialogs& dialogs, QWidget* parent);
    ~TNormWindow() override;

    void Present(std::shared_ptr<const experiments::Snapshot> snapshot);

    /// Chooses a family, at its typical parameter.
    void SetFamily(engine::TNormFamily family);
    /// The parameter as typed (a point or a comma); a value the family does not take is
    /// refused with a message in the window, and nothing changes. True when taken.
    bool SetParameterText(const QString& text);

    const engine::AnyTNorm& tnorm() const { return tnorm_; }
    const engine::FamilyAnalysis& analysis() const { return *analysis_; }
    const std::vector<experiments::SweepPoint>& sweep() const { return chart_.points; }
    /// The sweep chart as the window draws it.
    const SweepChart& chart() const { return chart_; }

    /// Asks for a file name and saves the sweep chart there (PNG, SVG or PDF).
    void ExportFigure();

protected:
    void showEvent(QShowEvent* event) override;

private:
    /// The slider's position for a parameter value, and the value of a position.
    int Position(double value) const;
    QString ValueAt(int position) const;
    void Choose(const engine::AnyTNorm& t, bool moveSlider);
    void OpenViewer(int matrix);
    /// Recomputes what is stale: the analysis, and the sweep when `sweep`.
    void Update(bool sweep);
    void StartSweep();

    bool symmetrizing_;
    Dialogs& dialogs_;
    std::shared_ptr<const experiments::Snapshot> snapshot_;
    std::shared_ptr<const experiments::Snapshot> shown_;  // the family's results, as heat maps read them
    bool stale_ = false;
    engine::AnyTNorm tnorm_;
    std::unique_ptr<engine::FamilyClosureMemory> memory_;
    std::unique_ptr<engine::FamilyAnalysis> analysis_;
    SweepChart chart_;

    QComboBox* family_;
    QSlider* slider_;
    QLineEdit* value_;
    QLabel* range_;
    QLabel* message_;
    HeatMapModel* closureModel_;
    HeatMapModel* transitivizedModel_;
    QWidget* closureMap_;
    QWidget* transitivizedMap_;
    QLabel* closureText_;
    QLabel* transitivizedText_;
    QWidget* sweepView_;
    QPushButton* export_;
    QPointer<MatrixViewer> viewers_[2];
    int sweepGeneration_ = 0;  // the sweep whose points are awaited
    std::jthread sweepThread_;
};

}  // namespace ui
