// The score kept across trials and the pies' percentages; the statistics table byte for byte,
// the batch on any number of threads against plain trials, and trials stopped at a trial
// boundary. (Refused requests and a batch cancelled midway: the window's and the command
// line's tests.)
#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <locale>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "experiments/pie.h"
#include "experiments/run_statistics.h"
#include "experiments/statistics_batch.h"
#include "formats/statistics_file.h"
#include "experiments/trial_pipeline.h"
#include "tests/experiments/same_state.h"
#include "toolkit/number_text.h"

namespace {

using experiments::Experiment;
using test_support::Started;

constexpr int kMax = std::numeric_limits<int>::max();

TEST(RunStatistics, EachTrialCountsOnceAndPlotsItsTruncatedDistances) {
    // Per t-norm: the closure farther (both plotted truncated), as far (not farther), and
    // farther beyond the 32-bit range.
    engine::Analysis analysis;
    analysis.d1Closure = {7.9f, 3.0f, 1e20f};
    analysis.d1Transitivized = {7.2f, 3.0f, 0.5f};
    experiments::RunStatistics statistics;
    statistics.Record(analysis);
    EXPECT_EQ(statistics.closureGreaterCount, (std::array<int, 3>{1, 0, 1}));
    EXPECT_EQ(statistics.closureNotGreaterCount, (std::array<int, 3>{0, 1, 0}));
    const int points[3][2] = {{7, 7}, {3, 3}, {kMax, 0}};
    for (int t = 0; t < 3; ++t) {
        ASSERT_EQ(statistics.pointSeries[t]->points.size(), 1u);
        const uinftab::PlotPoint& p = statistics.pointSeries[t]->points[0];
        EXPECT_EQ(std::pair(uinftab::PlotPointX(p), uinftab::PlotPointY(p)), std::pair(points[t][0], points[t][1])) << t;
    }
}

TEST(Pie, PercentagesAndEndAngles) {
    // greater, not greater, percentage, end angle
    const int cases[][4] = {
        {3, 1, 75, 270}, {1, 2, 33, 118}, {2, 1, 66, 237}, {0, 0, 0, 0}, {5, 0, 100, 360},
        {0, 1, 0, 0},    {0, kMax, 0, 0}, {1, 199, 0, 0},  {199, 1, 99, 356},
        // 100 × a count leaves the 32-bit range from 21474837 on.
        {kMax, kMax, 50, 180}, {kMax, 1, 99, 356}, {1, kMax, 0, 0}, {21474837, 0, 100, 360},
    };
    for (const auto& [greater, others, percent, angle] : cases) {
        EXPECT_EQ(formats::ClosureGreaterPercent(greater, others), percent) << greater << "/" << others;
        EXPECT_EQ(experiments::PieEndAngle(percent), angle) << percent;
    }
}

// The five heading lines byte by byte: 0xF1 is "ñ" and 0xF3 is "ó" in Windows-1252.
std::string Heading(int largest, int sample) {
    return std::to_string(largest) + " Dimensiones \r\n" +
           "Tama\xF1o Muestral (matrices generadas en cada dimensi\xF3n): " + std::to_string(sample) +
           "\r\n\r\nDistancia 1\t\t\t\t\t\t\t\t\t\t\tDistancia Euclidea\r\n"
           "Dimesi\xF3n\td1 CT Min\td1 Min Tr\t% mayor CT\td1 CT Prod\td1 Prod Tr\t% mayor CT\t"
           "d1 CT Lukas\td1 Lukas Tr\t% mayor CT\t Dimesi\xF3n\td2 CT Min\td2 Min Tr\td2 CT Prod\t"
           "d2 Prod Tr\td2 CT Lukas\td2 Lukas Tr\r\n";
}

// Distances of one trial: d1 closure, d1 transitivized, d2 closure, d2 transitivized.
using Distances = std::array<std::array<float, 3>, 4>;

// The row of a dimension whose trials had these distances, summed in trial order.
std::string Row(int dimension, const std::vector<Distances>& trials, bool integerMeans) {
    formats::StatisticsSums sums;
    std::array<int, 3> greater{}, notGreater{}, percent{};
    for (const Distances& d : trials)
        for (int t = 0; t < 3; ++t) {
            for (auto [s, sum] : {std::pair(0, &sums.d1Closure), {1, &sums.d1Transitivized}, {2, &sums.d2Closure},
                                  {3, &sums.d2Transitivized}})
                formats::AddToSum((*sum)[t], d[s][t]);
            ++(d[0][t] > d[1][t] ? greater : notGreater)[t];
        }
    for (int t = 0; t < 3; ++t) percent[t] = formats::ClosureGreaterPercent(greater[t], notGreater[t]);
    return formats::StatisticsRow(dimension, sums, percent, static_cast<int>(trials.size()), integerMeans);
}

// A window locale with decimal commas; the file keeps its decimal points, whatever the
// program's separator too.
struct CommaPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

TEST(StatisticsFile, RowsInBothNumberFormats) {
    // Min's closure farther in each trial, Prod's never (equal is not farther), W's in one of
    // three; 2^24 + 1 + 1 stays 2^24 in a 32-bit sum.
    const Distances first{{{16777216, 1, 2}, {0.5f, 1, 1}, {37.037037f, 2.19f, 53.7f}, {3.7035e-05f, 1.5f, 9}}};
    const Distances other{{{1, 1, 1}, {0.5f, 1, 1}, {}, {}}};
    // A single trial is its own mean; the integer mean of a sum past 32 bits.
    const Distances one{{{0.73f, 17.9f, 2.5f}, {0.5f, 17.9f, 3}, {4294967296.f, 5.25f, 1}, {0.4f, 5, 1.75f}}};
    const std::tuple<std::vector<Distances>, bool, const char*> cases[] = {
        {{first, other, other}, true, "2\t5592405\t0\t100%\t1\t1\t0%\t1\t1\t33%\t2\t12\t0\t0\t0\t17\t3"},
        {{first, other, other}, false,
         "2\t5.59241e+06\t0.5\t100%\t1\t1\t0%\t1.33333\t1\t33%\t2\t12.3457\t1.2345e-05\t0.73\t0.5\t17.9\t3"},
        {{one}, true, "2\t0\t0\t100%\t17\t17\t0%\t2\t3\t0%\t2\t4294967296\t0\t5\t5\t1\t1"},
    };
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    toolkit::SetDecimalSeparator(',');
    for (const auto& [trials, integerMeans, row] : cases) EXPECT_EQ(Row(2, trials, integerMeans), row);
    toolkit::SetDecimalSeparator('.');
    std::locale::global(previous);
}

// What the closures of the last trial reported and left in memory: every trial taken over from
// another thread must report what it would have reported here, not only the last one.
std::string ClosureTrace(const engine::Engine& e) {
    std::string trace;
    for (int t = 0; t < 3; ++t)
        trace += e.results.resultText[t] + " " + std::to_string(e.closureMemory.transitiveDimension[t]) + "\n";
    return trace;
}

// The batch as plain trials run it, as text; counts the closures that took no iteration.
std::string PlainBatch(Experiment& x, int largest, int sample, int& shortcuts, std::string* trace = nullptr) {
    std::string text = Heading(largest, sample);
    const engine::Analysis& r = x.engine.results;
    for (int dim = 2; dim <= largest; ++dim) {
        x.engine.dimension = dim;
        x.statistics.ResetCounters();  // as the batch does for each dimension
        std::vector<Distances> trials;
        for (int k = 0; k < sample; ++k) {
            x.RunTrial();
            trials.push_back({r.d1Closure, r.d1Transitivized, r.d2Closure, r.d2Transitivized});
            for (const auto& counts : r.closureCounts) shortcuts += counts.iterCount == 0;
            if (trace) *trace += ClosureTrace(x.engine);
        }
        text += Row(dim, trials, x.engine.variant().integerMeans) + "\r\n";
    }
    return text + "\r\n";
}

TEST(StatisticsBatch, OnAnyNumberOfThreadsEqualsPlainTrials) {
    const struct { engine::Variant variant; bool reflexive; std::optional<bool> symmetric; int largest, sample; } cases[] = {
        {engine::kZorvath, false, {}, 12, 3},   {engine::kZorvane, false, {}, 12, 3},
        {engine::kZorvane, false, true, 40, 2}, {engine::kZorvath, false, false, 2, 1},
        {engine::kZorvane, true, {}, 1, 5},
        // Reflexive and symmetric relations of dimension 2 and 3 often equal the closure before
        // them, whose memory then lets the closure take no iteration: the trials taken over
        // from other threads must report that too.
        {engine::kZorvath, true, true, 3, 150}, {engine::kZorvane, true, true, 3, 150},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.largest) + " " + std::to_string(c.sample));
        auto plain = Started(c.variant, c.reflexive, c.symmetric);
        int shortcuts = 0;
        std::string plainTrace;
        const std::string expected = PlainBatch(*plain, c.largest, c.sample, shortcuts, &plainTrace);
        EXPECT_TRUE(c.sample < 150 || shortcuts > 10) << shortcuts;
        for (const int threads : {1, 2, 3, 8}) {
            auto x = Started(c.variant, c.reflexive, c.symmetric);
            std::string text, trace;
            const auto traced = [&](const experiments::BatchProgress&) { trace += ClosureTrace(x->engine); };
            EXPECT_TRUE(experiments::WriteStatistics([&](std::string_view line) { (text += line) += "\r\n"; }, *x,
                                                     c.largest, c.sample, {threads, {}, traced}));
            text += "\r\n";  // the last line, which the file keeps
            EXPECT_EQ(text, expected) << threads << " threads";
            EXPECT_TRUE(trace == plainTrace) << threads << " threads";
            test_support::ExpectSameExperiment(*x, *plain);
        }
    }
}

// Runs plain trials as RunTrialGroups would: the dimension of each group, then its trials.
void PlainTrials(Experiment& x, const std::vector<std::pair<int, int>>& groups) {
    for (const auto& [dimension, count] : groups) {
        x.engine.dimension = dimension;
        for (int k = 0; k < count; ++k) x.RunTrial();
    }
}

TEST(TrialPipeline, StopsAndFailuresLeaveThePlainRunsState) {
    for (const int threads : {1, 3}) {
        auto x = Started(engine::kZorvane), plain = Started(engine::kZorvane);
        // A pending swap is the first trial's.
        for (Experiment* e : {x.get(), plain.get()})
            std::tie(e->engine.swapFirst, e->engine.swapSecond, e->engine.swapPending) = std::tuple(1, 3, true);
        // A stop after the last trial of a group starts no further group; one within a group
        // ends it there; so does a failure.
        std::stop_source stop;
        int done = 0;
        experiments::TrialHooks hooks;
        hooks.trialDone = [&] {
            if (++done == 4 || done == 7) stop.request_stop();
            if (done == 9) throw std::runtime_error("disco lleno");
        };
        const experiments::TrialGroup groups[] = {{6, 4}, {9, 10}}, more[] = {{5, 6}};
        EXPECT_EQ(experiments::RunTrialGroups(*x, groups, threads, stop.get_token(), hooks), 4);
        PlainTrials(*plain, {{6, 4}});
        test_support::ExpectSameExperiment(*x, *plain);
        stop = {};
        EXPECT_EQ(experiments::RunTrialGroups(*x, more, threads, stop.get_token(), hooks), 3);
        PlainTrials(*plain, {{5, 3}});
        test_support::ExpectSameExperiment(*x, *plain);
        EXPECT_THROW(experiments::RunTrialGroups(*x, groups, threads, {}, hooks), std::runtime_error);
        PlainTrials(*plain, {{6, 2}});
        test_support::ExpectSameExperiment(*x, *plain);  // the random sequence included
    }
}

}  // namespace

namespace {

// A trial made aside ends as the plain trial would (drawn, swapped, loaded; past the first
// storage too), and one stopped during its analysis, or refused, leaves the experiment as it was.
TEST(AsideTrial, EndsAsAPlainTrialAndAStoppedOneChangesNothing) {
    for (const engine::Variant& variant : {engine::kZorvath, engine::kZorvane}) {
        auto plain = Started(variant, false, false, 7u), aside = Started(variant, false, false, 7u);
        const auto both = [&](auto&& change) { change(*plain), change(*aside); };
        for (int step = 0; step < 6; ++step) {
            SCOPED_TRACE(step);
            both([&](Experiment& x) { x.engine.dimension = step < 3 ? 4 : 120; });
            if (step % 3 == 1) both([](Experiment& x) { std::tie(x.engine.swapPending, x.engine.swapFirst, x.engine.swapSecond) = std::tuple(true, 0, 2); });
            {
                // Asked to stop: the analysis throws, and the trial's end gives the sequence back.
                experiments::AsideTrial stopped(*aside);
                engine::AnalysisControl control;
                control.stop = true;
                EXPECT_THROW(stopped.Analyze(control), engine::AnalysisStopped);
            }
            test_support::ExpectSameExperiment(*plain, *aside);
            engine::AnalysisControl control;
            if (step % 3 == 2) {
                engine::RelationMatrix loaded = plain->engine.relation;
                loaded.Reserve(plain->engine.dimension);
                loaded[1][0] = 0.25f;
                plain->LoadRelation(plain->engine.dimension, loaded);
                experiments::AsideTrial trial(*aside, aside->engine.dimension, loaded);
                trial.Analyze(control);
                trial.Adopt();
                loaded[0][0] = 2.0f;  // not a degree: refused before anything changes
                EXPECT_THROW(experiments::AsideTrial(*aside, aside->engine.dimension, loaded), std::out_of_range);
            } else {
                plain->RunTrial();
                experiments::AsideTrial trial(*aside);
                trial.Analyze(control);
                trial.Adopt();
            }
            EXPECT_DOUBLE_EQ(control.Fraction(aside->engine.dimension), 1.0);
            test_support::ExpectSameExperiment(*plain, *aside);
        }
        // A new dimension becomes the experiment's with its trial, not before.
        plain->engine.dimension = 7;
        plain->RunTrial();
        {
            experiments::AsideTrial stopped(*aside, 7);
            EXPECT_EQ(aside->engine.dimension, 120);
        }
        experiments::AsideTrial trial(*aside, 7);
        engine::AnalysisControl control;
        trial.Analyze(control);
        trial.Adopt();
        test_support::ExpectSameExperiment(*plain, *aside);
    }
}

}  // namespace
