// The charts window: its layout, following the trials, and its figures (all five charts or one).
#include "ui/charts.h"

#include <QAction>
#include <QBarCategoryAxis>
#include <QCoreApplication>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QGraphicsScene>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHorizontalBarSeries>
#include <QLegend>
#include <QLineSeries>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>

#include "experiments/pie.h"
#include "toolkit/number_text.h"
#include "ui/figure_export.h"

namespace ui {

// --- Figures ---

namespace {

void ShowCharts(DistanceBarChart& bars, std::array<CurveChart, engine::kTNormCount>& curves, PercentChart& percents,
                const experiments::Snapshot& s) {
    const char separator = toolkit::DecimalSeparator();
    bars.Show(s.results, QStringLiteral("d1 de la matriz nº %1 (dimensión %2)").arg(s.trialCount).arg(s.dimension),
              separator);
    for (int t = 0; t < engine::kTNormCount; ++t) curves[t].Show(s.recentPoints[t], s.trialCount, separator, s.dimensionRuns);
    percents.Show(s, separator);
}

// A chart's texts in the figure's font (titles bold), its lines as much wider as the figure
// is larger than on screen.
void ApplyFigureLook(QChart* chart, const QFont& font, double magnification) {
    QFont title = font;
    title.setBold(true);
    chart->setTitleFont(title);
    chart->legend()->setFont(font);
    for (QAbstractAxis* axis : chart->axes()) {
        axis->setLabelsFont(font);
        axis->setTitleFont(font);
    }
    for (QAbstractSeries* series : chart->series()) {
        if (auto* bars = qobject_cast<QAbstractBarSeries*>(series))
            for (QBarSet* set : bars->barSets()) set->setLabelFont(font);
        if (auto* line = qobject_cast<QLineSeries*>(series)) {
            QPen pen = line->pen();
            pen.setWidthF(pen.widthF() * magnification);
            line->setPen(pen);
            line->setMarkerSize(line->markerSize() * magnification);
        }
    }
    chart->setMargins(QMargins(4, 4, 4, 4) * magnification);
}

// The place of each chart in a figure of all of them, as the window lays them out: the bars
// over the percentages on the left, the three curves on the right.
QRectF ChartPlace(int chart, const QRectF& area) {
    const double w = area.width() / 2, third = area.height() / 3;
    switch (chart) {
    case 0: return {area.left(), area.top(), w, 2 * third};
    case 1: return {area.left(), area.top() + 2 * third, w, third};
    default: return {area.left() + w, area.top() + (chart - 2) * third, area.width() - w, third};
    }
}

// Copies of the window's charts for a figure, each far from the others in a scene of its own,
// so that drawing one draws nothing of the rest.
class FigureCharts {
public:
    FigureCharts(const experiments::Snapshot& snapshot, const FigureSettings& settings)
        : curves_{CurveChart(QStringLiteral("Min")), CurveChart(QStringLiteral("Prod")), CurveChart(QStringLiteral("W"))} {
        QChart* charts[] = {bars_.chart(), percents_.chart(), curves_[0].chart(), curves_[1].chart(), curves_[2].chart()};
        for (int k = 0; k < ChartsWindow::kChartCount; ++k) {
            charts_[static_cast<std::size_t>(k)] = charts[k];
            scene_.addItem(charts[k]);  // the scene owns it from here
            charts[k]->setPos(k * 100000.0, 0);
        }
        ShowCharts(bars_, curves_, percents_, snapshot);
        const QFont font = settings.Font();
        for (QChart* chart : charts_) ApplyFigureLook(chart, font, settings.Magnification());
    }
    void Render(QPainter& painter, int chart, const QRectF& target) {
        QChart* c = charts_[static_cast<std::size_t>(chart)];
        c->resize(target.size());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);  // laid out in its font
        scene_.render(&painter, target, c->geometry());
    }

private:
    QGraphicsScene scene_;
    DistanceBarChart bars_;
    std::array<CurveChart, engine::kTNormCount> curves_;
    PercentChart percents_;
    std::array<QChart*, ChartsWindow::kChartCount> charts_{};
};

const char* const kChartFileNames[] = {"barras", "porcentajes", "curvas_min", "curvas_prod", "curvas_w"};

}  // namespace

// --- The window ---

ChartsWindow::ChartsWindow(Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window),
      curves{CurveChart(QStringLiteral("Min")), CurveChart(QStringLiteral("Prod")), CurveChart(QStringLiteral("W"))},
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("Graficas"));
    setWindowTitle(QStringLiteral("Gráficas"));
    panel_ = new QWidget(this);
    auto* grid = new QGridLayout(panel_);
    grid->setContentsMargins(0, 0, 0, 0);
    QChart* charts[] = {bars.chart(), percents.chart(), curves[0].chart(), curves[1].chart(), curves[2].chart()};
    for (std::size_t k = 0; k < views_.size(); ++k) {
        views_[k] = new QChartView(charts[k], panel_);
        views_[k]->setRenderHint(QPainter::Antialiasing);
        // A trial changes every chart as a whole: one rectangle repainted, not a region of
        // many, whose clipping costs more than the painting it saves.
        views_[k]->setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
        views_[k]->setMinimumSize(200, 150);
        auto* exportOne = new QAction(QStringLiteral("Exportar este gráfico…"), views_[k]);
        exportOne->setObjectName(QStringLiteral("ExportarGrafico%1").arg(k));
        // The chart with the focus (a click on it, or Tab) is the one its key exports.
        exportOne->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
        exportOne->setShortcutContext(Qt::WidgetShortcut);
        connect(exportOne, &QAction::triggered, this, [this, k] { ExportFigure(static_cast<int>(k)); });
        views_[k]->addAction(exportOne);
        views_[k]->setContextMenuPolicy(Qt::ActionsContextMenu);
        views_[k]->setToolTip(QStringLiteral("«Exportar este gráfico…»: menú del botón derecho, o %1 en el gráfico")
                                  .arg(exportOne->shortcut().toString(QKeySequence::NativeText)));
    }
    grid->addWidget(views_[0], 0, 0, 2, 1);
    grid->addWidget(views_[1], 2, 0);
    for (int t = 0; t < engine::kTNormCount; ++t) grid->addWidget(views_[2 + t], t, 1);
    auto* exportButton = new QPushButton(QStringLiteral("&Exportar figura…"), this);
    exportButton->setObjectName(QStringLiteral("ExportarFigura"));
    // All five charts: clicked(bool) would pass its false as chart 0.
    connect(exportButton, &QPushButton::clicked, this, [this] { ExportFigure(); });
    auto* exportAll = new QAction(this);
    exportAll->setObjectName(QStringLiteral("ExportarFiguraTecla"));
    exportAll->setShortcut(QKeySequence::Save);
    connect(exportAll, &QAction::triggered, this, [this] { ExportFigure(); });
    addAction(exportAll);
    exportButton->setToolTip(QStringLiteral("Las cinco gráficas en una figura (%1)")
                                 .arg(exportAll->shortcut().toString(QKeySequence::NativeText)));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exportButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel_, 1);
    layout->addLayout(buttons);
    resize(1100, 760);
}

void ChartsWindow::Present(std::shared_ptr<const experiments::Snapshot> snapshot) {
    snapshot_ = std::move(snapshot);
    stale_ = true;
    if (isVisible()) Update();
}

void ChartsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (stale_) Update();
}

void ChartsWindow::Update() {
    stale_ = false;
    if (!snapshot_) return;
    ShowCharts(bars, curves, percents, *snapshot_);
}

QSize ChartsWindow::FigureSize(const FigureSettings& settings, int chart) const {
    const QSize shown = chart < 0 ? panel_->size() : views_[static_cast<std::size_t>(chart)]->size();
    return settings.PixelSize((QSizeF(shown) * settings.Magnification()).toSize());
}

void ChartsWindow::PaintCharts(QPainter& painter, const QRect& area, const FigureSettings& settings, int chart) const {
    if (!snapshot_) return;
    FigureCharts copies(*snapshot_, settings);
    painter.setRenderHint(QPainter::Antialiasing);
    if (chart >= 0) {
        copies.Render(painter, chart, QRectF(area));
        return;
    }
    for (int k = 0; k < kChartCount; ++k) copies.Render(painter, k, ChartPlace(k, QRectF(area)));
}

void ChartsWindow::ExportFigure(int chart) {
    if (!snapshot_) return;
    const std::optional<FigureSettings> settings = dialogs_.AskFigureSettings(LastFigureSettings());
    if (!settings) return;
    KeepFigureSettings(*settings);
    const QString suggested = QLatin1String(chart < 0 ? "graficas" : kChartFileNames[chart]) + QStringLiteral(".png");
    const std::optional<QString> name = dialogs_.SaveFileName(
        {QStringLiteral("imagen PNG|*.png|imagen SVG|*.svg|documento PDF|*.pdf"), QStringLiteral("png"), true, suggested});
    if (!name) return;
    try {
        SaveFigure(*name, FigureSize(*settings, chart), [&](QPainter& painter, const QRect& area) {
            PaintCharts(painter, area, *settings, chart);
        }, settings->resolution);
    } catch (const std::exception& e) {
        dialogs_.ShowException(QString::fromUtf8(e.what()));
    }
}

// --- The bars alone, for the command line ---

void SaveDistanceBars(const QString& path, const engine::Analysis& analysis, int n, char separator,
                      const FigureSettings& settings) {
    QGraphicsScene scene;
    DistanceBarChart bars;
    scene.addItem(bars.chart());  // the scene owns it from here
    const QSize size = settings.PixelSize((QSizeF(720, 420) * settings.Magnification()).toSize());
    bars.Show(analysis, QStringLiteral("d1 al cierre y a la transitivizada (dimensión %1)").arg(n), separator);
    ApplyFigureLook(bars.chart(), settings.Font(), settings.Magnification());
    bars.chart()->resize(size);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    SaveFigure(path, size, [&](QPainter& painter, const QRect& area) {
        painter.setRenderHint(QPainter::Antialiasing);
        scene.render(&painter, QRectF(area), bars.chart()->geometry());
    }, settings.resolution);
}

}  // namespace ui
