// Both programs as commands, run as separate processes without a display: help and version,
// usage errors, failures, the analysis of a relation file and the statistics options.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <tuple>

#include "experiments/relation_file.h"
#include "experiments/statistics_batch.h"
#include "tests/apps/run_command.h"
#include "tests/experiments/same_state.h"
#include "toolkit/number_text.h"
#include "ui/locale.h"

namespace {

namespace fs = std::filesystem;
using test_support::Contents;

struct Program {
    engine::Variant variant;
    const char* path;
};
const Program kPrograms[] = {{engine::kZorvath, ZORVATH_EXE}, {engine::kZorvane, ZORVANE_EXE}};

class CommandLine : public ::testing::TestWithParam<Program> {
protected:
    std::string In(const char* name) const { return (dir / name).string(); }
    std::string Name() const { return engine::ProgramName(GetParam().variant); }
    test_support::CommandResult Run(const std::vector<std::string>& arguments) const {
        return test_support::RunCommand(GetParam().path, arguments);
    }

    const test_support::ScratchDir dir{"command_line"};
};

INSTANTIATE_TEST_SUITE_P(BothPrograms, CommandLine, ::testing::ValuesIn(kPrograms),
                         [](const auto& info) { return engine::ProgramName(info.param.variant); });

TEST_P(CommandLine, HelpVersionUsageErrorsAndFailures) {
    const auto help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Uso: " + Name() + " [opciones]", 0), 0u) << help.out;
    EXPECT_EQ(Run({"--version"}).out, Name() + " 1.1.0\n");

    ASSERT_EQ(::mkfifo((dir / "tuberia").c_str(), 0600), 0);
    std::ofstream(dir / "mala.txt") << "0.5 0.2\n0.1\n";
    // Arguments, the exit status and the message that comes first on standard error: the usage
    // follows a usage error (2), nothing a failure (1; one of each mode, the other reasons: the
    // file I/O and relation file tests).
    const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
        {{"5"}, 2, "falta el modo: --estadisticas, --analiza o --reune"},
        {{"--bogus"}, 2, "Opción desconocida «bogus»."},
        {{"--estadisticas", "101", "3", "f.txt"}, 2, "La dimensión máxima no puede pasar de 100 (se ha pedido 101)."},
        {{"--estadisticas", "tres", "3", "f.txt"}, 2, "'tres' no es un valor entero válido"},
        {{"--estadisticas", "3", "0", "f.txt"}, 2,
         "El número de matrices por dimensión debe ser al menos 1 (se ha pedido 0)."},
        {{"--estadisticas", "3", "2"}, 2, "--estadisticas necesita D, S y FICHERO"},
        {{"--estadisticas", "3", "2", "f.txt", "--hilos", "0"}, 2,
         "'0' no es un número de hilos válido: debe estar entre 1 y 256"},
        {{"--estadisticas", "3", "2", "f.txt", "--semilla", "-1"}, 2,
         "'-1' no es una semilla válida: debe ser un entero entre 0 y 4294967295"},
        {{"--estadisticas", "3", "2", "f.txt", "--semilla", "4294967296"}, 2,
         "'4294967296' no es una semilla válida: debe ser un entero entre 0 y 4294967295"},
        {{"--estadisticas", "3", "2", "f.txt", "--simetrica", "--no-simetrica"}, 2,
         "--simetrica y --no-simetrica no van juntas"},
        {{"--analiza", "m.txt", "--reflexiva"}, 2, "--reflexiva solo va con --estadisticas"},
        {{"--analiza", "m.txt", "--estadisticas"}, 2, "--estadisticas y --analiza no van juntas"},
        {{"--estadisticas", "3", "2", "f.txt", "--salva-todo", "t.txt"}, 2, "--salva-todo solo va con --analiza"},
        {{"--estadisticas", "3", "2", In("tuberia")}, 1,
         "No se ha podido abrir el fichero «" + In("tuberia") + "»: no es un fichero normal"},
        {{"--analiza", In("mala.txt")}, 1,
         "El fichero «" + In("mala.txt") + "» no contiene una matriz válida: fila 2: tiene 1 valor y la fila 1 tiene 2"},
    };
    for (const auto& [arguments, status, message] : cases) {
        const auto result = Run(arguments);
        EXPECT_EQ(result.status, status) << message;
        const std::string first = Name() + ": " + message + "\n";
        EXPECT_EQ(result.err.substr(0, first.size()), first);
        EXPECT_EQ(result.err.substr(first.size(), 6), status == 2 ? "\nUso: " : "") << result.err;
        EXPECT_TRUE(result.out.empty());
    }
}

TEST_P(CommandLine, AnalysisOfARelationFileAsTheWindowMakesIt) {
    std::ofstream(dir / "m.txt") << "1;0,3;0,5\r\n0,3;1;0,7\r\n0,5;0,7;1\r\n";
    const auto result = Run({"--analiza", In("m.txt"), "--salva-todo", In("todo.txt")});
    ASSERT_EQ(result.status, 0) << result.err;
    // The window's start: its options, its separator, its first trial; then the file.
    toolkit::SetDecimalSeparator(ui::StartDecimalSeparator(GetParam().variant));
    const auto window = test_support::Started(GetParam().variant);
    auto matrix = std::make_unique<engine::RelationMatrix>();
    window->LoadRelation(experiments::ReadRelationFile(dir / "m.txt", *matrix), *matrix);
    std::string texts;
    for (const std::string& text : window->engine.results.resultText) texts += (texts.empty() ? "" : "\n") + text + "\n";
    EXPECT_EQ(result.out, texts);
    EXPECT_EQ(Contents(dir / "todo.txt"), experiments::SaveAllText(*window));
}

TEST_P(CommandLine, StatisticsAsIfTheProgramHadStartedWithTheOptions) {
    const auto result = Run({"--estadisticas", "6", "4", In("f.txt"), "--reflexiva", "--no-simetrica", "--semilla",
                             "7", "--hilos", "3"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.err.empty()) << "no progress line when standard error is not a terminal";
    auto same = test_support::Started(GetParam().variant, true, false, 7);
    experiments::RunStatisticsBatch(dir / "same.txt", *same, 6, 4, {});
    EXPECT_EQ(Contents(dir / "f.txt"), Contents(dir / "same.txt"));
    // Without options: the window's start (which the window's statistics command tests run).
    ASSERT_EQ(Run({"--estadisticas", "4", "3", In("g.txt")}).status, 0);
    same = test_support::Started(GetParam().variant);
    experiments::RunStatisticsBatch(dir / "same.txt", *same, 4, 3, {});
    EXPECT_EQ(Contents(dir / "g.txt"), Contents(dir / "same.txt"));
}

}  // namespace
