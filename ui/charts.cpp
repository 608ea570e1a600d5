#include "ui/charts.h"

#include <QAction>
#include <QBarCategoryAxis>
#include <QCoreApplication>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
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

namespace {

// Okabe and Ito's palette, told apart with any kind of colour blindness.
const QColor kClosureColor(0, 114, 178);         // blue
const QColor kTransitivizedColor(213, 94, 0);    // vermillion
const QColor kPercentColor(0, 158, 115);         // bluish green
const char* const kTNormNames[] = {"Min", "Prod", "W"};

// About this many intervals on an axis, whatever its length.
constexpr int kIntervals = 6;
// Curves of fewer points than this show each one.
constexpr std::size_t kMarkedPoints = 30;
// Room beyond the longest bar for its number, as a share of the bar.
constexpr double kLabelRoom = 0.3;

// Numbers written with the program's separator, a comma or a point, and no grouping ("1234,5").
QLocale NumberLocale(char separator) {
    QLocale locale = separator == ',' ? QLocale(QLocale::Spanish, QLocale::Spain) : QLocale::c();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

void SetSeparator(QChart* chart, char separator) {
    const QLocale locale = NumberLocale(separator);
    if (chart->locale() != locale) chart->setLocale(locale);
}

QChart* NewChart() {
    auto* chart = new QChart;
    chart->setLocalizeNumbers(true);
    chart->setLocale(NumberLocale('.'));
    chart->setBackgroundRoundness(0);
    chart->setBackgroundBrush(Qt::white);  // the theme's gradient costs a third of a repaint
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->setAnimationOptions(QChart::NoAnimation);
    return chart;
}

// A tick step of 1, 2 or 5 times a power of ten that cuts `span` into at most kIntervals
// intervals, and never less than `least`; 1 for an empty span without a least.
double TickStep(double span, double least) {
    if (!(span > 0)) return least > 0 ? least : 1;
    return std::max(RoundStep(span / kIntervals), least);
}

// The label format of Qt Charts for a fixed number of decimals.
QString DecimalsFormat(int decimals) { return QStringLiteral("%.") + QString::number(decimals) + QLatin1Char('f'); }

// The axis from `low` lowered to a tick to `high` raised to one (at least one step apart), with
// ticks at the multiples of the step and as many decimals as the step needs. Whatever is
// unchanged is left alone: each change lays the chart's labels out anew, which costs more than
// the rest of an update, so an axis whose data stay between the same ticks costs nothing.
void ScaleAxis(QValueAxis* axis, double low, double high, double least) {
    const double step = TickStep(high - low, least);
    const double bottom = std::floor(low / step + 1e-9) * step;
    const double top = std::max(bottom + step, std::ceil(high / step - 1e-9) * step);
    // As many decimals as the step needs ("0", "0,5", "1"; a step is 1, 2 or 5 times a power of
    // ten), however a sum of steps rounds in binary. Qt Charts writes the ticks itself, with the
    // chart's QLocale (the program's separator), never through the C library.
    const QString format = DecimalsFormat(std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9))));
    if (axis->labelFormat() != format) axis->setLabelFormat(format);
    if (axis->tickInterval() != step) axis->setTickInterval(step);
    if (axis->min() != bottom || axis->max() != top) axis->setRange(bottom, top);
}

QValueAxis* NewValueAxis(const QString& title) {
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setMinorTickCount(0);
    return axis;
}

// "dimensión 10", "dimensiones 10 y 20", "dimensiones 3, 10 y 20", "99 dimensiones, de 2 a 100".
QString DimensionsText(std::vector<int> dimensions) {
    std::ranges::sort(dimensions);
    dimensions.erase(std::unique(dimensions.begin(), dimensions.end()), dimensions.end());
    if (dimensions.empty()) return {};
    if (dimensions.size() == 1) return QStringLiteral("dimensión %1").arg(dimensions[0]);
    if (dimensions.size() > 4)
        return QStringLiteral("%1 dimensiones, de %2 a %3").arg(dimensions.size()).arg(dimensions.front()).arg(dimensions.back());
    QStringList first;
    for (std::size_t k = 0; k + 1 < dimensions.size(); ++k) first << QString::number(dimensions[k]);
    return QStringLiteral("dimensiones %1 y %2").arg(first.join(QStringLiteral(", "))).arg(dimensions.back());
}

// The value a bar shows: the double nearest to the distance as a person reads it (six
// significant digits, toolkit::ReadableNumber), so that Qt, writing six significant digits with
// trailing zeros dropped, writes that text and no float noise ("37,7", not "37,699997").
double ShownValue(float value) { return toolkit::StrToFloat(toolkit::ReadableNumber(value, '.'), '.'); }

}  // namespace

// --- Bars of the last trial ---

DistanceBarChart::DistanceBarChart() : chart_(NewChart()) {
    closure = new QBarSet(QStringLiteral("cierre"));
    transitivized = new QBarSet(QStringLiteral("transitivizada"));
    closure->setColor(kClosureColor);
    transitivized->setColor(kTransitivizedColor);
    closure->setBorderColor(kClosureColor);
    transitivized->setBorderColor(kTransitivizedColor);
    closure->setLabelColor(Qt::black);
    transitivized->setLabelColor(Qt::black);
    // Horizontal bars are drawn from the bottom up: W, Prod, Min; in a group, the
    // transitivized bar below the closure's.
    for (int k = 0; k < engine::kTNormCount; ++k) {
        closure->append(0);
        transitivized->append(0);
    }
    auto* series = new QHorizontalBarSeries;
    series->append(transitivized);
    series->append(closure);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    series->setLabelsPrecision(6);
    series->setBarWidth(0.8);
    chart_->addSeries(series);

    auto* tnorms = new QBarCategoryAxis;
    tnorms->append({QStringLiteral("W"), QStringLiteral("Prod"), QStringLiteral("Min")});
    chart_->addAxis(tnorms, Qt::AlignLeft);
    series->attachAxis(tnorms);
    valueAxis = NewValueAxis(QStringLiteral("d1 (suma de las diferencias positivas)"));
    chart_->addAxis(valueAxis, Qt::AlignBottom);
    series->attachAxis(valueAxis);

    chart_->legend()->setAlignment(Qt::AlignTop);
    chart_->legend()->setReverseMarkers(true);  // "cierre" first, as it is drawn above
}

void DistanceBarChart::Show(const engine::Analysis& analysis, const QString& title, char separator) {
    SetSeparator(chart_, separator);
    if (chart_->title() != title) chart_->setTitle(title);
    float longest = 0;
    for (int t = 0; t < engine::kTNormCount; ++t) {
        const int at = engine::kTNormCount - 1 - t;
        closure->replace(at, ShownValue(analysis.d1Closure[t]));
        transitivized->replace(at, ShownValue(analysis.d1Transitivized[t]));
        longest = std::max({longest, analysis.d1Closure[t], analysis.d1Transitivized[t]});
    }
    ScaleAxis(valueAxis, 0, (1 + kLabelRoom) * longest, 0);
}

// --- Curves of the last trials ---

CurveChart::CurveChart(const QString& tnormName) : tnormName_(tnormName), chart_(NewChart()) {
    closure = new QLineSeries;
    transitivized = new QLineSeries;
    closure->setName(QStringLiteral("cierre"));
    transitivized->setName(QStringLiteral("transitivizada"));
    closure->setPen(QPen(kClosureColor, 2));
    transitivized->setPen(QPen(kTransitivizedColor, 2));
    closure->setMarkerSize(6);
    transitivized->setMarkerSize(6);
    chart_->addSeries(closure);
    chart_->addSeries(transitivized);
    trialAxis = NewValueAxis(QStringLiteral("matriz nº"));
    distanceAxis = NewValueAxis(QStringLiteral("d1"));
    chart_->addAxis(trialAxis, Qt::AlignBottom);
    chart_->addAxis(distanceAxis, Qt::AlignLeft);
    for (QLineSeries* series : {closure, transitivized}) {
        series->attachAxis(trialAxis);
        series->attachAxis(distanceAxis);
    }
    chart_->legend()->setAlignment(Qt::AlignTop);
    chart_->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    // The marks follow the plot wherever the layout puts it (in a figure too).
    QObject::connect(chart_, &QChart::plotAreaChanged, chart_, [this] { PlaceChanges(); });
}

void CurveChart::PlaceChanges() {
    const QRectF plot = chart_->plotArea();
    const QFont font = trialAxis->labelsFont();
    for (std::size_t k = 0; k < changes.size(); ++k) {
        auto& [line, text] = changes[k];
        const double x = chart_->mapToPosition(QPointF(shownChanges_[k].firstTrial, 0), closure).x();
        line->setLine(x, plot.top(), x, plot.bottom());
        text->setFont(font);
        text->setPos(x + 3, plot.top() + 2);
    }
}

void CurveChart::Show(const std::vector<uinftab::PlotPoint>& points, int lastTrial, char separator,
                      const std::vector<experiments::DimensionRun>& runs) {
    SetSeparator(chart_, separator);
    const int first = lastTrial - static_cast<int>(points.size()) + 1;
    // The dimensions of the trials shown, and where one starts after another.
    std::vector<int> dimensions;
    std::vector<experiments::DimensionRun> starts;
    for (std::size_t k = 0; k < runs.size() && !points.empty(); ++k) {
        const int end = k + 1 < runs.size() ? runs[k + 1].firstTrial - 1 : lastTrial;
        if (end < first || runs[k].firstTrial > lastTrial) continue;
        dimensions.push_back(runs[k].dimension);
        if (runs[k].firstTrial > first) starts.push_back(runs[k]);
    }
    QString title = tnormName_ + (points.size() == 1 ? QStringLiteral(": d1 (parte entera) de la última matriz")
                                                     : QStringLiteral(": d1 (parte entera) de las últimas %1 matrices")
                                                           .arg(points.size()));
    if (!dimensions.empty()) title += QStringLiteral(" (") + DimensionsText(dimensions) + QLatin1Char(')');
    if (chart_->title() != title) chart_->setTitle(title);
    if (starts != shownChanges_) {
        shownChanges_ = starts;
        for (auto& [line, text] : changes) {
            delete line;
            delete text;
        }
        changes.clear();
        for (const experiments::DimensionRun& run : starts) {
            auto* line = new QGraphicsLineItem(chart_);
            line->setPen(QPen(QColor(90, 90, 90), 1.5, Qt::DashLine));
            auto* text = new QGraphicsSimpleTextItem(QStringLiteral("n = %1").arg(run.dimension), chart_);
            line->setZValue(10);
            text->setZValue(10);
            changes.emplace_back(line, text);
        }
    }
    QList<QPointF> closurePoints, transitivizedPoints;
    closurePoints.reserve(static_cast<qsizetype>(points.size()));
    transitivizedPoints.reserve(static_cast<qsizetype>(points.size()));
    std::int32_t lowest = std::numeric_limits<std::int32_t>::max(), highest = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double trial = first + static_cast<double>(i);
        const std::int32_t x = uinftab::PlotPointX(points[i]);
        const std::int32_t y = uinftab::PlotPointY(points[i]);
        closurePoints.append(QPointF(trial, x));
        transitivizedPoints.append(QPointF(trial, y));
        lowest = std::min({lowest, x, y});
        highest = std::max({highest, x, y});
    }
    closure->replace(closurePoints);
    transitivized->replace(transitivizedPoints);
    // A line needs two points: a few trials are marked one by one.
    const bool marked = points.size() < kMarkedPoints;
    if (closure->pointsVisible() != marked) {
        closure->setPointsVisible(marked);
        transitivized->setPointsVisible(marked);
    }
    ScaleAxis(trialAxis, first, lastTrial, 1);
    ScaleAxis(distanceAxis, std::min(lowest, highest), highest, 1);
    PlaceChanges();
}

// --- Percentages ---

PercentChart::PercentChart() : chart_(NewChart()) {
    percent = new QBarSet(QStringLiteral("%"));
    percent->setColor(kPercentColor);
    percent->setBorderColor(kPercentColor);
    percent->append({0, 0, 0});
    auto* series = new QHorizontalBarSeries;
    series->append(percent);
    series->setBarWidth(0.6);
    chart_->addSeries(series);
    tnormAxis = new QBarCategoryAxis;
    tnormAxis->append({QStringLiteral("W"), QStringLiteral("Prod"), QStringLiteral("Min")});
    chart_->addAxis(tnormAxis, Qt::AlignLeft);
    series->attachAxis(tnormAxis);
    // "Inicia" analyses the zero relation, and that comparison counts as the main window's
    // pies count it: said here, so that a percentage is not quoted as one of trials alone.
    percentAxis = NewValueAxis(QStringLiteral("% de las comparaciones desde «Inicia»"));
    percentAxis->setLabelFormat(DecimalsFormat(0));
    percentAxis->setTickInterval(20);
    percentAxis->setRange(0, 100);
    chart_->addAxis(percentAxis, Qt::AlignBottom);
    series->attachAxis(percentAxis);
    chart_->legend()->hide();
    chart_->setTitle(QStringLiteral("Cierre más lejos que la transitivizada (d1), contando la matriz nula de «Inicia»"));
}

void PercentChart::Show(const experiments::Snapshot& snapshot, char separator) {
    SetSeparator(chart_, separator);
    QStringList categories;
    for (int t = engine::kTNormCount - 1; t >= 0; --t) {
        const int greater = snapshot.closureGreaterCount[t];
        const int notGreater = snapshot.closureNotGreaterCount[t];
        const int p = formats::ClosureGreaterPercent(greater, notGreater);
        percent->replace(engine::kTNormCount - 1 - t, p);
        categories << QStringLiteral("%1: %2 % (%3 de %4)")
                          .arg(QLatin1String(kTNormNames[t]))
                          .arg(p)
                          .arg(greater)
                          .arg(greater + notGreater);
    }
    if (tnormAxis->categories() != categories) tnormAxis->setCategories(categories);
    // A percentage over several dimensions says so: it is not the percentage of any of them.
    std::vector<int> dimensions;
    for (const experiments::DimensionRun& run : snapshot.dimensionRuns) dimensions.push_back(run.dimension);
    // On a line of its own: the axis is half as wide as the window.
    QString counted = QStringLiteral("% de las comparaciones desde «Inicia»");
    if (const QString text = DimensionsText(dimensions); !text.isEmpty())
        counted = QStringLiteral("<center>") + counted + QStringLiteral("<br>") +
                  (text.startsWith(QStringLiteral("dimensión ")) ? QStringLiteral("en ") : QStringLiteral("que mezclan las ")) +
                  text + QStringLiteral("</center>");
    if (percentAxis->titleText() != counted) percentAxis->setTitleText(counted);
}

double RoundStep(double rough) {
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double m : {1.0, 2.0, 5.0})
        if (m * power >= rough) return m * power;
    return 10 * power;
}

}  // namespace ui
