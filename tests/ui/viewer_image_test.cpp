// The viewers as a person sees them, read off the rendered window: each cell shows its value
// (with the sign its difference mode promises) in ink that stands out from the cell, and the
// legend's labels run from the low end at the bottom to the scale's top.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support.h"
#include "tests/ui/form_fixture.h"
#include "toolkit/number_text.h"
#include "ui/matrix_viewer.h"

namespace {

// WCAG contrast ratio of two colours.
double Contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double first = luminance(a), second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

int Distance(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
}

// The ink in `area` on `background`: the pixels nearer the most different colour (`ink`)
// than the background, as a mask cropped to their bounding box; null where nothing is drawn.
QImage InkShape(const QImage& image, const QRect& area, const QColor& background, QColor* ink = nullptr) {
    int most = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (const QColor c = image.pixelColor(x, y); Distance(c, background) > most) {
                most = Distance(c, background);
                if (ink) *ink = c;
            }
    if (most < 48) return {};
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (2 * Distance(image.pixelColor(x, y), background) > most) box |= QRect(x, y, 1, 1);
    QImage shape(box.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < box.height(); ++y)
        for (int x = 0; x < box.width(); ++x)
            shape.setPixel(x, y, 2 * Distance(image.pixelColor(box.topLeft() + QPoint(x, y)), background) > most ? 0 : 255);
    return shape;
}

// Whether `shape` is `text` as `font` writes it, but for a few pixels of antialiasing.
bool Reads(const QImage& shape, const QString& text, const QFont& font) {
    const QFontMetrics metrics(font);
    QImage drawn(metrics.horizontalAdvance(text) + 20, metrics.height() + 20, QImage::Format_RGB32);
    drawn.fill(Qt::white);
    {
        QPainter painter(&drawn);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(10, 10 + metrics.ascent(), text);
    }
    const QImage expected = InkShape(drawn, drawn.rect(), Qt::white);
    if (shape.size() != expected.size()) return false;
    int differing = 0;
    for (int y = 0; y < shape.height(); ++y)
        for (int x = 0; x < shape.width(); ++x) differing += shape.pixel(x, y) != expected.pixel(x, y);
    return differing * 20 <= shape.width() * shape.height();
}

// The legend's labels from top to bottom, as ink shapes: rows of ink right of the colour bar
// (and its ticks), apart from each other.
std::vector<QImage> LegendLabels(QWidget& legend) {
    const QImage image = legend.grab().toImage();
    const QColor background = image.pixelColor(image.width() - 1, image.height() / 4);
    int barEnd = image.width() - 1;
    while (barEnd > 0 && image.pixelColor(barEnd, image.height() / 4) == background) --barEnd;
    const int left = barEnd + 5;
    std::vector<QImage> labels;
    for (int y = 0, top = -1; y <= image.height(); ++y) {
        bool ink = false;
        for (int x = left; y < image.height() && x < image.width() && !ink; ++x)
            ink = Distance(image.pixelColor(x, y), background) >= 48;
        if (ink && top < 0) top = y;
        if (!ink && top >= 0) {
            labels.push_back(InkShape(image, QRect(left, top, image.width() - left, y - top), background));
            top = -1;
        }
    }
    return labels;
}

class ViewerImage : public ui_test::FormTest {};

using Member = engine::RelationMatrix engine::Analysis::*;
enum class Shows { Degrees, ClosureMinusRelation, RelationMinusTransitivized, Steps };

TEST_F(ViewerImage, ViewersDrawEachValueWithItsSignInContrastingInkAndTheLegendFromLowToTop) {
    Start(engine::kZorvane);
    constexpr int n = 4;
    E().dimension = n;
    const auto changed = [&](const engine::RelationMatrix& result) {
        for (int k = 0; k < n * n; ++k)
            if (result[k / n][k % n] != E().relation[k / n][k % n]) return true;
        return false;
    };
    const engine::Analysis& a = E().results;
    do Click("Button1");  // a relation that every closure and transitivization changes
    while (E().trialCount < 50 && !std::ranges::all_of(std::array{0, 1, 2}, [&](int t) {
        return changed(a.Closure(engine::TNorm(t))) && changed(a.Transitivized(engine::TNorm(t)));
    }));
    // Matrix, what it shows, and the scale's top (0: the largest difference).
    const std::tuple<int, Member, Shows, double> cases[] = {
        {1, nullptr, Shows::Degrees, 1},
        {2, &engine::Analysis::minClosure, Shows::Degrees, 1},
        {2, &engine::Analysis::minClosure, Shows::ClosureMinusRelation, 0},
        {3, &engine::Analysis::prodClosure, Shows::ClosureMinusRelation, 0},
        {4, &engine::Analysis::wClosure, Shows::ClosureMinusRelation, 0},
        {5, &engine::Analysis::minTransitivized, Shows::Degrees, 1},
        {5, &engine::Analysis::minTransitivized, Shows::RelationMinusTransitivized, 0},
        {6, &engine::Analysis::prodTransitivized, Shows::RelationMinusTransitivized, 0},
        {7, &engine::Analysis::wTransitivized, Shows::RelationMinusTransitivized, 0},
        {8, &engine::Analysis::minOrder, Shows::Steps, n * n},
        {9, &engine::Analysis::prodOrder, Shows::Steps, n * n},
        {10, &engine::Analysis::wOrder, Shows::Steps, n * n},
    };
    for (const auto& [matrix, member, shows, scaleTop] : cases) {
        ui::MatrixViewer& viewer = form->OpenViewer(matrix);
        viewer.resize(900, 700);
        viewer.SetZoomLevel(ui::MatrixViewer::kZoomLevels - 1);  // room for every text
        const bool difference = shows == Shows::ClosureMinusRelation || shows == Shows::RelationMinusTransitivized;
        if (auto* mode = viewer.findChild<QAction*>("Diferencia"); mode->isChecked() != difference) mode->trigger();
        QCoreApplication::processEvents();
        const QImage image = viewer.view().viewport()->grab().toImage();
        const QFont font = viewer.view().CellFont();
        float largest = 0;
        int texts = 0;
        for (int row = 0; row < n; ++row)
            for (int col = 0; col < n; ++col) {
                const float relation = E().relation[row][col], value = member ? (a.*member)[row][col] : relation;
                const float shown = shows == Shows::ClosureMinusRelation         ? value - relation
                                    : shows == Shows::RelationMinusTransitivized ? relation - value
                                                                                 : value;
                largest = std::max(largest, shown);
                const QRect cell = viewer.view().visualRect(viewer.model().index(row, col)).adjusted(1, 1, -1, -1);
                const QColor background = image.pixelColor(cell.topLeft());
                QColor ink;
                const QImage shape = InkShape(image, cell, background, &ink);
                const QString expected = difference && shown == 0.0f
                                             ? QString()
                                             : QString::fromStdString(toolkit::ReadableNumber(shown, ','));
                const std::string where = "matrix " + std::to_string(matrix) + (difference ? " difference" : "") +
                                          " at " + std::to_string(row) + "," + std::to_string(col) + ": " +
                                          expected.toStdString();
                if (expected.isEmpty()) {
                    EXPECT_TRUE(shape.isNull()) << where;
                    continue;
                }
                ++texts;
                EXPECT_TRUE(Reads(shape, expected, font)) << where;
                // Dark ink on a light cell, light ink on a dark one, whichever stands out more.
                const bool lightCell = Contrast(background, Qt::black) > Contrast(background, Qt::white);
                EXPECT_EQ(ink.lightnessF() < background.lightnessF(), lightCell) << where;
                EXPECT_GE(Contrast(ink, background), 3.0) << where;
            }
        EXPECT_GT(texts, 0) << matrix;
        const double top = scaleTop > 0 ? scaleTop : largest;
        QWidget& legend = *viewer.findChild<QWidget*>("Leyenda");
        const std::vector<QImage> labels = LegendLabels(legend);
        ASSERT_EQ(labels.size(), 3u) << matrix;
        for (int k = 0; k < 3; ++k) {  // from the top down
            const double at = top * (2 - k) / 2;
            EXPECT_TRUE(Reads(labels[std::size_t(k)], QString::fromStdString(toolkit::ReadableNumber(at, ',')), legend.font()))
                << "matrix " << matrix << (difference ? " difference" : "") << ", legend label " << k << " should read " << at;
        }
    }
}

// 0,8 − 0,6 in floats is 0,19999999: the cell reads "0,2" until "Exactas" asks for every digit,
// and a copy keeps them all.
TEST_F(ViewerImage, ACellReadsAsTypedWithoutFloatNoiseAndExactlyOnRequest) {
    Start(engine::kZorvane);
    const test_support::ScratchDir dir("viewer_cell");
    std::ofstream(dir / "m.txt") << "1;0,8;0,6\n0;1;0,8\n0;0;1\n";
    dialogs.openName = QString::fromStdString((dir / "m.txt").string());
    Click("Cargarmatriz1");
    ui::MatrixViewer& viewer = form->OpenViewer(2);  // the Min closure raises [0][2] to 0,8
    viewer.resize(900, 700);
    viewer.SetZoomLevel(ui::MatrixViewer::kZoomLevels - 1);
    viewer.findChild<QAction*>("Diferencia")->trigger();
    const auto cellReads = [&](const char* text) {
        QCoreApplication::processEvents();
        const QImage image = viewer.view().viewport()->grab().toImage();
        const QRect cell = viewer.view().visualRect(viewer.model().index(0, 2)).adjusted(1, 1, -1, -1);
        return Reads(InkShape(image, cell, image.pixelColor(cell.topLeft())), text, viewer.view().CellFont());
    };
    const std::pair<const char*, const char*> modes[] = {{nullptr, "0,2"}, {"Exactas", "0,19999999"},
                                                         {"TresCifras", "0,2"}, {"TresCifras", "0,2"}};
    for (const auto& [action, text] : modes) {
        if (action) viewer.findChild<QAction*>(action)->trigger();
        EXPECT_TRUE(cellReads(text)) << (action ? action : "") << " " << text;
    }
    EXPECT_FALSE(viewer.findChild<QAction*>("Exactas")->isChecked());  // one mode at a time
    EXPECT_EQ(viewer.model().FullText(0, 2), "0,19999999");
}

}  // namespace
