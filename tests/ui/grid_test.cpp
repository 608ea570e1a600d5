// The grid: texts shown whole or visibly elided, a new matrix without a reset, copying, and
// which element each rendered cell shows.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <random>
#include <set>

#include "form_fixture.h"
#include "toolkit/number_text.h"

namespace ui_test {
namespace {

// A grid on its own over an n × n matrix of zeros but the elements given.
class Grid : public ::testing::Test {
protected:
    void Show(int n, std::initializer_list<std::tuple<int, int, float>> elements) {
        auto matrix = std::make_shared<engine::RelationMatrix>();
        for (const auto& [i, j, value] : elements) (*matrix)[i][j] = value;
        grid.SetMatrix(matrix, n);
        grid.show();
        QCoreApplication::processEvents();
    }
    void TearDown() override { toolkit::SetDecimalSeparator(separator_); }

    const char separator_ = toolkit::DecimalSeparator();
    ui::StringGrid grid;
};

TEST_F(Grid, EveryTextIsShownWholeOrVisiblyElided) {
    const QFontMetrics metrics(grid.font());
    for (const auto& [text, width] : {std::pair("0.405", 23), {"0,405", 23}, {"0.75", 18}, {"0,75", 18}})
        EXPECT_EQ(ui::ShownText(metrics, text, width), text);
    // Every text a grid can show: degrees on fine steps, tiny and random degrees, visit orders.
    std::set<QString> texts;
    std::mt19937 random(20261207);
    for (int k = 0; k <= 10000; ++k)
        for (double value : {k / 1000.0, k / 10000.0, k * 1e-9, k * 1.0, 1.0 * std::generate_canonical<float, 24>(random)})
            for (const auto& [digits, separator] : {std::pair(1, '.'), {1, ','}, {2, '.'}, {2, ','}})
                texts.insert(QString::fromStdString(toolkit::FloatToStrF(value, 3, digits, separator)));
    int elided = 0;
    for (const QString& text : texts)
        for (int width : {18, 23}) {
            const QString shown = ui::ShownText(metrics, text, width);
            elided += shown != text;
            EXPECT_TRUE(metrics.horizontalAdvance(shown) <= width &&
                        (shown == text || (shown.endsWith(u'…') && text.startsWith(shown.chopped(1)))))
                << text << " as " << shown << " in " << width;
        }
    EXPECT_GT(elided, 0);  // "0.0189" does not fit 18 pixels
    // In a viewport of 108 × 49: cut by the right edge, cut by the bottom edge, whole.
    for (const auto& [left, top, text, shown] :
         {std::tuple(96, 0, "0.405", "…"), {104, 0, "1", ""}, {72, 42, "0.405", ""}, {72, 28, "0.405", "0.405"}})
        EXPECT_EQ(ui::ShownText(metrics, text, QRect(left, top, 23, 13), QSize(108, 49)), shown) << left << " " << text;
}

TEST_F(Grid, ANewMatrixOfTheSameSizeKeepsTheView) {
    toolkit::SetDecimalSeparator('.');
    grid.resize(120, 80);
    Show(50, {{30, 40, 0.25f}});
    grid.scrollTo(grid.model()->index(40, 30), QAbstractItemView::PositionAtTop);
    grid.selectionModel()->select(grid.model()->index(40, 30), QItemSelectionModel::Select);
    const int scrolled = grid.verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);
    QSignalSpy reset(grid.model(), &QAbstractItemModel::modelReset);
    Show(50, {{30, 40, 0.75f}});
    EXPECT_EQ(grid.verticalScrollBar()->value(), scrolled);
    EXPECT_EQ(grid.SelectedText(), "0.75\r\n");
    Show(5, {});
    EXPECT_EQ(reset.count(), 1);  // only the change of shape resets the view
}

TEST_F(Grid, CopiesTheSelectionInFull) {
    toolkit::SetDecimalSeparator(',');
    Show(3, {{1, 0, 0.405f}, {1, 1, 1.0f / 3}, {2, 1, 1024.0f}});
    grid.activateWindow();
    QCoreApplication::processEvents();
    ASSERT_TRUE(grid.hasFocus());  // shortcuts reach the focused grid of the active window
    // Column 1 of rows 0 and 1, and column 2 of row 1: the bounding rectangle, one cell empty.
    for (const auto& [row, col] : {std::pair(0, 1), {1, 1}, {1, 2}})
        grid.selectionModel()->select(grid.model()->index(row, col), QItemSelectionModel::Select);
    EXPECT_EQ(grid.SelectedText(), "0,405\t\r\n0,33333334\t1024\r\n");
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), grid.SelectedText());
    EXPECT_EQ(grid.model()->index(1, 2).data(Qt::ToolTipRole), "1024");
    // The context menu: select everything, then copy.
    const QList<QAction*> items = grid.actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text() + "|" + items[1]->text(), "Copiar|Seleccionar todo");
    items[1]->trigger();
    items[0]->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "0\t0,405\t0\r\n0\t0,33333334\t1024\r\n0\t0\t0\r\n");
}

// Each cell of a non-symmetric relation looks exactly as a grid of that one value does, and not
// as its mirror's: the screen shows element (i, j) at column i, row j, as the model says.
TEST_F(Grid, RenderedCellsShowTheirOwnElements) {
    const float values[3][3] = {{1.0f, 0.3f, 0.25f}, {0.7f, 0.0f, 1e-6f}, {0.5f, 0.125f, 0.9f}};
    ui::StringGrid one;
    one.resize(60, 40);
    grid.resize(120, 80);
    for (ui::StringGrid* g : {&grid, &one}) g->SetDefaultColWidth(23), g->SetDefaultRowHeight(13), g->show();
    auto matrix = std::make_shared<engine::RelationMatrix>();
    for (int k = 0; k < 9; ++k) (*matrix)[k / 3][k % 3] = values[k / 3][k % 3];
    grid.SetMatrix(matrix, 3);
    EXPECT_EQ(grid.columnWidth(0), 24);  // the text area; the grid line comes in addition
    const auto cell = [](ui::StringGrid& g, int col, int row) {
        QCoreApplication::processEvents();
        const QRect cellRect = g.visualRect(g.model()->index(row, col));
        return g.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32).copy(cellRect);
    };
    const auto showOne = [&](float value) {
        auto single = std::make_shared<engine::RelationMatrix>();
        (*single)[0][0] = value;
        one.SetMatrix(single, 1);
        return cell(one, 0, 0);
    };
    for (int k = 0; k < 9; ++k) {
        const int i = k / 3, j = k % 3;
        const QImage shown = cell(grid, i, j);
        EXPECT_EQ(shown, showOne(values[i][j])) << "column " << i << ", row " << j;
        EXPECT_TRUE(i == j || shown != showOne(values[j][i])) << "the mirror element looks different";
    }
}

}  // namespace
}  // namespace ui_test
