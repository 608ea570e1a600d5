// --figuras as a script uses it, without a display: the pictures it writes and its refusals.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/apps/run_command.h"
#include "tests/support.h"

namespace {

namespace fs = std::filesystem;

TEST(Figures, EveryMatrixAndTheBarsAsSvgAndPngWithoutADisplay) {
    const test_support::ScratchDir dir("figuras");
    std::ofstream(dir / "m.txt") << "0,4762;0,25;0\n1;0,5;0,125\n0;0,75;1\n";
    fs::create_directory(dir / "salida");
    const auto result = test_support::RunCommand(ZORVANE_EXE, {"--analiza", (dir / "m.txt").string(), "--figuras",
                                                               (dir / "salida").string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("Cierre Min-transit."), std::string::npos);  // the texts, as without figures
    for (const char* name : {"matriz", "cierre_min", "cierre_prod", "cierre_w", "transitivizada_min",
                             "transitivizada_prod", "transitivizada_w", "distancias"}) {
        const std::string svg = test_support::Contents(dir / "salida" / (std::string(name) + ".svg"));
        const std::string png = test_support::Contents(dir / "salida" / (std::string(name) + ".png"));
        EXPECT_NE(svg.find("<svg"), std::string::npos) << name;
        EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n") << name;
    }
    // The relation's picture: its numbers whole, its title, rows and columns numbered.
    const std::string relation = test_support::Contents(dir / "salida" / "matriz.svg");
    for (const char* text : {"0,4762", "0,125", "Matriz inicial", ">3<"})
        EXPECT_NE(relation.find(text), std::string::npos) << text;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "salida"), fs::directory_iterator()), 16);
}

TEST(Figures, RefusedFoldersAndMisusedOptions) {
    const test_support::ScratchDir dir("figuras_mal");
    std::ofstream(dir / "m.txt") << "1;0\n0;1\n";
    const std::string m = (dir / "m.txt").string(), missing = (dir / "no").string();
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    } cases[] = {
        {{"--analiza", m, "--figuras", missing}, 1, "No existe la carpeta «" + missing + "»"},
        {{"--analiza", m, "--figuras", m}, 1, "«" + m + "» no es una carpeta"},
        // Not even root may write here.
        {{"--analiza", m, "--figuras", "/proc/self"}, 1, "/proc/self"},
        {{"--analiza", m, "--figuras"}, 2, "Falta valor tras «--figuras»."},
        {{"--figuras", dir.path.string()}, 2, "falta el modo: --estadisticas, --analiza o --reune"},
        {{"--estadisticas", "3", "2", (dir / "f.txt").string(), "--figuras", dir.path.string()}, 2,
         "--figuras solo va con --analiza"},
    };
    for (const auto& c : cases) {
        const auto result = test_support::RunCommand(ZORVATH_EXE, c.arguments);
        EXPECT_EQ(result.status, c.status) << c.message;
        // Our message first: Qt's own notices (no XDG_RUNTIME_DIR here) do not reach the user.
        EXPECT_EQ(result.err.rfind("Zorvath: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_TRUE(result.out.empty()) << result.out;  // refused before anything is computed
    }
    // Nothing was left behind: the scratch folder holds only the matrix.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);
}

}  // namespace
