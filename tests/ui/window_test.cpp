// Start-up of both programs, the grid refresh and the commands that choose the relation.
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "form_fixture.h"
#include "experiments/file_io.h"
#include "toolkit/number_text.h"

namespace ui_test {
namespace {

using engine::kZorvane;

bool IsSymmetric(const engine::Engine& e) {
    for (int k = 0; k < 100; ++k)
        if (e.relation[k / 10][k % 10] != e.relation[k % 10][k / 10]) return false;
    return true;
}

TEST_F(FormTest, StartUpOfBothPrograms) {
    const QString caption = "Comparación del cierre T-Transitivo con nuevas técnicas de T-transitivización";
    // Program, window caption, caption of Button6, first relation symmetric.
    const std::tuple<engine::Variant, QString, const char*, bool> programs[] = {
        {engine::kZorvath, caption + " con Simetrización", "excell", true},
        {kZorvane, caption, "excel", false}};
    for (const auto& [variant, title, button6, symmetric] : programs) {
        Start(variant);
        EXPECT_EQ(form->windowTitle(), title);
        EXPECT_EQ(Find<QPushButton>("Button6")->text(), button6);
        EXPECT_EQ(IsSymmetric(E()), symmetric);
        EXPECT_EQ(E().trialCount, 1);
        EXPECT_EQ(Label(1)->text(), "Matriz Inicial:");
        EXPECT_EQ(Label(8)->text(), "Histograma dist1");
        for (int k = 0; k < engine::kResultTextCount; ++k)
            EXPECT_EQ(Label(2 + k)->text().toStdString(), E().results.resultText[k]) << "Label" << 2 + k;
    }
    // Qt's own texts are Spanish too.
    QMessageBox question(QMessageBox::Question, {}, {}, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(question.button(QMessageBox::Yes)->text(), "&Sí");
}

// Every grid is n × n and shows element (i, j) of its matrix at column i, row j.
void ExpectGridsShowTheMatrices(const TForm1& form) {
    const engine::Engine& e = form.engine();
    const engine::Analysis& r = e.results;
    const engine::RelationMatrix* shown[] = {&e.relation,       &r.minClosure,       &r.prodClosure,
                                             &r.wClosure,       &r.minTransitivized, &r.prodTransitivized,
                                             &r.wTransitivized, &r.minOrder,         &r.prodOrder,
                                             &r.wOrder};
    for (int k = 1; k <= 10; ++k) {
        const auto* grid = form.findChild<ui::StringGrid*>(QString("StringGrid%1").arg(k));
        ASSERT_EQ(grid->RowCount(), e.dimension);
        ASSERT_EQ(grid->ColCount(), e.dimension);
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
    E().relation[1][0] = 0.7f;
    E().results.minClosure[0][0] = E().results.prodClosure[0][0] = 0.000001f;
    form->RefreshGrids();
    EXPECT_EQ(Grid(1)->Cells(0, 1), "0,3");
    EXPECT_EQ(Grid(1)->Cells(1, 0), "0,7");
    EXPECT_EQ(Grid(2)->Cells(0, 0), "1E-6");
    EXPECT_EQ(Grid(3)->Cells(0, 0), "1E-06");  // the Prod closure's grid writes two exponent digits
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

TEST_F(FormTest, CommandsWithScriptedAnswers) {
    // Button or menu item, clicks, answers (nullptr: Cancel), then afterwards: dimension, trials run,
    // errors shown, the 0-based swap indices (both 0 at start), and whether the relation stayed or came back.
    const std::tuple<const char*, int, std::deque<const char*>, int, int, int, int, int, bool> cases[] = {
        {"Button2", 1, {nullptr}, 10, 1, 0, 0, 0, false},  // cancelled: a trial at the old dimension
        {"Button2", 1, {"5"}, 5, 1, 0, 0, 0, false},
        {"CambiarDimensin1", 1, {"4"}, 4, 1, 0, 0, 0, false},
        {"CambiarDimensin1", 1, {"99999999999"}, 10, 0, 1, 0, 0, true},  // refused (messages: below)
        {"Button8", 1, {"3", "5"}, 10, 1, 0, 2, 4, false},
        {"Button8", 2, {"3", "5", "3", "5"}, 10, 2, 0, 2, 4, true},
        {"Button8", 1, {"4", "4"}, 10, 1, 0, 3, 3, true},
        {"Button8", 1, {nullptr, nullptr}, 10, 1, 0, 0, 0, true},  // element 1 with itself
        {"Button8", 1, {"2", "11"}, 10, 1, 0, 1, 10, false},       // n + 1: a new relation
        {"Button8", 2, {"4", "4", "0"}, 10, 1, 1, 3, 3, true},     // first below 1: no second dialog
        {"Button8", 1, {"6", "x"}, 10, 0, 1, 5, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        const auto& [trigger, clicks, answers, dimension, trials, errors, swapFirst, swapSecond, same] = c;
        Start(kZorvane);
        const engine::RelationMatrix start = E().relation;
        dialogs.inputs = answers;
        for (int k = 0; k < clicks; ++k) Click(trigger);
        ASSERT_EQ(static_cast<std::size_t>(dialogs.asked.size()), answers.size());
        const bool permuta = QString(trigger) == "Button8";
        for (int k = 0; k < dialogs.asked.size(); ++k)
            EXPECT_EQ(dialogs.asked[k], !permuta ? "Cambiar dimensión: Dame la nueva dimensión"
                                        : k % 2  ? "Permutación: Dame otro número"
                                                 : "Permutación: Dame un número");
        EXPECT_EQ(dialogs.errors.size(), errors);
        EXPECT_EQ(E().dimension, dimension);
        EXPECT_EQ(E().trialCount, 1 + trials);
        EXPECT_EQ(E().swapFirst, swapFirst);
        EXPECT_EQ(E().swapSecond, swapSecond);
        EXPECT_EQ(engine::MatrixEqual(dimension, start, E().relation), same);
    }
}

TEST_F(FormTest, QuestionsSetReflexivityAndSymmetry) {
    Start(kZorvane);
    // Trigger, answer Yes, then reflexive and symmetric afterwards.
    const std::tuple<const char*, bool, bool, bool> steps[] = {
        {"Button3", true, true, false},
        {"CambiarReflexividad1", true, true, false},  // sets rather than toggles
        {"CambiarReflexividad1", false, false, false},
        {"Button4", true, false, true},
        {"Button4", false, false, false},
    };
    for (const auto& [trigger, yes, reflexive, symmetric] : steps) {
        dialogs.yes = yes;
        Click(trigger);
        EXPECT_EQ(E().reflexive, reflexive) << trigger;
        EXPECT_EQ(E().symmetric, symmetric) << trigger;
    }
    dialogs.yes = true;
    form->Label8Click(form.get());  // the symmetry question without a trial
    EXPECT_TRUE(E().symmetric);
    EXPECT_EQ(E().trialCount, 6);
    const QString reflexiva = "¿Quieres que la matriz sea Reflexiva?";
    const QString simetrica = "¿Quieres que la matriz sea Simétrica?";
    EXPECT_EQ(dialogs.asked, QStringList({reflexiva, reflexiva, reflexiva, simetrica, simetrica, simetrica}));
}

// Every message of ours that the error box can show, as the user reads it, the state untouched.
TEST_F(FormTest, ErrorMessagesReadAsWritten) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("mensajes_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    ASSERT_EQ(::mkfifo((dir / "tuberia").c_str(), 0600), 0);
    std::ofstream(dir / "mala.txt") << "1;1,5\r\n0;1\r\n";
    const std::string in = dir.string(), longName = in + "/" + std::string(300, 'x') + "/m.txt";
    const struct {
        const char* trigger;
        std::deque<const char*> inputs;
        std::string file;  // the name chosen in the file dialog
        std::string message;
    } cases[] = {
        {"Button2", {"abc"}, "", "'abc' no es un valor entero válido"},
        {"Button2", {"0"}, "", "'0' no es una dimensión válida: debe estar entre 1 y 100"},
        {"Button8", {"0"}, "", "'0' no es un número de elemento válido: debe ser 1 o mayor"},
        {"Button6", {"101", "3"}, "", "La dimensión máxima no puede pasar de 100 (se ha pedido 101)."},
        {"Button6", {"3", "0"}, "", "El número de matrices por dimensión debe ser al menos 1 (se ha pedido 0)."},
        {"Button6", {"3", "2"}, in + "/tuberia",
         "No se ha podido abrir el fichero «" + in + "/tuberia»: no es un fichero normal"},
        {"Cargarmatriz1", {}, in + "/mala.txt",
         "El fichero «" + in + "/mala.txt» no contiene una matriz válida: fila 1, columna 2: '1,5' no está entre 0 y 1"},
        {"Cargarmatriz1", {}, in, "No se ha podido leer el fichero «" + in + "»: es una carpeta"},
        {"SalvarMatriz1", {}, in + "/no/m.txt", "No se ha podido guardar el fichero «" + in + "/no/m.txt»: no existe"},
        {"SalvarTodo1", {}, longName,
         "No se ha podido guardar el fichero «" + experiments::ShortPath(longName) + "»: el nombre es demasiado largo"},
    };
    Start(kZorvane);
    const engine::RelationMatrix relation = E().relation;
    for (const auto& c : cases) {
        dialogs.inputs = c.inputs;
        dialogs.saveName = dialogs.openName = QString::fromStdString(c.file);
        dialogs.errors.clear();
        Click(c.trigger);
        EXPECT_EQ(dialogs.errors, QStringList{QString::fromStdString(c.message)});
    }
    EXPECT_EQ(E().trialCount, 1);
    EXPECT_EQ(E().relation, relation);
    EXPECT_TRUE(fs::is_fifo(dir / "tuberia"));
    fs::remove_all(dir);
}

}  // namespace
}  // namespace ui_test
