#include "ui/tnorm_figures.h"

#include <QDir>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>

#include "toolkit/number_text.h"
#include "ui/charts.h"
#include "ui/figure_export.h"
#include "ui/heat_map.h"

namespace ui {

namespace {

// The colours of the charts window: Okabe and Ito's, told apart with any colour blindness.
const QColor kClosureColor(0, 114, 178);
const QColor kTransitivizedColor(213, 94, 0);
const QColor kLimitColor(110, 110, 110);

QString Number(double value, char separator) {
    return QString::fromStdString(toolkit::FloatToStrF(value, 4, 1, separator));
}

// Ticks at 1, 2 or 5 times a power of ten, about `intervals` intervals over [low, high]; with
// `cover`, one more tick at either end where the ticks fall short of [low, high].
std::vector<double> LinearTicks(double low, double high, int intervals = 6, bool cover = false) {
    const double span = high - low;
    if (!(span > 0)) return {low};
    const double step = RoundStep(span / intervals);
    std::vector<double> ticks;
    for (double k = std::ceil(low / step - 1e-9); k * step <= high + step * 1e-9; ++k)
        ticks.push_back(k * step == 0 ? 0.0 : k * step);  // no "-0"
    if (cover && ticks.back() < high) ticks.push_back(ticks.back() + step);
    if (cover && ticks.front() > low) ticks.insert(ticks.begin(), ticks.front() - step);
    return ticks;
}

// Powers of ten over [low, high] (both > 0), with 2 and 5 between them when there are few.
std::vector<double> LogTicks(double low, double high) {
    std::vector<double> ticks;
    const int first = static_cast<int>(std::floor(std::log10(low) + 1e-9));
    const int last = static_cast<int>(std::ceil(std::log10(high) - 1e-9));
    const bool fine = last - first <= 2;
    for (int e = first; e <= last; ++e)
        for (const double m : {1.0, 2.0, 5.0}) {
            if (m != 1.0 && !fine) continue;
            const double v = m * std::pow(10.0, e);
            if (v >= low * (1 - 1e-9) && v <= high * (1 + 1e-9)) ticks.push_back(v);
        }
    return ticks;
}

const char* CoreName(engine::TNorm t) { return t == engine::Min ? "Min" : t == engine::Prod ? "Prod" : "W"; }

}  // namespace

std::shared_ptr<const experiments::Snapshot> FamilySnapshot(int n, int trialCount, const engine::RelationMatrix& relation,
                                                            const engine::FamilyAnalysis& analysis) {
    auto snapshot = std::make_shared<experiments::Snapshot>();
    snapshot->dimension = n;
    snapshot->trialCount = trialCount;
    snapshot->relation = relation;
    snapshot->results.minClosure = analysis.closure;
    snapshot->results.minTransitivized = analysis.transitivized;
    return snapshot;
}

QString FamilyTitle(int matrix, const engine::AnyTNorm& t) {
    const QString name = QString::fromStdString(t.Name());
    return matrix == kFamilyClosure ? QStringLiteral("Cierre %1-transitivo").arg(name)
                                    : QStringLiteral("Matriz %1-transitivizada").arg(name);
}

QString FamilyFileName(int matrix, const engine::AnyTNorm& t) {
    QString name = QString::fromStdString(t.Name());
    name.replace(QLatin1Char(':'), QLatin1Char('_'));
    return (matrix == kFamilyClosure ? QStringLiteral("cierre_") : QStringLiteral("transitivizada_")) + name;
}

void SaveFamilyFigures(std::shared_ptr<const experiments::Snapshot> snapshot, const engine::AnyTNorm& t,
                       bool transitivizable, const QString& folder, const QFont& font) {
    for (const int matrix : {kFamilyClosure, kFamilyTransitivized}) {
        if (matrix == kFamilyTransitivized && !transitivizable) continue;
        HeatMapModel model(matrix);
        model.SetSnapshot(snapshot);
        model.SetTitle(FamilyTitle(matrix, t));
        const auto paint = [&](QPainter& painter, const QRect& area) {
            painter.setFont(font);
            PaintHeatMap(painter, area, model);
        };
        for (const char* extension : {".svg", ".png"})
            SaveFigure(QDir(folder).filePath(FamilyFileName(matrix, t) + QLatin1String(extension)),
                       HeatMapFigureSize(snapshot->dimension, font), paint);
    }
}

QString FamilyName(const engine::AnyTNorm& t) {
    const std::string name = t.Name();
    return QString::fromStdString(name.substr(0, name.find(':')));
}

QString TNormText(const engine::AnyTNorm& t) {
    return QString::fromStdString(t.Name()).replace(QLatin1Char('.'), QLatin1Char(toolkit::DecimalSeparator()));
}

void PaintSweep(QPainter& painter, const QRect& area, const SweepChart& chart, char separator) {
    painter.save();
    painter.fillRect(area, Qt::white);
    const QFontMetrics metrics(painter.font());
    const int line = metrics.height();
    painter.setPen(Qt::black);
    painter.drawText(QRect(area.left(), area.top() + 4, area.width(), line), Qt::AlignCenter,
                     QStringLiteral("d1 del cierre y de la transitivizada según el parámetro de %1 (dimensión %2)")
                         .arg(chart.family)
                         .arg(chart.dimension));
    // The legend under the title.
    const int legendY = area.top() + 8 + line + line / 2;
    int x = area.left() + area.width() / 2 - 110;
    for (const auto& [colour, text] : {std::pair(kClosureColor, QStringLiteral("cierre")),
                                       std::pair(kTransitivizedColor, QStringLiteral("transitivizada"))}) {
        painter.setPen(QPen(colour, 2));
        painter.drawLine(x, legendY, x + 24, legendY);
        painter.setPen(Qt::black);
        painter.drawText(QPoint(x + 30, legendY + metrics.ascent() / 2 - 1), text);
        x += 30 + metrics.horizontalAdvance(text) + 30;
    }

    std::vector<const experiments::SweepPoint*> points;
    for (const experiments::SweepPoint& p : chart.points)
        if (!chart.logScale || p.t.parameter() > 0) points.push_back(&p);
    if (points.empty()) {
        painter.restore();
        return;
    }
    double xLow = points.front()->t.parameter(), xHigh = points.back()->t.parameter();
    if (chart.marked && (!chart.logScale || *chart.marked > 0)) {
        xLow = std::min(xLow, *chart.marked);
        xHigh = std::max(xHigh, *chart.marked);
    }
    double yHigh = 0, yLow = std::numeric_limits<double>::max();
    for (const experiments::SweepPoint* p : points) {
        yHigh = std::max({yHigh, double(p->d1Closure), double(p->d1Transitivized)});
        yLow = std::min({yLow, double(p->d1Closure), p->transitivizable ? double(p->d1Transitivized) : yLow});
    }
    // From 0 unless the curves lie far above it: at large n they differ by a few per cent.
    if (yLow < 0.7 * yHigh) yLow = 0;
    const std::vector<double> yTicks = LinearTicks(yLow, yHigh > yLow ? yHigh : yLow + 1, 5, true);
    yLow = yTicks.front();
    yHigh = yTicks.back();
    const std::vector<double> xTicks = chart.logScale ? LogTicks(xLow, xHigh) : LinearTicks(xLow, xHigh);

    int yLabelWidth = 0;
    for (const double v : yTicks) yLabelWidth = std::max(yLabelWidth, metrics.horizontalAdvance(Number(v, separator)));
    // Room on the right for half the last number under the axis.
    const int right = std::max(16, metrics.horizontalAdvance(Number(xTicks.back(), separator)) / 2 + 8);
    // Above the plot, the names of Min, Prod and W where the family passes through them.
    const QRect plot(QPoint(area.left() + yLabelWidth + 14 + line, legendY + 2 * line + 4),
                     QPoint(area.right() - right, area.bottom() - 2 * line - 14));
    if (plot.width() < 20 || plot.height() < 20) {
        painter.restore();
        return;
    }
    const auto X = [&](double v) {
        const double f = xHigh == xLow ? 0.5
                         : chart.logScale ? (std::log(v) - std::log(xLow)) / (std::log(xHigh) - std::log(xLow))
                                          : (v - xLow) / (xHigh - xLow);
        return plot.left() + f * plot.width();
    };
    const auto Y = [&](double v) { return plot.bottom() - (v - yLow) / (yHigh - yLow) * plot.height(); };

    // Grid, ticks and their numbers.
    painter.setPen(QPen(QColor(225, 225, 225), 1));
    for (const double v : yTicks) painter.drawLine(QPointF(plot.left(), Y(v)), QPointF(plot.right(), Y(v)));
    for (const double v : xTicks) painter.drawLine(QPointF(X(v), plot.top()), QPointF(X(v), plot.bottom()));
    painter.setPen(Qt::black);
    painter.drawRect(plot);
    for (const double v : yTicks)
        painter.drawText(QRectF(area.left(), Y(v) - line / 2.0, plot.left() - area.left() - 6, line),
                         Qt::AlignRight | Qt::AlignVCenter, Number(v, separator));
    for (const double v : xTicks)
        painter.drawText(QRectF(X(v) - 50, plot.bottom() + 4, 100, line), Qt::AlignHCenter | Qt::AlignTop, Number(v, separator));
    painter.drawText(QRect(plot.left(), plot.bottom() + 6 + line, plot.width(), line), Qt::AlignCenter,
                     chart.logScale ? QStringLiteral("parámetro (escala logarítmica)") : QStringLiteral("parámetro"));
    painter.save();
    painter.translate(area.left() + 2, plot.center().y());
    painter.rotate(-90);
    painter.drawText(QRect(-plot.height() / 2, 0, plot.height(), line), Qt::AlignCenter, QStringLiteral("d1"));
    painter.restore();

    // Where the family passes through Min, Prod or W, and the marked value.
    painter.setClipRect(QRect(area.left(), plot.top() - line - 4, area.width(), plot.height() + line + 8));
    for (const experiments::SweepPoint* p : points) {
        if (!p->core) continue;
        const double at = X(p->t.parameter());
        painter.setPen(QPen(kLimitColor, 1, Qt::DashLine));
        painter.drawLine(QPointF(at, plot.top()), QPointF(at, plot.bottom()));
        painter.setPen(kLimitColor);
        painter.drawText(QRectF(at - 40, plot.top() - line - 2, 80, line), Qt::AlignHCenter | Qt::AlignBottom,
                         QString::fromLatin1(CoreName(*p->core)));
    }
    if (chart.marked && (!chart.logScale || *chart.marked > 0)) {
        const double at = X(*chart.marked);
        painter.setPen(QPen(Qt::black, 2));
        painter.drawLine(QPointF(at, plot.top()), QPointF(at, plot.bottom()));
        const QString text = Number(*chart.marked, separator);
        const double width = metrics.horizontalAdvance(text) + 8;
        const bool right = at + width < plot.right();
        painter.drawText(QRectF(right ? at + 4 : at - width, plot.bottom() - line - 2, width - 4, line),
                         right ? Qt::AlignLeft : Qt::AlignRight, text);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    for (const bool closure : {true, false}) {
        const QColor colour = closure ? kClosureColor : kTransitivizedColor;
        QPainterPath path;
        bool started = false;
        for (const experiments::SweepPoint* p : points) {
            if (!closure && !p->transitivizable) continue;
            const QPointF at(X(p->t.parameter()), Y(closure ? p->d1Closure : p->d1Transitivized));
            if (started) path.lineTo(at);
            else path.moveTo(at);
            started = true;
        }
        painter.setPen(QPen(colour, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
        painter.setBrush(colour);
        painter.setPen(Qt::NoPen);
        for (const experiments::SweepPoint* p : points)
            if (p->core && (closure || p->transitivizable))
                painter.drawEllipse(QPointF(X(p->t.parameter()), Y(closure ? p->d1Closure : p->d1Transitivized)), 4, 4);
    }
    painter.restore();
}

void SaveSweepFigures(const SweepChart& chart, const QString& folder, char separator) {
    for (const char* extension : {".svg", ".png"})
        SaveFigure(QDir(folder).filePath(QStringLiteral("barrido_") + chart.family + QLatin1String(extension)),
                   kSweepFigureSize,
                   [&](QPainter& painter, const QRect& area) { PaintSweep(painter, area, chart, separator); });
}

}  // namespace ui
