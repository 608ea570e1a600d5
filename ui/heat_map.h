#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "engine/relation_matrix.h"
#include "engine/tnorm_family.h"
#include "experiments/experiment.h"
#include "ui/figure_export.h"

class QFont;
class QPainter;

namespace ui {

/// The viridis colour scale from 0 (dark violet) to 1 (yellow): perceptually uniform, legible
/// to the colour-blind and in grey. 256 entries of a sixth-degree fit to the published table
/// (within 4/255 of it per channel).
extern const std::array<QRgb, 256> kViridis;

/// The colour of `fraction` of the scale (clamped to [0, 1]; not a number: grey).
QColor HeatColor(double fraction, ColourScale scale = ColourScale::Viridis);
/// Black or white, whichever contrasts more with `background` (by relative luminance).
QColor ContrastingText(const QColor& background);

/// The ten matrices a trial shows, numbered as the grids that show them (1 … 10).
inline constexpr int kMatrixCount = 10;
/// "Matriz inicial", "Cierre Min-transitivo", …, "Orden de visita W".
QString MatrixTitle(int matrix);
/// The short name a file of the matrix takes: "matriz", "cierre_min", …, "orden_w".
QString MatrixFileName(int matrix);
const engine::RelationMatrix& MatrixOf(const experiments::Snapshot& snapshot, int matrix);
/// Closures (2 … 4) and transitivized matrices (5 … 7) have a difference with the relation.
inline bool HasDifference(int matrix) { return matrix >= 2 && matrix <= 7; }
inline bool IsOrder(int matrix) { return matrix >= 8; }

/// One matrix of a snapshot as a heat map, in one of two orientations: as in a relation file
/// (row r, column c shows element [r][c], row r of the file in row r) or, unless told
/// otherwise, as in the grids (row r, column c shows [c][r], so that a position "(a, b)" of a
/// result text is row a, column b, both from 1). Each value reads to six significant digits without float noise
/// (CellDigits::Readable), whole (the shortest text that reads back to the same float) or to
/// three significant digits. In difference mode it shows closure − relation or relation −
/// transitivized; unchanged entries are blank. Header numbers count from 1, every `labelStep`.
enum class CellDigits { Readable, Exact, Three };
enum class Orientation { File, Grids };

class HeatMapModel : public QAbstractTableModel {
public:
    explicit HeatMapModel(int matrix, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void SetSnapshot(std::shared_ptr<const experiments::Snapshot> snapshot);
    void SetDifference(bool on);
    void SetDigits(CellDigits digits);
    /// Numbers on every `step`-th row and column, and on the first one too when `first`.
    void SetLabelStep(int step, bool first = true);
    void SetOrientation(Orientation orientation);
    /// A title in place of the matrix's own (MatrixTitle), for a result of another t-norm
    /// shown in the place of Min's; empty: the matrix's own.
    void SetTitle(const QString& title) { title_ = title; }
    QString Title() const;

    /// The t-norm the matrix is a closure or a lowering under, for its witness paths and its
    /// violations: the main window's results have their grid's (Min, Prod or W) unless one is
    /// set (another t-norm's result in Min's place, a t-norm to test the relation under);
    /// the relation and the visit orders have none until one is set.
    void SetTNorm(std::optional<engine::AnyTNorm> t);
    std::optional<engine::AnyTNorm> TNorm() const;
    /// A closure of the relation (matrices 2 … 4): each tool tip names the path that gives the
    /// entry its value (engine::WitnessPath).
    bool IsClosure() const { return matrix_ >= 2 && matrix_ <= 4; }
    /// Counts, entry by entry, the triples that violate TNorm()-transitivity
    /// (engine::ViolatedEntries), again with each snapshot while on; nothing without a t-norm
    /// or above kLargestViolationScan elements (ViolationsRefused says so).
    void SetViolations(bool on);
    bool ShowsViolations() const { return violations_; }
    static constexpr int kLargestViolationScan = 500;
    bool ViolationsRefused() const { return violations_ && n_ > kLargestViolationScan; }
    /// Triples that violate at the cell's entry (0 while violations are off).
    int ViolatedTriples(int row, int col) const;
    long long ViolatingTriples() const { return violatingTriples_; }
    int ViolatedEntryCount() const { return violatedEntries_; }

    int matrix() const { return matrix_; }
    int Size() const { return n_; }
    bool difference() const { return difference_; }
    CellDigits digits() const { return digits_; }
    Orientation orientation() const { return orientation_; }
    /// "como en el fichero" or "como en las rejillas", for texts that name a row and column.
    QString OrientationText() const;
    const experiments::Snapshot* snapshot() const { return snapshot_.get(); }

    /// What the cell at (row, col) shows: the value, or the difference in difference mode.
    float Shown(int row, int col) const { return shown_[Cell(row, col)]; }
    /// False for an unchanged entry in difference mode: the cell is blank.
    bool Marked(int row, int col) const { return !difference_ || shown_[Cell(row, col)] != 0.0f; }
    QRgb Background(int row, int col) const { return colour_[Cell(row, col)]; }
    /// The cell's colour on `scale` (on the model's own, viridis: Background).
    QRgb Background(int row, int col, ColourScale scale) const;
    /// The colours as an n × n image, pixel (col, row) for the cell at (row, col).
    const QImage& Picture() const { return picture_; }
    /// Whether the cell's text is black (else white) on its colour.
    bool DarkInk(int row, int col) const { return darkInk_[Cell(row, col)] != 0; }
    QString Text(int row, int col) const;
    /// The shown value at full precision (copies).
    QString FullText(int row, int col) const;
    QString ToolTip(int row, int col) const;
    /// The scale's ends: [0, 1] for degrees, [0, n²] for visit steps, [0, largest |difference|].
    double Low() const { return low_; }
    double High() const { return high_; }
    /// Where the largest difference lies, as the result text finds it (first in the engine's
    /// scan order on a tie): {row, col} from 0.
    std::pair<int, int> LargestDifference() const;
    /// "Diferencia máxima 0,3 en fila 4, columna 7 (como en el fichero)": the cell of
    /// LargestDifference in this orientation.
    QString LargestDifferenceText() const;

private:
    std::size_t Cell(int row, int col) const { return static_cast<std::size_t>(row) * static_cast<std::size_t>(n_) + static_cast<std::size_t>(col); }
    /// The matrix element [i][j] the cell at (row, col) shows.
    std::pair<std::size_t, std::size_t> Element(int row, int col) const {
        const auto r = static_cast<std::size_t>(row), c = static_cast<std::size_t>(col);
        return orientation_ == Orientation::File ? std::pair(r, c) : std::pair(c, r);
    }
    /// closure − relation or relation − transitivized at element [i][j].
    float DifferenceAt(std::size_t i, std::size_t j) const;
    void Recompute();
    QString Number(double value, bool full) const;
    QRgb Colour(float shown, ColourScale scale) const;
    /// The counts of ViolatedTriples for the snapshot shown, when on.
    void CountViolations();
    /// The tool tip's lines on the entry [i][j] as a closure or under violations.
    QString MeasuresTip(std::size_t i, std::size_t j) const;

    int matrix_;
    QString title_;
    std::shared_ptr<const experiments::Snapshot> snapshot_;
    int n_ = 0;
    bool difference_ = false;
    CellDigits digits_ = CellDigits::Readable;
    Orientation orientation_ = Orientation::Grids;
    int labelStep_ = 1;
    bool labelFirst_ = true;
    double low_ = 0, high_ = 1;
    std::vector<float> shown_;
    std::vector<QRgb> colour_;
    QImage picture_;
    std::vector<unsigned char> darkInk_;
    std::optional<engine::AnyTNorm> tnorm_;
    bool violations_ = false;
    std::vector<int> violated_;  // by element i·n + j; empty while off
    long long violatingTriples_ = 0;
    int violatedEntries_ = 0;
};

/// The colour bar of a scale from `low` (bottom) to `high` (top) inside `area`, its ends and
/// middle written to its right as a person reads them.
void PaintLegend(QPainter& painter, const QRect& area, double low, double high,
                 ColourScale scale = ColourScale::Viridis);
/// The width PaintLegend needs for a bar `barWidth` wide.
int LegendWidth(const QFont& font, int barWidth);

/// The whole matrix as a figure: title, column numbers under the axis title "columna" above,
/// row numbers beside the axis title "fila" on the left, the coloured cells (with their texts
/// where they fit whole) and the legend on the right, on `scale`. Every matrix of a dimension
/// takes the same place in a figure of a size, so that figures side by side line up.
void PaintHeatMap(QPainter& painter, const QRect& area, const HeatMapModel& model,
                  ColourScale scale = ColourScale::Viridis);
/// The size PaintHeatMap is meant for at dimension `n` in `font`, whatever the matrix: room
/// for six significant digits in every cell up to n = 12, one small square per entry above.
QSize HeatMapFigureSize(int n, const QFont& font);

/// Writes the relation and the six results of `snapshot`, and the six differences
/// ("diferencia_cierre_min": closure − relation, …, "diferencia_transitivizada_w": relation −
/// transitivized), as heat-map figures «name».png/.svg/.pdf (MatrixFileName, the formats of
/// `settings`) in `folder`, drawn by PaintHeatMap as `settings` say. Throws toolkit::FileError.
void SaveMatrixFigures(const experiments::Snapshot& snapshot, const QString& folder, const FigureSettings& settings);
/// A viewer's figure as `settings` say, the format by the name's extension.
void SaveHeatMapFigure(const QString& path, const HeatMapModel& model, const FigureSettings& settings);

/// The smallest step among 1, 2, 5, 10, 20, 25, 50 at which numbers `width` pixels wide fit
/// in cells `cell` pixels long with a gap between them.
int LabelStep(int cell, int width);
/// Whether the number 1 keeps that gap from the first multiple of `step` (at step 2 it does not:
/// "1" beside "2" reads "12").
bool FirstLabelFits(int step, int cell, int width);

}  // namespace ui
