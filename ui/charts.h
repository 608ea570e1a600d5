#pragma once

// The charts of an experiment drawn with Qt Charts, each scaled to its data: the last trial's
// six d1 distances as grouped bars, the d1 curves of the last hundred trials per t-norm and the
// three percentages. The charts window shows them all; the command line draws the bars alone.

#include <QSize>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <utility>
#include <vector>

#include "engine/analysis.h"
#include "experiments/experiment.h"
#include "ui/dialogs.h"
#include "ui/figure_export.h"

class QBarCategoryAxis;
class QBarSet;
class QGraphicsLineItem;
class QGraphicsSimpleTextItem;
class QChart;
class QChartView;
class QLineSeries;
class QPainter;
class QRect;
class QValueAxis;

namespace ui {

/// The step of 1, 2 or 5 times a power of ten that is the smallest not below `rough` (> 0):
/// the spacing of an axis's ticks.
double RoundStep(double rough);

/// Grouped horizontal bars of the six d1 distances of one analysis: a group per t-norm (Min at
/// the top), the closure's and the transitivized matrix's bar in each, every value written to
/// six significant digits at the end of its bar, a value axis from 0 that holds the longest bar and its number,
/// and a legend. The chart is made here and belongs to the view or scene it is put in.
class DistanceBarChart {
public:
    DistanceBarChart();
    QChart* chart() const { return chart_; }
    /// Shows the six distances of `analysis`, their numbers with `separator`.
    void Show(const engine::Analysis& analysis, const QString& title, char separator);

    QBarSet* closure = nullptr;
    QBarSet* transitivized = nullptr;
    QValueAxis* valueAxis = nullptr;

private:
    QChart* chart_;
};

/// The d1 distances of one t-norm over the last trials as two curves (closure, transitivized
/// matrix) against the trial number, both axes scaled to the points shown. Where the trials
/// change dimension, a vertical line at the first trial of the new one, with its dimension
/// ("n = 20"); the title names the dimensions the curves show.
class CurveChart {
public:
    explicit CurveChart(const QString& tnormName);
    CurveChart(const CurveChart&) = delete;  // the chart calls back to this object
    CurveChart& operator=(const CurveChart&) = delete;
    QChart* chart() const { return chart_; }
    /// `points` are the last points of the t-norm's series, the newest one that of trial
    /// `lastTrial`; `runs` the dimensions of the trials (Experiment::dimensionRuns).
    void Show(const std::vector<uinftab::PlotPoint>& points, int lastTrial, char separator,
              const std::vector<experiments::DimensionRun>& runs = {});

    QLineSeries* closure = nullptr;
    QLineSeries* transitivized = nullptr;
    QValueAxis* trialAxis = nullptr;
    QValueAxis* distanceAxis = nullptr;
    /// The marks of the changes of dimension shown, each a line and its text, left to right.
    std::vector<std::pair<QGraphicsLineItem*, QGraphicsSimpleTextItem*>> changes;

private:
    /// Puts the marks where the changes are on the axes as they are now.
    void PlaceChanges();

    QString tnormName_;
    QChart* chart_;
    std::vector<experiments::DimensionRun> shownChanges_;  // the runs the marks start
};

/// The three percentages of trials in which the closure lay farther from the relation than the
/// transitivized matrix, one bar per t-norm on a 0 to 100 axis, each with its counts; the
/// axis names the dimensions counted.
class PercentChart {
public:
    PercentChart();
    QChart* chart() const { return chart_; }
    void Show(const experiments::Snapshot& snapshot, char separator);

    QBarSet* percent = nullptr;
    QBarCategoryAxis* tnormAxis = nullptr;
    QValueAxis* percentAxis = nullptr;

private:
    QChart* chart_;
};

/// The non-modal charts window: the bars, the three curve charts and the percentages of the
/// snapshot it was last given, a button that exports them as one figure (PNG, SVG or PDF) and,
/// on each chart's context menu, "Exportar este gráfico…"; both ask for the figure settings
/// first, offering the last ones. While hidden it only keeps the snapshot; it draws it when shown.
class ChartsWindow : public QWidget {
public:
    /// `dialogs` must outlive the window.
    ChartsWindow(Dialogs& dialogs, QWidget* parent);

    void Present(std::shared_ptr<const experiments::Snapshot> snapshot);

    /// The five charts of the window (bars, percentages, curves of Min, Prod and W).
    static constexpr int kChartCount = 5;
    /// Draws copies of the charts (all of them for `chart` −1), laid out as in the window, into
    /// `area` in the font of `settings`.
    void PaintCharts(QPainter& painter, const QRect& area, const FigureSettings& settings, int chart = -1) const;
    /// The size of the figure at the resolution of `settings` without a size of its own: the
    /// charts (or the one chart) as they are laid out now.
    QSize FigureSize(const FigureSettings& settings = {}, int chart = -1) const;
    /// Asks for the figure settings and a file name and saves the figure (all charts for −1)
    /// there; an error is shown in the error box.
    void ExportFigure(int chart = -1);

    DistanceBarChart bars;
    std::array<CurveChart, engine::kTNormCount> curves;
    PercentChart percents;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Update();

    Dialogs& dialogs_;
    std::shared_ptr<const experiments::Snapshot> snapshot_;
    bool stale_ = false;
    QWidget* panel_ = nullptr;
    std::array<QChartView*, 5> views_{};
};

/// Writes the bar chart of the six distances of one analysis of an n × n relation to `path` as
/// a figure as `settings` say (720 × 420 pixels at 96 ppp without a size), in the format its extension names (".png", ".svg", ".pdf"), drawn
/// by the same code as the charts window; needs a QApplication, no display. Throws
/// toolkit::FileError with a Spanish message.
void SaveDistanceBars(const QString& path, const engine::Analysis& analysis, int n, char separator,
                      const FigureSettings& settings = {});

}  // namespace ui
