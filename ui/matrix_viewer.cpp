#include "ui/matrix_viewer.h"

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetricsF>
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

MatrixViewer::MatrixViewer(int matrix, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent, Qt::Window), matrix_(matrix), dialogs_(dialogs), model_(new HeatMapModel(matrix, this)) {
    setObjectName(QStringLiteral("Visor%1").arg(matrix));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(MatrixTitle(matrix));
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);
    model_->SetOrientation(Orientation::File);  // a loaded file reads as it was written
    view_ = new HeatMapView(*model_, central);
    view_->setObjectName(QStringLiteral("Mapa"));
    view_->onZoom = [this](int steps) { Zoom(steps); };
    legend_ = NewLegend(*model_, central);
    overview_ = new OverviewWidget(*model_, central);
    overview_->setObjectName(QStringLiteral("VistaDeConjunto"));
    overview_->onResize = [this] { ShowStatus(); };
    overview_->hide();
    // The overview follows what the model shows: each trial, the difference, the orientation.
    const auto redraw = [this] {
        if (ShowsOverview()) DrawOverview();
    };
    connect(model_, &QAbstractItemModel::dataChanged, this, redraw);
    connect(model_, &QAbstractItemModel::modelReset, this, redraw);
    layout->addWidget(view_, 1);
    layout->addWidget(overview_, 1);
    layout->addWidget(legend_);
    setCentralWidget(central);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("Estado"));
    statusBar()->addWidget(status_, 1);
    BuildActions();
    resize(760, 600);
}

void MatrixViewer::BuildActions() {
    // Two rows, so that every command shows in a viewer of the usual size: how the matrix is
    // shown (zoom, orientation, digits), then what is done with it.
    QToolBar* bar = addToolBar(QStringLiteral("Vista"));
    bar->setObjectName(QStringLiteral("BarraVisor"));
    bar->setMovable(false);
    const auto add = [this, &bar](const char* name, const QString& text, const QList<QKeySequence>& keys,
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
        [this](bool) { Zoom(-1); });
    add("Acercar", QStringLiteral("Acercar"),
        QKeySequence::keyBindings(QKeySequence::ZoomIn) << QKeySequence(Qt::CTRL | Qt::Key_Equal),
        [this](bool) { Zoom(1); });
    add("Ajustar", QStringLiteral("Ajustar"), {QKeySequence(Qt::CTRL | Qt::Key_0)}, [this](bool) { Fit(); });
    bar->addSeparator();
    // Row i of a relation file in row i, or each matrix transposed as the grids show it.
    orientation_ = new QComboBox(bar);
    orientation_->setObjectName(QStringLiteral("Orientacion"));
    orientation_->addItems({QStringLiteral("Como en el fichero"), QStringLiteral("Como en las rejillas")});
    orientation_->setFocusPolicy(Qt::NoFocus);  // the keys stay with the map
    connect(orientation_, &QComboBox::currentIndexChanged, this,
            [this](int index) { SetOrientation(index == 0 ? Orientation::File : Orientation::Grids); });
    bar->addWidget(orientation_);
    auto* turn = new QAction(QStringLiteral("Cambiar orientación"), this);
    turn->setObjectName(QStringLiteral("CambiarOrientacion"));
    turn->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    connect(turn, &QAction::triggered, this, [this] { orientation_->setCurrentIndex(1 - orientation_->currentIndex()); });
    addAction(turn);
    orientation_->setToolTip(QStringLiteral("Fila i del fichero en la fila i, o cada matriz traspuesta como en las "
                                            "rejillas (%1)")
                                 .arg(turn->shortcut().toString(QKeySequence::NativeText)));
    bar->addSeparator();
    // Six significant digits unless one of these asks for fewer or for every digit.
    auto* digits = new QActionGroup(this);
    digits->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const auto digitsMode = [this](CellDigits mode) {
        return [this, mode](bool on) {
            model_->SetDigits(on ? mode : CellDigits::Readable);
            MeasureTexts();
            view_->SetCellFont(CellFontFor(cell_));
            view_->viewport()->update();
        };
    };
    digits->addAction(add("TresCifras", QStringLiteral("3 cifras"), {QKeySequence(Qt::CTRL | Qt::Key_3)},
                          digitsMode(CellDigits::Three), true));
    QAction* exact = add("Exactas", QStringLiteral("Exactas"), {QKeySequence(Qt::CTRL | Qt::Key_E)},
                         digitsMode(CellDigits::Exact), true);
    exact->setToolTip(QStringLiteral("Muestra cada valor con todas sus cifras, como se copia y se guarda"));
    digits->addAction(exact);
    addToolBarBreak();
    bar = addToolBar(QStringLiteral("Acciones"));
    bar->setObjectName(QStringLiteral("BarraAcciones"));
    bar->setMovable(false);
    QAction* difference = add("Diferencia", QStringLiteral("Diferencia"), {QKeySequence(Qt::CTRL | Qt::Key_D)},
                              [this](bool on) {
                                  model_->SetDifference(on);
                                  MeasureTexts();
                                  view_->SetCellFont(CellFontFor(cell_));
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
    BuildViolations(bar);
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
    if (model_->snapshot() != latest_.get()) {
        // What "Ir a la diferencia máxima" marked was the shown trial's.
        view_->SetMark(-1, -1);
        statusBar()->clearMessage();
    }
    model_->SetSnapshot(latest_);
    MeasureTexts();
    if (first) {
        // The first zoom level at which every text reads whole; a matrix that does not fit the
        // window even at the smallest level opens whole, as the overview.
        int level = 0;
        while (level + 1 < kZoomLevels && kZoomWidths[level] < std::max(widestText_ + 8, 24)) ++level;
        SetZoomLevel(level);
        // The view's size as the window will lay it out, which it has not done yet.
        layout()->activate();
        centralWidget()->layout()->activate();
        const QSize area = view_->maximumViewportSize();
        if (model_->Size() * kZoomWidths[0] > std::min(area.width(), area.height())) Fit();
    } else {
        ApplyZoom();  // a new dimension resets the headers' sizes
    }
    legend_->update();
    ShowStatus();
}

int MatrixViewer::ZoomLevel() const {
    int level = 0;
    while (level + 1 < kZoomLevels && kZoomWidths[level + 1] <= cell_) ++level;
    return level;
}

void MatrixViewer::SetZoomLevel(int level) {
    LeaveOverview();
    SetCellSize(kZoomWidths[std::clamp(level, 0, kZoomLevels - 1)]);
}

void MatrixViewer::Zoom(int steps) {
    if (ShowsOverview()) {
        if (steps > 0) LeaveOverview();
        return;
    }
    if (steps > 0) {
        const int* next = std::upper_bound(std::begin(kZoomWidths), std::end(kZoomWidths), cell_);
        if (next != std::end(kZoomWidths)) SetCellSize(*next);
    } else if (steps < 0) {
        const int* next = std::lower_bound(std::begin(kZoomWidths), std::end(kZoomWidths), cell_);
        if (next != std::begin(kZoomWidths)) SetCellSize(*(next - 1));
    }
}

void MatrixViewer::SetCellSize(int side) {
    side = std::max(side, 1);
    if (side == cell_) return;
    cell_ = side;
    ApplyZoom();
}

void MatrixViewer::MeasureTexts() {
    // Digits are equally wide in the usual interface fonts (tabular figures): only the longest
    // texts can be the widest.
    // A large matrix is measured on an even sample of some hundred thousand cells.
    const QFontMetrics metrics(view_->font());
    qsizetype longest = 0;
    widestText_ = 0;
    const long long n = model_->Size(), cells = n * n, step = std::max(1LL, cells / 100'000);
    for (long long k = 0; k < cells; k += step)
        if (const QString text = model_->Text(static_cast<int>(k / n), static_cast<int>(k % n)); text.size() >= longest) {
            longest = text.size();
            widestText_ = std::max(widestText_, metrics.horizontalAdvance(text));
        }
}

QFont MatrixViewer::CellFontFor(int side) const {
    QFont font = view_->font();
    const QFontMetricsF metrics(font);
    double grow = 0.35 * side / metrics.height();
    if (widestText_ > 0) grow = std::min(grow, (side - 8.0) / widestText_);
    if (grow > 1) font.setPixelSize(static_cast<int>(QFontInfo(font).pixelSize() * grow));
    return font;
}

void MatrixViewer::ApplyZoom() {
    if (cell_ <= 0) return;
    view_->horizontalHeader()->setDefaultSectionSize(cell_);
    view_->verticalHeader()->setDefaultSectionSize(cell_);
    view_->SetCellFont(CellFontFor(cell_));
    // Numbers on the rows and columns with a gap between neighbours, whichever way they run.
    const QFontMetrics metrics = view_->horizontalHeader()->fontMetrics();
    const int widest = std::max(metrics.horizontalAdvance(QString::number(std::max(model_->Size(), 1))), metrics.ascent());
    const int step = LabelStep(cell_, widest);
    model_->SetLabelStep(step, FirstLabelFits(step, cell_, widest));
    view_->verticalHeader()->setFixedWidth(view_->fontMetrics().horizontalAdvance(QStringLiteral("100")) + 10);
}

void MatrixViewer::Fit() {
    const int n = std::max(model_->Size(), 1);
    const QSize area = ShowsOverview() ? overview_->size() : view_->maximumViewportSize();  // without scroll bars
    const int side = std::min(area.width(), area.height()) / n;
    if (side >= kZoomWidths[0]) {
        LeaveOverview();
        SetCellSize(side);
        return;
    }
    view_->hide();
    overview_->show();
    DrawOverview();
}

bool MatrixViewer::ShowsOverview() const { return !overview_->isHidden(); }

void MatrixViewer::DrawOverview() {
    overview_->update();
    ShowStatus();
}

void MatrixViewer::LeaveOverview() {
    if (!ShowsOverview()) return;
    overview_->hide();
    view_->show();
    SetCellSize(kZoomWidths[0]);
    ShowStatus();
}

void MatrixViewer::GoToLargestDifference() {
    if (model_->Size() == 0 || !HasDifference(matrix_)) return;
    LeaveOverview();
    const auto [row, col] = model_->LargestDifference();
    if (cell_ < kMarkedCell) SetCellSize(kMarkedCell);
    view_->UpdateGeometriesNow();  // the scroll range of the new size, to scroll within
    const QModelIndex index = model_->index(row, col);
    view_->setCurrentIndex(index);
    view_->scrollTo(index, QAbstractItemView::PositionAtCenter);
    view_->SetMark(row, col);
    statusBar()->showMessage(model_->LargestDifferenceText());
}

void MatrixViewer::SetOrientation(Orientation orientation) {
    // The chooser shows the orientation: a change of its choice comes back here.
    if (const int choice = orientation == Orientation::File ? 0 : 1; orientation_->currentIndex() != choice) {
        orientation_->setCurrentIndex(choice);
        return;
    }
    if (orientation == model_->orientation()) return;
    model_->SetOrientation(orientation);
    // The same entries, now at each other's place.
    view_->clearSelection();
    if (const QModelIndex current = view_->currentIndex(); current.isValid())
        view_->setCurrentIndex(model_->index(current.column(), current.row()));
    if (const auto [row, col] = view_->Mark(); row >= 0) {
        view_->SetMark(col, row);
        view_->scrollTo(model_->index(col, row), QAbstractItemView::PositionAtCenter);
        statusBar()->showMessage(model_->LargestDifferenceText());
    }
    ShowStatus();
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
    QString text = QStringLiteral("Dimensión %1 · prueba %2 · filas y columnas %3")
                       .arg(s->dimension)
                       .arg(s->trialCount)
                       .arg(model_->OrientationText());
    if (model_->difference())
        text += matrix_ <= 4 ? QStringLiteral(" · cierre − relación") : QStringLiteral(" · relación − transitivizada");
    if (pin_->isChecked()) text += QStringLiteral(" · fijada");
    text += ViolationsStatus();
    if (ShowsOverview())
        text += QStringLiteral(" · entera: un píxel por unas %1 × %1 entradas")
                    .arg((s->dimension + overview_->Side() - 1) / overview_->Side());
    status_->setText(text);
}

}  // namespace ui
