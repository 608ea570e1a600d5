#include "ui/string_grid.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QClipboard>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QPainter>
#include <QStaticText>
#include <QStyledItemDelegate>
#include <algorithm>
#include <utility>
#include <vector>

#include "toolkit/number_text.h"

namespace ui {

/// The grid's cells over a shared matrix: texts are formatted when a view asks for them.
class StringGridModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : n_; }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : n_; }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        if (role == Qt::DisplayRole) return Cell(index.column(), index.row());
        if (role == Qt::ToolTipRole) return FullText(index.column(), index.row());
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    int Size() const { return n_; }

    QString Cell(int col, int row) const {
        if (!Inside(col, row)) return {};
        return QString::fromStdString(toolkit::FloatToStrF(static_cast<double>(Value(col, row)), 3, exponentDigits_));
    }

    QString FullText(int col, int row) const {
        if (!Inside(col, row)) return {};
        return QString::fromStdString(toolkit::FloatToShortestStr(Value(col, row)));
    }

    void SetMatrix(std::shared_ptr<const engine::RelationMatrix> matrix, int n) {
        n = matrix ? std::clamp(n, 0, matrix->capacity()) : 0;
        if (n != n_) {
            beginResetModel();
            matrix_ = std::move(matrix);
            n_ = n;
            endResetModel();
            return;
        }
        matrix_ = std::move(matrix);
        AllChanged();
    }

    void SetExponentDigits(int digits) {
        if (digits == exponentDigits_) return;
        exponentDigits_ = digits;
        AllChanged();
    }

private:
    bool Inside(int col, int row) const { return col >= 0 && row >= 0 && col < n_ && row < n_; }
    float Value(int col, int row) const {
        return (*matrix_)[static_cast<std::size_t>(col)][static_cast<std::size_t>(row)];
    }
    void AllChanged() {
        if (n_ > 0) emit dataChanged(index(0, 0), index(n_ - 1, n_ - 1), {Qt::DisplayRole, Qt::ToolTipRole});
    }

    std::shared_ptr<const engine::RelationMatrix> matrix_;
    int n_ = 0;
    int exponentDigits_ = 1;
};

QString SelectionText(const QModelIndexList& selected, const std::function<QString(int row, int column)>& text) {
    if (selected.isEmpty()) return {};
    int top = selected.front().row(), left = selected.front().column(), bottom = top, right = left;
    for (const QModelIndex& index : selected) {
        top = std::min(top, index.row());
        bottom = std::max(bottom, index.row());
        left = std::min(left, index.column());
        right = std::max(right, index.column());
    }
    const int width = right - left + 1;
    std::vector<bool> in(static_cast<std::size_t>(width) * static_cast<std::size_t>(bottom - top + 1));
    for (const QModelIndex& index : selected)
        in[static_cast<std::size_t>((index.row() - top) * width + index.column() - left)] = true;
    QString result;
    for (int row = top; row <= bottom; ++row) {
        for (int col = left; col <= right; ++col) {
            if (col > left) result += QLatin1Char('\t');
            if (in[static_cast<std::size_t>((row - top) * width + col - left)]) result += text(row, col);
        }
        result += QLatin1String("\r\n");
    }
    return result;
}

QString ShownText(const QFontMetrics& metrics, const QString& text, int width) {
    if (metrics.horizontalAdvance(text) <= width) return text;
    const QString elided = metrics.elidedText(text, Qt::ElideRight, width);
    // elidedText leaves a single character as it is, whether it fits or not.
    return metrics.horizontalAdvance(elided) <= width ? elided : QString();
}

QString ShownText(const QFontMetrics& metrics, const QString& text, const QRect& cell, const QSize& viewport) {
    if (cell.bottom() >= viewport.height()) return {};
    return ShownText(metrics, text, std::min(cell.width(), viewport.width() - cell.left()));
}

namespace {

// The face of the cells, narrow enough for three significant digits in the design's columns.
const QString kCellFace = QStringLiteral("Liberation Sans Narrow");

// Only the face and the pixel size are set; everything else, and the face when the narrow one
// is missing, comes from the window.
QFont CellFont() {
    QFont font;
    if (QFontDatabase::hasFamily(kCellFace)) font.setFamilies({kCellFace});
    font.setPixelSize(11);
    return font;
}

// Paints a cell's text from its left edge, vertically centred, as ShownText has it. The text
// comes straight from the model, so nothing is formatted for cells not painted, and each
// distinct text of a whole cell is laid out once: shaping would cost more than the painting.
class CellDelegate : public QStyledItemDelegate {
public:
    CellDelegate(const StringGridModel& model, const QAbstractScrollArea& area, QObject* parent)
        : QStyledItemDelegate(parent), model_(model), area_(area) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                           : (option.state & QStyle::State_Active) ? QPalette::Active
                                                                                   : QPalette::Inactive;
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        if (selected) painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
        PaintFocus(painter, option, group, selected);
        const QString cell = model_.Cell(index.column(), index.row());
        const QRect visible = option.rect & QRect(QPoint(0, 0), area_.viewport()->size());
        painter->setFont(option.font);
        painter->setPen(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        const QPoint topLeft(option.rect.left(),
                             option.rect.top() + (option.rect.height() - option.fontMetrics.height() + 1) / 2);
        if (visible == option.rect) painter->drawStaticText(topLeft, Laid(cell, option));
        else painter->drawText(topLeft + QPoint(0, option.fontMetrics.ascent()),
                               ShownText(option.fontMetrics, cell, option.rect, area_.viewport()->size()));
    }

private:
    static void PaintFocus(QPainter* painter, const QStyleOptionViewItem& option, QPalette::ColorGroup group,
                           bool selected) {
        if (!(option.state & QStyle::State_HasFocus) || option.widget == nullptr) return;
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor = option.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
        option.widget->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, option.widget);
    }

    // The shown text of `cell` in a whole cell, laid out in the cell's font; kept until the
    // font or the width changes or a few thousand texts have been seen.
    const QStaticText& Laid(const QString& cell, const QStyleOptionViewItem& option) const {
        if (option.rect.width() != width_ || option.font != font_ || laid_.size() >= 4096) {
            laid_.clear();
            width_ = option.rect.width();
            font_ = option.font;
        }
        auto found = laid_.find(cell);
        if (found == laid_.end()) {
            QStaticText text(ShownText(option.fontMetrics, cell, width_));
            text.setTextFormat(Qt::PlainText);
            text.prepare(QTransform(), font_);
            found = laid_.insert(cell, text);
        }
        return *found;
    }

    const StringGridModel& model_;
    const QAbstractScrollArea& area_;
    mutable QHash<QString, QStaticText> laid_;
    mutable int width_ = -1;
    mutable QFont font_;
};

}  // namespace

StringGrid::StringGrid(QWidget* parent) : QTableView(parent), model_(new StringGridModel(this)) {
    setModel(model_);
    setItemDelegate(new CellDelegate(*model_, *this, this));
    setFont(CellFont());
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
    setCornerButtonEnabled(false);
    // Tab leaves the grid (the arrows move inside it).
    setTabKeyNavigation(false);
    SetDefaultRowHeight(13);

    auto* copy = new QAction(QStringLiteral("Copiar"), this);
    copy->setObjectName(QStringLiteral("Copiar"));
    copy->setShortcut(QKeySequence::Copy);
    connect(copy, &QAction::triggered, this, [this] { CopySelection(); });
    auto* all = new QAction(QStringLiteral("Seleccionar todo"), this);
    all->setObjectName(QStringLiteral("SeleccionarTodo"));
    all->setShortcut(QKeySequence::SelectAll);
    connect(all, &QAction::triggered, this, &QAbstractItemView::selectAll);
    for (QAction* action : {copy, all}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
    }
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

// A frame in the highlight colour over the grid's own frame while it has the focus; the
// cells are not touched.
bool StringGrid::event(QEvent* event) {
    const bool handled = QTableView::event(event);
    if (event->type() == QEvent::Paint && hasFocus()) {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::Active, QPalette::Highlight));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    return handled;
}

void StringGrid::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    update();
}

void StringGrid::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    update();
}

void StringGrid::SetMatrix(std::shared_ptr<const engine::RelationMatrix> matrix, int n) {
    model_->SetMatrix(std::move(matrix), n);
}

void StringGrid::SetExponentDigits(int digits) { model_->SetExponentDigits(digits); }

int StringGrid::RowCount() const { return model_->Size(); }

int StringGrid::ColCount() const { return model_->Size(); }

QString StringGrid::Cells(int col, int row) const { return model_->Cell(col, row); }

QString StringGrid::FullText(int col, int row) const { return model_->FullText(col, row); }

QString StringGrid::SelectedText() const {
    return SelectionText(selectionModel()->selectedIndexes(), [&](int row, int col) { return FullText(col, row); });
}

void StringGrid::CopySelection() const { QGuiApplication::clipboard()->setText(SelectedText()); }

// The grid line is drawn outside the text area, so a section is one pixel longer.
void StringGrid::SetDefaultColWidth(int width) { horizontalHeader()->setDefaultSectionSize(width + 1); }

void StringGrid::SetDefaultRowHeight(int height) { verticalHeader()->setDefaultSectionSize(height + 1); }

}  // namespace ui
