// The window as built and painted: start-up of both programs, and what a person sees: the pies
// and the plot rendered to images and read back pixel by pixel against the values behind them,
// the numbers under the bars.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QMessageBox>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <ranges>
#include <tuple>

#include "experiments/uinftab.h"
#include "form_fixture.h"
#include "ui/canvas.h"
#include "ui/pie.h"
#include "ui/qt_dialogs.h"

namespace ui_test {
namespace {

TEST_F(FormTest, StartUpOfBothPrograms) {
    const QString caption = "Comparación del cierre T-Transitivo con nuevas técnicas de T-transitivización";
    // Program, window caption, caption of Button6, first relation symmetric.
    const std::tuple<engine::Variant, QString, const char*, bool> programs[] = {
        {engine::kZorvath, caption + " con Simetrización", "excell", true},
        {engine::kZorvane, caption, "excel", false}};
    for (const auto& [variant, title, button6, symmetric] : programs) {
        Start(variant);
        EXPECT_EQ(form->windowTitle() + "|" + Find<QPushButton>("Button6")->text(), title + "|" + button6);
        const auto mirrored = [&](int k) { return E().relation[k / 10][k % 10] == E().relation[k % 10][k / 10]; };
        EXPECT_EQ(std::ranges::all_of(std::views::iota(0, 100), mirrored), symmetric);
        EXPECT_EQ(E().trialCount, 1);
        for (int k = 0; k < engine::kResultTextCount; ++k)
            EXPECT_EQ(Label(2 + k)->text().toStdString(), E().results.resultText[k]) << "Label" << 2 + k;
    }
    // Qt's own texts are Spanish too.
    QMessageBox question(QMessageBox::Question, {}, {}, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(question.button(QMessageBox::Yes)->text(), "&Sí");
    // So are the file dialog's, the kind of each file included, which Qt leaves in English.
    ui::QtDialogs real;
    const auto files = real.NewFileDialog("fichero de texto|*.txt");
    EXPECT_EQ(files->labelText(QFileDialog::LookIn), "Ver en:");
    EXPECT_EQ(files->iconProvider()->type(QFileInfo(QDir::tempPath())), "Carpeta");
}

QImage Rendered(QWidget* widget) { return widget->grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Records the texts the plot writes, e.g. "text 160,134 12 (18) on #f0f0f0"; the bars and curves
// are read from the rendered window instead.
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

class RenderedForm : public FormTest {
protected:
    void SetUp() override { Start(engine::kZorvane); }
    experiments::RunStatistics& Stats() { return form->experiment().statistics; }
};

// Pie k is blue exactly over the share of trials in which the closure lay farther: swept
// counterclockwise from three o'clock, read at points halfway out.
TEST_F(RenderedForm, PiesShowTheirPercentages) {
    // Counters (greater, not greater) per pie, then the percentage each shows.
    const std::tuple<int, int, int> cases[][3] = {{{3, 1, 75}, {1, 2, 33}, {0, 0, 0}},
                                                  {{1, 3, 25}, {5, 0, 100}, {2, 1, 66}}};
    for (const auto& pies : cases) {
        for (int t = 0; t < 3; ++t)
            std::tie(Stats().closureGreaterCount[t], Stats().closureNotGreaterCount[t], std::ignore) = pies[t];
        form->RefreshGrids();
        for (int t = 0; t < 3; ++t) {
            const int percent = std::get<2>(pies[t]);
            EXPECT_EQ(Label(10 + t)->text(), QString::number(percent) + "%");
            auto* pie = Find<ui::Pie>(QString("Pie%1").arg(1 + t));
            const QImage image = Rendered(pie);
            const double cx = (pie->width() - 1) / 2.0, cy = (pie->height() - 1) / 2.0;
            for (int degrees = 5; degrees < 360; degrees += 10) {
                const double a = degrees * std::numbers::pi / 180;
                const QPoint at(static_cast<int>(cx + cx / 2 * std::cos(a)), static_cast<int>(cy - cy / 2 * std::sin(a)));
                const bool blue = image.pixelColor(at) == QColor(0, 0, 255);
                EXPECT_EQ(blue, degrees < percent * 3.6) << "Pie" << 1 + t << " at " << degrees << " degrees";
            }
        }
    }
}

// The bars stand on the axis as tall as twice their distances, in their colours, each curve
// passes through its points, on the client area as painted; under each bar its distance
// truncated, on the window's colour, in a place that ends before the next.
TEST_F(RenderedForm, BarsNumbersAndCurvesLandWhereTheirValuesSay) {
    E().results.d1Closure = {12.9f, 30.0f, 0.0f};
    E().results.d1Transitivized = {3.5f, 7.25f, 49.99f};
    Stats().ResetSeries();
    // Min: 120 points in two bands apart, closure 0 … 19, transitivized 25 … 44; Prod, W: none.
    const auto closure = [](int i) { return i % 20; };
    const auto transitivized = [](int i) { return 25 + i * 7 % 20; };
    uinftab::PlotPoint point;
    for (int i = 0; i < 120; ++i)
        uinftab::PointListAppend(Stats().pointSeries[0], (uinftab::PlotPointMake(point, closure(i), transitivized(i)), point));
    form->RefreshGrids();  // the window draws what it presented last
    const QImage image = Rendered(Find<QWidget>("ClientArea"));
    const QColor face = form->formColor(), black(0, 0, 0);
    // Left edge, top edge, fill and number of each bar; the axis is y = 129.
    const std::tuple<int, int, QColor, const char*> bars[] = {
        {152, 103, Qt::yellow, "12"}, {172, 122, QColor(0, 128, 0), "3"}, {197, 69, Qt::blue, "30"},
        {217, 114, QColor(128, 0, 0), "7"}, {242, 129, QColor(128, 0, 128), "0"}, {262, 29, Qt::red, "49"}};
    RecordingCanvas canvas;
    form->FormPaint(canvas);
    QStringList numbers;
    for (const auto& bar : bars) {
        const auto& [left, top, fill, number] = bar;
        const int middle = left + 10, room = (&bar - bars) % 2 ? 23 : 18;  // the closure's number ends 2 before the next bar
        numbers << QString("text %1,134 %2 (%3) on ").arg(left + 8).arg(number).arg(room) + face.name();
        EXPECT_EQ(image.pixelColor(middle, top - 1), face) << left;  // nothing above the bar
        if (top < 127) {
            EXPECT_EQ(image.pixelColor(middle, top), black) << left;  // its outline
            EXPECT_EQ(image.pixelColor(middle, (top + 129) / 2), fill) << left;
            EXPECT_EQ(image.pixelColor(left, (top + 129) / 2), black) << left;
        }
    }
    EXPECT_EQ(canvas.calls, numbers);
    // The axes: the bars' one 100 pixels long, the curves' one 300.
    for (const auto& [x, y, color] : {std::tuple(200, 129, black), {252, 129, black}, {270, 129, face},
                                      {514, 113, black}, {800, 113, black}})
        EXPECT_EQ(image.pixelColor(x, y), color) << x << "," << y;
    // Min's curves from its point 20 (the last hundred), on the baseline y = 73: closure in blue
    // (at the left edge under the purple curve's first stroke), transitivized in purple; the
    // buttons from x = 736 on cover the newest.
    for (int k = 0; 514 + 3 * k < 736; ++k) {
        const int i = 20 + k, x = 514 + 3 * k;
        EXPECT_TRUE(k == 0 || image.pixelColor(x, 73 - closure(i)) == Qt::blue) << i;
        EXPECT_EQ(image.pixelColor(x, 73 - transitivized(i)), QColor(128, 0, 128)) << i;
    }
}

}  // namespace
}  // namespace ui_test
