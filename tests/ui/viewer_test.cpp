// The matrix viewer as a person sees it: where each value lands, its colours and legend, the
// difference mode, the zoom, following the experiment, copies and pictures, the ways to open it.
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QFontInfo>
#include <QHeaderView>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QStatusBar>
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
    void Load(const std::string& rows) {
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
    // Not symmetric: as in the file, row r, column c shows [r][c]; as in the grids, [c][r].
    Load("1;0,4762;0\n0;1;0,5\n0;0;1\n");
    ui::MatrixViewer& viewer = Open(1);
    EXPECT_EQ(viewer.windowTitle(), "Matriz inicial");
    EXPECT_EQ(viewer.model().Text(0, 1), "0,4762");  // row 1 of the file is row 1
    for (const bool grids : {false, true}) {
        if (grids) viewer.findChild<QAction*>("CambiarOrientacion")->trigger();
        for (int row = 0; row < 3; ++row) {
            EXPECT_EQ(viewer.model().headerData(row, Qt::Vertical, Qt::DisplayRole).toString(), QString::number(row + 1));
            EXPECT_EQ(viewer.model().headerData(row, Qt::Horizontal, Qt::DisplayRole).toString(), QString::number(row + 1));
            for (int col = 0; col < 3; ++col) {
                const int i = grids ? col : row, j = grids ? row : col;
                EXPECT_EQ(viewer.model().Text(row, col), Grid(1)->FullText(i, j)) << grids << row << col;
                EXPECT_TRUE(Near(SeenAt(viewer, row, col), ui::HeatColor(E().relation[std::size_t(i)][std::size_t(j)]), 1))
                    << grids << row << col;
            }
        }
    }
    EXPECT_TRUE(viewer.model().ToolTip(1, 0).startsWith("Fila 2, columna 1 (como en las rejillas)\nValor: 0,4762"));
    viewer.findChild<QAction*>("CambiarOrientacion")->trigger();
    // "dist1 máxima … en (a, b)": the largest difference of each result is at row a, column b
    // of the grids, row b, column a of the file; there it is framed and named.
    const QRegularExpression position(QStringLiteral("máxima (\\S+) en \\((\\d+), (\\d+)\\)"));
    for (int matrix = 2; matrix <= 7; ++matrix) {
        ui::MatrixViewer& result = Open(matrix);
        result.findChild<QAction*>("IrDiferenciaMaxima")->trigger();
        const QRegularExpressionMatch match = position.match(Label(matrix)->text());
        ASSERT_TRUE(match.hasMatch()) << Label(matrix)->text();
        const QModelIndex current = result.view().currentIndex();
        EXPECT_EQ(std::pair(current.row() + 1, current.column() + 1), std::pair(match.captured(3).toInt(), match.captured(2).toInt()));
        EXPECT_EQ(result.statusBar()->currentMessage(), QString("Diferencia máxima %1 en fila %2, columna %3 (como en el fichero)")
                                                            .arg(match.captured(1), match.captured(3), match.captured(2)));
    }
    // Difference mode: 1 → 2 → 3 at 0.4762 and 0.5, the Min closure raises [0][2] to 0.4762 and nothing else.
    ui::MatrixViewer& closure = Open(2);
    closure.findChild<QAction*>("Diferencia")->trigger();
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            const bool raised = row == 0 && col == 2;
            EXPECT_EQ(closure.model().Text(row, col), raised ? "0,4762" : "") << row << col;
            EXPECT_EQ(SeenAt(closure, row, col), raised ? ui::HeatColor(1.0) : QColor(Qt::white)) << row << col;
        }
    EXPECT_TRUE(closure.model().ToolTip(0, 2).contains("Relación: 0\nDiferencia (cierre − relación): 0,4762\nCamino: "))
        << closure.model().ToolTip(0, 2).toStdString();
    // The relation and the visit orders have no difference to show.
    EXPECT_FALSE(Open(1).findChild<QAction*>("Diferencia")->isEnabled());
    EXPECT_FALSE(Open(8).findChild<QAction*>("IrDiferenciaMaxima")->isEnabled());
    // Copies and pictures hold the values in full.
    auto& selection = *viewer.view().selectionModel();
    selection.select(viewer.model().index(0, 0), QItemSelectionModel::Select);
    selection.select(viewer.model().index(0, 1), QItemSelectionModel::Select);
    viewer.findChild<QAction*>("Copiar")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "1\t0,4762\r\n");

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

// "Ajustar" fills the window with square cells at any dimension, their numbers grown with them;
// the largest difference is framed where a person sees it; row and column numbers keep apart.
TEST_F(ViewerTest, SquareCellsFillTheWindowTheLargestDifferenceIsFramedAndNumbersKeepApart) {
    Start(engine::kZorvane);
    for (const int n : {3, 10, 100}) {
        SCOPED_TRACE(n);
        E().dimension = n;
        Click("Button1");
        ui::MatrixViewer& viewer = Open(2);
        ui::HeatMapView& view = viewer.view();
        viewer.findChild<QAction*>("Ajustar")->trigger();
        QCoreApplication::processEvents();  // scroll bars gone
        const int side = std::min(view.viewport()->width(), view.viewport()->height());
        EXPECT_EQ(view.columnWidth(0), view.rowHeight(0));
        EXPECT_TRUE(n * view.columnWidth(0) <= side && n * (view.columnWidth(0) + 1) > side) << side;
        EXPECT_EQ(QFontInfo(view.CellFont()).pixelSize() > QFontInfo(view.font()).pixelSize(), n == 3);

        viewer.findChild<QAction*>("IrDiferenciaMaxima")->trigger();
        QCoreApplication::processEvents();
        EXPECT_GE(viewer.CellSize(), ui::MatrixViewer::kMarkedCell);
        const QImage image = view.viewport()->grab().toImage();
        const QRect cell = view.visualRect(view.currentIndex());
        ASSERT_TRUE(image.rect().contains(cell)) << cell.x() << "," << cell.y();
        // Around the cell, or just inside the view's edge.
        const QPoint c = cell.center();
        for (const QPoint& p : {QPoint(cell.left() - 2, c.y()), QPoint(cell.right() + 2, c.y()), QPoint(c.x(), cell.top() - 2),
                                QPoint(c.x(), cell.bottom() + 2)})
            EXPECT_EQ(image.pixelColor(std::clamp(p.x(), 1, image.width() - 2), std::clamp(p.y(), 1, image.height() - 2)),
                      QColor(255, 0, 0)) << p.x() << "," << p.y();
    }
    // At every zoom, neighbouring numbers keep a gap ("1" beside "2" read "12").
    ui::MatrixViewer& viewer = Open(2);
    const int gap = QFontMetrics(viewer.view().horizontalHeader()->font()).horizontalAdvance("100") + 4;
    for (int level = 0; level < ui::MatrixViewer::kZoomLevels; ++level) {
        viewer.SetZoomLevel(level);
        for (int k = 0, last = -1000; k < 100; ++k)
            if (!viewer.model().headerData(k, Qt::Horizontal, Qt::DisplayRole).toString().isEmpty()) {
                EXPECT_GE((k - last) * viewer.CellSize(), gap) << level << " " << k;
                last = k;
            }
    }
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
    // At first every text reads whole; the wheel and "Alejar" go from level to level.
    const int width = ui::MatrixViewer::kZoomWidths[viewer.ZoomLevel()];
    for (int row = 0; row < 100; ++row)
        for (int col = 0; col < 100; ++col)
            ASSERT_LE(QFontMetrics(viewer.view().CellFont()).horizontalAdvance(viewer.model().Text(row, col)) + 4, width);
    viewer.findChild<QAction*>("Ajustar")->trigger();
    const int fit = viewer.ZoomLevel();
    QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), {}, QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(viewer.view().viewport(), &wheel);
    EXPECT_EQ(viewer.ZoomLevel(), fit + 1);
    for (int k = 0; k < 2; ++k) viewer.findChild<QAction*>("Alejar")->trigger();
    EXPECT_EQ(viewer.ZoomLevel(), std::max(fit - 1, 0));
    // Every tool tip names its key.
    for (const QAction* action : viewer.findChildren<QAction*>()) {
        const QString key = action->shortcut().toString(QKeySequence::NativeText);
        EXPECT_TRUE(key.isEmpty() || action->toolTip().endsWith(" (" + key + ")")) << action->toolTip();
    }

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

// A relation too large for the window's smallest cells, loaded through the window (analysed
// aside, behind the progress dialog), opens whole: each pixel blends the entries under it, here
// a block of ones over zeros; "Acercar" gives the cells back and "Ajustar" the whole again.
TEST_F(ViewerTest, ALargeRelationOpensWholeAsOnePicture) {
    constexpr int n = 400;
    std::string rows;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) rows += (i < n / 2 && j < n / 2 ? "1" : "0") + std::string(j + 1 < n ? " " : "\n");
    Load(rows);
    ASSERT_EQ(E().dimension, n);
    ui::MatrixViewer& viewer = Open(1);
    auto* overview = viewer.findChild<ui::OverviewWidget*>("VistaDeConjunto");
    ASSERT_TRUE(viewer.ShowsOverview() && overview->isVisible());
    const QImage seen = overview->grab().toImage();
    const int side = overview->Side();
    EXPECT_GE(side, 300);  // the window's whole height, not a corner
    const auto near = [](const QColor& a, const QColor& b) {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) <= 12;
    };
    EXPECT_TRUE(near(seen.pixelColor(side / 4, side / 4), ui::HeatColor(1.0)));
    EXPECT_TRUE(near(seen.pixelColor(3 * side / 4, 3 * side / 4), ui::HeatColor(0.0)));
    EXPECT_TRUE(near(seen.pixelColor(3 * side / 4, side / 4), ui::HeatColor(0.0)));
    viewer.findChild<QAction*>("Acercar")->trigger();
    EXPECT_TRUE(!viewer.ShowsOverview() && viewer.view().isVisible());
    EXPECT_EQ(viewer.CellSize(), ui::MatrixViewer::kZoomWidths[0]);
    viewer.findChild<QAction*>("Ajustar")->trigger();
    EXPECT_TRUE(viewer.ShowsOverview());
}
