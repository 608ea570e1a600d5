#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <locale>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "experiments/statistics_batch.h"
#include "experiments/statistics_file.h"

namespace {

using experiments::StatisticsError;
namespace fs = std::filesystem;

// The five heading lines as the spreadsheet reads them, written out byte by byte:
// 0xF1 is "ñ" and 0xF3 is "ó" in Windows-1252.
std::string ExpectedHeading(const std::string& largest, const std::string& sample) {
    return largest + " Dimensiones \r\n" + "Tama\xF1o Muestral (matrices generadas en cada dimensi\xF3n): " + sample +
           "\r\n"
           "\r\n"
           "Distancia 1\t\t\t\t\t\t\t\t\t\t\tDistancia Euclidea\r\n"
           "Dimesi\xF3n\td1 CT Min\td1 Min Tr\t% mayor CT\td1 CT Prod\td1 Prod Tr\t% mayor CT\t"
           "d1 CT Lukas\td1 Lukas Tr\t% mayor CT\t Dimesi\xF3n\td2 CT Min\td2 Min Tr\td2 CT Prod\t"
           "d2 Prod Tr\td2 CT Lukas\td2 Lukas Tr\r\n";
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A scratch directory per test, removed afterwards.
class TempDir {
public:
    TempDir() {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        path_ = fs::temp_directory_path() /
                ("statistics_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// Distances of one trial, set by a scripted runner in place of a real analysis.
struct TrialDistances {
    std::array<float, 3> d1Closure;
    std::array<float, 3> d1Transitivized;
    std::array<float, 3> d2Closure;
    std::array<float, 3> d2Transitivized;
};

// Stands in for a trial: writes the next scripted distances into the engine and counts them
// the way the analysis does (closure strictly farther in d1, or not).
class ScriptedTrials {
public:
    ScriptedTrials(engine::Engine& engine, std::vector<TrialDistances> script)
        : engine_(engine), script_(std::move(script)) {}
    void operator()() {
        const TrialDistances& d = script_.at(calls_ % script_.size());
        ++calls_;
        engine_.d1Closure = d.d1Closure;
        engine_.d1Transitivized = d.d1Transitivized;
        engine_.d2Closure = d.d2Closure;
        engine_.d2Transitivized = d.d2Transitivized;
        for (int t = 0; t < 3; ++t)
            ++(d.d1Closure[t] > d.d1Transitivized[t] ? engine_.closureGreaterCount[t]
                                                     : engine_.closureNotGreaterCount[t]);
    }
    int calls() const { return calls_; }

private:
    engine::Engine& engine_;
    std::vector<TrialDistances> script_;
    int calls_ = 0;
};

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t end; (end = line.find('\t', start)) != std::string::npos; start = end + 1)
        fields.push_back(line.substr(start, end - start));
    fields.push_back(line.substr(start));
    return fields;
}

std::string WriteToString(engine::Engine& engine, int largest, int sample, const experiments::TrialRunner& run) {
    std::ostringstream out;
    experiments::WriteStatistics(out, "memoria", engine, largest, sample, run);
    return out.str();
}

// ---------------------------------------------------------------------------------------------
// Number formats

TEST(StatisticsNumbers, FloatMeansUseTheStreamDefaultNotation) {
    const struct {
        float value;
        const char* text;
    } cases[] = {
        {12.3456789f, "12.3457"}, {0.5f, "0.5"},           {3.0f, "3"},           {1.2345e-05f, "1.2345e-05"},
        {0.0f, "0"},              {0.0001f, "0.0001"},     {123456.0f, "123456"}, {1234567.0f, "1.23457e+06"},
        {100.25f, "100.25"},      {9999.99f, "9999.99"},   {0.1f, "0.1"},
    };
    for (const auto& c : cases) EXPECT_EQ(experiments::FormatFloat(c.value), c.text) << c.value;
}

// A user locale with decimal commas and digit grouping must not reach the file.
struct CommaPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(StatisticsNumbers, FloatMeansKeepTheDecimalPointUnderACommaLocale) {
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    const std::string small = experiments::FormatFloat(12.3456789f);
    const std::string large = experiments::FormatFloat(123456.0f);
    std::locale::global(previous);
    EXPECT_EQ(small, "12.3457");
    EXPECT_EQ(large, "123456");
}

TEST(StatisticsNumbers, FloatMeanDividesTheSumBySampleSize) {
    const struct {
        float sum;
        int sample;
        const char* text;
    } cases[] = {
        {37.037037f, 3, "12.3457"}, {1.5f, 3, "0.5"}, {9.0f, 3, "3"}, {3.7035e-05f, 3, "1.2345e-05"}, {7.0f, 1, "7"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(experiments::FormatFloat(experiments::FloatMean(c.sum, c.sample)), c.text) << c.sum << "/" << c.sample;
}

TEST(StatisticsNumbers, IntegerMeansTruncateTheSumThenDivide) {
    const struct {
        float sum;
        int sample;
        const char* text;
    } cases[] = {
        {2.19f, 3, "0"},         // mean 0.73
        {53.7f, 3, "17"},        // mean 17.9
        {17.9f, 1, "17"},        {0.99f, 1, "0"},  {0.0f, 5, "0"}, {5.99f, 3, "1"},  // 5 div 3
        {4294967296.0f, 1024, "4194304"},  // a sum beyond the 32-bit range
    };
    for (const auto& c : cases) EXPECT_EQ(experiments::FormatIntegerMean(c.sum, c.sample), c.text) << c.sum;
}

TEST(StatisticsNumbers, SpanishLettersBecomeSingleBytes) {
    EXPECT_EQ(experiments::ToWindows1252("Tamaño dimensión"), "Tama\xF1o dimensi\xF3n");
    EXPECT_EQ(experiments::ToWindows1252("plain\tascii"), "plain\tascii");
    EXPECT_EQ(experiments::ToWindows1252("€"), "?");  // outside the single-byte range
    EXPECT_EQ(experiments::ToWindows1252("a\xC3"), "a?");  // cut sequence
}

// ---------------------------------------------------------------------------------------------
// Layout

TEST(StatisticsLayout, HeadingIsByteExact) {
    EXPECT_EQ(experiments::StatisticsHeading(3, 3), ExpectedHeading("3", "3"));
    EXPECT_EQ(experiments::StatisticsHeading(10, 250), ExpectedHeading("10", "250"));
    EXPECT_EQ(experiments::StatisticsHeading(-4, 1), ExpectedHeading("-4", "1"));
}

TEST(StatisticsLayout, RowHoldsSeventeenColumnsInTableOrder) {
    experiments::StatisticsSums sums;
    sums.d1Closure = {3, 30, 300};
    sums.d1Transitivized = {6, 60, 600};
    sums.d2Closure = {1.5f, 15, 150};
    sums.d2Transitivized = {0.75f, 7.5f, 75};
    const std::string floats = experiments::StatisticsRow(7, sums, {0, 33, 100}, 3, false);
    EXPECT_EQ(floats, "7\t1\t2\t0%\t10\t20\t33%\t100\t200\t100%\t7\t0.5\t0.25\t5\t2.5\t50\t25");
    const std::string integers = experiments::StatisticsRow(7, sums, {0, 33, 100}, 3, true);
    EXPECT_EQ(integers, "7\t1\t2\t0%\t10\t20\t33%\t100\t200\t100%\t7\t0\t0\t5\t2\t50\t25");
}

// ---------------------------------------------------------------------------------------------
// The worked example: D = 3, S = 3 on a fresh engine, against sums and percentages taken
// independently from a second fresh engine and formatted by printf.

std::string OracleMean(float sum, int sample, bool integerMeans) {
    char text[64];
    if (integerMeans)
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(sum) / sample);
    else
        std::snprintf(text, sizeof text, "%g", static_cast<double>(static_cast<float>(static_cast<long double>(sum) / sample)));
    return text;
}

std::string OracleFile(const engine::Variant& variant, int largest, int sample) {
    auto engine = std::make_unique<engine::Engine>(variant);
    std::string text = ExpectedHeading(std::to_string(largest), std::to_string(sample));
    for (int n = 2; n <= largest; ++n) {
        engine->dimension = n;
        engine->closureGreaterCount = {};
        engine->closureNotGreaterCount = {};
        std::array<float, 12> sum{};
        for (int s = 0; s < sample; ++s) {
            engine->RunTrial();
            for (int t = 0; t < 3; ++t) {
                sum[t] += engine->d1Closure[t];
                sum[3 + t] += engine->d1Transitivized[t];
                sum[6 + t] += engine->d2Closure[t];
                sum[9 + t] += engine->d2Transitivized[t];
            }
        }
        const auto mean = [&](int k) { return OracleMean(sum[k], sample, variant.integerMeans); };
        std::string row = std::to_string(n);
        for (int t = 0; t < 3; ++t) {
            const int greater = engine->closureGreaterCount[t];
            const int percent = greater == 0 ? 0 : greater * 100 / sample;
            row += "\t" + mean(t) + "\t" + mean(3 + t) + "\t" + std::to_string(percent) + "%";
        }
        row += "\t" + std::to_string(n);
        for (int t = 0; t < 3; ++t) row += "\t" + mean(6 + t) + "\t" + mean(9 + t);
        text += row + "\r\n";
    }
    return text + "\r\n";
}

class StatisticsWorkedExample : public testing::TestWithParam<engine::Variant> {};

TEST_P(StatisticsWorkedExample, ThreeDimensionsThreeSamples) {
    TempDir dir;
    const fs::path file = dir.path() / "estadistica.txt";
    auto engine = std::make_unique<engine::Engine>(GetParam());
    experiments::RunStatisticsBatch(file, *engine, 3, 3, [&] { engine->RunTrial(); });

    const std::string bytes = ReadFile(file);
    EXPECT_EQ(bytes, OracleFile(GetParam(), 3, 3));

    // The layout on its own: eight lines, all ended by CR LF, no bare line feed.
    const std::vector<std::string> lines = SplitLines(bytes);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 8);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\r'), 8);
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[7], "");
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\xF1'), 1);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\xF3'), 3);
    EXPECT_EQ(SplitFields(lines[3]).size(), 12u);
    EXPECT_EQ(SplitFields(lines[4]).size(), 17u);
    for (int row = 0; row < 2; ++row) {
        const std::vector<std::string> fields = SplitFields(lines[5 + row]);
        ASSERT_EQ(fields.size(), 17u);
        EXPECT_EQ(fields[0], std::to_string(2 + row));
        EXPECT_EQ(fields[10], std::to_string(2 + row));
        for (int column : {3, 6, 9}) {
            const std::string& p = fields[column];
            EXPECT_TRUE(p == "0%" || p == "33%" || p == "66%" || p == "100%") << p;
        }
        for (const std::string& field : fields) {
            EXPECT_FALSE(field.empty());
            EXPECT_EQ(field.find(','), std::string::npos);
            if (GetParam().integerMeans) {
                EXPECT_EQ(field.find('.'), std::string::npos) << field;
            }
        }
    }

    // The engine is left as the last trial left it.
    EXPECT_EQ(engine->dimension, 3);
    EXPECT_EQ(engine->trialCount, 6);
    for (int t = 0; t < 3; ++t) EXPECT_EQ(engine->closureGreaterCount[t] + engine->closureNotGreaterCount[t], 3);
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, StatisticsWorkedExample, testing::Values(engine::kZorvath, engine::kZorvane),
                         [](const auto& info) { return info.param.integerMeans ? "Zorvath" : "Zorvane"; });

TEST(StatisticsBatch, CommaSeparatorOfTheWindowDoesNotReachTheFile) {
    // The grids of the comma program show "0,3"; the file still reads decimal points.
    auto engine = std::make_unique<engine::Engine>(engine::kZorvane);
    const TrialDistances d{{0.3f, 0.3f, 0.3f}, {0.1f, 0.1f, 0.1f}, {0.25f, 0.25f, 0.25f}, {0.5f, 0.5f, 0.5f}};
    ScriptedTrials trials(*engine, {d});
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    const std::string text = WriteToString(*engine, 2, 1, std::ref(trials));
    std::locale::global(previous);
    EXPECT_EQ(text, ExpectedHeading("2", "1") + "2\t0.3\t0.1\t100%\t0.3\t0.1\t100%\t0.3\t0.1\t100%\t2\t0.25\t0.5\t0.25\t0.5\t0.25\t0.5\r\n\r\n");
}

// ---------------------------------------------------------------------------------------------
// Edge cases of the request

class StatisticsNoRows : public testing::TestWithParam<int> {};

TEST_P(StatisticsNoRows, HeadingAndEmptyLastLineOnly) {
    const int largest = GetParam();
    TempDir dir;
    const fs::path file = dir.path() / "vacio.txt";
    auto engine = std::make_unique<engine::Engine>(engine::kZorvath);
    engine->closureGreaterCount = {4, 0, 1};
    int trials = 0;
    experiments::RunStatisticsBatch(file, *engine, largest, 5, [&] { ++trials; });
    EXPECT_EQ(ReadFile(file), ExpectedHeading(std::to_string(largest), "5") + "\r\n");
    EXPECT_EQ(trials, 0);
    EXPECT_EQ(engine->dimension, 10);
    EXPECT_EQ(engine->closureGreaterCount, (std::array<int, 3>{4, 0, 1}));
}

INSTANTIATE_TEST_SUITE_P(BelowTwo, StatisticsNoRows, testing::Values(1, 0, -1, -100, INT_MIN));

TEST(StatisticsBatch, OneSampleOfDimensionTwoGivesTheTrialItself) {
    const TrialDistances d{{0.73f, 17.9f, 2.5f}, {0.5f, 17.9f, 3.0f}, {0.6f, 5.25f, 1.0f}, {0.4f, 5.0f, 1.75f}};
    for (const auto& variant : {engine::kZorvath, engine::kZorvane}) {
        auto engine = std::make_unique<engine::Engine>(variant);
        ScriptedTrials trials(*engine, {d});
        const std::string text = WriteToString(*engine, 2, 1, std::ref(trials));
        const std::string row = variant.integerMeans
                                    ? "2\t0\t0\t100%\t17\t17\t0%\t2\t3\t0%\t2\t0\t0\t5\t5\t1\t1"
                                    : "2\t0.73\t0.5\t100%\t17.9\t17.9\t0%\t2.5\t3\t0%\t2\t0.6\t0.4\t5.25\t5\t1\t1.75";
        EXPECT_EQ(text, ExpectedHeading("2", "1") + row + "\r\n\r\n");
        EXPECT_EQ(trials.calls(), 1);
        EXPECT_EQ(engine->dimension, 2);
    }
}

TEST(StatisticsBatch, PercentagesPerTNormAndCountersZeroedPerDimension) {
    auto engine = std::make_unique<engine::Engine>(engine::kZorvane);
    // Counters from earlier trials must not count in the first row.
    engine->closureGreaterCount = {0, 90, 0};
    engine->closureNotGreaterCount = {7, 0, 7};
    // Min: closure farther in all three; Prod: never (equal counts as not farther); W: in one.
    const TrialDistances farther{{2, 1, 2}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}};
    const TrialDistances nearer{{2, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}};
    ScriptedTrials trials(*engine, {farther, nearer, nearer});
    const std::vector<std::string> lines = SplitLines(WriteToString(*engine, 3, 3, std::ref(trials)));
    ASSERT_EQ(lines.size(), 8u);
    for (int row = 0; row < 2; ++row) {
        const std::vector<std::string> fields = SplitFields(lines[5 + row]);
        ASSERT_EQ(fields.size(), 17u);
        EXPECT_EQ(fields[3], "100%");
        EXPECT_EQ(fields[6], "0%");
        EXPECT_EQ(fields[9], "33%");
    }
    EXPECT_EQ(engine->closureGreaterCount, (std::array<int, 3>{3, 0, 1}));
    EXPECT_EQ(engine->closureNotGreaterCount, (std::array<int, 3>{0, 3, 2}));
}

TEST(StatisticsBatch, SumsAre32BitFloatsInTrialOrderAndRestartPerDimension) {
    // 2^24 + 1 rounds back to 2^24 in 32 bits: the order of the additions shows in the mean.
    const float big = 16777216.0f;
    const auto trial = [](float v) { return TrialDistances{{v, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}; };
    auto engine = std::make_unique<engine::Engine>(engine::kZorvath);
    ScriptedTrials trials(*engine, {trial(big), trial(1), trial(1), trial(1), trial(1), trial(big)});
    const std::vector<std::string> lines = SplitLines(WriteToString(*engine, 3, 3, std::ref(trials)));
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(SplitFields(lines[5])[1], "5592405");  // (2^24 + 1 + 1 in floats) div 3
    EXPECT_EQ(SplitFields(lines[6])[1], "5592406");  // (1 + 1 + 2^24) div 3, a fresh sum
}

// ---------------------------------------------------------------------------------------------
// Refused requests and failing files

TEST(StatisticsRequest, LargestDimensionAboveTheMatrixSizeIsRefused) {
    for (int largest : {101, 1000, INT_MAX}) {
        try {
            experiments::ValidateLargestDimension(largest);
            ADD_FAILURE() << largest << " accepted";
        } catch (const StatisticsError& e) {
            EXPECT_NE(std::string(e.what()).find("100"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(std::to_string(largest)), std::string::npos) << e.what();
        }
    }
    for (int largest : {100, 2, 1, 0, -7, INT_MIN}) EXPECT_NO_THROW(experiments::ValidateLargestDimension(largest));
}

TEST(StatisticsRequest, SampleSizeBelowOneIsRefused) {
    for (int sample : {0, -1, INT_MIN}) {
        try {
            experiments::ValidateSampleSize(sample);
            ADD_FAILURE() << sample << " accepted";
        } catch (const StatisticsError& e) {
            EXPECT_NE(std::string(e.what()).find(std::to_string(sample)), std::string::npos) << e.what();
        }
    }
    for (int sample : {1, 2, 100000}) EXPECT_NO_THROW(experiments::ValidateSampleSize(sample));
}

TEST(StatisticsRequest, RefusedRequestTouchesNeitherFileNorEngine) {
    const struct {
        int largest, sample;
    } cases[] = {{101, 3}, {INT_MAX, 1}, {5, 0}, {5, -2}, {0, 0}};
    for (const auto& c : cases) {
        TempDir dir;
        const fs::path file = dir.path() / "no.txt";
        auto engine = std::make_unique<engine::Engine>(engine::kZorvane);
        engine->closureGreaterCount = {1, 2, 3};
        int trials = 0;
        EXPECT_THROW(experiments::RunStatisticsBatch(file, *engine, c.largest, c.sample, [&] { ++trials; }),
                     StatisticsError);
        EXPECT_FALSE(fs::exists(file)) << c.largest << ", " << c.sample;
        EXPECT_EQ(trials, 0);
        EXPECT_EQ(engine->dimension, 10);
        EXPECT_EQ(engine->closureGreaterCount, (std::array<int, 3>{1, 2, 3}));
    }
}

TEST(StatisticsFile, FileThatCannotBeOpenedIsReportedBeforeAnyTrial) {
    TempDir dir;
    const fs::path file = dir.path() / "no_existe" / "datos.txt";
    auto engine = std::make_unique<engine::Engine>(engine::kZorvath);
    int trials = 0;
    try {
        experiments::RunStatisticsBatch(file, *engine, 4, 2, [&] { ++trials; });
        ADD_FAILURE() << "no error";
    } catch (const StatisticsError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find(file.string()), std::string::npos) << message;
        EXPECT_NE(message.find(std::strerror(ENOENT)), std::string::npos) << message;
    }
    EXPECT_EQ(trials, 0);
    EXPECT_EQ(engine->dimension, 10);
    EXPECT_FALSE(fs::exists(file.parent_path()));
}

TEST(StatisticsFile, ExistingFileIsReplacedNotAppended) {
    TempDir dir;
    const fs::path file = dir.path() / "viejo.txt";
    std::ofstream(file) << std::string(5000, 'x');
    auto engine = std::make_unique<engine::Engine>(engine::kZorvath);
    experiments::RunStatisticsBatch(file, *engine, 1, 1, [] {});
    EXPECT_EQ(ReadFile(file), ExpectedHeading("1", "1") + "\r\n");
}

TEST(StatisticsFile, FullDeviceIsReportedWithItsReason) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    auto engine = std::make_unique<engine::Engine>(engine::kZorvane);
    int trials = 0;
    try {
        experiments::RunStatisticsBatch("/dev/full", *engine, 3, 2, [&] { ++trials; });
        ADD_FAILURE() << "no error";
    } catch (const StatisticsError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("/dev/full"), std::string::npos) << message;
        EXPECT_NE(message.find(std::strerror(ENOSPC)), std::string::npos) << message;
    }
    EXPECT_EQ(trials, 0);  // the heading could not be written, so the batch never started
}

// Accepts the first `limit` bytes, then fails every write.
class FailingBuffer : public std::streambuf {
public:
    explicit FailingBuffer(std::size_t limit) : limit_(limit) {}
    const std::string& written() const { return written_; }

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char ch = traits_type::to_char_type(c);
        return xsputn(&ch, 1) == 1 ? c : traits_type::eof();
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        const std::size_t room = limit_ - written_.size();
        const std::size_t taken = std::min(room, static_cast<std::size_t>(n));
        written_.append(s, taken);
        return static_cast<std::streamsize>(taken);
    }

private:
    std::size_t limit_;
    std::string written_;
};

TEST(StatisticsFile, WriteFailingMidwayStopsTheBatchAndKeepsTheLinesWritten) {
    const TrialDistances d{{2, 1, 1}, {1, 1, 1}, {1.5f, 1, 1}, {1, 1, 1}};
    // The whole file of four dimensions, written without trouble.
    auto reference = std::make_unique<engine::Engine>(engine::kZorvane);
    ScriptedTrials referenceTrials(*reference, {d});
    const std::string whole = WriteToString(*reference, 4, 2, std::ref(referenceTrials));
    const std::vector<std::string> lines = SplitLines(whole);
    ASSERT_EQ(lines.size(), 9u);
    std::size_t afterRow2 = 0;
    for (int k = 0; k < 6; ++k) afterRow2 += lines[k].size() + 2;

    // The device fills up three bytes into the row of dimension 3.
    auto engine = std::make_unique<engine::Engine>(engine::kZorvane);
    ScriptedTrials trials(*engine, {d});
    FailingBuffer buffer(afterRow2 + 3);
    std::ostream out(&buffer);
    try {
        experiments::WriteStatistics(out, "lleno.txt", *engine, 4, 2, std::ref(trials));
        ADD_FAILURE() << "no error";
    } catch (const StatisticsError& e) {
        EXPECT_NE(std::string(e.what()).find("lleno.txt"), std::string::npos) << e.what();
    }
    EXPECT_EQ(buffer.written().substr(0, afterRow2), whole.substr(0, afterRow2));
    EXPECT_EQ(trials.calls(), 4);  // dimensions 2 and 3; dimension 4 never started
    EXPECT_EQ(engine->dimension, 3);
    EXPECT_EQ(engine->closureGreaterCount[0] + engine->closureNotGreaterCount[0], 2);
}

TEST(StatisticsFile, TrialErrorEndsTheBatchAndKeepsTheFinishedRows) {
    TempDir dir;
    const fs::path file = dir.path() / "parcial.txt";
    const TrialDistances d{{2, 1, 1}, {1, 1, 1}, {1.5f, 1, 1}, {1, 1, 1}};
    auto reference = std::make_unique<engine::Engine>(engine::kZorvath);
    ScriptedTrials referenceTrials(*reference, {d});
    const std::vector<std::string> lines = SplitLines(WriteToString(*reference, 5, 2, std::ref(referenceTrials)));
    ASSERT_EQ(lines.size(), 10u);

    auto engine = std::make_unique<engine::Engine>(engine::kZorvath);
    ScriptedTrials trials(*engine, {d});
    const auto failOnFifth = [&] {
        if (trials.calls() == 4) throw std::out_of_range("fallo en la prueba");
        trials();
    };
    EXPECT_THROW(experiments::RunStatisticsBatch(file, *engine, 5, 2, failOnFifth), std::out_of_range);
    std::string kept;
    for (int k = 0; k < 7; ++k) kept += lines[k] + "\r\n";
    EXPECT_EQ(ReadFile(file), kept);  // heading and the rows of dimensions 2 and 3
}

}  // namespace
