#pragma once

#include <QHash>
#include <QMainWindow>
#include <QStaticText>
#include <QTableView>
#include <functional>
#include <memory>

#include "experiments/experiment.h"
#include "ui/dialogs.h"
#include "ui/heat_map.h"

class QAction;
class QLabel;

namespace ui {

/// The table of a viewer: numbered rows and columns, coloured cells; Ctrl+wheel zooms.
class HeatMapView : public QTableView {
public:
    explicit HeatMapView(HeatMapModel& model, QWidget* parent = nullptr);
    std::function<void(int steps)> onZoom;
    /// Cells narrower than this show no text.
    static constexpr int kTextWidth = 12;

protected:
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    HeatMapModel& model_;
    QHash<QString, std::pair<QStaticText, int>> laid_;  // each text laid out, with its width
    QFont laidFont_;
};

/// One matrix of the experiment in a window of its own, as a heat map with its legend,
/// readable entry by entry at any dimension: zoom from whole numbers down to one coloured
/// square per entry, a difference mode, the largest difference, copies and pictures. It shows
/// each snapshot the main window presents, unless "Fijar" keeps the one it shows.
class MatrixViewer : public QMainWindow {
public:
    /// Cell widths of the zoom levels, in pixels.
    static constexpr int kZoomWidths[] = {3, 4, 5, 6, 8, 10, 12, 16, 20, 24, 32, 40, 48, 64, 80, 96, 128};
    static constexpr int kZoomLevels = static_cast<int>(std::size(kZoomWidths));

    /// `matrix` numbered as the grids (1 … 10); `dialogs` must outlive the viewer.
    MatrixViewer(int matrix, Dialogs& dialogs, QWidget* parent = nullptr);

    /// The snapshot to show, unless the viewer is pinned (it is then kept for later).
    void Show(std::shared_ptr<const experiments::Snapshot> snapshot);

    HeatMapModel& model() { return *model_; }
    HeatMapView& view() { return *view_; }
    int ZoomLevel() const { return zoom_; }
    void SetZoomLevel(int level);
    /// The largest level at which the whole matrix fits the visible area.
    void Fit();
    /// Selects the entry of the largest difference and scrolls to it.
    void GoToLargestDifference();
    /// The selected cells' full texts as rows of the viewer: TAB between cells, CR LF after
    /// each row; cells in the selection's rectangle that are not selected are empty.
    QString SelectedText() const;
    /// Asks for the figure settings and a file name and saves the whole matrix as a PNG, SVG or
    /// PDF figure.
    void SaveImage();

private:
    void BuildActions();
    void ApplyZoom();
    void ShowStatus();
    int RowHeight(int width) const;

    int matrix_;
    Dialogs& dialogs_;
    HeatMapModel* model_;
    HeatMapView* view_;
    QWidget* legend_;
    QLabel* status_;
    QAction* pin_ = nullptr;
    std::shared_ptr<const experiments::Snapshot> latest_;
    int zoom_ = -1;
};

}  // namespace ui
