#pragma once

#include <filesystem>
#include <functional>
#include <stop_token>
#include <string_view>

#include "experiments/experiment.h"
#include "experiments/trial_extras.h"
#include "toolkit/file_io.h"
#include "formats/statistics_file.h"

namespace experiments {

/// Where a running batch stands, after each trial.
struct BatchProgress {
    int dimension = 0;         ///< the dimension of the trial just run
    int largestDimension = 0;  ///< D
    long long trialsDone = 0;
    long long trialsTotal = 0;  ///< (D − 1) · S
};

struct BatchOptions {
    int threads = 1;  ///< threads that analyse the trials; the file does not depend on it
    std::stop_token stop;
    /// Called on the batch's thread after every trial, when the experiment is at rest.
    std::function<void(const BatchProgress&)> progress;
    /// Called on the batch's thread after every trial, in trial order whatever `threads`, with
    /// the trial's dimension, its number within the dimension (from 1) and its results.
    std::function<void(int dimension, int trial, const engine::Analysis& results)> trial = {};
    /// Extra measures of every trial (see RunTrialGroups), read by `trial`.
    TrialExtras* extras = nullptr;
};

/// The table's last line (empty), which a toolkit::LineFile keeps at the end of the file from the
/// start: a batch ended by a signal, an error or a full disk still ends with it.
inline constexpr std::string_view kStatisticsLastLine = "";

/// The batch experiment: for every dimension 2 … D it sets the dimension, zeroes the run
/// counters and the twelve sums, runs S trials, adds each trial's twelve distances to 32-bit
/// sums in trial order, and writes the row of means and percentages. The heading comes first.
/// `writeLine` takes each line without its line end; the table's last line,
/// kStatisticsLastLine, is not written here: the file keeps it (see toolkit::LineFile).
///
/// A stop request ends the batch at the next trial boundary: the rows of the dimensions
/// completed stay. Returns false when stopped.
/// Throws StatisticsError for a refused request, before anything is written or run; an
/// exception from `writeLine` ends the batch there and propagates.
bool WriteStatistics(const std::function<void(std::string_view line)>& writeLine, Experiment& experiment,
                     int largestDimension, int sampleSize, const BatchOptions& options);

/// Creates or replaces `path` and writes the batch into it, line by line (toolkit::LineFile); a line
/// that cannot be written stops the batch with FileError and the file cut back to its last
/// complete line. A refused request (StatisticsError), or a file that cannot be opened, is
/// not a regular file or is being written by another batch (FileError), throws before any
/// trial runs and leaves the file as it was.
bool RunStatisticsBatch(const std::filesystem::path& path, Experiment& experiment, int largestDimension,
                        int sampleSize, const BatchOptions& options);
/// The same into a file already open, so that a caller can refuse it before anything starts;
/// open it with kStatisticsLineEnd and kStatisticsLastLine.
bool RunStatisticsBatch(toolkit::LineFile& file, Experiment& experiment, int largestDimension, int sampleSize,
                        const BatchOptions& options);

}  // namespace experiments
