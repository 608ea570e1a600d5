#pragma once

// What the command line does at sizes that take a while: one analysis followed on a terminal
// and stopped by a signal, and statistics at chosen dimensions (--dimensiones).

#include <atomic>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "experiments/batch_outputs.h"
#include "experiments/experiment.h"

namespace cli {

/// A --dimensiones list that is not one: the message says why.
class DimensionListError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

/// "200,400,800", "100:1000:100" (first:last:step) or both joined by commas: the dimensions in
/// the order given, each 2 … 5000, at most 1000 of them.
std::vector<int> ParseDimensionList(const std::string& text);

/// Runs `analysis` (a trial at dimension n with the control given to its engine) on a thread of
/// its own, showing its progress on standard error when that is a terminal, and stopping it
/// when `interrupted` becomes true (engine::AnalysisStopped, rethrown here, as is any other
/// exception of the analysis).
void RunFollowed(int n, const std::function<void(engine::AnalysisControl&)>& analysis,
                 const std::atomic<bool>& interrupted);

/// S trials at each dimension of the list, each into `outputs`; stops at a trial boundary when
/// `interrupted` becomes true. Returns whether every trial ran.
bool RunChosenDimensions(experiments::Experiment& experiment, const std::vector<int>& dimensions, int sampleSize,
                         int threads, experiments::BatchOutputs& outputs, const std::atomic<bool>& interrupted,
                         experiments::TrialExtras* extras = nullptr);

}  // namespace cli
