// The widgets a matrix viewer is made of: the table of coloured cells with its numbered
// headers, the legend, and the picture of the whole matrix.
#include <QFontMetricsF>
#include <QHeaderView>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>
#include <QStaticText>
#include <QWheelEvent>
#include <algorithm>

#include "ui/figure_export.h"
#include "ui/matrix_viewer.h"
#include "ui/string_grid.h"

namespace ui {

namespace {

constexpr int kLegendBar = 16;

// The colour bar beside the table, for the scale of what is shown.
class LegendWidget : public QWidget {
public:
    LegendWidget(const HeatMapModel& model, QWidget* parent) : QWidget(parent), model_(model) {
        setObjectName(QStringLiteral("Leyenda"));
        setFixedWidth(LegendWidth(font(), kLegendBar) + 8);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (model_.Size() == 0) return;
        PaintLegend(painter, rect().adjusted(4, 4, -4, -4), model_.Low(), model_.High());
    }

private:
    const HeatMapModel& model_;
};

// Row or column numbers every few sections (as the model gives them), each centred on its
// section and free to spread over its neighbours, which have none: a number in a section of a
// few pixels would otherwise be cut to "…".
class NumberHeader : public QHeaderView {
public:
    using QHeaderView::QHeaderView;

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(viewport());
        painter.fillRect(event->rect(), palette().color(QPalette::Button));
        painter.setPen(palette().color(QPalette::ButtonText));
        const int first = std::max(visualIndexAt(orientation() == Qt::Horizontal ? event->rect().left() : event->rect().top()), 0);
        for (int section = first; section < count(); ++section) {
            const int position = sectionViewportPosition(section);
            if (position > (orientation() == Qt::Horizontal ? viewport()->width() : viewport()->height())) break;
            const QString label = model()->headerData(section, orientation(), Qt::DisplayRole).toString();
            if (label.isEmpty()) continue;
            // A whole section's number stays whole: at the header's ends (row 1 of a fitted
            // 100 × 100 matrix is 4 pixels high) it moves inwards as far as it must.
            const bool across = orientation() == Qt::Horizontal;
            const int length = across ? viewport()->width() : viewport()->height();
            const int half = (across ? fontMetrics().horizontalAdvance(label) : fontMetrics().height()) / 2 + 1;
            int middle = position + sectionSize(section) / 2;
            if (position >= 0) middle = std::max(middle, half);
            if (position + sectionSize(section) <= length) middle = std::min(middle, length - half);
            const QRect area = across ? QRect(middle - 20, 0, 40, viewport()->height())
                                      : QRect(0, middle - 10, viewport()->width() - 3, 20);
            painter.drawText(area, orientation() == Qt::Horizontal ? Qt::AlignCenter : Qt::AlignRight | Qt::AlignVCenter,
                             label);
        }
    }
};

}  // namespace

QWidget* NewLegend(const HeatMapModel& model, QWidget* parent) { return new LegendWidget(model, parent); }

HeatMapView::HeatMapView(HeatMapModel& model, QWidget* parent) : QTableView(parent), model_(model) {
    setHorizontalHeader(new NumberHeader(Qt::Horizontal, this));
    setVerticalHeader(new NumberHeader(Qt::Vertical, this));
    setModel(&model);
    for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
        header->setMinimumSectionSize(1);
        header->setSectionResizeMode(QHeaderView::Fixed);
        header->setHighlightSections(true);
    }
    setShowGrid(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    cellFont_ = font();
}

void HeatMapView::SetCellFont(const QFont& font) {
    if (font == cellFont_) return;
    cellFont_ = font;
    viewport()->update();
}

void HeatMapView::SetMark(int row, int col) {
    mark_ = row < 0 ? std::pair(-1, -1) : std::pair(row, col);
    viewport()->update();
}

void HeatMapView::wheelEvent(QWheelEvent* event) {
    if ((event->modifiers() & Qt::ControlModifier) && onZoom) {
        const int delta = event->angleDelta().y();
        if (delta != 0) onZoom(delta > 0 ? 1 : -1);
        event->accept();
        return;
    }
    QTableView::wheelEvent(event);
}

// The cells are one picture of the model's colours scaled without smoothing (a single
// drawImage for ten thousand cells); over it the texts that fit their cell whole (a cut number
// would read as another), laid out once each; then the selection and the current cell.
void HeatMapView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), palette().color(QPalette::Base));
    const int n = model_.Size();
    if (n == 0) return;
    const int width = columnWidth(0), height = rowHeight(0);
    const QPoint origin(columnViewportPosition(0), rowViewportPosition(0));
    painter.drawImage(QRect(origin, QSize(n * width, n * height)), model_.Picture());
    const QRect visible = viewport()->rect();
    const QFontMetrics metrics(cellFont_);
    if (width >= kTextWidth && height >= metrics.height()) {
        if (laidFont_ != cellFont_ || laid_.size() > 20000) {
            laid_.clear();
            laidFont_ = cellFont_;
        }
        painter.setFont(cellFont_);
        const int firstRow = std::max(rowAt(0), 0), lastRow = rowAt(visible.height() - 1);
        const int firstCol = std::max(columnAt(0), 0), lastCol = columnAt(visible.width() - 1);
        for (int row = firstRow; row <= (lastRow < 0 ? n - 1 : lastRow); ++row)
            for (int col = firstCol; col <= (lastCol < 0 ? n - 1 : lastCol); ++col) {
                const QRect cell(origin + QPoint(col * width, row * height), QSize(width, height));
                if (!visible.contains(cell)) continue;
                const QString text = model_.Text(row, col);
                if (text.isEmpty()) continue;
                auto found = laid_.find(text);
                if (found == laid_.end()) {
                    QStaticText laid(text);
                    laid.setTextFormat(Qt::PlainText);
                    laid.prepare(QTransform(), cellFont_);
                    found = laid_.insert(text, {laid, metrics.horizontalAdvance(text)});
                }
                if (found->second + 4 > width) continue;
                painter.setPen(model_.DarkInk(row, col) ? Qt::black : Qt::white);
                painter.drawStaticText(cell.left() + (width - found->second) / 2,
                                       cell.top() + (height - metrics.height()) / 2, found->first);
            }
    }
    // Entries of violating triples: an outline inside the cell in a colour no scale holds.
    if (model_.ViolatingTriples() > 0) {
        const int pen = width >= 12 ? 2 : 1;
        const int firstRow = std::max(rowAt(0), 0), lastRow = rowAt(visible.height() - 1);
        const int firstCol = std::max(columnAt(0), 0), lastCol = columnAt(visible.width() - 1);
        for (int row = firstRow; row <= (lastRow < 0 ? n - 1 : lastRow); ++row)
            for (int col = firstCol; col <= (lastCol < 0 ? n - 1 : lastCol); ++col) {
                if (model_.ViolatedTriples(row, col) == 0) continue;
                const QRect cell(origin + QPoint(col * width, row * height), QSize(width, height));
                const QRegion frame = QRegion(cell) - QRegion(cell.adjusted(pen, pen, -pen, -pen));
                for (const QRect& side : frame) painter.fillRect(side, kViolationColor);
            }
    }
    const auto area = [&](int top, int left, int bottom, int right) {
        return QRect(origin + QPoint(left * width, top * height),
                     QSize((right - left + 1) * width, (bottom - top + 1) * height));
    };
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    for (const QItemSelectionRange& range : selectionModel()->selection())
        painter.drawRect(area(range.top(), range.left(), range.bottom(), range.right()).adjusted(1, 1, -1, -1));
    const QModelIndex current = currentIndex();
    if (current.isValid() && hasFocus()) {
        painter.setPen(QPen(Qt::red, 1, Qt::DotLine));
        painter.drawRect(area(current.row(), current.column(), current.row(), current.column()).adjusted(0, 0, -1, -1));
    }
    // The marked cell: a solid frame just outside it, in a red no colour scale holds; at the
    // edge of the view (row or column 1), just inside the edge instead.
    if (mark_.first >= 0 && mark_.first < n && mark_.second < n) {
        painter.setPen(QPen(QColor(255, 0, 0), kMarkWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        // A pen of odd width centred on the outline: it covers kMarkWidth pixels around it.
        constexpr int half = kMarkWidth / 2, out = half + 1;
        const QRect cell = area(mark_.first, mark_.second, mark_.first, mark_.second);
        if (cell.intersects(visible))
            painter.drawRect(cell.adjusted(-out, -out, out - 1, out - 1) & visible.adjusted(half, half, -half - 1, -half - 1));
    }
}

OverviewWidget::OverviewWidget(const HeatMapModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setMinimumSize(1, 1);
}

void OverviewWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (onResize) onResize();
}

int OverviewWidget::Side() const { return std::max(1, std::min(width(), height())); }

void OverviewWidget::paintEvent(QPaintEvent*) {
    const QImage& picture = model_.Picture();
    if (picture.isNull()) return;
    const int side = Side();
    // Smooth scaling blends the colours of the entries a pixel covers; the scaled picture is
    // kept until the matrix shown or the size changes.
    if (picture.cacheKey() != key_ || scaled_.width() != side) {
        scaled_ = QPixmap::fromImage(picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        key_ = picture.cacheKey();
    }
    QPainter(this).drawPixmap(0, 0, scaled_);
}

}  // namespace ui
