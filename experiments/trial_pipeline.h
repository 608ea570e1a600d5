#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <stop_token>

#include "experiments/experiment.h"
#include "experiments/trial_extras.h"

namespace experiments {

/// `count` trials at `dimension`.
struct TrialGroup {
    int dimension = 0;
    int count = 0;
};

/// Called on the thread that runs the trials, in trial order; each may be empty.
struct TrialHooks {
    /// The group's dimension has just been set; also for a group without trials.
    std::function<void(std::size_t group)> groupStarting;
    /// After every trial; the experiment then holds exactly what plain trials would leave.
    std::function<void()> trialDone;
    /// After the group's last trial.
    std::function<void(std::size_t group)> groupFinished;
};

/// Runs the groups in turn: the engine's dimension becomes the group's, then its trials run,
/// with the same results, bit for bit, as that many calls of Experiment::RunTrial, whatever the
/// number of threads. The relations are drawn in order on the calling thread, analysed on
/// `threads` threads of their own (each trial with scratch of its own), and taken over in
/// order. A stop request ends the run at the next trial boundary, leaving the experiment (the
/// random sequence included) as if it had stopped there, and starts no further group; so does
/// an exception from a hook, which then propagates. Returns the number of trials run.
/// With `extras`, each trial's extra measures are taken on the threads that analyse it, and
/// `extras` holds those of the trial the hooks are called for.
long long RunTrialGroups(Experiment& experiment, std::span<const TrialGroup> groups, int threads,
                         std::stop_token stop, const TrialHooks& hooks, TrialExtras* extras = nullptr);

/// The largest number of threads a run accepts.
inline constexpr int kMaxThreads = 256;

}  // namespace experiments
