#include "ui/matrix_viewer.h"

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStatusBar>
#include <QStaticText>
#include <QToolBar>
#include <QWheelEvent>
#include <algorithm>
#include <exception>
#include <vector>

#include "ui/figure_export.h"
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
            const int size = sectionSize(section);
            const QRect area = orientation() == Qt::Horizontal
                                   ? QRect(position + size / 2 - 20, 0, 40, viewport()->height())
                                   : QRect(0, position + size / 2 - 10, viewport()->width() - 3, 20);
            painter.drawText(area, orientation() == Qt::Horizontal ? Qt::AlignCenter : Qt::AlignRight | Qt::AlignVCenter,
                             label);
        }
    }
};

}  // namespace

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
    const QFontMetrics metrics = fontMetrics();
    if (width >= kTextWidth && height >= metrics.height()) {
        if (laidFont_ != font() || laid_.size() > 20000) {
            laid_.clear();
            laidFont_ = font();
        }
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
                    laid.prepare(QTransform(), font());
                    found = laid_.insert(text, {laid, metrics.horizontalAdvance(text)});
                }
                if (found->second + 4 > width) continue;
                painter.setPen(model_.DarkInk(row, col) ? Qt::black : Qt::white);
                painter.drawStaticText(cell.left() + (width - found->second) / 2,
                                       cell.top() + (height - metrics.height()) / 2, found->first);
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
}

MatrixViewer::MatrixViewer(int matrix, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent, Qt::Window), matrix_(matrix), dialogs_(dialogs), model_(new HeatMapModel(matrix, this)) {
    setObjectName(QStringLiteral("Visor%1").arg(matrix));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(MatrixTitle(matrix));
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);
    view_ = new HeatMapView(*model_, central);
    view_->setObjectName(QStringLiteral("Mapa"));
    view_->onZoom = [this](int steps) { SetZoomLevel(zoom_ + steps); };
    legend_ = new LegendWidget(*model_, central);
    layout->addWidget(view_, 1);
    layout->addWidget(legend_);
    setCentralWidget(central);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("Estado"));
    statusBar()->addWidget(status_, 1);
    BuildActions();
    resize(760, 600);
}

void MatrixViewer::BuildActions() {
    QToolBar* bar = addToolBar(QStringLiteral("Visor"));
    bar->setObjectName(QStringLiteral("BarraVisor"));
    bar->setMovable(false);
    const auto add = [this, bar](const char* name, const QString& text, const QList<QKeySequence>& keys,
                                 const std::function<void(bool)>& run, bool checkable = false) {
        auto* action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcuts(keys);
        action->setCheckable(checkable);
        connect(action, &QAction::triggered, this, [run](bool checked) { run(checked); });
        bar->addAction(action);
        return action;
    };
    add("Alejar", QStringLiteral("Alejar"), QKeySequence::keyBindings(QKeySequence::ZoomOut),
        [this](bool) { SetZoomLevel(zoom_ - 1); });
    add("Acercar", QStringLiteral("Acercar"),
        QKeySequence::keyBindings(QKeySequence::ZoomIn) << QKeySequence(Qt::CTRL | Qt::Key_Equal),
        [this](bool) { SetZoomLevel(zoom_ + 1); });
    add("Ajustar", QStringLiteral("Ajustar"), {QKeySequence(Qt::CTRL | Qt::Key_0)}, [this](bool) { Fit(); });
    bar->addSeparator();
    // Six significant digits unless one of these asks for fewer or for every digit.
    auto* digits = new QActionGroup(this);
    digits->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const auto digitsMode = [this](CellDigits mode) {
        return [this, mode](bool on) {
            model_->SetDigits(on ? mode : CellDigits::Readable);
            view_->viewport()->update();
        };
    };
    digits->addAction(add("TresCifras", QStringLiteral("3 cifras"), {QKeySequence(Qt::CTRL | Qt::Key_3)},
                          digitsMode(CellDigits::Three), true));
    QAction* exact = add("Exactas", QStringLiteral("Exactas"), {QKeySequence(Qt::CTRL | Qt::Key_E)},
                         digitsMode(CellDigits::Exact), true);
    exact->setToolTip(QStringLiteral("Muestra cada valor con todas sus cifras, como se copia y se guarda"));
    digits->addAction(exact);
    QAction* difference = add("Diferencia", QStringLiteral("Diferencia"), {QKeySequence(Qt::CTRL | Qt::Key_D)},
                              [this](bool on) {
                                  model_->SetDifference(on);
                                  legend_->update();
                                  ShowStatus();
                              }, true);
    QAction* largest = add("IrDiferenciaMaxima", QStringLiteral("Ir a la diferencia máxima"),
                           {QKeySequence(Qt::CTRL | Qt::Key_M)}, [this](bool) { GoToLargestDifference(); });
    difference->setEnabled(HasDifference(matrix_));
    largest->setEnabled(HasDifference(matrix_));
    difference->setToolTip(matrix_ <= 4 ? QStringLiteral("Muestra cierre − relación")
                                        : QStringLiteral("Muestra relación − transitivizada"));
    pin_ = add("Fijar", QStringLiteral("Fijar"), {QKeySequence(Qt::CTRL | Qt::Key_F)}, [this](bool on) {
        if (!on && latest_) Show(latest_);
        ShowStatus();
    }, true);
    pin_->setToolTip(QStringLiteral("Conserva la prueba que se ve mientras el experimento sigue"));
    bar->addSeparator();
    add("Copiar", QStringLiteral("Copiar"), QKeySequence::keyBindings(QKeySequence::Copy),
        [this](bool) { QGuiApplication::clipboard()->setText(SelectedText()); });
    add("GuardarImagen", QStringLiteral("Guardar imagen…"), QKeySequence::keyBindings(QKeySequence::Save),
        [this](bool) { SaveImage(); });
    auto* all = new QAction(QStringLiteral("Seleccionar todo"), this);
    all->setObjectName(QStringLiteral("SeleccionarTodo"));
    all->setShortcut(QKeySequence::SelectAll);
    connect(all, &QAction::triggered, view_, &QAbstractItemView::selectAll);
    addAction(all);
    view_->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (const char* name : {"Copiar", "GuardarImagen"}) view_->addAction(findChild<QAction*>(QString::fromLatin1(name)));
    view_->addAction(all);
    // Each tool tip names its key, as a person reads it: "Acercar (Control++)".
    for (QAction* action : findChildren<QAction*>())
        if (!action->shortcut().isEmpty())
            action->setToolTip(action->toolTip() + QStringLiteral(" (") +
                               action->shortcut().toString(QKeySequence::NativeText) + QLatin1Char(')'));
}

void MatrixViewer::Show(std::shared_ptr<const experiments::Snapshot> snapshot) {
    latest_ = std::move(snapshot);
    if (pin_->isChecked() && model_->snapshot() != nullptr) return;
    const bool first = model_->snapshot() == nullptr;
    model_->SetSnapshot(latest_);
    if (first) {
        // The first zoom level at which every text reads whole.
        const QFontMetrics metrics(view_->font());
        int widest = 0;
        for (int row = 0; row < model_->Size(); ++row)
            for (int col = 0; col < model_->Size(); ++col)
                widest = std::max(widest, metrics.horizontalAdvance(model_->Text(row, col)));
        int level = 0;
        while (level + 1 < kZoomLevels && kZoomWidths[level] < std::max(widest + 8, 24)) ++level;
        zoom_ = -1;
        SetZoomLevel(level);
    } else {
        ApplyZoom();  // a new dimension resets the headers' sizes
    }
    legend_->update();
    ShowStatus();
}

int MatrixViewer::RowHeight(int width) const {
    return std::min(width, view_->fontMetrics().height() + 6);
}

void MatrixViewer::SetZoomLevel(int level) {
    level = std::clamp(level, 0, kZoomLevels - 1);
    if (level == zoom_) return;
    zoom_ = level;
    ApplyZoom();
}

void MatrixViewer::ApplyZoom() {
    if (zoom_ < 0) return;
    const int width = kZoomWidths[zoom_], height = RowHeight(width);
    view_->horizontalHeader()->setDefaultSectionSize(width);
    view_->verticalHeader()->setDefaultSectionSize(height);
    const int labelWidth = view_->fontMetrics().horizontalAdvance(QString::number(std::max(model_->Size(), 1)));
    model_->SetLabelStep(std::max(LabelStep(width, labelWidth), LabelStep(height, view_->fontMetrics().height() - 4)));
    view_->verticalHeader()->setFixedWidth(view_->fontMetrics().horizontalAdvance(QStringLiteral("100")) + 10);
}

void MatrixViewer::Fit() {
    const int n = std::max(model_->Size(), 1);
    const QSize area = view_->maximumViewportSize() -
                       QSize(view_->verticalHeader()->width(), view_->horizontalHeader()->height());
    int level = 0;
    while (level + 1 < kZoomLevels && n * kZoomWidths[level + 1] <= area.width() &&
           n * RowHeight(kZoomWidths[level + 1]) <= area.height())
        ++level;
    SetZoomLevel(level);
}

void MatrixViewer::GoToLargestDifference() {
    if (model_->Size() == 0) return;
    const auto [row, col] = model_->LargestDifference();
    const QModelIndex index = model_->index(row, col);
    view_->setCurrentIndex(index);
    view_->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

QString MatrixViewer::SelectedText() const {
    return SelectionText(view_->selectionModel()->selectedIndexes(),
                         [&](int row, int col) { return model_->FullText(row, col); });
}

void MatrixViewer::SaveImage() {
    if (model_->Size() == 0) return;
    const std::optional<FigureSettings> settings = dialogs_.AskFigureSettings(LastFigureSettings());
    if (!settings) return;
    KeepFigureSettings(*settings);
    const std::optional<QString> name = dialogs_.SaveFileName(
        {QStringLiteral("imagen PNG|*.png|imagen SVG|*.svg|documento PDF|*.pdf"), QStringLiteral("png"), true,
         MatrixFileName(matrix_) + (model_->difference() ? QStringLiteral("_diferencia.png") : QStringLiteral(".png"))});
    if (!name) return;
    try {
        SaveHeatMapFigure(*name, *model_, *settings);
    } catch (const std::exception& error) {
        dialogs_.ShowException(QString::fromUtf8(error.what()));
    }
}

void MatrixViewer::ShowStatus() {
    const experiments::Snapshot* s = model_->snapshot();
    if (s == nullptr) return;
    QString text = QStringLiteral("Dimensión %1 · prueba %2").arg(s->dimension).arg(s->trialCount);
    if (model_->difference())
        text += matrix_ <= 4 ? QStringLiteral(" · cierre − relación") : QStringLiteral(" · relación − transitivizada");
    if (pin_->isChecked()) text += QStringLiteral(" · fijada");
    status_->setText(text);
}

}  // namespace ui
