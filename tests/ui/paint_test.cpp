// The paint handler: captions, pies and every coordinate of the bar chart and the curves.
#include "experiments/uinftab.h"
#include "form_fixture.h"
#include "recording_canvas.h"

namespace ui_test {
namespace {

using engine::kZorvane;
using Op = RecordingCanvas::Op;

class Paint : public FormTest {
protected:
    void SetUp() override { Start(kZorvane); }
    std::vector<RecordingCanvas::Call> Draw() {
        RecordingCanvas canvas;
        form->FormPaint(canvas);
        return canvas.calls;
    }
    void FillSeries(int t, int count, int xBase, int yBase) {
        auto& series = E().pointSeries[t];
        uinftab::PointListDestroy(series);
        uinftab::PointListCreate(series);
        for (int i = 0; i < count; ++i) {
            uinftab::PlotPoint p;
            uinftab::PlotPointMake(p, xBase + i, yBase + i);
            uinftab::PointListAppend(series, p);
        }
    }
};

TEST_F(Paint, BarChartCoordinates) {
    E().d1Closure = {12.9f, 30.0f, 0.0f};
    E().d1Transitivized = {3.5f, 7.25f, 49.99f};
    const auto calls = Draw();
    const QColor black(0, 0, 0);
    const QColor face = form->formColor();
    ASSERT_GE(calls.size(), 3u + 6u * 5u);
    EXPECT_EQ(calls[0].op, Op::Pen);
    EXPECT_EQ(calls[0].color, black);
    EXPECT_EQ(calls[1].op, Op::MoveTo);
    EXPECT_EQ(std::make_pair(calls[1].x1, calls[1].y1), std::make_pair(152, 129));
    EXPECT_EQ(calls[2].op, Op::LineTo);
    EXPECT_EQ(std::make_pair(calls[2].x1, calls[2].y1), std::make_pair(252, 129));
    EXPECT_EQ(calls[3].op, Op::Brush);
    EXPECT_EQ(calls[3].color, face);
    struct Bar {
        int left;
        const char* number;
        int top;
        QColor fill;
    };
    const Bar bars[] = {
        {152, "12", 103, QColor(255, 255, 0)}, {172, "3", 122, QColor(0, 128, 0)},
        {197, "30", 69, QColor(0, 0, 255)},    {217, "7", 114, QColor(128, 0, 0)},
        {242, "0", 129, QColor(128, 0, 128)},  {262, "49", 29, QColor(255, 0, 0)},
    };
    std::size_t at = 4;
    for (const Bar& bar : bars) {
        ASSERT_EQ(calls[at].op, Op::TextOut);
        EXPECT_EQ(calls[at].x1, bar.left + 8);
        EXPECT_EQ(calls[at].y1, 134);
        EXPECT_EQ(calls[at].text, bar.number);
        ASSERT_EQ(calls[at + 1].op, Op::Brush);
        EXPECT_EQ(calls[at + 1].color, bar.fill);
        ASSERT_EQ(calls[at + 2].op, Op::Rectangle);
        EXPECT_EQ(calls[at + 2].x1, bar.left);
        EXPECT_EQ(calls[at + 2].y1, bar.top) << bar.left;
        EXPECT_EQ(calls[at + 2].x2, bar.left + 20);
        EXPECT_EQ(calls[at + 2].y2, 129);
        ASSERT_EQ(calls[at + 3].op, Op::Brush);
        EXPECT_EQ(calls[at + 3].color, face);
        at += 4;
    }
}

TEST_F(Paint, CurvesOfTheLastHundredTrials) {
    FillSeries(0, 150, 0, 1000);  // x = i, y = 1000 + i
    FillSeries(1, 100, 5, 6);
    FillSeries(2, 0, 0, 0);
    const auto calls = Draw();
    // The curve axis follows the 28 calls of the bar chart.
    std::size_t at = 28;
    ASSERT_EQ(calls[at].op, Op::Pen);
    EXPECT_EQ(calls[at].color, QColor(0, 0, 0));
    EXPECT_EQ(calls[at + 1].op, Op::MoveTo);
    EXPECT_EQ(std::make_pair(calls[at + 1].x1, calls[at + 1].y1), std::make_pair(514, 113));
    EXPECT_EQ(calls[at + 2].op, Op::LineTo);
    EXPECT_EQ(std::make_pair(calls[at + 2].x1, calls[at + 2].y1), std::make_pair(814, 113));
    at += 3;
    struct Curve {
        int baseline;
        QColor pen;
        int points;
        int firstValue;
    };
    const Curve curves[] = {
        {73, QColor(0, 0, 255), 100, 50},  {73, QColor(128, 0, 128), 100, 1050},
        {93, QColor(0, 0, 255), 100, 5},   {93, QColor(128, 0, 128), 100, 6},
        {113, QColor(0, 0, 255), 0, 0},    {113, QColor(128, 0, 128), 0, 0},
    };
    for (const Curve& c : curves) {
        ASSERT_EQ(calls[at].op, Op::Pen);
        EXPECT_EQ(calls[at].color, c.pen);
        ASSERT_EQ(calls[at + 1].op, Op::MoveTo);
        EXPECT_EQ(calls[at + 1].x1, 514);
        EXPECT_EQ(calls[at + 1].y1, c.baseline);
        at += 2;
        for (int i = 0; i < c.points; ++i, ++at) {
            ASSERT_EQ(calls[at].op, Op::LineTo);
            ASSERT_EQ(calls[at].x1, 514 + 3 * i);
            ASSERT_EQ(calls[at].y1, c.baseline - (c.firstValue + i));
        }
    }
    EXPECT_EQ(at, calls.size());
    EXPECT_EQ(calls.back().op, Op::MoveTo);  // the empty W series only moves the pen
}

struct PieCase {
    int greater, notGreater, percent, endAngle;
};

class PieAngles : public Paint, public ::testing::WithParamInterface<PieCase> {};

TEST_P(PieAngles, PercentAngleAndCaption) {
    const PieCase& c = GetParam();
    // Only the t-norm under test gets the counters; the others stay at zero.
    for (int t = 0; t < 3; ++t) {
        E().closureGreaterCount = {0, 0, 0};
        E().closureNotGreaterCount = {7, 7, 7};
        E().closureGreaterCount[t] = c.greater;
        E().closureNotGreaterCount[t] = c.notGreater;
        Draw();
        for (int u = 0; u < 3; ++u) {
            const int percent = u == t ? c.percent : 0;
            EXPECT_EQ(form->closureGreaterPercent[u], percent) << t << u;
            EXPECT_EQ(PieControl(1 + u)->StartAngle(), 0);
            EXPECT_EQ(PieControl(1 + u)->EndAngle(), u == t ? c.endAngle : 0);
            EXPECT_EQ(Label(10 + u)->text(), QString::number(percent) + "%");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Paint, PieAngles,
                         ::testing::Values(PieCase{3, 1, 75, 270}, PieCase{1, 2, 33, 118}, PieCase{2, 1, 66, 237},
                                           PieCase{0, 0, 0, 0}, PieCase{5, 0, 100, 360}, PieCase{0, 9, 0, 0}));

TEST_F(Paint, TitleNamesDimensionAndTrials) {
    E().trialCount = 50;
    Draw();
    EXPECT_EQ(Label(9)->text(), "Dist1, Dim: 10 matrices:50");
    E().dimension = 7;
    E().trialCount = 0;
    Draw();
    EXPECT_EQ(Label(9)->text(), "Dist1, Dim: 7 matrices:0");
}

TEST_F(Paint, PaintingChangesNothingButItsOwnState) {
    const engine::RelationMatrix before = E().relation;
    const auto greater = E().closureGreaterCount;
    const int trials = E().trialCount;
    Draw();
    Draw();
    EXPECT_TRUE(engine::MatrixEqual(10, before, E().relation));
    EXPECT_EQ(E().closureGreaterCount, greater);
    EXPECT_EQ(E().trialCount, trials);
    EXPECT_EQ(uinftab::PointListCount(E().pointSeries[0]), 1);
}

TEST(PieControl, SweepFromStartToEnd) {
    ui::Pie pie;
    EXPECT_EQ(pie.SweepAngle(), 0);
    pie.SetAngles(180, 90);
    EXPECT_EQ(pie.SweepAngle(), 270);
    pie.SetAngles(0, 360);
    EXPECT_EQ(pie.SweepAngle(), 360);
    pie.SetAngles(0, 118);
    EXPECT_EQ(pie.SweepAngle(), 118);
    pie.SetEndAngle(0);
    EXPECT_EQ(pie.SweepAngle(), 0);
}

}  // namespace
}  // namespace ui_test
