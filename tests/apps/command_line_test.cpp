// Both programs as commands, run as separate processes without a display: help and version,
// usage errors, failures, the analysis of a relation file and the statistics options, and
// the ways a run can end early (signals, lost output, a full disk, a second writer); the raw
// file and the workbook beside the statistics table, and --reune pooling replicates.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "ui/argument_bytes.h"
#include "formats/raw_trials.h"
#include "formats/relation_file.h"
#include "experiments/statistics_batch.h"
#include "tests/apps/run_command.h"
#include "tests/experiments/same_state.h"
#include "toolkit/number_text.h"
#include "ui/locale.h"

namespace {

namespace fs = std::filesystem;
using test_support::Contents;

class CommandLine : public ::testing::TestWithParam<engine::Variant> {
protected:
    const char* Path() const { return GetParam().integerMeans ? ZORVATH_EXE : ZORVANE_EXE; }
    std::string In(const char* name) const { return (dir / name).string(); }
    std::string Name() const { return engine::ProgramName(GetParam()); }
    // Names with a dot stand for files in the scratch folder.
    test_support::CommandResult Run(const std::vector<std::string>& arguments,
                                    const test_support::CommandSetup& setup = {}) const {
        std::vector<std::string> args;
        for (const std::string& a : arguments) args.push_back(a.find('.') != std::string::npos && a[0] != '-' ? (dir / a).string() : a);
        return test_support::Command(Path(), args, setup).Wait();
    }
    // The statistics file that the window's start writes, but for its first line.
    std::string SameStatisticsFrom2ndLine(int largestDimension, int sampleSize) const {
        auto same = test_support::Started(GetParam());
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
        EXPECT_EQ(ui::FileName(ui::ArgumentText(bytes)), bytes);
        if (QString::fromUtf8(bytes).toUtf8().toStdString() == bytes) {
            EXPECT_EQ(ui::ArgumentText(bytes), QString::fromUtf8(bytes));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, CommandLine, ::testing::Values(engine::kZorvath, engine::kZorvane),
                         [](const auto& info) { return engine::ProgramName(info.param); });

TEST_P(CommandLine, HelpVersionUsageErrorsAndFailures) {
    const auto help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Uso: " + Name() + " [opciones]", 0), 0u) << help.out;
    EXPECT_EQ(Run({"--version"}).out, Name() + " 1.1.0\n");

    ASSERT_EQ(::mkfifo((dir / "tuberia").c_str(), 0600), 0);
    std::ofstream(dir / "mala.txt") << "0.5 0.2\n0.1\n";
    std::ofstream(dir / "m.txt") << "1;0\n0;1\n";
    // A request of 3 × 2 matrices into f.txt, then `more`; the refusals of a seed and of threads.
    const auto S = [](std::vector<std::string> more) { more.insert(more.begin(), {"--estadisticas", "3", "2", "f.txt"}); return more; };
    const auto seed = [](const std::string& s) { return "'" + s + "' no es una semilla válida: debe ser un entero entre 0 y 4294967295"; };
    const auto threads = [](const std::string& s) { return "'" + s + "' no es un número de hilos válido: debe estar entre 1 y 256"; };
    std::ofstream(dir / "relacion.npy") << "1;0\n0;1\n";
    // Arguments, the exit status and the message that comes first on standard error: the usage
    // follows a usage error (2), nothing a failure (1; one of each mode, the other reasons: the
    // file I/O and relation file tests).
    const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
        {{"--salva-todo", "t.txt"}, 2, "falta el modo: --estadisticas, --analiza o --reune"},
        {{"--bogus"}, 2, "Opción desconocida «bogus»."},
        {{"--analiza"}, 2, "Falta valor tras «--analiza»."},
        {{"--analiza", "m.txt", "sobra"}, 2, "sobra «sobra»: --analiza no lleva más argumentos"},
        {S({"--hilos"}), 2, "Falta valor tras «--hilos»."},
        {S({"--hilos", "257"}), 2, threads("257")},
        {S({"--semilla", "+5"}), 2, seed("+5")},
        {{"--analiza", "m.txt", "--no-simetrica"}, 2, "--no-simetrica solo va con --estadisticas o --dimension"},
        {{"--analiza", "m.txt", "--semilla", "3"}, 2, "--semilla solo va con --estadisticas o --dimension"},
        {{"--analiza", "m.txt", "--hilos", "2"}, 2, "--hilos solo va con --estadisticas"},
        {{"--estadisticas", "101", "3", "f.txt"}, 2, "La dimensión máxima no puede pasar de 100 (se ha pedido 101)."},
        {{"--estadisticas", "tres", "3", "f.txt"}, 2, "'tres' no es un valor entero válido"},
        {{"--estadisticas", "3", "0", "f.txt"}, 2, "El número de matrices por dimensión debe ser al menos 1 (se ha pedido 0)."},
        {{"--estadisticas", "3", "2"}, 2, "--estadisticas necesita D, S y FICHERO"},
        {S({"--hilos", "0"}), 2, threads("0")},
        {S({"--semilla", "-1"}), 2, seed("-1")},
        {S({"--semilla", "4294967296"}), 2, seed("4294967296")},
        {S({"--simetrica", "--no-simetrica"}), 2, "--simetrica y --no-simetrica no van juntas"},
        {{"--analiza", "m.txt", "--reflexiva"}, 2, "--reflexiva solo va con --estadisticas o --dimension"},
        {{"--analiza", "m.txt", "--estadisticas"}, 2, "--estadisticas y --analiza no van juntas"},
        {S({"--salva-todo", "t.txt"}), 2, "--salva-todo solo va con --analiza"},
        {{"--estadisticas", "3", "2", In("tuberia")}, 1, "No se ha podido abrir el fichero «" + In("tuberia") + "»: no es un fichero normal"},
        {{"--analiza", "m.txt", "--figuras", In("no")}, 1, "No existe la carpeta «" + In("no") + "»"},
        {{"--analiza", "m.txt", "--figuras", In("m.txt")}, 1, "«" + In("m.txt") + "» no es una carpeta"},
        {{"--analiza", "m.txt", "--figuras", "/proc/self"}, 1,  // not even root may write there
         "No se puede escribir en la carpeta «/proc/self»: permiso denegado"},
        {{"--analiza", "m.txt", "--figuras"}, 2, "Falta valor tras «--figuras»."},
        {{"--figuras", In("no")}, 2, "falta el modo: --estadisticas, --analiza o --reune"},
        {S({"--figuras", In("no")}), 2, "--figuras solo va con --analiza"},
        // Figure options: each misuse of each named.
        {{"--analiza", "m.txt", "--ppp", "300"}, 2, "--ppp solo va con --figuras"},
        {{"--analiza", "m.txt", "--escala", "cividis"}, 2, "--escala solo va con --figuras"},
        {{"--analiza", "m.txt", "--figuras", In("no"), "--tamano", "8,5x6"}, 2,
         "«8,5x6» no es un tamaño válido para --tamano: ha de ser ANCHOxALTO seguido de cm o px, como 8.5x6cm o 1004x709px"},
        {{"--analiza", "m.txt", "--figuras", In("no"), "--tamano", "0,5x6cm"}, 2,
         "el tamaño «0,5x6cm» de --tamano no cabe: cada lado ha de medir de 1 a 100 cm"},
        {{"--analiza", "m.txt", "--figuras", In("no"), "--tamano", "10,5x700px"}, 2,
         "el tamaño «10,5x700px» de --tamano no cabe: cada lado ha de ser un entero de 16 a 20000 px"},
        {{"--analiza", "m.txt", "--figuras", In("no"), "--tamano", "100x90cm", "--ppp", "1200"}, 2,
         "el tamaño «100x90cm» a 1200 ppp pasa de 20000 px por lado: pida menos centímetros o menos --ppp"},
        {{"--analiza", "m.txt", "--figuras", In("no"), "--ppp", "29"}, 2,
         "«29» no es una resolución válida para --ppp: ha de ser un entero de 30 a 1200"},
        {{"--analiza", "m.txt", "--figuras", In("no"), "--ppp", "300", "--ppp", "600"}, 2, "--ppp va una sola vez"},
        {{"--analiza", "m.txt", "--figuras", In("no"), "--fuente", ":9"}, 2,
         "falta la familia en --fuente «:9»: ha de ser \"FAMILIA:PUNTOS\", como \"Liberation Sans:9\""},
        {{"--analiza", "m.txt", "--figuras", In("no"), "--fuente", "Liberation Sans:80"}, 2,
         "«80» no es un tamaño de letra válido para --fuente: ha de ir de 4 a 72 puntos"},
        {{"--analiza", "m.txt", "--figuras", In("no"), "--fuente", "Ninguna Tal:9"}, 2,
         "la fuente «Ninguna Tal» de --fuente no está instalada"},
        {{"--analiza", "m.txt", "--figuras", In("no"), "--formato", "png,jpg"}, 2,
         "«jpg» no es un formato de --formato: valen png, svg y pdf, separados por comas"},
        {{"--analiza", "m.txt", "--figuras", In("no"), "--formato", "pdf,PDF"}, 2, "«pdf» se repite en --formato"},
        {{"--analiza", "m.txt", "--figuras", In("no"), "--escala", "jet"}, 2,
         "«jet» no es una escala de --escala: valen viridis, cividis y grises"},
        {{"--estadisticas", "3", "2", "f.txt", "--matrices", In("no")}, 2, "--matrices solo va con --analiza"},
        {{"--analiza", In("relacion.npy"), "--matrices", In(".")}, 2, "--matrices no puede escribir en la matriz que se analiza"},
        // A random relation instead of a file; statistics at chosen dimensions.
        {{"--dimension", "0"}, 2, "'0' no es una dimensión válida: debe estar entre 1 y 5000"},
        {{"--dimension", "5001", "--simetrica"}, 2, "'5001' no es una dimensión válida: debe estar entre 1 y 5000"},
        {{"--dimension", "5", "--analiza", "m.txt"}, 2, "--analiza y --dimension no van juntas"},
        {{"--dimension", "5", "--crudo", "c.csv"}, 2, "--crudo solo va con --estadisticas"},
        {{"--estadisticas", "--dimensiones", "200", "2", "f.txt"}, 2, "--estadisticas con --dimensiones necesita solo S"},
        {{"--estadisticas", "--dimensiones", "200", "2"}, 2,
         "--dimensiones necesita --crudo o --libro: la tabla de texto es la de 2 … D"},
        {{"--estadisticas", "--dimensiones", "300:200:10", "2", "--crudo", "c.csv"}, 2,
         "'300:200:10' no es una lista de dimensiones: en «300:200:10» la última no puede ser menor que la primera y el paso ha de ser 1 o más"},
        {{"--estadisticas", "--dimensiones", "200,", "2", "--crudo", "c.csv"}, 2,
         "'200,' no es una lista de dimensiones: «» no es un entero (se escribe 200,400,800 o 100:1000:100)"},
        {{"--estadisticas", "--dimensiones", "2,5001", "2", "--libro", "l.xlsx"}, 2,
         "'2,5001' no es una lista de dimensiones: 5001 no está entre 2 y 5000"},
        {{"--estadisticas", "--dimensiones", "2:5000:2", "2", "--crudo", "c.csv"}, 2,
         "'2:5000:2' no es una lista de dimensiones: tiene más de 1000"},
        {{"--analiza", "m.txt", "--dimensiones", "3"}, 2, "--dimensiones solo va con --estadisticas"},
        // Other t-norms and the lowering methods in a batch.
        {S({"--tnorma", "hamacher:0.5"}), 2,
         "--tnorma y --metodos con --estadisticas necesitan --crudo o --libro: la tabla de texto tiene solo min, prod y w"},
        {S({"--barrido", "frank:0:1:3", "--crudo", "c.csv"}), 2, "--barrido solo va con --analiza"},
        {S({"--metodos", "completa", "--crudo", "c.csv"}), 2,
         "--metodos: el método «completa» necesita relaciones reflexivas y simétricas: añada --reflexiva y --simetrica"},
        {S({"--metodos", "simple", "--tnorma", "prod", "--reflexiva", "--simetrica", "--libro", "l.xlsx"}), 2,
         "--metodos: el método «simple» no se aplica con ninguna de las t-normas pedidas"},
        {{"--reune", "l.xlsx", "c.csv", "--tnorma", "min"}, 2,
         "--tnorma, --barrido, --lineal y --barrido-csv solo van con --analiza o --estadisticas"},
        {{"--analiza", In("mala.txt")}, 1,
         "El fichero «" + In("mala.txt") + "» no contiene una matriz válida: fila 2: tiene 1 valor y la fila 1 tiene 2"},
    };
    // The two programs share one parser: each takes every other case.
    for (std::size_t i = GetParam().integerMeans ? 0 : 1; i < std::size(cases); i += 2) {
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
    std::ofstream(dir / "m\xff.txt") << "0,4762;0,25;0\r\n1;0,5;0,125\r\n0;0,75;1\r\n";
    fs::create_directory(dir / "salida\xe9");
    const auto result = Run({"--analiza", In("m\xff.txt"), "--salva-todo", In("todo\xfe.txt"), "--figuras", In("salida\xe9")});
    ASSERT_EQ(result.status, 0) << result.err;
    // Every matrix and the bars as pictures; the relation's with its numbers whole and its title.
    for (const char* name : {"matriz", "cierre_min", "cierre_prod", "cierre_w", "transitivizada_min",
                             "transitivizada_prod", "transitivizada_w", "distancias"}) {
        EXPECT_NE(Contents(dir / "salida\xe9" / (name + std::string(".svg"))).find("<svg"), std::string::npos) << name;
        EXPECT_EQ(Contents(dir / "salida\xe9" / (name + std::string(".png"))).substr(0, 8), "\x89PNG\r\n\x1a\n") << name;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "salida\xe9"), fs::directory_iterator()), 28);
    const std::string relation = Contents(dir / "salida\xe9" / "matriz.svg");
    for (const char* text : {"4762", "125", "Matriz inicial", ">3<"}) EXPECT_NE(relation.find(text), std::string::npos) << text;
    // The window's start: its options, its separator, its first trial; then the file.
    toolkit::SetDecimalSeparator(ui::StartDecimalSeparator(GetParam()));
    const auto window = test_support::Started(GetParam());
    auto matrix = std::make_unique<engine::RelationMatrix>();
    window->LoadRelation(formats::ReadRelationFile(dir / "m\xff.txt", *matrix), *matrix);
    std::string texts;
    for (const std::string& text : window->engine.results.resultText) texts += (texts.empty() ? "" : "\n") + text + "\n";
    EXPECT_EQ(result.out, texts);
    EXPECT_EQ(Contents(dir / "todo\xfe.txt"), experiments::SaveAllText(*window));
}

// A one-column figure of a journal: 8.5 × 6 cm at 300 ppp is 1004 × 709 pixels, every map and
// every difference map alike, so that panels line up; each format asked, and only those.
TEST_P(CommandLine, FiguresTakeTheSizeResolutionAndFormatsAsked) {
    std::ofstream(dir / "m.txt") << "1;0,8;0,6\n0;1;0,8\n0;0;1\n";
    fs::create_directory(dir / "fig");
    const auto result = Run({"--analiza", In("m.txt"), "--figuras", In("fig"), "--tamano", "8,5x6cm", "--ppp", "300",
                             "--fuente", "Liberation Sans:9", "--formato", "png,pdf", "--escala", "cividis"});
    ASSERT_EQ(result.status, 0) << result.err;
    int pngs = 0;
    for (const auto& entry : fs::directory_iterator(dir / "fig")) {
        const std::string name = entry.path().filename().string(), bytes = Contents(entry.path());
        if (entry.path().extension() == ".pdf") {
            EXPECT_EQ(bytes.substr(0, 5), "%PDF-") << name;
            continue;
        }
        ASSERT_EQ(entry.path().extension(), ".png");
        ++pngs;
        const auto word = [&](std::size_t at) {  // IHDR: width and height, big-endian
            return (std::uint32_t(std::uint8_t(bytes[at])) << 24) | (std::uint32_t(std::uint8_t(bytes[at + 1])) << 16) |
                   (std::uint32_t(std::uint8_t(bytes[at + 2])) << 8) | std::uint8_t(bytes[at + 3]);
        };
        EXPECT_EQ(word(16), 1004u) << name;
        EXPECT_EQ(word(20), 709u) << name;
    }
    EXPECT_EQ(pngs, 14);  // the relation, six results, six differences, the bars
    EXPECT_TRUE(fs::exists(dir / "fig" / "diferencia_cierre_min.pdf"));
    EXPECT_TRUE(fs::exists(dir / "fig" / "diferencia_transitivizada_w.png"));
}

TEST_P(CommandLine, SignalsLostOutputFullDiskAndASecondWriterEndARunAsAFailureKeepingCompleteRows) {
    const int inotify = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(inotify, 0);
    ::inotify_add_watch(inotify, dir.path.c_str(), IN_MODIFY);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const fs::path path = dir / ("f" + std::to_string(signal) + ".txt");
        std::vector<std::string> arguments{"--estadisticas", "100", "200", path.string(), "--hilos", "2"};
        // One stopped batch writes a workbook too: "Tabla" as the table, the unfinished
        // dimension only in the other sheets.
        const fs::path raw = dir / "stopped.csv", book = dir / "stopped.xlsx";
        if (signal == SIGINT) arguments.insert(arguments.end(), {"--crudo", raw.string(), "--libro", book.string()});
        test_support::Command batch(Path(), arguments);
        // Signalled once two rows are in the file (every line is one write; the empty last
        // line is there from the start).
        std::string text;
        while (std::count(text.begin(), text.end(), '\n') < 8) {
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
        if (signal == SIGINT) {
            EXPECT_EQ(std::system((std::string(PYTHON3) + " " WORKBOOK_CELLS " " + book.string() + " " + path.string() +
                                   " " + (dir / "stopped.cells").string() + " " + raw.string())
                                      .c_str()),
                      0);
        }
    }
    ::close(inotify);

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
    auto result = Run({"--help"}, {nullptr, false, 200});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, Name() + ": No se ha podido escribir en la salida estándar: " + tooLarge + "\n");
    result = Run({"--estadisticas", "20", "3", In("f.txt")}, {nullptr, false, 1000});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, Name() + ": No se ha podido escribir en el fichero «" + In("f.txt") + "»: " + tooLarge + "\n");
    std::string text = Contents(dir / "f.txt");
    const std::string whole = SameStatisticsFrom2ndLine(20, 3);
    ASSERT_GT(text.size(), 600u);
    // The complete rows, then the empty last line, as after a full disk.
    const std::string rows = text.substr(text.find('\n') + 1, text.size() - text.find('\n') - 3);
    EXPECT_EQ(whole.substr(0, rows.size()), rows);
    EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");
    std::ofstream(dir / "t.txt") << Name() << "\tviejo";
    result = Run({"--analiza", In("m.txt"), "--salva-todo", In("t.txt")}, {nullptr, false, 600});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, Name() + ": No se ha podido guardar el fichero «" + In("t.txt") + "»: " + tooLarge + "\n");
    EXPECT_EQ(Contents(dir / "t.txt"), Name() + "\tviejo");

    // A statistics file another batch is writing: refused before anything is written.
    toolkit::LineFile first(dir / "f.txt");
    first.WriteLine("uno");
    result = Run({"--estadisticas", "3", "2", In("f.txt")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, Name() + ": No se ha podido abrir el fichero «" + In("f.txt") + "»: otro proceso lo está escribiendo\n");
    EXPECT_EQ(Contents(dir / "f.txt"), "uno\r\n");
}

bool LooksLikeAWorkbook(const std::string& bytes) {
    // A zip holding five sheets and the chart (the names stand uncompressed in the zip).
    return bytes.rfind(std::string("PK\3\4", 4), 0) == 0 && bytes.find("xl/worksheets/sheet5.xml") != std::string::npos &&
           bytes.find("xl/charts/chart1.xml") != std::string::npos;
}

TEST_P(CommandLine, StatisticsAsIfStartedWithTheOptionsARawFileOfEveryTrialReplicatesAndRefusals) {
    const auto with = Run({"--estadisticas", "6", "7", "f\xfd.txt", "--reflexiva", "--no-simetrica", "--semilla", "9",
                           "--hilos", "3", "--crudo", "three.csv", "--libro", "w.xlsx"});
    ASSERT_EQ(with.status, 0) << with.err;
    EXPECT_TRUE(with.err.empty()) << "no progress line when standard error is not a terminal";
    ASSERT_EQ(Run({"--estadisticas", "6", "7", "one.txt", "--reflexiva", "--no-simetrica", "--semilla", "9", "--hilos",
                   "1", "--crudo", "one.csv"}).status, 0);
    // The table as the window started with the options writes it, the raw file and workbook beside it.
    auto same = test_support::Started(GetParam(), true, false, 9);
    experiments::RunStatisticsBatch(dir / "same.txt", *same, 6, 7, {});
    const std::string table = Contents(dir / "same.txt");
    EXPECT_EQ(Contents(dir / "f\xfd.txt"), table);
    EXPECT_EQ(Contents(dir / "one.csv"), Contents(dir / "three.csv"));
    // So are the extra columns of other t-norms and methods, measured on the analysing threads.
    for (const char* threads : {"1", "3"})
        ASSERT_EQ(Run({"--estadisticas", "5", "4", std::string("e") + threads + ".txt", "--semilla", "9", "--hilos",
                       threads, "--tnorma", "yager:2", "--metodos", "completada", "--crudo",
                       std::string("e") + threads + ".csv"}).status, 0);
    EXPECT_EQ(Contents(dir / "e1.csv"), Contents(dir / "e3.csv"));
    EXPECT_NE(Contents(dir / "e1.csv").find(",d2_completada_yager_2\n"), std::string::npos);
    EXPECT_TRUE(LooksLikeAWorkbook(Contents(dir / "w.xlsx")));

    // The raw file tells the run it comes from and holds every trial. (Its means, the table's
    // and the pooled replicates' in the workbooks: workbook_check.sh.)
    int records = 0;
    EXPECT_EQ(formats::ReadRawFile(dir / "one.csv", [&](const formats::TrialRecord&) { ++records; }),
              (formats::RawRun{Name(), 9u, true, false, {}}));
    EXPECT_EQ(records, 35);
    // A replicate with a seed of its own, pooled into a workbook.
    ASSERT_EQ(Run({"--estadisticas", "6", "7", "ten.txt", "--reflexiva", "--no-simetrica", "--semilla", "10", "--crudo",
                   "r2.csv"}).status, 0);
    const auto merged = Run({"--reune", "m.xlsx", "one.csv", "r2.csv"});
    ASSERT_EQ(merged.status, 0) << merged.err;
    EXPECT_TRUE(LooksLikeAWorkbook(Contents(dir / "m.xlsx")));

    // Files for the refusals: another program's, other options, a broken line, a NaN.
    const std::string other = GetParam().integerMeans ? ZORVANE_EXE : ZORVATH_EXE;
    ASSERT_EQ(test_support::Command(other, {"--estadisticas", "3", "2", (dir / "o.txt").string(), "--semilla", "3",
                                               "--crudo", (dir / "other.csv").string()}).Wait().status, 0);
    const std::string r1 = Contents(dir / "one.csv");
    std::ofstream(dir / "cut.csv") << r1.substr(0, r1.size() - 8) << "\n";
    std::ofstream(dir / "nan.csv") << formats::kRawHeader << "\n" << Name() << ",7,0,0,2,1,0,nan,0,0,0,0,0,0,0,0,0,0,0,0,0\n";
    fs::create_directory(dir / "folder.d");
    fs::create_directory(dir / "folder.xlsx");
    const std::string otherName = GetParam().integerMeans ? "Zorvane" : "Zorvath";
    // One pooled file for each thing a replicate must share with the first: program (above),
    // reflexive and symmetric generation, and a seed of its own (above). The first with the
    // largest seed the help offers, written and read back as any other.
    ASSERT_EQ(Run({"--estadisticas", "3", "2", "x.txt", "--semilla", "4294967295", "--no-simetrica", "--crudo", "refl.csv"}).status, 0);
    ASSERT_EQ(Run({"--estadisticas", "3", "2", "x.txt", "--semilla", "5", "--reflexiva", "--simetrica", "--crudo", "sym.csv"}).status, 0);
    ASSERT_EQ(Run({"--estadisticas", "3", "2", "x.txt", "--semilla", "6", "--reflexiva", "--no-simetrica", "--tnorma",
                   "frank:2", "--crudo", "ext.csv"}).status, 0);
    // One file under two names, and a link to a file not there yet.
    const std::string tenBefore = Contents(dir / "ten.txt");
    fs::create_hard_link(dir / "ten.txt", dir / "hard.csv");
    fs::create_symlink("later.txt", dir / "dangling.csv");
    // A batch holding its workbook.
    const toolkit::ReservedFile held(dir / "held.xlsx");

    const std::tuple<std::vector<std::string>, int, std::string> refusals[] = {
        {{"--reune", "no.xlsx", "one.csv", "one.csv"}, 1, "«" + In("one.csv") + "», línea 2: la semilla 9 ya está en otro fichero"},
        {{"--reune", "no.xlsx", "one.csv", "other.csv"}, 1, "línea 2: es de " + otherName + "; reúnalo con " + otherName},
        {{"--reune", "no.xlsx", "one.csv", "refl.csv"}, 1, "sus opciones (reflexiva: no, simétrica: no)"},
        {{"--reune", "no.xlsx", "one.csv", "sym.csv"}, 1, "sus opciones (reflexiva: sí, simétrica: sí)"},
        {{"--reune", "no.xlsx", "one.csv", "ext.csv"}, 1, "línea 1: sus columnas no son las de «"},
        {{"--reune", "no.xlsx", "r2.csv", "cut.csv"}, 1, "«" + (dir / "cut.csv").string() + "»: la línea 36 no vale: tiene "},
        {{"--reune", "no.xlsx", "nan.csv"}, 1, "la línea 2 no vale: la columna «d1_transitivizada_min» no es un número finito"},
        {{"--reune", "no.xlsx", "one.csv", "missing.csv"}, 1, "«" + (dir / "missing.csv").string() + "»: no existe"},
        {{"--reune", "folder.xlsx", "one.csv"}, 1, "«" + (dir / "folder.xlsx").string() + "»: es una carpeta"},
        {{"--reune", "/dev/full", "one.csv"}, 2, "«/dev/full» de --reune ha de acabar en .xlsx"},
        {{"--reune", "one.csv", "r2.csv"}, 2, "«" + In("one.csv") + "» de --reune ha de acabar en .xlsx"},
        {{"--reune", "m.xlsx", "one.csv", "./m.xlsx"}, 2, "«" + In("m.xlsx") + "» es también uno de los ficheros que reúne"},
        {{"--reune", "held.xlsx", "one.csv"}, 1, "«" + In("held.xlsx") + "»: otro proceso lo está escribiendo"},
        {{"--reune", "no.xlsx"}, 2, "--reune necesita al menos un fichero de ensayos"},
        {{"--analiza", "one.csv", "--crudo", "no.csv"}, 2, "--crudo solo va con --estadisticas"},
        {{"--estadisticas", "3", "2", "no.txt", "--reune", "no.xlsx"}, 2, "no van juntas"},
        {{"--estadisticas", "3", "2", "no.txt", "--libro", "folder.d"}, 1, "es una carpeta"},
        {{"--estadisticas", "3", "2", "no.txt", "--crudo", "folder.d"}, 1, "es una carpeta"},
        {{"--estadisticas", "3", "2", "no.txt", "--crudo", "./no.txt"}, 2, "necesitan ficheros distintos"},
        {{"--estadisticas", "3", "2", "no.txt", "--crudo", "no.csv", "--libro", "no.csv"}, 2, "necesitan ficheros distintos"},
        {{"--estadisticas", "3", "2", "ten.txt", "--crudo", "hard.csv"}, 2, "necesitan ficheros distintos"},
        {{"--estadisticas", "3", "2", "later.txt", "--crudo", "dangling.csv"}, 2, "necesitan ficheros distintos"},
        {{"--estadisticas", "3", "2", "one.csv"}, 1, "«" + In("one.csv") + "»: ya existe y no es una tabla de estadísticas"},
        {{"--estadisticas", "3", "2", "no.txt", "--crudo", "ten.txt"}, 1, "ya existe y no es un fichero de ensayos"},
        {{"--estadisticas", "3", "2", "no.txt", "--libro", "one.csv"}, 1, "ya existe y no es un libro de cálculo"},
        {{"--estadisticas", "3", "2", "no.txt", "--libro", "held.xlsx"}, 1, "otro proceso lo está escribiendo"},
        {{"--estadisticas", "3", "2", "no.txt", "--crudo", "no.csv", "--libro", "/no/such/folder/b.xlsx"}, 1,
         "«/no/such/folder/b.xlsx»: la carpeta no existe"},
        {{"--analiza", "ten.txt", "--salva-todo", "./ten.txt"}, 2, "--salva-todo no puede escribir en la matriz que se analiza"},
    };
    for (const auto& [arguments, status, message] : refusals) {
        const auto result = Run(arguments);
        EXPECT_EQ(result.status, status) << message;
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    }
    for (const char* name : {"no.xlsx", "no.txt", "no.csv", "later.txt"}) EXPECT_FALSE(fs::exists(dir / name)) << name;
    EXPECT_EQ(Contents(dir / "ten.txt"), tenBefore);
    EXPECT_TRUE(LooksLikeAWorkbook(Contents(dir / "m.xlsx")));
}

}  // namespace
