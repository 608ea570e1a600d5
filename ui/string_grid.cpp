#include "ui/string_grid.h"

#include <QHeaderView>
#include <QMetaObject>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

namespace ui {

namespace {
// The style's item margins leave too little of an 18-pixel column for "0.75"; a cell text
// starts 2 pixels in from the cell's left edge and is clipped by the cell.
class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget* widget = opt.widget;
        QStyle* style = widget != nullptr ? widget->style() : nullptr;
        if (style != nullptr) style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        painter->save();
        painter->setClipRect(opt.rect);
        const bool selected = (opt.state & QStyle::State_Selected) != 0;
        painter->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(opt.font);
        painter->drawText(opt.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        painter->restore();
    }
};
}  // namespace

StringGridModel::StringGridModel(QObject* parent) : QAbstractTableModel(parent) {}

int StringGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int StringGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

QVariant StringGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    return Cell(index.column(), index.row());
}

Qt::ItemFlags StringGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void StringGridModel::Resize(int cols, int rows) {
    cols = std::max(0, cols);
    rows = std::max(0, rows);
    if (cols == cols_ && rows == rows_) return;
    std::vector<QString> cells(static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows));
    for (int r = 0; r < std::min(rows, rows_); ++r)
        for (int c = 0; c < std::min(cols, cols_); ++c)
            cells[static_cast<std::size_t>(r) * cols + c] = std::move(cells_[static_cast<std::size_t>(r) * cols_ + c]);
    beginResetModel();
    cells_ = std::move(cells);
    cols_ = cols;
    rows_ = rows;
    dirty_ = false;
    endResetModel();
}

QString StringGridModel::Cell(int col, int row) const {
    if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return {};
    return cells_[static_cast<std::size_t>(row) * cols_ + col];
}

void StringGridModel::SetCell(int col, int row, const QString& text) {
    if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return;
    cells_[static_cast<std::size_t>(row) * cols_ + col] = text;
    dirty_ = true;
    // One notification per batch of writes, even for writers that never call Flush().
    if (!flushPosted_) {
        flushPosted_ = true;
        QMetaObject::invokeMethod(this, [this] { Flush(); }, Qt::QueuedConnection);
    }
}

void StringGridModel::Flush() {
    flushPosted_ = false;
    if (!dirty_) return;
    dirty_ = false;
    if (rows_ > 0 && cols_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1), {Qt::DisplayRole});
}

StringGrid::StringGrid(QWidget* parent) : QTableView(parent), model_(new StringGridModel(this)) {
    setModel(model_);
    setItemDelegate(new CellDelegate(this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);
    SetDefaultRowHeight(13);
    model_->Resize(10, 10);
}

void StringGrid::SetRowCount(int rows) { model_->Resize(model_->ColCount(), rows); }

void StringGrid::SetColCount(int cols) { model_->Resize(cols, model_->RowCount()); }

void StringGrid::SetDefaultColWidth(int width) { horizontalHeader()->setDefaultSectionSize(width); }

void StringGrid::SetDefaultRowHeight(int height) { verticalHeader()->setDefaultSectionSize(height); }

}  // namespace ui
