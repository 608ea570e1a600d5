// "50 veces", "Inicia" and the disposal of the series.
#include "form_fixture.h"
#include "recording_canvas.h"

namespace ui_test {
namespace {

using engine::kZorvane;
using engine::kZorvath;

int SeriesLength(engine::Engine& e, int t) { return uinftab::PointListCount(e.pointSeries[t]); }

TEST_P(BothPrograms, FiftyTimesRunsFiftyCountedTrials) {
    Click(5);
    EXPECT_EQ(E().trialCount, 51);
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(SeriesLength(E(), t), 51);
        EXPECT_EQ(E().closureGreaterCount[t] + E().closureNotGreaterCount[t], 51);
    }
    EXPECT_EQ(Label(9)->text(), QStringLiteral("Dist1, Dim: 10 matrices:51"));
    EXPECT_EQ(dialogs.DialogCount(), 0);
    Click(5);
    EXPECT_EQ(E().trialCount, 101);
    EXPECT_EQ(SeriesLength(E(), 2), 101);
    // The curves show the last hundred of them.
    RecordingCanvas canvas;
    form->FormPaint(canvas);
    int lines = 0;
    for (const auto& call : canvas.calls) lines += call.op == RecordingCanvas::Op::LineTo;
    EXPECT_EQ(lines, 1 + 6 * 100 + 1);  // bar axis, six curves, curve axis
}

TEST_P(BothPrograms, ResetStartsTheExperimentAfresh) {
    Click(5);
    Click(7);
    engine::Engine& e = E();
    EXPECT_EQ(e.trialCount, 0);
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(e.closureGreaterCount[t], 0);
        EXPECT_EQ(e.closureNotGreaterCount[t], 1);  // the engine run over the zero relation counts
        EXPECT_EQ(SeriesLength(e, t), 0);
        EXPECT_EQ(e.d1Closure[t], 0.0f);
        EXPECT_EQ(e.d1Transitivized[t], 0.0f);
        EXPECT_EQ(form->closureGreaterPercent[t], 0);
        EXPECT_EQ(PieControl(1 + t)->EndAngle(), 0);
        EXPECT_EQ(Label(10 + t)->text(), "0%");
    }
    for (int i = 0; i < 10; ++i)
        for (int j = 0; j < 10; ++j) {
            ASSERT_EQ(e.relation[i][j], 0.0f);
            ASSERT_EQ(Grid(1)->Cells(i, j), "0");
        }
    EXPECT_TRUE(Label(9)->text().endsWith(" matrices:0"));
    for (int k = 5; k <= 7; ++k) EXPECT_TRUE(Label(k)->text().endsWith("  0 reducidos")) << k;
    EXPECT_TRUE(Label(2)->text().contains("\nd1=0 eucl=0\ndist1 máxima 0 en (1, 1)"));
    EXPECT_EQ(e.dimension, 10);
    EXPECT_EQ(e.symmetric, GetParam().symmetricAtStart);
    EXPECT_EQ(dialogs.DialogCount(), 0);
}

TEST_P(BothPrograms, ResetTwiceEqualsResetOnce) {
    Click(7);
    Click(7);
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(E().closureGreaterCount[t], 0);
        EXPECT_EQ(E().closureNotGreaterCount[t], 1);
        EXPECT_EQ(SeriesLength(E(), t), 0);
    }
    EXPECT_EQ(E().trialCount, 0);
}

TEST_P(BothPrograms, TrialAfterResetCountsAgainstTheResetRun) {
    Click(7);
    Click(1);
    EXPECT_EQ(E().trialCount, 1);
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(SeriesLength(E(), t), 1);
        const bool greater = E().d1Closure[t] > E().d1Transitivized[t];
        EXPECT_EQ(E().closureGreaterCount[t], greater ? 1 : 0);
        EXPECT_EQ(E().closureNotGreaterCount[t], greater ? 1 : 2);
        // One farther trial out of two counted: 50 %, not 100 %.
        EXPECT_EQ(form->closureGreaterPercent[t], greater ? 50 : 0);
        EXPECT_EQ(PieControl(1 + t)->EndAngle(), greater ? 180 : 0);
    }
    EXPECT_EQ(Label(9)->text(), "Dist1, Dim: 10 matrices:1");
}

TEST_F(FormTest, ResetZeroesOnlyTheLeadingBlock) {
    Start(kZorvane);
    dialogs.Ok("5");
    Click(2);
    const engine::RelationMatrix before = E().relation;  // rows 5 … 9 still hold the first relation
    Click(7);
    for (int i = 0; i < engine::MAX_DIM; ++i)
        for (int j = 0; j < engine::MAX_DIM; ++j) {
            if (i < 5 && j < 5) ASSERT_EQ(E().relation[i][j], 0.0f);
            else ASSERT_EQ(E().relation[i][j], before[i][j]) << i << "," << j;
        }
    EXPECT_EQ(Grid(1)->RowCount(), 5);
}

TEST_F(FormTest, FormDestroyDisposesOfTheSeries) {
    Start(kZorvane);
    form->FormDestroy(form.get());
    for (int t = 0; t < 3; ++t) EXPECT_EQ(E().pointSeries[t], nullptr);
    form.reset();  // the window's own destruction must not dispose of them twice
}

}  // namespace
}  // namespace ui_test
