// The "Archivo" menu through scripted dialogs: every matrix and everything saved, a saved
// relation loaded into a fresh window, cancelled dialogs. (Refused files: ErrorMessagesReadAsWritten.)
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "experiments/relation_file.h"
#include "form_fixture.h"
#include "toolkit/number_text.h"

namespace ui_test {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

TEST_F(FormTest, ArchivoSavesEveryMatrixAndLoadsARelationAsIfDrawn) {
    const fs::path dir = fs::temp_directory_path() / ("archivo_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    for (const engine::Variant& variant : {engine::kZorvath, engine::kZorvane}) {
        Start(variant);
        const engine::Analysis& r = E().results;
        // Item, the name it offers, the matrix it writes.
        const std::tuple<const char*, const char*, const engine::RelationMatrix*> saves[] = {
            {"SalvarMatriz1", "matriz.txt", &E().relation},
            {"SalvarCierreTransitivo1", "cierre_min.txt", &r.minClosure},
            {"SalvarCietteProdTransitivo1", "cierre_prod.txt", &r.prodClosure},
            {"SalvarCierreWTransitivo1", "cierre_w.txt", &r.wClosure},
            {"SalvarMatrizMinTransitivizada1", "transitivizada_min.txt", &r.minTransitivized},
            {"SalvarMatrizProdTransitivizada1", "transitivizada_prod.txt", &r.prodTransitivized},
            {"SalvarMatrizWTransitivizada1", "transitivizada_w.txt", &r.wTransitivized},
        };
        for (const auto& [item, name, matrix] : saves) {
            dialogs.saveName = QString::fromStdString((dir / name).string());
            Click(item);
            EXPECT_EQ(dialogs.asked.last(), QString("save fichero de texto|*.txt|todos los archivos|* .txt (replace?) ") + name);
            EXPECT_EQ(Contents(dir / name), experiments::RelationText(10, *matrix, toolkit::DecimalSeparator())) << item;
        }
        fs::remove(dir / "todo.txt");
        dialogs.saveName.reset();  // cancelled: nothing written
        Click("SalvarTodo1");
        dialogs.saveName = QString::fromStdString((dir / "todo.txt").string());
        EXPECT_FALSE(fs::exists(dir / "todo.txt"));
        Click("SalvarTodo1");
        EXPECT_EQ(Contents(dir / "todo.txt"), experiments::SaveAllText(form->experiment()));
        const engine::Analysis drawn = r;
        Click("Button1");
        const engine::RelationMatrix next = E().relation;

        // A fresh window loads the relation its twin drew: the same results, and nothing drawn.
        Start(variant);
        dialogs.openName.reset();
        Click("Cargarmatriz1");  // cancelled
        EXPECT_EQ(E().trialCount, 1);
        dialogs.openName = QString::fromStdString((dir / "matriz.txt").string());
        Click("Cargarmatriz1");
        EXPECT_EQ(dialogs.asked.last(), "open fichero de texto|*.txt|todos los archivos|*");
        EXPECT_EQ(E().trialCount, 2);
        const engine::Analysis& loaded = E().results;
        EXPECT_EQ(loaded.resultText, drawn.resultText);
        for (int t = engine::Min; t <= engine::W; ++t) {
            const auto tn = static_cast<engine::TNorm>(t);
            EXPECT_TRUE(engine::MatrixEqual(10, loaded.Closure(tn), drawn.Closure(tn)) &&
                        engine::MatrixEqual(10, loaded.Transitivized(tn), drawn.Transitivized(tn)) &&
                        engine::MatrixEqual(10, loaded.Order(tn), drawn.Order(tn)));
        }
        EXPECT_EQ(Label(9)->text(), "Dist1, Dim: 10 matrices:2");
        Click("Button1");
        EXPECT_EQ(E().relation, next);
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace ui_test
