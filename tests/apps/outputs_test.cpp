// The raw file and the workbook beside the statistics table, and --reune, run as processes:
// the table stays byte for byte, the raw file does not depend on the threads and holds the
// table's means, replicates pool, and every refusal writes nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <tuple>

#include "engine/variant.h"
#include "experiments/statistics_file.h"
#include "formats/batch_outputs.h"
#include "run_command.h"
#include "tests/support.h"

namespace {

namespace fs = std::filesystem;
using test_support::Contents;

struct Program {
    engine::Variant variant;
    std::string exe;
};
const Program kPrograms[] = {{engine::kZorvath, ZORVATH_EXE}, {engine::kZorvane, ZORVANE_EXE}};

class Outputs : public ::testing::TestWithParam<Program> {
protected:
    test_support::CommandResult Run(const std::vector<std::string>& arguments) const {
        std::vector<std::string> args;
        for (const std::string& a : arguments) args.push_back(a.find('.') != std::string::npos && a[0] != '-' ? (dir / a).string() : a);
        return test_support::RunCommand(GetParam().exe, args);
    }
    const test_support::ScratchDir dir{"outputs"};
};

bool LooksLikeAWorkbook(const std::string& bytes) {
    // A zip holding five sheets and the chart (the names stand uncompressed in the zip).
    return bytes.rfind(std::string("PK\3\4", 4), 0) == 0 && bytes.find("xl/worksheets/sheet5.xml") != std::string::npos &&
           bytes.find("xl/charts/chart1.xml") != std::string::npos;
}

TEST_P(Outputs, TableUnchangedRawFileIndependentOfThreadsAndHoldingTheTablesMeans) {
    const bool integer = GetParam().variant.integerMeans;
    ASSERT_EQ(Run({"--estadisticas", "6", "7", "plain.txt", "--semilla", "9", "--hilos", "2"}).status, 0);
    const auto with = Run({"--estadisticas", "6", "7", "with.txt", "--semilla", "9", "--hilos", "2", "--crudo",
                           "two.csv", "--libro", "w.xlsx"});
    ASSERT_EQ(with.status, 0) << with.err;
    ASSERT_EQ(Run({"--estadisticas", "6", "7", "one.txt", "--semilla", "9", "--hilos", "1", "--crudo", "one.csv"}).status, 0);
    const std::string table = Contents(dir / "plain.txt");
    EXPECT_EQ(Contents(dir / "with.txt"), table);
    EXPECT_EQ(Contents(dir / "one.csv"), Contents(dir / "two.csv"));
    EXPECT_TRUE(LooksLikeAWorkbook(Contents(dir / "w.xlsx")));

    // Read back, the raw file gives the table's every mean and percentage, text for text, and
    // means of the workbook that equal those of its values in long double.
    formats::TrialSummary summary;
    std::vector<formats::TrialRecord> records;
    const formats::RawRun run = formats::ReadRawFile(dir / "one.csv", [&](const formats::TrialRecord& r) {
        summary.Add(r);
        records.push_back(r);
    });
    EXPECT_EQ(run, (formats::RawRun{engine::ProgramName(GetParam().variant), 9u, false, GetParam().variant.symmetricAtStart}));
    ASSERT_EQ(records.size(), 35u);
    std::istringstream lines(table);
    std::string line;
    for (int skip = 0; skip < 5; ++skip) std::getline(lines, line);
    for (int n = 2; n <= 6; ++n) {
        const formats::DimensionSummary& s = summary.At(n);
        const auto mean = [&](float sum) {
            return integer ? experiments::FormatIntegerMean(sum, 7) : experiments::FormatFloat(experiments::FloatMean(sum, 7));
        };
        std::string expected = std::to_string(n);
        for (int t = 0; t < 3; ++t)
            expected += '\t' + mean(s.sums.d1Closure[t]) + '\t' + mean(s.sums.d1Transitivized[t]) + '\t' +
                        std::to_string(s.closureFarther[t] * 100 / 7) + '%';
        expected += '\t' + std::to_string(n);
        for (int t = 0; t < 3; ++t) expected += '\t' + mean(s.sums.d2Closure[t]) + '\t' + mean(s.sums.d2Transitivized[t]);
        std::getline(lines, line);
        EXPECT_EQ(line, expected + '\r');
        for (std::size_t c = 0; c < 12; ++c) {
            long double sum = 0;
            for (const formats::TrialRecord& r : records)
                if (r.dimension == n) sum += formats::DistanceColumns(r)[c];
            EXPECT_NEAR(s.distances[c].Mean(), static_cast<double>(sum / 7), 1e-12 * (1 + std::fabs(s.distances[c].Mean())));
        }
    }
}

TEST_P(Outputs, ReplicatesPoolAndEveryRefusalWritesNothing) {
    for (const char* seed : {"1", "2"})
        ASSERT_EQ(Run({"--estadisticas", "4", "5", std::string("t") + seed + ".txt", "--semilla", seed, "--crudo",
                       std::string("r") + seed + ".csv"}).status, 0);
    const auto merged = Run({"--reune", "m.xlsx", "r1.csv", "r2.csv"});
    ASSERT_EQ(merged.status, 0) << merged.err;
    EXPECT_TRUE(LooksLikeAWorkbook(Contents(dir / "m.xlsx")));
    // The pooled summary: twice the trials, and each mean the mean of the two replicates'.
    formats::TrialSummary pooled, first, second;
    formats::MergeRawFiles(engine::ProgramName(GetParam().variant), {dir / "r1.csv", dir / "r2.csv"}, pooled);
    formats::ReadRawFile(dir / "r1.csv", [&](const formats::TrialRecord& r) { first.Add(r); });
    formats::ReadRawFile(dir / "r2.csv", [&](const formats::TrialRecord& r) { second.Add(r); });
    for (int n = 2; n <= 4; ++n) {
        EXPECT_EQ(pooled.At(n).trials, 10);
        for (std::size_t c = 0; c < 12; ++c)
            EXPECT_NEAR(pooled.At(n).distances[c].Mean(),
                        (first.At(n).distances[c].Mean() + second.At(n).distances[c].Mean()) / 2, 1e-12);
    }

    // Files for the refusals: another program's, other options, a broken line, a NaN.
    const std::string other = GetParam().variant.integerMeans ? ZORVANE_EXE : ZORVATH_EXE;
    ASSERT_EQ(test_support::RunCommand(other, {"--estadisticas", "3", "2", (dir / "o.txt").string(), "--semilla", "3",
                                               "--crudo", (dir / "other.csv").string()}).status, 0);
    ASSERT_EQ(Run({"--estadisticas", "3", "2", "x.txt", "--semilla", "4", "--reflexiva", "--crudo", "refl.csv"}).status, 0);
    const std::string r1 = Contents(dir / "r1.csv");
    std::ofstream(dir / "cut.csv") << r1.substr(0, r1.size() - 8) << "\n";
    const std::string program = engine::ProgramName(GetParam().variant);
    std::ofstream(dir / "nan.csv") << formats::kRawHeader << "\n" << program << ",7,0,0,2,1,0,nan,0,0,0,0,0,0,0,0,0,0,0,0,0\n";
    fs::create_directory(dir / "folder.d");
    const std::string otherName = GetParam().variant.integerMeans ? "Zorvane" : "Zorvath";

    const std::tuple<std::vector<std::string>, int, std::string> refusals[] = {
        {{"--reune", "no.xlsx", "r1.csv", "r1.csv"}, 1, "«" + (dir / "r1.csv").string() + "», línea 2: la semilla 1 ya está en otro fichero"},
        {{"--reune", "no.xlsx", "r1.csv", "other.csv"}, 1, "línea 2: es de " + otherName + "; reúnalo con " + otherName},
        {{"--reune", "no.xlsx", "r1.csv", "refl.csv"}, 1, "sus opciones (reflexiva: sí, simétrica: "},
        {{"--reune", "no.xlsx", "r2.csv", "cut.csv"}, 1, "«" + (dir / "cut.csv").string() + "»: la línea 16 no vale: tiene "},
        {{"--reune", "no.xlsx", "nan.csv"}, 1, "la línea 2 no vale: la columna «d1_transitivizada_min» no es un número finito"},
        {{"--reune", "no.xlsx", "r1.csv", "missing.csv"}, 1, "«" + (dir / "missing.csv").string() + "»: no existe"},
        {{"--reune", "no.xlsx", "r1.csv", "folder.d"}, 1, "es una carpeta"},
        {{"--reune", "folder.d", "r1.csv"}, 1, "«" + (dir / "folder.d").string() + "»: es una carpeta"},
        {{"--reune", "/dev/full", "r1.csv"}, 1, "«/dev/full»: no es un fichero normal"},
        {{"--reune", "no.xlsx"}, 2, "--reune necesita al menos un fichero de ensayos"},
        {{"--reune", "no.xlsx", "--semilla", "3", "r1.csv"}, 2, "--semilla solo va con --estadisticas"},
        {{"--analiza", "r1.csv", "--crudo", "no.csv"}, 2, "--crudo solo va con --estadisticas"},
        {{"--estadisticas", "3", "2", "no.txt", "--reune", "no.xlsx"}, 2, "no van juntas"},
        {{"--estadisticas", "3", "2", "no.txt", "--libro", "folder.d"}, 1, "es una carpeta"},
        {{"--estadisticas", "3", "2", "no.txt", "--crudo", "folder.d"}, 1, "es una carpeta"},
        {{"--estadisticas", "3", "2", "no.txt", "--crudo", "./no.txt"}, 2, "necesitan ficheros distintos"},
    };
    for (const auto& [arguments, status, message] : refusals) {
        const auto result = Run(arguments);
        EXPECT_EQ(result.status, status) << message;
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    }
    for (const char* name : {"no.xlsx", "no.txt", "no.csv"}) EXPECT_FALSE(fs::exists(dir / name)) << name;
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, Outputs, ::testing::ValuesIn(kPrograms),
                         [](const auto& info) { return std::string(engine::ProgramName(info.param.variant)); });

}  // namespace
