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
class QComboBox;
class QLabel;
class QToolBar;

namespace ui {

/// The table of a viewer: numbered rows and columns, coloured cells with their numbers in a
/// font of their own (it grows with the cells), one cell framed boldly on request; Ctrl+wheel
/// zooms.
class HeatMapView : public QTableView {
public:
    explicit HeatMapView(HeatMapModel& model, QWidget* parent = nullptr);
    std::function<void(int steps)> onZoom;
    /// Cells narrower than this show no text.
    static constexpr int kTextWidth = 12;
    /// Width of the frame of the marked cell, drawn around it so that its number stays whole.
    static constexpr int kMarkWidth = 3;
    /// The outline of an entry of violating triples, inside its cell: 2 pixels from cells of
    /// 12 on, 1 below.
    static inline const QColor kViolationColor{255, 0, 255};

    const QFont& CellFont() const { return cellFont_; }
    void SetCellFont(const QFont& font);
    /// Frames the cell at (row, col); a negative row frames none.
    void SetMark(int row, int col);
    std::pair<int, int> Mark() const { return mark_; }
    /// The scroll ranges for the sections' sizes now, not after the next event loop turn.
    void UpdateGeometriesNow() { updateGeometries(); }

protected:
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    HeatMapModel& model_;
    QFont cellFont_;
    QHash<QString, std::pair<QStaticText, int>> laid_;  // each text laid out, with its width
    QFont laidFont_;
    std::pair<int, int> mark_{-1, -1};
};

/// The colour bar beside a viewer's table, for the scale of what `model` shows.
QWidget* NewLegend(const HeatMapModel& model, QWidget* parent);

/// The whole matrix as one picture in the largest square the widget holds.
class OverviewWidget : public QWidget {
public:
    OverviewWidget(const HeatMapModel& model, QWidget* parent);
    /// The side of the picture, in pixels.
    int Side() const;
    /// Called when the widget's size, and so the picture's, has changed.
    std::function<void()> onResize;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    const HeatMapModel& model_;
    QPixmap scaled_;
    qint64 key_ = 0;
};

/// One matrix of the experiment in a window of its own, as a heat map with its legend,
/// readable entry by entry at any dimension: zoom from whole numbers down to one coloured
/// square per entry, a difference mode, the largest difference, copies and pictures. It shows
/// each snapshot the main window presents, unless "Fijar" keeps the one it shows.
class MatrixViewer : public QMainWindow {
public:
    /// Cell sides of the zoom levels, in pixels (cells are square; "Ajustar" may choose a side
    /// between two levels, or above the last).
    static constexpr int kZoomWidths[] = {3, 4, 5, 6, 8, 10, 12, 16, 20, 24, 32, 40, 48, 64, 80, 96, 128};
    static constexpr int kZoomLevels = static_cast<int>(std::size(kZoomWidths));
    /// "Ir a la diferencia máxima" zooms in to at least this side.
    static constexpr int kMarkedCell = 24;

    /// `matrix` numbered as the grids (1 … 10); `dialogs` must outlive the viewer.
    MatrixViewer(int matrix, Dialogs& dialogs, QWidget* parent = nullptr);

    /// The snapshot to show, unless the viewer is pinned (it is then kept for later).
    void Show(std::shared_ptr<const experiments::Snapshot> snapshot);

    HeatMapModel& model() { return *model_; }
    HeatMapView& view() { return *view_; }
    /// The largest level whose side is not above the cell's.
    int ZoomLevel() const;
    void SetZoomLevel(int level);
    int CellSize() const { return cell_; }
    /// The largest square cells at which the whole matrix fits the visible area; when even the
    /// smallest level is too large, the overview: the whole matrix as one picture, each pixel
    /// the blend of the entries under it (any zoom in returns to the cells).
    void Fit();
    bool ShowsOverview() const;
    /// Selects the entry of the largest difference, zooms in until its cell is kMarkedCell
    /// pixels at least, scrolls to it, frames it and says where it is in the status line.
    void GoToLargestDifference();
    void SetOrientation(Orientation orientation);
    /// The selected cells' full texts as rows of the viewer: TAB between cells, CR LF after
    /// each row; cells in the selection's rectangle that are not selected are empty.
    QString SelectedText() const;
    /// Asks for the figure settings and a file name and saves the whole matrix as a PNG, SVG or
    /// PDF figure.
    void SaveImage();
    /// The t-norm of what it shows (HeatMapModel::SetTNorm): another t-norm's result, or the
    /// t-norm to test the relation under.
    void SetTNorm(const engine::AnyTNorm& t);
    /// "Violaciones": outlines the entries (i, j) of the triples (i, j, k) that violate
    /// transitivity under the matrix's t-norm and counts them in the status line.
    void ShowViolations(bool on);

private:
    void BuildActions();
    /// The "Violaciones" button; the relation's also chooses the t-norm (Min, Prod, W).
    void BuildViolations(QToolBar* bar);
    QString ViolationsStatus() const;
    void SetCellSize(int side);
    /// The next level above (steps > 0) or below the cell's side.
    void Zoom(int steps);
    void ApplyZoom();
    void ShowStatus();
    /// Paints the overview again and says what it shows.
    void DrawOverview();
    void LeaveOverview();
    /// The width of the widest text the cells show now, in the viewer's font.
    void MeasureTexts();
    /// The viewer's font grown with a cell of `side` pixels so that the widest text still
    /// fits, never smaller than the viewer's font.
    QFont CellFontFor(int side) const;

    int matrix_;
    Dialogs& dialogs_;
    HeatMapModel* model_;
    HeatMapView* view_;
    QWidget* legend_;
    QLabel* status_;
    class OverviewWidget* overview_;
    QAction* pin_ = nullptr;
    QAction* violations_ = nullptr;
    QComboBox* orientation_ = nullptr;
    std::shared_ptr<const experiments::Snapshot> latest_;
    int cell_ = 0;  // 0 until the first snapshot
    int widestText_ = 0;
};

}  // namespace ui
