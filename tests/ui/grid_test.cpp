// The string grid control and the grid refresh.
#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <functional>

#include "form_fixture.h"
#include "toolkit/number_text.h"

namespace ui_test {
namespace {

using engine::kZorvane;
using engine::kZorvath;

// --- The control ---

TEST(StringGrid, CellsAreAddressedColumnFirstAndOutsideCellsAreIgnored) {
    ui::StringGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(2);
    EXPECT_EQ(grid.ColCount(), 3);
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.model().columnCount(), 3);
    EXPECT_EQ(grid.model().rowCount(), 2);
    grid.SetCells(2, 1, "x");
    grid.SetCells(3, 0, "outside");
    grid.SetCells(0, 2, "outside");
    grid.SetCells(-1, 0, "outside");
    EXPECT_EQ(grid.Cells(2, 1), "x");
    EXPECT_EQ(grid.model().data(grid.model().index(1, 2), Qt::DisplayRole).toString(), "x");
    EXPECT_EQ(grid.Cells(1, 2), "");
    EXPECT_EQ(grid.Cells(3, 0), "");
}

TEST(StringGrid, ResizingKeepsTheCellsInsideBothShapes) {
    ui::StringGrid grid;
    grid.SetColCount(4);
    grid.SetRowCount(4);
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) grid.SetCells(c, r, QString("%1,%2").arg(c).arg(r));
    grid.SetRowCount(2);
    grid.SetColCount(3);
    grid.SetRowCount(5);
    EXPECT_EQ(grid.Cells(2, 1), "2,1");
    EXPECT_EQ(grid.Cells(0, 0), "0,0");
    EXPECT_EQ(grid.Cells(2, 3), "");  // dropped by the shrink
    EXPECT_EQ(grid.Cells(3, 0), "");
}

TEST(StringGrid, SelectableButNotEditableWithoutHeaders) {
    ui::StringGrid grid;
    const Qt::ItemFlags flags = grid.model().flags(grid.model().index(0, 0));
    EXPECT_TRUE(flags & Qt::ItemIsSelectable);
    EXPECT_FALSE(flags & Qt::ItemIsEditable);
    EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(grid.horizontalHeader()->isVisible());
    EXPECT_FALSE(grid.verticalHeader()->isVisible());
    EXPECT_EQ(grid.RowCount(), 10);
    EXPECT_EQ(grid.ColCount(), 10);
    EXPECT_EQ(grid.rowHeight(0), 13);
}

TEST(StringGrid, ManyWritesMakeOneNotification) {
    ui::StringGrid grid;
    grid.SetColCount(100);
    grid.SetRowCount(100);
    int notifications = 0;
    QObject::connect(&grid.model(), &QAbstractItemModel::dataChanged, [&] { ++notifications; });
    for (int c = 0; c < 100; ++c)
        for (int r = 0; r < 100; ++r) grid.SetCells(c, r, "0.5");
    EXPECT_EQ(notifications, 0);
    grid.Flush();
    EXPECT_EQ(notifications, 1);
    grid.Flush();
    EXPECT_EQ(notifications, 1);
    // A writer that never flushes is caught up when the event loop runs.
    grid.SetCells(1, 1, "0.7");
    QCoreApplication::processEvents();
    EXPECT_EQ(notifications, 2);
}

// --- The refresh ---

class GridRefresh : public FormTest {
protected:
    QString Text(float value, int digits = 1) {
        return QString::fromStdString(toolkit::FloatToStrF(static_cast<double>(value), 3, digits));
    }
};

TEST_F(GridRefresh, ElementIJGoesToColumnIRowJ) {
    Start(kZorvane);
    E().relation[0][1] = 0.3f;
    E().relation[1][0] = 0.7f;
    form->RefreshGrids();
    EXPECT_EQ(Grid(1)->Cells(0, 1), "0,3");
    EXPECT_EQ(Grid(1)->Cells(1, 0), "0,7");
    Start(kZorvath);
    toolkit::SetDecimalSeparator('.');
    E().relation[0][1] = 0.3f;
    E().relation[1][0] = 0.7f;
    form->RefreshGrids();
    EXPECT_EQ(Grid(1)->Cells(0, 1), "0.3");
    EXPECT_EQ(Grid(1)->Cells(1, 0), "0.7");
}

TEST_F(GridRefresh, EveryGridShowsItsMatrixTransposed) {
    Start(kZorvane);  // a non-symmetric relation
    ASSERT_FALSE(IsSymmetric(E()));
    engine::Engine& e = E();
    struct Shown {
        int grid;
        const engine::RelationMatrix& matrix;
        int digits;
    };
    const Shown shown[] = {{1, e.relation, 1},          {2, e.minClosure, 1},        {3, e.prodClosure, 2},
                           {4, e.wClosure, 1},          {5, e.minTransitivized, 1},  {6, e.prodTransitivized, 1},
                           {7, e.wTransitivized, 1},    {8, e.minOrder, 1},          {9, e.prodOrder, 1},
                           {10, e.wOrder, 1}};
    for (const Shown& s : shown) {
        ASSERT_EQ(Grid(s.grid)->RowCount(), 10);
        ASSERT_EQ(Grid(s.grid)->ColCount(), 10);
        for (int i = 0; i < 10; ++i)
            for (int j = 0; j < 10; ++j)
                ASSERT_EQ(Grid(s.grid)->Cells(i, j), Text(s.matrix[i][j], s.digits))
                    << "StringGrid" << s.grid << " element " << i << "," << j;
    }
}

TEST_F(GridRefresh, NumberFormatsOfTheCells) {
    Start(kZorvane);
    engine::Engine& e = E();
    e.relation[2][2] = 0.729f;
    e.minClosure[0][0] = 0.000001f;
    e.prodClosure[0][0] = 0.000001f;
    e.prodClosure[1][0] = 0.12345f;
    e.wClosure[0][0] = 0.99951f;
    e.minOrder[0][0] = 1000.0f;
    e.minOrder[1][0] = 1024.0f;
    e.relation[3][3] = 0.0f;
    e.relation[4][4] = 1.0f;
    form->RefreshGrids();
    EXPECT_EQ(Grid(1)->Cells(2, 2), "0,729");
    EXPECT_EQ(Grid(2)->Cells(0, 0), "1E-6");
    EXPECT_EQ(Grid(3)->Cells(0, 0), "1E-06");
    EXPECT_EQ(Grid(3)->Cells(1, 0), "0,123");
    EXPECT_EQ(Grid(4)->Cells(0, 0), "1");
    EXPECT_EQ(Grid(8)->Cells(0, 0), "1E3");
    EXPECT_EQ(Grid(8)->Cells(1, 0), "1,02E3");
    EXPECT_EQ(Grid(1)->Cells(3, 3), "0");
    EXPECT_EQ(Grid(1)->Cells(4, 4), "1");
}

TEST_F(GridRefresh, ChangingTheDimensionResizesAndRewritesEveryGrid) {
    Start(kZorvane);
    for (const int n : {5, 12, 1}) {
        dialogs.Ok(QString::number(n));
        Click(2);
        ASSERT_TRUE(dialogs.errors.isEmpty());
        for (int k = 1; k <= 10; ++k) {
            EXPECT_EQ(Grid(k)->RowCount(), n) << k;
            EXPECT_EQ(Grid(k)->ColCount(), n) << k;
            EXPECT_EQ(Grid(k)->model().rowCount(), n);
            for (int c = 0; c < n; ++c)
                for (int r = 0; r < n; ++r) EXPECT_FALSE(Grid(k)->Cells(c, r).isEmpty()) << k << ":" << c << "," << r;
            EXPECT_EQ(Grid(k)->Cells(n, 0), "");
        }
        EXPECT_EQ(Grid(1)->Cells(n - 1, 0), Text(E().relation[n - 1][0]));
    }
}

TEST_F(GridRefresh, OverflowingGridsShowScrollBars) {
    Start(kZorvane);
    form->show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(Grid(8)->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(Grid(8)->verticalScrollBar()->isVisible());
    EXPECT_FALSE(Grid(1)->horizontalScrollBar()->isVisible());  // 10 × 18 fits in 209
}

// Records what every paint of the client area saw.
class PaintWatcher : public QObject {
public:
    explicit PaintWatcher(std::function<void()> onPaint) : onPaint_(std::move(onPaint)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) onPaint_();
        return false;
    }

private:
    std::function<void()> onPaint_;
};

TEST_F(GridRefresh, TheWindowIsPresentedAfterTheLastElementWithFinalTexts) {
    Start(kZorvane);
    form->show();
    QCoreApplication::processEvents();
    for (const int n : {1, 10}) {
        dialogs.Ok(QString::number(n));
        QString lastSeen;
        QString lastCaption;
        int paints = 0;
        PaintWatcher watcher([&] {
            ++paints;
            lastSeen = Grid(10)->Cells(n - 1, n - 1) + "|" + Grid(7)->Cells(n - 1, n - 1);
            lastCaption = Label(9)->text();
        });
        form->clientArea()->installEventFilter(&watcher);
        Click(2);
        form->clientArea()->removeEventFilter(&watcher);
        EXPECT_GE(paints, 1);
        EXPECT_LE(paints, n * n);
        if (n == 1) {
            EXPECT_EQ(paints, 1);
        }
        EXPECT_EQ(lastSeen, Text(E().wOrder[n - 1][n - 1]) + "|" + Text(E().wTransitivized[n - 1][n - 1]));
        EXPECT_EQ(lastCaption, QString("Dist1, Dim: %1 matrices:%2").arg(n).arg(E().trialCount));
    }
}

TEST_F(GridRefresh, PresentationRepaintsGridsAndLabelsWithTheirNewTexts) {
    Start(kZorvane);
    form->show();
    QCoreApplication::processEvents();
    QString gridSaw;
    QString labelSaw;
    PaintWatcher gridWatcher([&] { gridSaw = Grid(7)->Cells(9, 9); });
    PaintWatcher labelWatcher([&] { labelSaw = Label(9)->text(); });
    Grid(7)->viewport()->installEventFilter(&gridWatcher);
    Label(9)->installEventFilter(&labelWatcher);
    // The message loop does not run between the trials of "50 veces"; only the synchronous
    // presentation shows them.
    Click(5);
    EXPECT_EQ(gridSaw, Text(E().wTransitivized[9][9]));
    EXPECT_EQ(labelSaw, "Dist1, Dim: 10 matrices:51");
}

TEST_F(GridRefresh, RefreshChangesNothingInTheEngine) {
    Start(kZorvane);
    const engine::RelationMatrix before = E().relation;
    const int trials = E().trialCount;
    const auto greater = E().closureGreaterCount;
    form->RefreshGrids();
    EXPECT_TRUE(engine::MatrixEqual(10, before, E().relation));
    EXPECT_EQ(E().trialCount, trials);
    EXPECT_EQ(E().closureGreaterCount, greater);
}

}  // namespace
}  // namespace ui_test
