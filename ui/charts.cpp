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
    const double rough = span / kIntervals;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = 10 * power;
    for (const double m : {1.0, 2.0, 5.0})
        if (m * power >= rough) {
            step = m * power;
            break;
        }
    return std::max(step, least);
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
}

void CurveChart::Show(const std::vector<uinftab::PlotPoint>& points, int lastTrial, char separator) {
    SetSeparator(chart_, separator);
    const QString title = tnormName_ + (points.size() == 1 ? QStringLiteral(": d1 (parte entera) de la última matriz")
                                                           : QStringLiteral(": d1 (parte entera) de las últimas %1 matrices")
                                                                 .arg(points.size()));
    if (chart_->title() != title) chart_->setTitle(title);
    QList<QPointF> closurePoints, transitivizedPoints;
    closurePoints.reserve(static_cast<qsizetype>(points.size()));
    transitivizedPoints.reserve(static_cast<qsizetype>(points.size()));
    const int first = lastTrial - static_cast<int>(points.size()) + 1;
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
    QValueAxis* axis = NewValueAxis(QStringLiteral("% de las comparaciones desde «Inicia»"));
    axis->setLabelFormat(DecimalsFormat(0));
    axis->setTickInterval(20);
    axis->setRange(0, 100);
    chart_->addAxis(axis, Qt::AlignBottom);
    series->attachAxis(axis);
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
}

}  // namespace ui
