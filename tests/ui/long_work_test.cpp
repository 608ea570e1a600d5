// Presentation and long work: every grid shows its matrix at every dimension, and a long batch
// is presented about five times a second of its own clock.
#include <QCoreApplication>
#include <QScrollBar>
#include <atomic>
#include <chrono>
#include <memory>

#include "form_fixture.h"
#include "tests/support.h"
#include "toolkit/number_text.h"

namespace ui_test {
namespace {

using engine::kZorvane;

// Every grid is n × n and shows element (i, j) of its matrix at column i, row j.
void ExpectGridsShowTheMatrices(const TForm1& form) {
    const engine::Engine& e = form.engine();
    const engine::Analysis& r = e.results;
    const engine::RelationMatrix* shown[] = {&e.relation, &r.minClosure, &r.prodClosure, &r.wClosure, &r.minTransitivized,
                                             &r.prodTransitivized, &r.wTransitivized, &r.minOrder, &r.prodOrder, &r.wOrder};
    for (int k = 1; k <= 10; ++k) {
        const auto* grid = form.findChild<ui::StringGrid*>(QString("StringGrid%1").arg(k));
        ASSERT_TRUE(grid->RowCount() == e.dimension && grid->ColCount() == e.dimension) << k;
        for (int i = 0; i < e.dimension; ++i)
            for (int j = 0; j < e.dimension; ++j) {
                const std::string text = toolkit::FloatToStrF((*shown[k - 1])[i][j], 3, k == 3 ? 2 : 1);
                ASSERT_EQ(grid->Cells(i, j).toStdString(), text) << "StringGrid" << k << " " << i << "," << j;
            }
    }
}

TEST_F(FormTest, GridsShowTheMatricesTransposed) {
    Start(kZorvane);  // a non-symmetric relation, decimal commas
    E().relation[0][1] = 0.3f;
    E().results.minClosure[0][0] = E().results.prodClosure[0][0] = 0.000001f;
    form->RefreshGrids();
    // The Prod closure's grid writes two exponent digits.
    EXPECT_EQ(Grid(1)->Cells(0, 1) + " " + Grid(2)->Cells(0, 0) + " " + Grid(3)->Cells(0, 0), "0,3 1E-6 1E-06");
    ExpectGridsShowTheMatrices(*form);
    form->show();
    QCoreApplication::processEvents();
    for (int k = 1; k <= 10; ++k)  // at n = 10 the seven large grids show every cell, the small ones scroll
        EXPECT_EQ(Grid(k)->horizontalScrollBar()->isVisible() || Grid(k)->verticalScrollBar()->isVisible(), k > 7) << k;
    for (const char* n : {"5", "12"}) {
        dialogs.inputs = {n};
        Click("Button2");
        ExpectGridsShowTheMatrices(*form);
    }
}

// A long batch is presented about five times a second of its own clock, however many trials
// it reports: a clock stepped 10 ms at every reading over the 900 trials of a statistics table.
TEST_F(FormTest, ALongBatchIsPresentedAboutFiveTimesASecond) {
    Start(kZorvane);
    auto ticks = std::make_shared<std::atomic<long long>>(0);
    using Clock = std::chrono::steady_clock;
    form->presentationClock = [ticks] { return Clock::time_point(std::chrono::milliseconds(10 * (*ticks)++)); };
    int presented = 0;
    dialogs.onProgress = [&](int) { ++presented; };
    const test_support::ScratchDir dir("render_batch");
    dialogs.inputs = {"10", "100"};
    dialogs.saveName = QString::fromStdString((dir / "tabla.txt").string());
    Click("Button6");
    ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("\n");
    EXPECT_NEAR(presented, static_cast<double>(*ticks) * 0.010 * 5, 1);
}

}  // namespace
}  // namespace ui_test
