// Heat maps drawn with a painter: the legend, the layout by dimension and font, figures to files.
#include "ui/heat_map.h"

#include <QDir>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "toolkit/number_text.h"
#include "ui/figure_export.h"

namespace ui {

namespace {

QString ScaleText(double value) { return QString::fromStdString(toolkit::ReadableNumber(value)); }

// The widest text of a legend: six digits of a difference below 1.
const QString kWidestScaleText = QStringLiteral("0,000000");

}  // namespace

int LegendWidth(const QFont& font, int barWidth) {
    const QFontMetrics metrics(font);
    return barWidth + 6 + metrics.horizontalAdvance(kWidestScaleText);
}

void PaintLegend(QPainter& painter, const QRect& area, double low, double high, ColourScale scale) {
    const QFontMetrics metrics(painter.font());
    const int barWidth = std::max(8, area.width() - metrics.horizontalAdvance(kWidestScaleText) - 6);
    const int top = area.top() + metrics.height() / 2, bottom = area.bottom() - metrics.height() / 2;
    const int height = std::max(1, bottom - top + 1);
    for (int y = 0; y < height; ++y)
        painter.fillRect(QRect(area.left(), bottom - y, barWidth, 1),
                         HeatColor(height > 1 ? double(y) / (height - 1) : 0, scale));
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(area.left(), top, barWidth, height).adjusted(0, 0, -1, -1));
    const double values[] = {high, (low + high) / 2, low};
    const int ys[] = {top, (top + bottom) / 2, bottom};
    for (int k = 0; k < 3; ++k) {
        painter.drawLine(area.left() + barWidth, ys[k], area.left() + barWidth + 3, ys[k]);
        painter.drawText(QRect(area.left() + barWidth + 6, ys[k] - metrics.height() / 2, area.width(), metrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, ScaleText(values[k]));
    }
}

int LabelStep(int cell, int width) {
    for (int step : {1, 2, 5, 10, 20, 25, 50})
        if (step * cell >= width + 4) return step;
    return 100;
}

bool FirstLabelFits(int step, int cell, int width) { return step == 1 || (step - 1) * cell >= width + 4; }

namespace {

constexpr int kTextCellLimit = 12;  // above this n a figure shows squares without texts

int WidestText(const HeatMapModel& model, const QFontMetrics& metrics) {
    int widest = 0;
    for (int row = 0; row < model.Size(); ++row)
        for (int col = 0; col < model.Size(); ++col)
            widest = std::max(widest, metrics.horizontalAdvance(model.Text(row, col)));
    return widest;
}

// The parts of a heat-map figure, all from the font alone, so that every matrix of a
// dimension is laid out alike.
struct FigureLayout {
    explicit FigureLayout(const QFontMetrics& metrics)
        : line(metrics.height()),
          axisTitle(line + 4),
          numbers(metrics.horizontalAdvance(QStringLiteral("100")) + 8),
          legendBar(std::max(16, line)),
          gap(std::max(16, line)) {}
    int line, axisTitle, numbers, legendBar, gap;
    int Above() const { return (line + 4) + line + (line + 4); }  // title, "columna", numbers
    int Left() const { return axisTitle + numbers; }               // "fila", numbers
};

}  // namespace

QSize HeatMapFigureSize(int n, const QFont& font) {
    const QFontMetrics metrics(font);
    const FigureLayout layout(metrics);
    n = std::max(n, 1);
    const int cell = n <= kTextCellLimit
                         ? std::max(metrics.horizontalAdvance(kWidestScaleText) + 10, 2 * layout.line)
                         : std::max(4, 48 * layout.line / n);
    return {layout.Left() + n * cell + layout.gap + LegendWidth(font, layout.legendBar) + 8,
            layout.Above() + n * cell + 8};
}

void PaintHeatMap(QPainter& painter, const QRect& area, const HeatMapModel& model, ColourScale scale) {
    const QFontMetrics metrics(painter.font());
    const FigureLayout layout(metrics);
    const int n = model.Size();
    painter.fillRect(area, Qt::white);
    painter.setPen(Qt::black);
    const QRect titleRect(area.left(), area.top(), area.width(), layout.line + 4);
    QString title = model.Title();
    if (model.difference())
        title += model.matrix() <= 4 ? QStringLiteral(": cierre − relación") : QStringLiteral(": relación − transitivizada");
    painter.drawText(titleRect, Qt::AlignCenter, title);
    if (n == 0) return;
    const int legend = LegendWidth(painter.font(), layout.legendBar);
    const int top = area.top() + layout.Above();
    const int left = area.left() + layout.Left();
    const int cell = std::max(1, std::min((area.right() - layout.gap - legend - left) / n, (area.bottom() - 8 - top) / n));
    const int numberWidth = metrics.horizontalAdvance(QString::number(n));
    const int step = std::max(LabelStep(cell, numberWidth), LabelStep(cell, layout.line));
    const bool first = FirstLabelFits(step, cell, std::max(numberWidth, layout.line));
    const bool texts = cell >= layout.line && cell >= WidestText(model, metrics) + 4;
    // Axis titles: "columna" over the column numbers, "fila" up the left side.
    painter.drawText(QRect(left, titleRect.bottom() + 1, n * cell, layout.line), Qt::AlignCenter,
                     QStringLiteral("columna"));
    painter.save();
    painter.translate(area.left(), top + n * cell / 2);
    painter.rotate(-90);
    painter.drawText(QRect(-n * cell / 2, 0, n * cell, layout.axisTitle), Qt::AlignCenter, QStringLiteral("fila"));
    painter.restore();
    // Each number centred on its row or column, free to spread over its unnumbered neighbours.
    const int labelWidth = metrics.horizontalAdvance(QString::number(n)) + layout.line;
    for (int k = 0; k < n; ++k) {
        if (!(k == 0 && first) && (k + 1) % step != 0) continue;
        const QString label = QString::number(k + 1);
        const int middle = k * cell + cell / 2;
        painter.drawText(QRect(left + middle - labelWidth / 2, top - layout.line - 2, labelWidth, layout.line),
                         Qt::AlignHCenter | Qt::AlignBottom, label);
        painter.drawText(QRect(area.left() + layout.axisTitle, top + middle - layout.line / 2, layout.numbers - 4, layout.line),
                         Qt::AlignRight | Qt::AlignVCenter, label);
    }
    for (int row = 0; row < n; ++row)
        for (int col = 0; col < n; ++col) {
            const QRect rect(left + col * cell, top + row * cell, cell, cell);
            const QColor background(model.Background(row, col, scale));
            painter.fillRect(rect, background);
            if (!texts) continue;
            painter.setPen(ContrastingText(background));
            painter.drawText(rect, Qt::AlignCenter, model.Text(row, col));
        }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(left, top, n * cell, n * cell).adjusted(0, 0, -1, -1));
    PaintLegend(painter, QRect(left + n * cell + layout.gap, top, legend, n * cell), model.Low(), model.High(), scale);
}

void SaveHeatMapFigure(const QString& path, const HeatMapModel& model, const FigureSettings& settings) {
    const QFont font = settings.Font();
    SaveFigure(path, settings.PixelSize(HeatMapFigureSize(model.Size(), font)), [&](QPainter& painter, const QRect& area) {
        painter.setFont(font);
        PaintHeatMap(painter, area, model, settings.scale);
    }, settings.resolution);
}

void SaveMatrixFigures(const experiments::Snapshot& snapshot, const QString& folder, const FigureSettings& settings) {
    auto shared = std::make_shared<const experiments::Snapshot>(snapshot);
    for (int matrix = 1; matrix <= 7; ++matrix)
        for (const bool difference : {false, true}) {
            if (difference && !HasDifference(matrix)) continue;
            HeatMapModel model(matrix);
            model.SetSnapshot(shared);
            model.SetDifference(difference);
            const QString name = (difference ? QStringLiteral("diferencia_") : QString()) + MatrixFileName(matrix);
            for (const FigureFormat format : settings.formats)
                SaveHeatMapFigure(QDir(folder).filePath(name + FigureExtension(format)), model, settings);
        }
}

}  // namespace ui
