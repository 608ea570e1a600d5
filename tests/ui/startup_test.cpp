// Start-up state of both programs and the window's layout.
#include <QCoreApplication>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>

#include "form_fixture.h"
#include "toolkit/number_text.h"

namespace ui_test {
namespace {

using engine::kZorvane;
using engine::kZorvath;

TEST_P(BothPrograms, StartsWithOneAnalysedTrialOfDimensionTen) {
    EXPECT_EQ(E().dimension, 10);
    EXPECT_EQ(E().trialCount, 1);
    EXPECT_FALSE(E().reflexive);
    EXPECT_EQ(E().symmetric, GetParam().symmetricAtStart);
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(uinftab::PointListCount(E().pointSeries[t]), 1);
        EXPECT_EQ(E().closureGreaterCount[t] + E().closureNotGreaterCount[t], 1);
    }
    EXPECT_EQ(dialogs.DialogCount(), 0);
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_P(BothPrograms, CaptionsOfWindowAndControls) {
    const bool zorvath = GetParam().program == engine::Variant::Program::Zorvath;
    EXPECT_EQ(form->windowTitle(),
              zorvath ? QStringLiteral("Comparación del cierre T-Transitivo con nuevas técnicas de T-transitivización con Simetrización")
                      : QStringLiteral("Comparación del cierre T-Transitivo con nuevas técnicas de T-transitivización"));
    EXPECT_EQ(Button(6)->text(), zorvath ? QStringLiteral("excell") : QStringLiteral("excel"));
    const QString buttons[] = {"Genera Matriz", "Cambiar Dimensión", "¿Reflexiva?", "¿Simétrica?",
                               "50 veces",      "",                  "Inicia",      "Permuta"};
    for (int k = 1; k <= 8; ++k)
        if (k != 6) {
            EXPECT_EQ(Button(k)->text(), buttons[k - 1]) << k;
        }
    EXPECT_EQ(Label(1)->text(), QStringLiteral("Matriz Inicial:"));
    EXPECT_EQ(Label(8)->text(), QStringLiteral("Histograma dist1"));
    EXPECT_TRUE(Label(1)->font().bold());
    EXPECT_TRUE(Label(1)->font().italic());
}

TEST_P(BothPrograms, EveryResultLabelHoldsItsResultText) {
    const char* titles[] = {"Cierre Min-transit. Iter= ", "Cierre Prod-transit. Iter= ", "Cierre W-transit. Iter= ",
                            "Matriz Min-Transitivizada\n", "Matriz Prod-Transitivizada\n", "Matriz W-Transitivizada\n"};
    for (int k = 0; k < 6; ++k) {
        const QString text = Label(2 + k)->text();
        EXPECT_TRUE(text.startsWith(QString::fromUtf8(titles[k]))) << text.toStdString();
        EXPECT_EQ(text, QString::fromStdString(E().resultText[k]));
        EXPECT_EQ(text.count(QLatin1Char('\n')), 2);
        // The label grows to its three lines.
        EXPECT_GE(Label(2 + k)->height(), 3 * Label(2 + k)->fontMetrics().height() - 2);
    }
}

TEST_P(BothPrograms, PlotStateIsCurrentAfterTheFirstTrial) {
    EXPECT_EQ(Label(9)->text(), QStringLiteral("Dist1, Dim: 10 matrices:1"));
    for (int t = 0; t < 3; ++t) {
        const int expected = E().closureGreaterCount[t] == 1 ? 100 : 0;
        EXPECT_EQ(form->closureGreaterPercent[t], expected);
        EXPECT_EQ(PieControl(1 + t)->StartAngle(), 0);
        EXPECT_EQ(PieControl(1 + t)->EndAngle(), expected == 100 ? 360 : 0);
        EXPECT_EQ(Label(10 + t)->text(), QString::number(expected) + "%");
    }
}

TEST_P(BothPrograms, ControlsSitAtTheirDesignedPlaces) {
    struct Place {
        const char* name;
        int left, top, width, height;
    };
    const Place places[] = {
        {"Button1", 24, 24, 105, 25},      {"Button2", 24, 56, 105, 25},      {"Button3", 24, 88, 105, 25},
        {"Button4", 24, 120, 105, 25},     {"Button5", 736, 0, 57, 25},       {"Button6", 656, 0, 65, 25},
        {"Button7", 736, 40, 57, 25},      {"Button8", 736, 72, 57, 33},      {"StringGrid1", 296, 8, 209, 145},
        {"StringGrid2", 24, 192, 209, 153}, {"StringGrid3", 232, 192, 257, 153}, {"StringGrid4", 488, 192, 209, 153},
        {"StringGrid5", 16, 400, 217, 153}, {"StringGrid6", 240, 400, 257, 153}, {"StringGrid7", 496, 400, 201, 153},
        {"StringGrid8", 712, 392, 65, 41},  {"StringGrid9", 712, 448, 65, 41},   {"StringGrid10", 712, 504, 65, 41},
        {"Pie1", 720, 184, 57, 49},         {"Pie2", 720, 248, 57, 49},          {"Pie3", 720, 312, 57, 49},
    };
    for (const Place& p : places) {
        auto* widget = Find<QWidget>(QString::fromLatin1(p.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget(), form->clientArea()) << p.name;
        EXPECT_EQ(widget->geometry(), QRect(p.left, p.top, p.width, p.height)) << p.name;
    }
    const std::pair<int, QPoint> labels[] = {{1, {208, 0}},    {2, {16, 152}},  {3, {240, 152}}, {4, {496, 152}},
                                             {5, {24, 352}},   {6, {240, 352}}, {7, {496, 352}}, {8, {152, 24}},
                                             {9, {504, 8}},    {10, {704, 160}}, {11, {712, 240}}, {12, {712, 296}}};
    for (const auto& [k, pos] : labels) EXPECT_EQ(Label(k)->pos(), pos) << k;
    for (int k = 1; k <= 10; ++k) {
        EXPECT_EQ(Grid(k)->DefaultColWidth(), k == 3 || k == 6 ? 23 : 18) << k;
        EXPECT_EQ(Grid(k)->DefaultRowHeight(), 13) << k;
    }
    // The whole layout fits in the client area below the menu.
    form->show();
    QCoreApplication::processEvents();
    EXPECT_GE(form->clientArea()->width(), 793);
    EXPECT_GE(form->clientArea()->height(), 553);
}

TEST_P(BothPrograms, ControlsKeepTheirPlacesWhenTheWindowIsResized) {
    form->resize(500, 300);
    EXPECT_EQ(Grid(7)->geometry(), QRect(496, 400, 201, 153));
    form->resize(1000, 800);
    EXPECT_EQ(Button(8)->geometry(), QRect(736, 72, 57, 33));
}

TEST_P(BothPrograms, MenuHasItsItemsInOrder) {
    const QStringList archivo{"Cargar matriz",
                              "Salvar Matriz",
                              "Salvar Cierre Min-Transitivo",
                              "Salvar Cierre Prod-Transitivo",
                              "Salvar Cierre W-Transitivo",
                              "Salvar Matriz Min-Transitivizada",
                              "Salvar Matriz Prod-Transitivizada",
                              "Salvar Matriz W-Transitivizada",
                              "Salvar Todo"};
    const QStringList opciones{"Generar Matriz", "Cambiar Dimensión", "Cambiar Reflexividad"};
    auto* file = Find<QMenu>("Archivo1");
    auto* options = Find<QMenu>("B1");
    ASSERT_TRUE(file && options);
    EXPECT_EQ(file->title(), "Archivo");
    EXPECT_EQ(options->title(), "Opciones");
    QStringList texts;
    for (QAction* a : file->actions()) texts << a->text();
    EXPECT_EQ(texts, archivo);
    texts.clear();
    for (QAction* a : options->actions()) texts << a->text();
    EXPECT_EQ(texts, opciones);
    EXPECT_EQ(form->menuBar()->objectName(), "MainMenu1");
}

TEST_P(BothPrograms, SeriesColours) {
    const QColor expected[] = {{255, 0, 0}, {255, 255, 0}, {0, 128, 0}, {0, 0, 255}, {128, 0, 0}, {128, 0, 128}};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(form->seriesColor[k], expected[k]) << k;
}

INSTANTIATE_TEST_SUITE_P(Window, BothPrograms, ::testing::Values(kZorvath, kZorvane), ParamName);

class StartUp : public FormTest {};

TEST_F(StartUp, ZorvathDrawsASymmetricFirstRelationZorvaneDoesNot) {
    Start(kZorvath);
    EXPECT_TRUE(IsSymmetric(E()));
    Start(kZorvane);
    EXPECT_FALSE(IsSymmetric(E()));
}

TEST_F(StartUp, ZorvaneWritesDecimalCommas) {
    Start(kZorvane);
    EXPECT_EQ(toolkit::DecimalSeparator(), ',');
    int fractions = 0;
    for (int c = 0; c < 10; ++c)
        for (int r = 0; r < 10; ++r) {
            const QString text = Grid(1)->Cells(c, r);
            EXPECT_FALSE(text.contains('.')) << text.toStdString();
            if (text.contains(',')) ++fractions;
        }
    EXPECT_GT(fractions, 0);
    EXPECT_TRUE(Label(2)->text().contains(',') || Label(5)->text().contains(','));
}

TEST_F(StartUp, ZorvathWritesTheSeparatorOfTheLocale) {
    // Zorvane first, so a left-over comma would show.
    Start(kZorvane);
    Start(kZorvath);
    const QString point = QLocale::system().decimalPoint();
    const char expected = point.size() == 1 && point[0].unicode() < 127 ? static_cast<char>(point[0].unicode()) : '.';
    EXPECT_EQ(toolkit::DecimalSeparator(), expected);
    bool sawFraction = false;
    for (int c = 0; c < 10; ++c)
        for (int r = 0; r < 10; ++r)
            if (Grid(1)->Cells(c, r).contains(QLatin1Char(expected))) sawFraction = true;
    EXPECT_TRUE(sawFraction);
}

TEST_F(StartUp, EveryStartBeginsWithTheSameRelation) {
    Start(kZorvane);
    const engine::RelationMatrix first = E().relation;
    Start(kZorvane);
    EXPECT_TRUE(engine::MatrixEqual(10, first, E().relation));
}

}  // namespace
}  // namespace ui_test
