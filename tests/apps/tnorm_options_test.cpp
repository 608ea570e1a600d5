// The t-norm options of the command line: the texts of the asked t-norms, the sweep's table,
// and their refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/apps/run_command.h"
#include "tests/support.h"

namespace {

using test_support::Contents;

test_support::CommandResult Zorvane(const std::vector<std::string>& arguments) {
    return test_support::Command(ZORVANE_EXE, arguments).Wait();
}

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    for (std::size_t start = 0, end = 0; start < text.size(); start = end + separator.size())
        parts.push_back(text.substr(start, (end = std::min(text.find(separator, start), text.size())) - start));
    return parts;
}

TEST(TNormOptions, TextsTableAndRefusals) {
    const test_support::ScratchDir dir("tnorm_options");
    const std::string relation = (dir / "r.txt").string(), table = (dir / "t.csv").string();
    std::ofstream(relation) << "0.2 0.9 0.4 0\n0.8 0.1 0.6 0.7\n0.3 0.5 1 0.9\n0.6 0.2 0.8 0.4\n";

    // min, prod and w asked by name print the program's own texts, a t-norm after the other.
    const auto own = Zorvane({"--analiza", relation});
    const auto asked = Zorvane({"--analiza", relation, "--tnorma", "min", "--tnorma", "prod", "--tnorma", "w"});
    ASSERT_EQ(asked.status, 0) << asked.err;
    const auto six = Split(own.out, "\n\n"), pairs = Split(asked.out, "\n\n");
    ASSERT_EQ(six.size(), 6u);
    EXPECT_EQ(pairs, (std::vector<std::string>{six[0], six[3], six[1], six[4], six[2], six[5]}));

    // Frank passes through Prod at s = 1 and Yu at l = -1: one line each, marked, with the same numbers.
    ASSERT_EQ(Zorvane({"--analiza", relation, "--barrido", "frank:0.01:100:5", "--barrido-csv", table}).status, 0);
    const auto frank = Split(Contents(table), "\n");
    ASSERT_EQ(frank.size(), 6u);
    const auto yu = Split(Zorvane({"--analiza", relation, "--barrido", "yu:-1:1:3", "--lineal"}).out, "\n");
    ASSERT_EQ(yu.size(), 4u);
    EXPECT_EQ(frank[3].substr(0, 7), "1,prod,");
    EXPECT_EQ(yu[1].substr(0, 8), "-1,prod,");
    EXPECT_EQ(frank[3].substr(2), yu[1].substr(3));
    EXPECT_NE(frank[1].substr(5), frank[3].substr(7));

    // --salva-todo and --figuras cover the asked t-norms: prod by name saves as the program
    // saves its Prod, and each t-norm, a sweep too, has its figures.
    const std::string all = (dir / "todo.txt").string(), own_all = (dir / "propio.txt").string();
    ASSERT_EQ(Zorvane({"--analiza", relation, "--salva-todo", own_all}).status, 0);
    const auto saved = Zorvane({"--analiza", relation, "--tnorma", "prod", "--tnorma", "hamacher:0.5", "--salva-todo", all,
                                "--figuras", dir.path.string(), "--barrido", "frank:0.01:100:5"});
    ASSERT_EQ(saved.status, 0) << saved.err;
    const auto blocks = Split(Contents(all), "\r\n\r\n"), own_blocks = Split(Contents(own_all), "\r\n\r\n");
    ASSERT_EQ(blocks.size(), 7u);  // the relation, then closure, transitivized and order per t-norm
    EXPECT_EQ(std::vector(blocks.begin(), blocks.begin() + 4),
              (std::vector<std::string>{own_blocks[0], own_blocks[2], own_blocks[5], own_blocks[8]}));
    EXPECT_NE(blocks[4].find("Cierre hamacher:0.5-transit."), std::string::npos);
    for (const char* name : {"matriz", "cierre_prod", "transitivizada_prod", "cierre_hamacher_0.5",
                             "transitivizada_hamacher_0.5", "barrido_frank"})
        for (const char* extension : {".svg", ".png"})
            EXPECT_GT(Contents(dir / (std::string(name) + extension)).size(), 100u) << name << extension;

    // A drawn relation under the asked t-norms reads as that relation's file does.
    const auto drawn = Zorvane({"--dimension", "9", "--semilla", "4", "--tnorma", "hamacher:0.5", "--barrido",
                                "frank:0.01:100:3", "--matrices", dir.path.string()});
    ASSERT_EQ(drawn.status, 2) << "--matrices does not go with --barrido";
    const auto texts = Zorvane({"--dimension", "9", "--semilla", "4", "--tnorma", "hamacher:0.5", "--matrices",
                                dir.path.string()});
    ASSERT_EQ(texts.status, 0) << texts.err;
    EXPECT_NE(texts.out.find("Cierre hamacher:0.5-transit."), std::string::npos);
    EXPECT_EQ(Zorvane({"--analiza", (dir / "relacion.npy").string(), "--tnorma", "hamacher:0.5"}).out, texts.out);

    const struct {
        std::vector<std::string> arguments;
        const char* message;
    } refusals[] = {
        {{"--analiza", relation, "--tnorma", "hamacher:-1"}, "«-1» no es un parámetro válido de hamacher: p ≥ 0"},
        {{"--analiza", relation, "--tnorma", "lukasiewicz"}, "yu:l  con l ≥ -1"},
        {{"--analiza", relation, "--barrido", "frank:0:10:5"}, "usa --lineal"},
        {{"--analiza", relation, "--barrido", "frank:1:10"}, "NOMBRE:DESDE:HASTA:PASOS"},
        {{"--analiza", relation, "--barrido", "dombi:1:10:1"}, "entre 2 y 10000"},
        {{"--analiza", relation, "--barrido", "sugeno-weber:-2:1:5", "--lineal"}, "l > -1"},
        {{"--analiza", relation, "--lineal"}, "--lineal solo va con --barrido"},
        {{"--estadisticas", "3", "2", table, "--tnorma", "min"}, "necesitan --crudo o --libro"},
    };
    for (const auto& refusal : refusals) {
        const auto result = Zorvane(refusal.arguments);
        EXPECT_EQ(result.status, 2) << refusal.message;
        EXPECT_NE(result.err.find(refusal.message), std::string::npos) << result.err;
    }
}

}  // namespace
