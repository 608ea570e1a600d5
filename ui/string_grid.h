#pragma once

#include <QFontMetrics>
#include <QRect>
#include <QSize>
#include <QString>
#include <QModelIndexList>
#include <QTableView>
#include <functional>
#include <memory>

#include "engine/relation_matrix.h"

namespace ui {

class StringGridModel;

/// What a cell `width` pixels wide shows of `text`: the text itself when it fits, otherwise
/// the longest prefix that fits followed by "…" (nothing when not even "…" fits), so that no
/// cell shows a shorter number.
QString ShownText(const QFontMetrics& metrics, const QString& text, int width);
/// The same for a cell at `cell` in a viewport of size `viewport`: a cell cut by the right edge
/// shows what fits the part inside; one cut by the bottom edge shows nothing, since the tops of
/// its digits could be read as other digits.
QString ShownText(const QFontMetrics& metrics, const QString& text, const QRect& cell, const QSize& viewport);

/// The cells `selected` as TAB-separated rows with CR LF, from the topmost to the lowest row
/// and the leftmost to the rightmost column of the selection; cells inside that rectangle but
/// not selected are empty. `text` gives a cell's text by model row and column.
QString SelectionText(const QModelIndexList& selected, const std::function<QString(int row, int column)>& text);

/// A grid without header rows or columns showing the leading n × n block of a matrix,
/// element (i, j) at column i, row j. The texts are made when asked for, so only the cells
/// painted cost anything. Column width and row height are the text area of a cell; the
/// one-pixel grid line comes in addition. Cells are selectable but not editable; Ctrl+C and
/// the context menu copy the selection at full precision, Ctrl+A selects everything.
class StringGrid : public QTableView {
public:
    explicit StringGrid(QWidget* parent = nullptr);

    /// Shows `matrix` (kept, not copied; several grids may share one) as an n × n grid.
    /// With the same n as before the view keeps its scroll position and selection; a null
    /// matrix empties the grid.
    void SetMatrix(std::shared_ptr<const engine::RelationMatrix> matrix, int n);
    /// Exponent digits of the cell texts written in scientific notation (1 at start).
    void SetExponentDigits(int digits);

    int RowCount() const;
    int ColCount() const;
    /// The cell's text: three significant digits in the program's decimal separator
    /// ("0.405", "1E-6", "1.02E3"); empty outside the grid.
    QString Cells(int col, int row) const;
    /// The cell's value in full: the shortest text that reads back to the same number.
    QString FullText(int col, int row) const;
    /// The selected cells' full texts as rows of the grid: TAB between cells, CR LF after
    /// each row. Cells inside the selection's bounding rectangle but not selected are empty.
    QString SelectedText() const;
    /// Puts SelectedText() on the clipboard.
    void CopySelection() const;

    void SetDefaultColWidth(int width);
    void SetDefaultRowHeight(int height);

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    StringGridModel* model_;
};

}  // namespace ui
