#include "experiments/statistics_batch.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <ostream>

#include "experiments/pie.h"
#include "experiments/statistics_file.h"

namespace experiments {

namespace {

// The reason of the last failed system call, when there is one to tell.
std::string Reason(int error) { return error != 0 ? std::strerror(error) : "error de escritura"; }

// Writes one line with its CR LF and pushes it out at once, so that a batch stopped
// later keeps every complete line.
void WriteLine(std::ostream& out, const std::string& fileName, std::string_view line) {
    errno = 0;
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
    out.write(kStatisticsLineEnd.data(), static_cast<std::streamsize>(kStatisticsLineEnd.size()));
    out.flush();
    if (!out) {
        const int error = errno;
        throw StatisticsError("No se ha podido escribir en el fichero «" + fileName + "»: " + Reason(error));
    }
}

}  // namespace

void WriteStatistics(std::ostream& out, const std::string& fileName, engine::Engine& engine,
                     int largestDimension, int sampleSize, const TrialRunner& runTrial) {
    ValidateLargestDimension(largestDimension);
    ValidateSampleSize(sampleSize);

    for (const std::string& line : StatisticsHeading(largestDimension, sampleSize)) WriteLine(out, fileName, line);

    const bool integerMeans = engine.variant().integerMeans;
    for (int dim = 2; dim <= largestDimension; ++dim) {
        engine.dimension = dim;
        engine.ResetCounters();
        StatisticsSums sums;
        for (int trial = 0; trial < sampleSize; ++trial) {
            runTrial();
            for (int t = 0; t < engine::kTNormCount; ++t) {
                AddToSum(sums.d1Closure[t], engine.d1Closure[t]);
                AddToSum(sums.d1Transitivized[t], engine.d1Transitivized[t]);
                AddToSum(sums.d2Closure[t], engine.d2Closure[t]);
                AddToSum(sums.d2Transitivized[t], engine.d2Transitivized[t]);
            }
        }
        // The pies' percentages, from the counters of this dimension's trials.
        std::array<int, engine::kTNormCount> percent{};
        for (int t = 0; t < engine::kTNormCount; ++t)
            percent[t] = ClosureGreaterPercent(engine.closureGreaterCount[t], engine.closureNotGreaterCount[t]);
        WriteLine(out, fileName, StatisticsRow(dim, sums, percent, sampleSize, integerMeans));
    }
    WriteLine(out, fileName, {});
}

void RunStatisticsBatch(const std::filesystem::path& path, engine::Engine& engine, int largestDimension,
                        int sampleSize, const TrialRunner& runTrial) {
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
    WriteStatistics(out, fileName, engine, largestDimension, sampleSize, runTrial);
}

}  // namespace experiments
