#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QTableView>
#include <vector>

namespace ui {

/// Texts of a grid, column index first as the grid counts them. Writing a cell does not
/// notify the views; Flush() sends one notification for everything written since the last one.
class StringGridModel : public QAbstractTableModel {
public:
    explicit StringGridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int RowCount() const { return rows_; }
    int ColCount() const { return cols_; }
    /// Changes the shape; cells inside both shapes keep their texts, new cells are empty.
    void Resize(int cols, int rows);
    /// Empty for a cell outside the grid.
    QString Cell(int col, int row) const;
    /// Ignored for a cell outside the grid.
    void SetCell(int col, int row, const QString& text);
    void Flush();

private:
    int rows_ = 0;
    int cols_ = 0;
    std::vector<QString> cells_;  // row by row
    bool dirty_ = false;
    bool flushPosted_ = false;
};

/// A string grid without header rows or columns: uniform column width, row height 13,
/// cells selectable but not editable, scroll bars when the cells don't fit.
class StringGrid : public QTableView {
public:
    explicit StringGrid(QWidget* parent = nullptr);

    int RowCount() const { return model_->RowCount(); }
    int ColCount() const { return model_->ColCount(); }
    void SetRowCount(int rows);
    void SetColCount(int cols);
    QString Cells(int col, int row) const { return model_->Cell(col, row); }
    /// The views learn of the new text at the next Flush() or, at the latest, when the event
    /// loop runs again.
    void SetCells(int col, int row, const QString& text) { model_->SetCell(col, row, text); }
    void Flush() { model_->Flush(); }

    void SetDefaultColWidth(int width);
    void SetDefaultRowHeight(int height);

private:
    StringGridModel* model_;
};

}  // namespace ui
