#include "experiments/statistics_batch.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

#include "experiments/pie.h"
#include "experiments/statistics_file.h"
#include "experiments/trial_pipeline.h"

namespace experiments {

bool WriteStatistics(const std::function<void(std::string_view line)>& writeLine, Experiment& experiment,
                     int largestDimension, int sampleSize, const BatchOptions& options) {
    ValidateLargestDimension(largestDimension);
    ValidateSampleSize(sampleSize);

    for (const std::string& line : StatisticsHeading(largestDimension, sampleSize)) writeLine(line);

    std::vector<TrialGroup> groups;
    for (int dim = 2; dim <= largestDimension; ++dim) groups.push_back({dim, sampleSize});
    const bool integerMeans = experiment.engine.variant().integerMeans;
    const engine::Analysis& trial = experiment.engine.results;
    RunStatistics& statistics = experiment.statistics;
    StatisticsSums sums;
    BatchProgress progress{0, largestDimension, 0, static_cast<long long>(groups.size()) * sampleSize};

    TrialHooks hooks;
    hooks.groupStarting = [&](std::size_t) {
        statistics.ResetCounters();
        sums = {};
    };
    hooks.trialDone = [&] {
        for (int t = 0; t < engine::kTNormCount; ++t) {
            AddToSum(sums.d1Closure[t], trial.d1Closure[t]);
            AddToSum(sums.d1Transitivized[t], trial.d1Transitivized[t]);
            AddToSum(sums.d2Closure[t], trial.d2Closure[t]);
            AddToSum(sums.d2Transitivized[t], trial.d2Transitivized[t]);
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
        writeLine(StatisticsRow(groups[g].dimension, sums, percent, sampleSize, integerMeans));
    };
    const long long done = RunTrialGroups(experiment, groups, options.threads, options.stop, hooks);
    writeLine({});
    return done == progress.trialsTotal;
}

bool RunStatisticsBatch(const std::filesystem::path& path, Experiment& experiment, int largestDimension,
                        int sampleSize, const BatchOptions& options) {
    ValidateLargestDimension(largestDimension);
    ValidateSampleSize(sampleSize);
    const std::string fileName = path.string();
    errno = 0;
    // Binary: the CR LF line ends are written as they stand on every platform.
    std::ofstream out(path, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!out.is_open()) {
        const int error = errno;
        throw StatisticsError("No se ha podido abrir el fichero «" + fileName + "»: " +
                              (error != 0 ? std::strerror(error) : "no se puede crear"));
    }
    const auto writeLine = [&](std::string_view line) {
        errno = 0;
        out.write(line.data(), static_cast<std::streamsize>(line.size()));
        out.write(kStatisticsLineEnd.data(), static_cast<std::streamsize>(kStatisticsLineEnd.size()));
        out.flush();
        if (!out) {
            const int error = errno;
            throw StatisticsError("No se ha podido escribir en el fichero «" + fileName +
                                  "»: " + (error != 0 ? std::strerror(error) : "error de escritura"));
        }
    };
    return WriteStatistics(writeLine, experiment, largestDimension, sampleSize, options);
}

}  // namespace experiments
