#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <climits>
#include <filesystem>
#include <fstream>
#include <locale>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/engine.h"
#include "experiments/statistics_batch.h"
#include "experiments/statistics_file.h"

namespace {

namespace fs = std::filesystem;

// The five heading lines byte by byte: 0xF1 is "ñ" and 0xF3 is "ó" in Windows-1252.
std::string Heading(int largest, int sample) {
    return std::to_string(largest) + " Dimensiones \r\n" +
           "Tama\xF1o Muestral (matrices generadas en cada dimensi\xF3n): " + std::to_string(sample) +
           "\r\n\r\nDistancia 1\t\t\t\t\t\t\t\t\t\t\tDistancia Euclidea\r\n"
           "Dimesi\xF3n\td1 CT Min\td1 Min Tr\t% mayor CT\td1 CT Prod\td1 Prod Tr\t% mayor CT\t"
           "d1 CT Lukas\td1 Lukas Tr\t% mayor CT\t Dimesi\xF3n\td2 CT Min\td2 Min Tr\td2 CT Prod\t"
           "d2 Prod Tr\td2 CT Lukas\td2 Lukas Tr\r\n";
}

fs::path Scratch(const std::string& name) {
    return fs::temp_directory_path() / (name + "_" + std::to_string(::getpid()) + ".txt");
}

// Distances of one trial: d1 closure, d1 transitivized, d2 closure, d2 transitivized.
using Distances = std::array<std::array<float, 3>, 4>;

// Stands in for a trial: counts it, sets the next scripted distances and counts them as the
// analysis does.
experiments::TrialRunner Scripted(engine::Engine& e, std::vector<Distances> script) {
    return [&e, script] {
        const Distances& d = script[static_cast<std::size_t>(e.trialCount++) % script.size()];
        std::tie(e.d1Closure, e.d1Transitivized, e.d2Closure, e.d2Transitivized) =
            std::tie(d[0], d[1], d[2], d[3]);
        for (int t = 0; t < 3; ++t)
            ++(d[0][t] > d[1][t] ? e.closureGreaterCount[t] : e.closureNotGreaterCount[t]);
    };
}

// Keeps only what was flushed to it; a flush fails once it holds more than `full` bytes.
struct Device : std::stringbuf {
    explicit Device(std::size_t limit) : full(limit) {}
    int sync() override {
        if (str().size() > full) return -1;
        flushed = str();
        return 0;
    }
    std::size_t full;
    std::string flushed;
};

// A window locale with decimal commas; the file keeps its decimal points.
struct CommaPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

TEST(Statistics, ScriptedBatches) {
    // In every dimension: Min's closure farther in each trial, Prod's never (equal is not farther),
    // W's in one of three. 2^24 + 1 + 1 stays 2^24 in a 32-bit sum.
    const Distances first{{{16777216, 1, 2}, {0.5f, 1, 1}, {37.037037f, 2.19f, 53.7f}, {3.7035e-05f, 1.5f, 9}}};
    const Distances other{{{1, 1, 1}, {0.5f, 1, 1}, {}, {}}};
    const std::string integerRows = "2\t5592405\t0\t100%\t1\t1\t0%\t1\t1\t33%\t2\t12\t0\t0\t0\t17\t3\r\n"
                                    "3\t5592405\t0\t100%\t1\t1\t0%\t1\t1\t33%\t3\t12\t0\t0\t0\t17\t3\r\n";
    const std::string floatRows =
        "2\t5.59241e+06\t0.5\t100%\t1\t1\t0%\t1.33333\t1\t33%\t2\t12.3457\t1.2345e-05\t0.73\t0.5\t17.9\t3\r\n"
        "3\t5.59241e+06\t0.5\t100%\t1\t1\t0%\t1.33333\t1\t33%\t3\t12.3457\t1.2345e-05\t0.73\t0.5\t17.9\t3\r\n";
    // A single trial is its own mean; Zorvath writes integer parts, also of a sum past 32 bits.
    const Distances one{{{0.73f, 17.9f, 2.5f}, {0.5f, 17.9f, 3}, {4294967296.f, 5.25f, 1}, {0.4f, 5, 1.75f}}};
    const std::string oneRow = "2\t0\t0\t100%\t17\t17\t0%\t2\t3\t0%\t2\t4294967296\t0\t5\t5\t1\t1\r\n";
    constexpr std::size_t kRoomy = 1 << 20;
    const struct {
        engine::Variant variant;
        int largest, sample, trials;
        std::vector<Distances> script;
        std::string rows;
        std::size_t full;
    } cases[] = {
        {engine::kZorvath, 1, 5, 0, {one}, "", kRoomy}, {engine::kZorvane, 0, 5, 0, {one}, "", kRoomy},
        {engine::kZorvath, INT_MIN, 5, 0, {one}, "", kRoomy},
        // D = 3 and S = 3 in both number formats, the comma locale notwithstanding.
        {engine::kZorvath, 3, 3, 6, {first, other, other}, integerRows, kRoomy},
        {engine::kZorvane, 3, 3, 6, {first, other, other}, floatRows, kRoomy},
        {engine::kZorvath, 2, 1, 1, {one}, oneRow, kRoomy},
        // The device fills up three bytes into the row of dimension 3: dimension 4 never starts.
        {engine::kZorvath, 4, 1, 2, {one}, oneRow, Heading(4, 1).size() + oneRow.size() + 3},
    };
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    for (const auto& c : cases) {
        auto e = std::make_unique<engine::Engine>(c.variant);
        // Counts of earlier trials must not reach the first row.
        e->closureGreaterCount = {0, 90, 0};
        e->closureNotGreaterCount = {7, 0, 7};
        Device device(c.full);
        std::ostream out(&device);
        const bool fails = c.full != kRoomy;
        try {
            experiments::WriteStatistics(out, "lleno.txt", *e, c.largest, c.sample, Scripted(*e, c.script));
            EXPECT_FALSE(fails) << "no error";
        } catch (const experiments::StatisticsError& error) {
            EXPECT_TRUE(fails) << error.what();
            EXPECT_NE(std::string(error.what()).find("lleno.txt"), std::string::npos) << error.what();
        }
        EXPECT_EQ(device.flushed, Heading(c.largest, c.sample) + c.rows + (fails ? "" : "\r\n")) << c.largest;
        EXPECT_EQ(e->trialCount, c.trials);
        EXPECT_EQ(e->dimension, c.largest < 2 ? 10 : 1 + c.trials / c.sample) << c.largest;
    }
    // The same on disk, over an older and longer file.
    const fs::path file = Scratch("estadistica");
    std::ofstream(file) << std::string(5000, 'x');
    auto e = std::make_unique<engine::Engine>(engine::kZorvane);
    experiments::RunStatisticsBatch(file, *e, 3, 3, Scripted(*e, {first, other, other}));
    std::ostringstream written;
    written << std::ifstream(file, std::ios::binary).rdbuf();
    fs::remove(file);
    EXPECT_EQ(written.str(), Heading(3, 3) + floatRows + "\r\n");
    std::locale::global(previous);
}

TEST(Statistics, RefusedRequestAndUnopenableFileRunNoTrial) {
    const fs::path refused = Scratch("rechazado");
    const fs::path missing = Scratch("no_existe") / "datos.txt";
    const std::tuple<int, int, fs::path, std::string> cases[] = {
        {101, 3, refused, "101"}, {INT_MAX, 1, refused, "2147483647"}, {5, 0, refused, "0"},
        {5, -2, refused, "-2"},   {4, 2, missing, missing.string()}};
    for (const auto& [largest, sample, file, named] : cases) {
        auto e = std::make_unique<engine::Engine>(engine::kZorvane);
        try {
            experiments::RunStatisticsBatch(file, *e, largest, sample, Scripted(*e, {Distances{}}));
            ADD_FAILURE() << named << " accepted";
        } catch (const experiments::StatisticsError& error) {
            EXPECT_NE(std::string(error.what()).find(named), std::string::npos) << error.what();
        }
        EXPECT_FALSE(fs::exists(file));
        EXPECT_EQ(e->trialCount, 0);
    }
}

}  // namespace
