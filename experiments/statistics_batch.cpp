#include "experiments/statistics_batch.h"

#include <vector>

#include "experiments/pie.h"
#include "formats/statistics_file.h"
#include "experiments/trial_pipeline.h"

namespace experiments {

bool WriteStatistics(const std::function<void(std::string_view line)>& writeLine, Experiment& experiment,
                     int largestDimension, int sampleSize, const BatchOptions& options) {
    formats::ValidateLargestDimension(largestDimension);
    formats::ValidateSampleSize(sampleSize);

    for (const std::string& line : formats::StatisticsHeading(largestDimension, sampleSize)) writeLine(line);

    std::vector<TrialGroup> groups;
    for (int dim = 2; dim <= largestDimension; ++dim) groups.push_back({dim, sampleSize});
    const bool integerMeans = experiment.engine.variant().integerMeans;
    const engine::Analysis& trial = experiment.engine.results;
    RunStatistics& statistics = experiment.statistics;
    formats::StatisticsSums sums;
    BatchProgress progress{0, largestDimension, 0, static_cast<long long>(groups.size()) * sampleSize};

    int trialInDimension = 0;
    TrialHooks hooks;
    hooks.groupStarting = [&](std::size_t) {
        statistics.ResetCounters();
        sums = {};
        trialInDimension = 0;
    };
    hooks.trialDone = [&] {
        ++trialInDimension;
        if (options.trial) options.trial(experiment.engine.dimension, trialInDimension, trial);
        for (int t = 0; t < engine::kTNormCount; ++t) {
            formats::AddToSum(sums.d1Closure[t], trial.d1Closure[t]);
            formats::AddToSum(sums.d1Transitivized[t], trial.d1Transitivized[t]);
            formats::AddToSum(sums.d2Closure[t], trial.d2Closure[t]);
            formats::AddToSum(sums.d2Transitivized[t], trial.d2Transitivized[t]);
        }
        if (options.progress) {
            progress.dimension = experiment.engine.dimension;
            ++progress.trialsDone;
            options.progress(progress);
        }
    };
    hooks.groupFinished = [&](std::size_t g) {
        // The pies' percentages, from the counters of this dimension's trials.
        std::array<int, engine::kTNormCount> percent{};
        for (int t = 0; t < engine::kTNormCount; ++t)
            percent[t] = ClosureGreaterPercent(statistics.closureGreaterCount[t], statistics.closureNotGreaterCount[t]);
        writeLine(formats::StatisticsRow(groups[g].dimension, sums, percent, sampleSize, integerMeans));
    };
    const long long done = RunTrialGroups(experiment, groups, options.threads, options.stop, hooks, options.extras);
    return done == progress.trialsTotal;
}

bool RunStatisticsBatch(const std::filesystem::path& path, Experiment& experiment, int largestDimension,
                        int sampleSize, const BatchOptions& options) {
    formats::ValidateLargestDimension(largestDimension);
    formats::ValidateSampleSize(sampleSize);
    toolkit::LineFile file(path, formats::kStatisticsLineEnd, kStatisticsLastLine);
    return RunStatisticsBatch(file, experiment, largestDimension, sampleSize, options);
}

bool RunStatisticsBatch(toolkit::LineFile& file, Experiment& experiment, int largestDimension, int sampleSize,
                        const BatchOptions& options) {
    return WriteStatistics([&](std::string_view line) { file.WriteLine(line); }, experiment, largestDimension,
                           sampleSize, options);
}

}  // namespace experiments
