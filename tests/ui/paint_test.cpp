// The numbers under the bars of what the window presented last, "50 veces" and "Inicia".
#include <utility>

#include "experiments/uinftab.h"
#include "form_fixture.h"
#include "tests/experiments/same_state.h"
#include "ui/canvas.h"

namespace ui_test {
namespace {

// Records the texts the plot writes, e.g. "text 160,134 12 (18)"; where the bars and curves
// land: the rendering tests.
class RecordingCanvas : public ui::Canvas {
public:
    void SetPenColor(const QColor&) override {}
    void SetBrushColor(const QColor& color) override { brush = color; }
    void MoveTo(int, int) override {}
    void LineTo(int, int) override {}
    void Rectangle(int, int, int, int) override {}
    void TextOut(int x, int y, const QString& text, int maxWidth) override {
        calls << QString::asprintf("text %d,%d ", x, y) + text + QString::asprintf(" (%d) on ", maxWidth) + brush.name();
    }
    QColor brush;
    QStringList calls;
};

class Plot : public FormTest {
protected:
    void SetUp() override { Start(engine::kZorvane); }
    experiments::RunStatistics& Stats() { return form->experiment().statistics; }
};

// Each bar's distance truncated, on the window's colour, in a place that ends before the next.
TEST_F(Plot, BarNumbers) {
    E().results.d1Closure = {12.9f, 30.0f, 0.0f};
    E().results.d1Transitivized = {3.5f, 7.25f, 49.99f};
    form->RefreshGrids();  // the window draws what it presented last
    RecordingCanvas canvas;
    form->FormPaint(canvas);
    QStringList expected;
    const std::pair<int, const char*> bars[] = {{152, "12"}, {172, "3"}, {197, "30"}, {217, "7"}, {242, "0"}, {262, "49"}};
    for (const auto& [left, number] : bars)
        expected << QString("text %1,134 %2 (%3) on ").arg(left + 8).arg(number).arg(left == 152 || left == 197 || left == 242 ? 18 : 23) +
                        form->formColor().name();
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
