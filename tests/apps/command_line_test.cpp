// Both programs as commands, run as separate processes without a display: help and version,
// usage errors, failures, the analysis of a relation file and the statistics options, and
// the ways a run can end early (signals, lost output, a full disk, a second writer).
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "apps/command_line/argument_bytes.h"
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
    test_support::CommandResult Run(const std::vector<std::string>& arguments,
                                    const test_support::CommandSetup& setup = {}) const {
        return test_support::Command(GetParam().path, arguments, setup).Wait();
    }
    // The statistics file that the window's start writes, but for its first line.
    std::string SameStatisticsFrom2ndLine(int largestDimension, int sampleSize) const {
        auto same = test_support::Started(GetParam().variant);
        experiments::RunStatisticsBatch(dir / "same.txt", *same, largestDimension, sampleSize, {});
        const std::string text = Contents(dir / "same.txt");
        return text.substr(text.find('\n') + 1);
    }

    const test_support::ScratchDir dir{"command_line"};
};

TEST(ArgumentBytes, AnyBytesComeBackAndUtf8ReadsAsUtf8) {
    std::mt19937 random;
    const std::string pieces[] = {"a", "ñ", "€", "😀", "\xff", "\xc3", "\xe2\x82", "\xed\xa0\x80", "\xc0\xaf", "\x80"};
    for (int i = 0; i < 2000; ++i) {
        std::string bytes;
        for (int k = static_cast<int>(random() % 8); k > 0; --k) bytes += pieces[random() % std::size(pieces)];
        EXPECT_EQ(cli::FileName(cli::ArgumentText(bytes)), bytes);
        if (QString::fromUtf8(bytes).toUtf8().toStdString() == bytes) {
            EXPECT_EQ(cli::ArgumentText(bytes), QString::fromUtf8(bytes));
        }
    }
}

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
        {{"--salva-todo", "t.txt"}, 2, "falta el modo: --estadisticas, --analiza o --reune"},
        {{"--bogus"}, 2, "Opción desconocida «bogus»."},
        {{"--analiza"}, 2, "Falta valor tras «--analiza»."},
        {{"--analiza", "m.txt", "sobra"}, 2, "sobra «sobra»: --analiza no lleva más argumentos"},
        {{"--estadisticas", "3", "2", "f.txt", "--hilos"}, 2, "Falta valor tras «--hilos»."},
        {{"--estadisticas", "3", "2", "f.txt", "--hilos", "257"}, 2,
         "'257' no es un número de hilos válido: debe estar entre 1 y 256"},
        {{"--estadisticas", "3", "dos", "f.txt"}, 2, "'dos' no es un valor entero válido"},
        {{"--estadisticas", "3", "2", "f.txt", "--semilla", "+5"}, 2,
         "'+5' no es una semilla válida: debe ser un entero entre 0 y 4294967295"},
        {{"--analiza", "m.txt", "--no-simetrica"}, 2, "--no-simetrica solo va con --estadisticas"},
        {{"--analiza", "m.txt", "--semilla", "3"}, 2, "--semilla solo va con --estadisticas"},
        {{"--analiza", "m.txt", "--hilos", "2"}, 2, "--hilos solo va con --estadisticas"},
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
    // The two programs share one parser: each takes every other case.
    for (std::size_t i = GetParam().variant.integerMeans ? 0 : 1; i < std::size(cases); i += 2) {
        const auto& [arguments, status, message] = cases[i];
        const auto result = Run(arguments);
        EXPECT_EQ(result.status, status) << message;
        const std::string first = Name() + ": " + message + "\n";
        EXPECT_EQ(result.err.substr(0, first.size()), first);
        EXPECT_EQ(result.err.substr(first.size(), 6), status == 2 ? "\nUso: " : "") << result.err;
        EXPECT_TRUE(result.out.empty());
    }
}

TEST_P(CommandLine, AnalysisOfARelationFileAsTheWindowMakesIt) {
    // Names that are not UTF-8 reach the file system as the bytes they are.
    std::ofstream(dir / "m\xff.txt") << "1;0,3;0,5\r\n0,3;1;0,7\r\n0,5;0,7;1\r\n";
    const auto result = Run({"--analiza", In("m\xff.txt"), "--salva-todo", In("todo\xfe.txt")});
    ASSERT_EQ(result.status, 0) << result.err;
    // The window's start: its options, its separator, its first trial; then the file.
    toolkit::SetDecimalSeparator(ui::StartDecimalSeparator(GetParam().variant));
    const auto window = test_support::Started(GetParam().variant);
    auto matrix = std::make_unique<engine::RelationMatrix>();
    window->LoadRelation(experiments::ReadRelationFile(dir / "m\xff.txt", *matrix), *matrix);
    std::string texts;
    for (const std::string& text : window->engine.results.resultText) texts += (texts.empty() ? "" : "\n") + text + "\n";
    EXPECT_EQ(result.out, texts);
    EXPECT_EQ(Contents(dir / "todo\xfe.txt"), experiments::SaveAllText(*window));
}

TEST_P(CommandLine, StatisticsAsIfTheProgramHadStartedWithTheOptions) {
    const auto result = Run({"--estadisticas", "6", "4", In("f\xfd.txt"), "--reflexiva", "--no-simetrica", "--semilla",
                             "7", "--hilos", "3"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.err.empty()) << "no progress line when standard error is not a terminal";
    auto same = test_support::Started(GetParam().variant, true, false, 7);
    experiments::RunStatisticsBatch(dir / "same.txt", *same, 6, 4, {});
    EXPECT_EQ(Contents(dir / "f\xfd.txt"), Contents(dir / "same.txt"));
}

TEST_P(CommandLine, ABatchEndedBySignalKeepsItsCompleteRowsAndFails) {
    const int inotify = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(inotify, 0);
    ::inotify_add_watch(inotify, dir.path.c_str(), IN_MODIFY);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const fs::path path = dir / ("f" + std::to_string(signal) + ".txt");
        test_support::Command batch(GetParam().path, {"--estadisticas", "100", "200", path.string(), "--hilos", "2"});
        // Signalled once the first row is in the file (every line is one write).
        std::string text;
        while (std::count(text.begin(), text.end(), '\n') < 6) {
            pollfd ready{inotify, POLLIN, 0};
            ASSERT_EQ(::poll(&ready, 1, 60'000), 1) << "no row in a minute";
            char events[4096];
            ASSERT_GT(::read(inotify, events, sizeof events), 0);
            text = Contents(path);
        }
        ::kill(batch.pid, signal);
        const auto result = batch.Wait();
        EXPECT_EQ(result.status, 1) << signal;
        EXPECT_EQ(result.err, "Interrumpido: el fichero «" + path.string() +
                                  "» guarda las filas de las dimensiones completadas.\n");
        // The rows of a complete batch that reached as far, and the empty last line.
        text = Contents(path);
        const auto rows = static_cast<int>(std::count(text.begin(), text.end(), '\n')) - 6;
        ASSERT_GE(rows, 1);
        EXPECT_LT(rows, 99) << "stopped before the end";
        EXPECT_EQ(text.substr(text.find('\n') + 1), SameStatisticsFrom2ndLine(rows + 1, 200)) << signal;
    }
    ::close(inotify);
}

TEST_P(CommandLine, LostOutputFullDiskAndASecondWriterAreFailures) {
    std::ofstream(dir / "m.txt") << "0.5 0.25\n0.75 1\n";
    // Standard output on a full disk, or read by nobody: the save goes on all the same.
    const std::vector<std::string> runs[] = {{"--help"}, {"--version"}, {"--analiza", In("m.txt"), "--salva-todo", In("t.txt")}};
    for (const auto& arguments : runs) {
        for (const auto& [setup, reason] : {std::pair{test_support::CommandSetup{"/dev/full"}, "no queda espacio en el disco"},
                                            std::pair{test_support::CommandSetup{nullptr, true}, "nadie lee ya la salida"}}) {
            fs::remove(dir / "t.txt");
            const auto result = Run(arguments, setup);
            EXPECT_EQ(result.status, 1) << arguments[0] << reason;
            EXPECT_EQ(result.err, Name() + ": No se ha podido escribir en la salida estándar: " + reason + "\n");
            EXPECT_EQ(fs::exists(dir / "t.txt"), arguments.size() > 1);
        }
    }

    // Past the file-size limit: standard output fails, the statistics file ends at its last
    // complete row, a save leaves the old file as it was.
    const std::string tooLarge = "el fichero supera el tamaño máximo permitido";
    std::ofstream(dir / "salida.txt").flush();
    auto result = Run({"--help"}, {In("salida.txt").c_str(), false, 200});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, Name() + ": No se ha podido escribir en la salida estándar: " + tooLarge + "\n");
    result = Run({"--estadisticas", "20", "3", In("f.txt")}, {nullptr, false, 1000});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, Name() + ": No se ha podido escribir en el fichero «" + In("f.txt") + "»: " + tooLarge + "\n");
    std::string text = Contents(dir / "f.txt");
    const std::string whole = SameStatisticsFrom2ndLine(20, 3);
    ASSERT_GT(text.size(), 600u);
    EXPECT_EQ(whole.substr(0, text.size() - text.find('\n') - 1), text.substr(text.find('\n') + 1));
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    std::ofstream(dir / "t.txt") << "viejo";
    result = Run({"--analiza", In("m.txt"), "--salva-todo", In("t.txt")}, {nullptr, false, 600});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, Name() + ": No se ha podido guardar el fichero «" + In("t.txt") + "»: " + tooLarge + "\n");
    EXPECT_EQ(Contents(dir / "t.txt"), "viejo");

    // A statistics file another batch is writing: refused before anything is written.
    experiments::LineFile first(dir / "f.txt");
    first.WriteLine("uno");
    result = Run({"--estadisticas", "3", "2", In("f.txt")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, Name() + ": No se ha podido abrir el fichero «" + In("f.txt") + "»: otro proceso lo está escribiendo\n");
    EXPECT_EQ(Contents(dir / "f.txt"), "uno\r\n");
}

}  // namespace
