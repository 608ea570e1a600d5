// The matrix viewer as a person sees it: where each value lands, its colours and legend, the
// difference mode, the zoom, following the experiment, copies and pictures, the ways to open it.
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTest>
#include <QWheelEvent>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <fstream>

#include "tests/support.h"
#include "tests/ui/form_fixture.h"
#include "ui/heat_map.h"
#include "ui/matrix_viewer.h"

namespace {

bool Near(const QColor& a, const QColor& b, int tolerance = 4) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())}) <= tolerance;
}

class ViewerTest : public ui_test::FormTest {
protected:
    // Zorvane (comma) with the relation of `rows` loaded as from "Cargar matriz".
    void Load(const char* rows) {
        Start(engine::kZorvane);
        std::ofstream(dir / "m.txt") << rows;
        dialogs.openName = QString::fromStdString((dir / "m.txt").string());
        Click("Cargarmatriz1");
        ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("\n");
    }
    ui::MatrixViewer& Open(int matrix) {
        ui::MatrixViewer& viewer = form->OpenViewer(matrix);
        viewer.resize(700, 500);
        QCoreApplication::processEvents();
        return viewer;
    }
    // The colour a person sees just inside the top-left corner of the cell at (row, col).
    static QColor SeenAt(ui::MatrixViewer& viewer, int row, int col) {
        const QImage image = viewer.view().viewport()->grab().toImage();
        const QRect cell = viewer.view().visualRect(viewer.model().index(row, col));
        return image.pixelColor(cell.topLeft() + QPoint(3, 3));
    }

    const test_support::ScratchDir dir{"viewer"};
};

TEST_F(ViewerTest, EachValueLandsAtItsRowAndColumnAsTheResultTextsCountThemAndDifferences) {
    // Not symmetric: row r, column c must show [c][r].
    Load("1;0,4762;0\n0;1;0,5\n0;0;1\n");
    ui::MatrixViewer& viewer = Open(1);
    EXPECT_EQ(viewer.windowTitle(), "Matriz inicial");
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(viewer.model().headerData(row, Qt::Vertical, Qt::DisplayRole).toString(), QString::number(row + 1));
        EXPECT_EQ(viewer.model().headerData(row, Qt::Horizontal, Qt::DisplayRole).toString(), QString::number(row + 1));
        for (int col = 0; col < 3; ++col) {
            EXPECT_EQ(viewer.model().Text(row, col), Grid(1)->FullText(col, row)) << row << col;
            EXPECT_TRUE(Near(SeenAt(viewer, row, col), ui::HeatColor(E().relation[std::size_t(col)][std::size_t(row)]), 1)) << row << col;
        }
    }
    // "dist1 máxima … en (a, b)": the largest difference of each result is at row a, column b.
    const QRegularExpression position(QStringLiteral("en \\((\\d+), (\\d+)\\)"));
    for (int matrix = 2; matrix <= 7; ++matrix) {
        ui::MatrixViewer& result = Open(matrix);
        result.findChild<QAction*>("IrDiferenciaMaxima")->trigger();
        const QRegularExpressionMatch match = position.match(Label(matrix)->text());
        ASSERT_TRUE(match.hasMatch()) << Label(matrix)->text();
        const QModelIndex current = result.view().currentIndex();
        EXPECT_EQ(QString("en (%1, %2)").arg(current.row() + 1).arg(current.column() + 1), match.captured(0)) << matrix;
    }
    // Difference mode: 1 → 2 → 3 at 0.4762 and 0.5, the Min closure raises [0][2] to 0.4762 and nothing else.
    ui::MatrixViewer& closure = Open(2);
    closure.findChild<QAction*>("Diferencia")->trigger();
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            const bool raised = row == 2 && col == 0;
            EXPECT_EQ(closure.model().Text(row, col), raised ? "0,4762" : "") << row << col;
            EXPECT_EQ(SeenAt(closure, row, col), raised ? ui::HeatColor(1.0) : QColor(Qt::white)) << row << col;
        }
    EXPECT_TRUE(closure.model().ToolTip(2, 0).endsWith("Relación: 0\nDiferencia (cierre − relación): 0,4762"));
    // The relation and the visit orders have no difference to show.
    EXPECT_FALSE(Open(1).findChild<QAction*>("Diferencia")->isEnabled());
    EXPECT_FALSE(Open(8).findChild<QAction*>("IrDiferenciaMaxima")->isEnabled());
    // Copies and pictures hold the values in full.
    auto& selection = *viewer.view().selectionModel();
    selection.select(viewer.model().index(1, 0), QItemSelectionModel::Select);
    selection.select(viewer.model().index(1, 1), QItemSelectionModel::Select);
    viewer.findChild<QAction*>("Copiar")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "0,4762\t1\r\n");

    dialogs.saveName = QString::fromStdString((dir / "m.svg").string());
    viewer.findChild<QAction*>("GuardarImagen")->trigger();
    const std::string svg = test_support::Contents(dir / "m.svg");
    QXmlStreamReader xml(QByteArray::fromStdString(svg));
    while (!xml.atEnd()) xml.readNext();
    EXPECT_FALSE(xml.hasError());
    for (const char* text : {"0,4762", "0,5", ">1<", "Matriz inicial"}) EXPECT_NE(svg.find(text), std::string::npos) << text;

    for (const char* name : {"m.png", "m.jpg"}) {
        dialogs.saveName = QString::fromStdString((dir / name).string());
        viewer.findChild<QAction*>("GuardarImagen")->trigger();
    }
    EXPECT_EQ(test_support::Contents(dir / "m.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].endsWith("el nombre ha de acabar en .png, .svg o .pdf")) << dialogs.errors[0];
}

TEST(HeatMap, ScaleColoursTextContrastAndLegend) {
    // The published viridis at 0, 0.5 and 1; text white on the dark end, black on the light.
    for (const auto& [value, rgb] : {std::pair{0.0, 0x440154}, {0.5, 0x21918c}, {1.0, 0xfde725}, {-3.0, 0x440154}})
        EXPECT_TRUE(Near(ui::HeatColor(value), QColor::fromRgb(rgb))) << value;
    EXPECT_EQ(ui::ContrastingText(ui::HeatColor(0.0)), QColor(Qt::white));
    EXPECT_EQ(ui::ContrastingText(ui::HeatColor(1.0)), QColor(Qt::black));

    // The legend: the top of the bar is the high end, the middle the middle, the bottom the low.
    QImage image(120, 220, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        ui::PaintLegend(painter, image.rect(), 0.0, 1.0);
    }
    const QFontMetrics metrics(QGuiApplication::font());
    const int top = metrics.height() / 2 + 2, bottom = image.height() - 1 - metrics.height() / 2 - 2;
    for (const double at : {0.0, 0.5, 1.0})
        EXPECT_TRUE(Near(image.pixelColor(5, static_cast<int>(bottom - at * (bottom - top))), ui::HeatColor(at), 8)) << at;
}

TEST_F(ViewerTest, ZoomFitsAHundredSquaresTheViewerFollowsUnlessPinnedAndOpensOncePerMatrix) {
    Start(engine::kZorvane);
    E().dimension = 100;
    Click("Button1");
    ui::MatrixViewer& viewer = Open(5);
    // At first every text reads whole; "Ajustar" shows all the 100 × 100 squares.
    const int width = ui::MatrixViewer::kZoomWidths[viewer.ZoomLevel()];
    for (int row = 0; row < 100; ++row)
        for (int col = 0; col < 100; ++col)
            ASSERT_LE(viewer.view().fontMetrics().horizontalAdvance(viewer.model().Text(row, col)) + 4, width);
    viewer.findChild<QAction*>("Ajustar")->trigger();
    const int fit = viewer.ZoomLevel();
    const QSize area = viewer.view().viewport()->size();
    EXPECT_LE(100 * viewer.view().columnWidth(0), area.width());
    EXPECT_LE(100 * viewer.view().rowHeight(0), area.height());
    viewer.SetZoomLevel(fit + 1);
    EXPECT_TRUE(100 * viewer.view().columnWidth(0) > area.width() || 100 * viewer.view().rowHeight(0) > area.height());
    viewer.SetZoomLevel(fit);
    QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), {}, QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(viewer.view().viewport(), &wheel);
    EXPECT_EQ(viewer.ZoomLevel(), fit + 1);
    for (int k = 0; k < 2; ++k) viewer.findChild<QAction*>("Alejar")->trigger();
    EXPECT_EQ(viewer.ZoomLevel(), fit - 1);
    // Every tool tip names its key.
    for (const QAction* action : viewer.findChildren<QAction*>()) {
        const QString key = action->shortcut().toString(QKeySequence::NativeText);
        EXPECT_TRUE(key.isEmpty() || action->toolTip().endsWith(" (" + key + ")")) << action->toolTip();
    }
    EXPECT_EQ(viewer.findChild<QAction*>("Acercar")->toolTip(), "Acercar (Control++)");

    // Each presented trial is shown; "Fijar" keeps the trial, and letting go shows the latest.
    Click("Button1");
    EXPECT_EQ(viewer.model().snapshot()->trialCount, E().trialCount);
    QAction* pin = viewer.findChild<QAction*>("Fijar");
    pin->trigger();
    const int kept = E().trialCount;
    Click("Button1");
    EXPECT_EQ(viewer.model().snapshot()->trialCount, kept);
    pin->trigger();
    EXPECT_EQ(viewer.model().snapshot()->trialCount, E().trialCount);

    // "Ver", a double click and the context menu open one viewer per matrix.
    form->show();
    Click("VerMatriz3");
    auto* third = form->findChild<ui::MatrixViewer*>("Visor3");
    ASSERT_TRUE(third && third->isVisible());
    Grid(3)->findChild<QAction*>("AbrirEnUnaVentana")->trigger();
    EXPECT_EQ(form->findChildren<ui::MatrixViewer*>().size(), 2);  // the same window again
    const QPoint cell = Grid(9)->visualRect(Grid(9)->model()->index(0, 0)).center();
    QTest::mousePress(Grid(9)->viewport(), Qt::LeftButton, {}, cell);  // as a person's first click
    QTest::mouseRelease(Grid(9)->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(Grid(9)->viewport(), Qt::LeftButton, {}, cell);
    EXPECT_NE(form->findChild<ui::MatrixViewer*>("Visor9"), nullptr);
    EXPECT_EQ(form->findChildren<ui::MatrixViewer*>().size(), 3);
}

}  // namespace
