// The methods options of the command line: the CSV table against the printed one and the
// engine's figures, the diagnosis, and the refusals.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/apps/run_command.h"
#include "tests/support.h"

namespace {

test_support::CommandResult Zorvane(const std::vector<std::string>& arguments) {
    return test_support::Command(ZORVANE_EXE, arguments).Wait();
}

TEST(MethodOptions, TableDiagnosisAndRefusals) {
    const test_support::ScratchDir dir("method_options");
    const std::string relation = (dir / "r.txt").string(), table = (dir / "t.csv").string();
    // Reflexive and symmetric, so that every method applies under min.
    std::ofstream(relation) << "1 0.9 0.2 0.4\n0.9 1 0.3 0.6\n0.2 0.3 1 0.5\n0.4 0.6 0.5 1\n";

    const auto run = Zorvane({"--analiza", relation, "--metodos", "cierre,tecnica,completada,completa,simple", "--tnorma",
                              "min", "--tnorma", "prod", "--tabla-metodos", table, "--diagnostico"});
    ASSERT_EQ(run.status, 0) << run.err;
    // The completion and complete linkage both end at d1 1.4 here, below the technique's 1.7,
    // and single linkage rises as far as the closure; the closure's largest rise is (1, 3),
    // through 1 → 2 → 4 → 3 (0.9, 0.6, 0.5).
    const std::string csv = test_support::Contents(table);
    for (const char* line : {"min,completada,1.4000001,", "min,completa,1.4000001,", "min,simple,1.4000001,",
                             "prod,completa,,,,,,,,,,,,,,\"el método «completa» solo se aplica con la t-norma min, no con prod\""})
        EXPECT_NE(csv.find(line), std::string::npos) << line << "\n" << csv;
    // The technique's result lies farther than the completion's, so some entry of it can still rise.
    EXPECT_NE(csv.find("min,tecnica,1.7000003,"), std::string::npos) << csv;
    EXPECT_NE(run.out.find("completada  1,4"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  tecnica     T-transitiva (grado 1)\n              1 entradas pueden subir aún"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("la mayor subida, en (1, 3), la da el camino 1 → 2 → 4 → 3"), std::string::npos);

    // A drawn relation: the same table as its file's, but for the times.
    const auto drawn = Zorvane({"--dimension", "9", "--semilla", "5", "--reflexiva", "--simetrica", "--metodos", "todos",
                                "--tabla-metodos", table, "--matrices", dir.path.string()});
    ASSERT_EQ(drawn.status, 0) << drawn.err;
    const auto withoutTimes = [](const std::string& csv) {
        std::string kept;
        for (std::size_t start = 0; start < csv.size();) {
            const std::size_t end = csv.find('\n', start);
            std::string line = csv.substr(start, end - start);
            // tiempo_ms is the next to last field.
            const std::size_t last = line.rfind(','), before = line.rfind(',', last - 1);
            kept += line.substr(0, before) + line.substr(last) + "\n";
            start = end + 1;
        }
        return kept;
    };
    const std::string drawnTable = withoutTimes(test_support::Contents(table));
    ASSERT_EQ(Zorvane({"--analiza", (dir / "relacion.npy").string(), "--metodos", "todos", "--tabla-metodos", table}).status, 0);
    EXPECT_EQ(withoutTimes(test_support::Contents(table)), drawnTable);
    EXPECT_NE(drawnTable.find("min,promedio,"), std::string::npos) << drawnTable;

    const struct {
        std::vector<std::string> arguments;
        const char* message;
    } refusals[] = {
        {{"--analiza", relation, "--metodos", "tecnica,ward"}, "método desconocido «ward»; los métodos son cierre,"},
        {{"--analiza", relation, "--metodos", "todos", "--barrido", "frank:1:10:3"}, "no van con --salva-todo"},
        {{"--estadisticas", "3", "2", table, "--diagnostico"}, "--diagnostico solo va con --analiza"},
    };
    for (const auto& refusal : refusals) {
        const auto result = Zorvane(refusal.arguments);
        EXPECT_EQ(result.status, 2) << refusal.message;
        EXPECT_NE(result.err.find(refusal.message), std::string::npos) << result.err;
    }
}

}  // namespace
