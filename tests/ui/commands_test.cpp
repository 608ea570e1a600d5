// The commands with scripted answers: those of the buttons and the "Opciones" menu (their
// dialogs, refusals and messages, and "Inicia"), and the "Archivo" menu's saves and loads.
#include <filesystem>
#include <fstream>
#include <tuple>

#include "formats/relation_file.h"
#include "experiments/uinftab.h"
#include "form_fixture.h"
#include "tests/support.h"
#include "toolkit/number_text.h"

namespace ui_test {
namespace {

namespace fs = std::filesystem;
using engine::kZorvane;
using test_support::Contents;

TEST_F(FormTest, CommandsWithScriptedAnswers) {
    // Button or menu item, clicks, answers (nullptr: Cancel), then afterwards: dimension, trials
    // run, the 0-based swap indices (both 0 at start), whether the relation stayed or came back,
    // and the error or information shown, if any.
    const std::tuple<const char*, int, std::deque<const char*>, int, int, int, int, bool, const char*> cases[] = {
        {"Button2", 1, {nullptr}, 10, 1, 0, 0, false, ""},  // cancelled: a trial at the old dimension
        {"Button2", 1, {"5"}, 5, 1, 0, 0, false, ""},
        {"Button2", 1, {"abc"}, 10, 0, 0, 0, true, "'abc' no es un valor entero válido"},
        {"Button2", 1, {"0"}, 10, 0, 0, 0, true, "'0' no es una dimensión válida: debe estar entre 1 y 5000"},
        {"Button8", 2, {"3", "5", "3", "5"}, 10, 2, 2, 4, true, ""},  // the same swap twice
        {"Button8", 1, {nullptr, nullptr}, 10, 1, 0, 0, true, ""},    // element 1 with itself
        {"Button8", 1, {"2", "11"}, 10, 1, 1, 10, false,  // n + 1: a new relation, and the user told
         "Permutación: No hay elemento 11 en dimensión 10: no se ha permutado; se ha generado una relación nueva."},
        {"Button8", 2, {"4", "4", "0"}, 10, 1, 3, 3, true,  // first below 1: no second dialog
         "'0' no es un número de elemento válido: debe ser 1 o mayor"},
        {"Button8", 1, {"6", "x"}, 10, 0, 5, 0, true, "'x' no es un valor entero válido"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        const auto& [trigger, clicks, answers, dimension, trials, swapFirst, swapSecond, same, message] = c;
        Start(kZorvane);
        const engine::RelationMatrix start = E().relation;
        dialogs.inputs = answers;
        for (int k = 0; k < clicks; ++k) Click(trigger);
        ASSERT_EQ(static_cast<std::size_t>(dialogs.asked.size()), answers.size());
        const bool permuta = QString(trigger) == "Button8";
        for (int k = 0; k < dialogs.asked.size(); ++k)
            EXPECT_EQ(dialogs.asked[k], !permuta ? QStringLiteral("Cambiar dimensión: ") + TForm1::kDimensionPrompt
                                                 : QString("Permutación: Dame ") + (k % 2 ? "otro número" : "un número"));
        EXPECT_EQ(dialogs.errors + dialogs.notices, *message ? QStringList{message} : QStringList());
        EXPECT_EQ(E().dimension, dimension);
        EXPECT_EQ(E().trialCount, 1 + trials);
        EXPECT_EQ(std::pair(E().swapFirst, E().swapSecond), std::pair(swapFirst, swapSecond));
        EXPECT_EQ(engine::MatrixEqual(dimension, start, E().relation), same);
    }
}

TEST_F(FormTest, QuestionsSetReflexivityAndSymmetry) {
    Start(kZorvane);
    // Trigger, answer Yes, then reflexive and symmetric afterwards.
    // The second answer Yes sets rather than toggles.
    const std::tuple<const char*, bool, bool, bool> steps[] = {
        {"Button3", true, true, false}, {"CambiarReflexividad1", true, true, false},
        {"CambiarReflexividad1", false, false, false}, {"Button4", true, false, true}, {"Button4", false, false, false}};
    for (const auto& [trigger, yes, reflexive, symmetric] : steps) {
        dialogs.yes = yes;
        Click(trigger);
        EXPECT_EQ(std::pair(E().reflexive, E().symmetric), std::pair(reflexive, symmetric)) << trigger;
    }
    dialogs.yes = true;
    form->Label8Click(form.get());  // the symmetry question without a trial
    EXPECT_TRUE(E().symmetric);
    EXPECT_EQ(E().trialCount, 6);
    const QString reflexiva = "¿Quieres que la matriz sea Reflexiva?", simetrica = "¿Quieres que la matriz sea Simétrica?";
    EXPECT_EQ(dialogs.asked, QStringList({reflexiva, reflexiva, reflexiva, simetrica, simetrica, simetrica}));
}

TEST_F(FormTest, ResetRunsTheZeroRelationWithoutATrial) {
    Start(kZorvane);
    const experiments::RunStatistics& stats = form->experiment().statistics;
    dialogs.inputs = {"5"};
    Click("Button2");
    const engine::RelationMatrix before = E().relation;  // outside the 5 × 5 block: left from n = 10
    for (int press = 0; press < 2; ++press) {  // twice is the same as once
        Click("Button7");
        EXPECT_TRUE(Label(9)->text().endsWith(" matrices:0"));  // no trial, and shown
        // The run over the zero relation: never farther.
        EXPECT_EQ(std::pair(stats.closureGreaterCount, stats.closureNotGreaterCount),
                  std::pair((std::array<int, 3>{0, 0, 0}), (std::array<int, 3>{1, 1, 1})));
        for (int t = 0; t < 3; ++t) EXPECT_EQ(uinftab::PointListCount(stats.pointSeries[t]), 0);
        const int c = before.capacity();
        for (int k = 0; k < c * c; ++k)
            ASSERT_EQ(E().relation[k / c][k % c], k / c < 5 && k % c < 5 ? 0.0f : before[k / c][k % c]) << k;
    }
}

// A refused load shows its reason in the error box (the other reasons: the file I/O
// and relation file tests).
TEST_F(FormTest, ArchivoSavesEveryMatrixAndLoadsARelationAsIfDrawn) {
    const test_support::ScratchDir dir("archivo");
    std::ofstream(dir / "mala.txt") << "1;1,5\r\n0;1\r\n";
    const std::string bad = (dir / "mala.txt").string();
    for (const engine::Variant& variant : {engine::kZorvath, engine::kZorvane}) {
        Start(variant);
        const engine::Analysis& r = E().results;
        // Item, the name it offers, the matrix it writes.
        const std::tuple<const char*, const char*, const engine::RelationMatrix*> saves[] = {
            {"SalvarMatriz1", "matriz.txt", &E().relation}, {"SalvarCierreTransitivo1", "cierre_min.txt", &r.minClosure},
            {"SalvarCietteProdTransitivo1", "cierre_prod.txt", &r.prodClosure},
            {"SalvarCierreWTransitivo1", "cierre_w.txt", &r.wClosure},
            {"SalvarMatrizMinTransitivizada1", "transitivizada_min.txt", &r.minTransitivized},
            {"SalvarMatrizProdTransitivizada1", "transitivizada_prod.txt", &r.prodTransitivized},
            {"SalvarMatrizWTransitivizada1", "transitivizada_w.txt", &r.wTransitivized},
        };
        for (const auto& [item, name, matrix] : saves) {
            dialogs.saveName = QString::fromStdString((dir / name).string());
            Click(item);
            EXPECT_EQ(dialogs.asked.last(), QString("save fichero de texto|*.txt|NumPy|*.npy|Matrix Market|*.mtx|todos los "
                                                    "archivos|* .txt (replace?) ") + name);
            EXPECT_EQ(Contents(dir / name), formats::RelationText(10, *matrix, toolkit::DecimalSeparator())) << item;
        }
        // The name's extension picks the format (what the peers read of it: peer_files.py).
        for (const char* name : {"matriz.npy", "matriz.MTX"}) {
            dialogs.saveName = QString::fromStdString((dir / name).string());
            Click("SalvarMatriz1");
            EXPECT_EQ(Contents(dir / name), formats::RelationFileBytes(name, 10, E().relation, '.')) << name;
        }
        fs::remove(dir / "todo.txt");
        dialogs.saveName.reset();  // cancelled: nothing written
        Click("SalvarTodo1");
        EXPECT_FALSE(fs::exists(dir / "todo.txt"));
        dialogs.saveName = QString::fromStdString((dir / "todo.txt").string());
        Click("SalvarTodo1");
        const std::string all = Contents(dir / "todo.txt");
        EXPECT_EQ(all, experiments::SaveAllText(form->experiment()));
        std::size_t at = 0;  // the seven matrices as their items save them, in order
        for (const auto& [item, name, matrix] : saves)
            EXPECT_NE(at = all.find(Contents(dir / name), at), std::string::npos) << name;
        const auto [drawn, texts] = std::pair(E().relation, r.resultText);
        Click("Button1");
        const engine::RelationMatrix next = E().relation;

        // A fresh window loads the relation its twin drew: the same results, and nothing drawn;
        // a cancelled or refused load changes nothing.
        Start(variant);
        for (const auto& name : {std::optional<QString>(), std::optional(QString::fromStdString(bad))}) {
            dialogs.openName = name;
            Click("Cargarmatriz1");
        }
        EXPECT_EQ(E().trialCount, 1);
        for (const char* name : {"matriz.npy", "matriz.MTX", "matriz.txt"}) {
            dialogs.openName = QString::fromStdString((dir / name).string());
            Click("Cargarmatriz1");
            EXPECT_TRUE(engine::MatrixEqual(10, E().relation, drawn)) << name;
        }
        EXPECT_EQ(dialogs.asked.last(), "open matriz (texto, NumPy, Matrix Market)|*.txt;*.npy;*.mtx|fichero de texto|*.txt|"
                                        "NumPy|*.npy|Matrix Market|*.mtx|todos los archivos|*");
        EXPECT_EQ(E().results.resultText, texts);
        EXPECT_EQ(Label(9)->text(), "Dist1, Dim: 10 matrices:4");  // each load a trial, counted and shown
        Click("Button1");
        EXPECT_EQ(E().relation, next);
        EXPECT_EQ(dialogs.errors.join(""), QString::fromStdString("El fichero «" + bad + "» no contiene una matriz válida: "
                                                                  "fila 1, columna 2: '1,5' no está entre 0 y 1"));
    }
}

}  // namespace
}  // namespace ui_test
