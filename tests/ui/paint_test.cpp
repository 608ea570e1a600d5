// The plot and the pies of what the window presented last, "50 veces" and "Inicia".
#include <tuple>

#include "experiments/uinftab.h"
#include "form_fixture.h"
#include "tests/experiments/same_state.h"
#include "ui/canvas.h"
#include "ui/pie.h"

namespace ui_test {
namespace {

// Records every drawing call as a short text, e.g. "rect 152,103,172,129".
class RecordingCanvas : public ui::Canvas {
public:
    void SetPenColor(const QColor& color) override { calls << "pen " + color.name(); }
    void SetBrushColor(const QColor& color) override { calls << "brush " + color.name(); }
    void MoveTo(int x, int y) override { calls << QString::asprintf("move %d,%d", x, y); }
    void LineTo(int x, int y) override { calls << QString::asprintf("line %d,%d", x, y); }
    void Rectangle(int x1, int y1, int x2, int y2) override {
        calls << QString::asprintf("rect %d,%d,%d,%d", x1, y1, x2, y2);
    }
    void TextOut(int x, int y, const QString& text, int maxWidth) override {
        calls << QString::asprintf("text %d,%d ", x, y) + text + QString::asprintf(" (%d)", maxWidth);
    }
    QStringList calls;
};

class Plot : public FormTest {
protected:
    void SetUp() override { Start(engine::kZorvane); }
    experiments::RunStatistics& Stats() { return form->experiment().statistics; }
    ui::Pie* PieControl(int k) const { return Find<ui::Pie>(QString("Pie%1").arg(k)); }
};

// The pies' percentages and angles themselves: the statistics tests.
TEST_F(Plot, BarsOfTheLastTrialCurvesOfTheLastHundredAndPies) {
    E().results.d1Closure = {12.9f, 30.0f, 0.0f};
    E().results.d1Transitivized = {3.5f, 7.25f, 49.99f};
    Stats().ResetSeries();
    for (int i = 0; i < 150; ++i) {  // Min: 150 points (i, 1000 + i); Prod and W: none
        uinftab::PlotPoint point;
        uinftab::PlotPointMake(point, i, 1000 + i);
        uinftab::PointListAppend(Stats().pointSeries[0], point);
    }
    // Counters (greater, not greater), then percentage and end angle, one case per pie.
    const std::tuple<int, int, int, int> pies[] = {{3, 1, 75, 270}, {1, 2, 33, 118}, {0, 0, 0, 0}};
    for (int t = 0; t < 3; ++t)
        std::tie(Stats().closureGreaterCount[t], Stats().closureNotGreaterCount[t], std::ignore, std::ignore) = pies[t];
    form->RefreshGrids();  // the window draws what it presented last
    for (int t = 0; t < 3; ++t) {
        const auto& [greater, notGreater, percent, endAngle] = pies[t];
        EXPECT_EQ(form->closureGreaterPercent[t], percent) << t;
        EXPECT_EQ(PieControl(1 + t)->EndAngle(), endAngle) << t;
        EXPECT_EQ(Label(10 + t)->text(), QString::number(percent) + "%");
    }
    const QString face = "brush " + form->formColor().name();
    QStringList expected{"pen #000000", "move 152,129", "line 252,129", face};
    // Bars: left edge, number written, top edge, fill.
    const std::tuple<int, const char*, int, const char*> bars[] = {
        {152, "12", 103, "#ffff00"}, {172, "3", 122, "#008000"}, {197, "30", 69, "#0000ff"},
        {217, "7", 114, "#800000"},  {242, "0", 129, "#800080"}, {262, "49", 29, "#ff0000"}};
    for (const auto& [left, number, top, fill] : bars)
        expected << QString("text %1,134 %2 (%3)").arg(left + 8).arg(number).arg(left == 152 || left == 197 || left == 242 ? 18 : 23)
                 << QString("brush ") + fill
                 << QString("rect %1,%2,%3,129").arg(left).arg(top).arg(left + 20) << face;
    expected << "pen #000000" << "move 514,113" << "line 814,113";
    // Curves: baseline, pen, points drawn, first value drawn.
    const std::tuple<int, const char*, int, int> curves[] = {
        {73, "#0000ff", 100, 50}, {73, "#800080", 100, 1050}, {93, "#0000ff", 0, 0},
        {93, "#800080", 0, 0},    {113, "#0000ff", 0, 0},     {113, "#800080", 0, 0}};
    for (const auto& [baseline, pen, points, first] : curves) {
        expected << QString("pen ") + pen << QString("move 514,%1").arg(baseline);
        for (int i = 0; i < points; ++i)
            expected << QString("line %1,%2").arg(514 + 3 * i).arg(baseline - first - i);
    }
    RecordingCanvas canvas;
    form->FormPaint(canvas);
    EXPECT_EQ(canvas.calls, expected);
}

TEST_F(Plot, RepeatThenReset) {
    Click("Button5");
    EXPECT_EQ(dialogs.asked, QStringList{"progress 50 veces 50"});
    auto plain = test_support::Started(engine::kZorvane);  // the same 51 trials, one after another
    for (int k = 0; k < 50; ++k) plain->RunTrial();
    test_support::ExpectSameExperiment(form->experiment(), *plain);  // the point series included

    dialogs.inputs = {"5"};
    Click("Button2");
    const engine::RelationMatrix before = E().relation;  // outside the 5 × 5 block: left from n = 10
    for (int press = 0; press < 2; ++press) {  // twice is the same as once
        Click("Button7");
        EXPECT_TRUE(Label(9)->text().endsWith(" matrices:0"));  // no trial, and shown
        EXPECT_EQ(Stats().closureGreaterCount, (std::array<int, 3>{0, 0, 0}));
        EXPECT_EQ(Stats().closureNotGreaterCount, (std::array<int, 3>{1, 1, 1}));  // the run over the zero relation
        for (int t = 0; t < 3; ++t) EXPECT_EQ(uinftab::PointListCount(Stats().pointSeries[t]), 0);
        for (int i = 0; i < engine::MAX_DIM; ++i)
            for (int j = 0; j < engine::MAX_DIM; ++j)
                ASSERT_EQ(E().relation[i][j], i < 5 && j < 5 ? 0.0f : before[i][j]) << i << "," << j;
    }
}

}  // namespace
}  // namespace ui_test
