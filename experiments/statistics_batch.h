#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>

#include "engine/engine.h"

namespace experiments {

/// Runs one complete trial on the engine: RunTrial alone, or the window's whole trial
/// command with its grid refresh and repaints.
using TrialRunner = std::function<void()>;

/// The batch experiment: for every dimension 2 … largestDimension it sets the engine's
/// dimension, zeroes the run counters and the sums, runs sampleSize trials through runTrial,
/// adds each trial's twelve distances to 32-bit sums in trial order, and writes the row of
/// means and pie percentages. The heading comes first and an empty line last; every line is
/// flushed when complete.
///
/// Throws StatisticsError for a refused request (before anything is written or run), and
/// when a line cannot be written: the batch stops there and the lines already written stay.
/// `fileName` names the destination in that message. An exception from a trial ends the
/// batch the same way.
void WriteStatistics(std::ostream& out, const std::string& fileName, engine::Engine& engine,
                     int largestDimension, int sampleSize, const TrialRunner& runTrial);

/// Creates or replaces `path` and writes the batch into it. A request that is refused, or a
/// file that cannot be opened, throws StatisticsError before any trial runs and leaves
/// the file system untouched.
void RunStatisticsBatch(const std::filesystem::path& path, engine::Engine& engine, int largestDimension,
                        int sampleSize, const TrialRunner& runTrial);

}  // namespace experiments
