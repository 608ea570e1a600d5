#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "formats/relation_file.h"
#include "experiments/run_statistics.h"

namespace experiments {

/// Trials at one dimension: from trial `firstTrial` (0 for the zero relation a start afresh
/// analyses) up to the next run's first trial.
struct DimensionRun {
    int firstTrial = 0;
    int dimension = 0;
    bool operator==(const DimensionRun&) const = default;
};

/// One study as the window and the command line run it: the engine, which holds the relation,
/// its settings and the last results, and the score kept across its trials.
class Experiment {
public:
    explicit Experiment(const engine::Variant& variant);

    /// One trial (Engine::RunTrial), counted in the statistics.
    void RunTrial();
    /// A trial on a relation from outside (Engine::LoadRelation), counted.
    void LoadRelation(int n, const engine::RelationMatrix& matrix);
    /// The same, the matrix's storage given back before the analysis (it is left empty).
    void LoadRelation(int n, engine::RelationMatrix&& matrix);
    /// A trial analysed elsewhere (Engine::AdoptTrial), counted.
    void AdoptTrial(int n, const engine::RelationMatrix& drawn, const engine::ClosureMemory& memoryAfter,
                    const engine::Analysis& analysis);
    /// Starts afresh: no trials, the counters at 0, the relation's block cleared and analysed
    /// (that run counts, as every run does, so each not-greater counter ends at 1), the series
    /// empty. Dimension, options and the random sequence are kept.
    void Reset();

    engine::Engine engine;
    RunStatistics statistics;
    /// The dimensions of the runs the statistics count, oldest first: one entry per change of
    /// dimension, so a long study at one dimension keeps one.
    std::vector<DimensionRun> dimensionRuns;

private:
    void Counted();
};

/// From this dimension on, a trial of the window or the command line is run aside
/// (RunTrialAside, LoadRelationAside): it takes long enough to be followed and stopped.
inline constexpr int kAsideDimension = 200;

/// A trial as Experiment::RunTrial (or LoadRelation) runs it, in three steps, so that the long
/// analysis can run on another thread, be followed and be stopped while the experiment stays
/// at rest: made, it has drawn (or swapped, or been given) its relation and copied the closures'
/// memory; Analyze works on its own copies only; Adopt takes the trial over, counted. Destroyed
/// without Adopt, it gives the random sequence back as it was: the experiment is unchanged.
/// Refuses, before anything changes, what RunTrial or LoadRelation refuse, and a dimension whose
/// second analysis the memory cannot hold (engine::MemoryError).
class AsideTrial {
public:
    explicit AsideTrial(Experiment& experiment);
    /// A relation drawn at dimension n, which becomes the experiment's only when the trial is
    /// taken over (a pending swap is left pending).
    AsideTrial(Experiment& experiment, int n);
    AsideTrial(Experiment& experiment, int n, const engine::RelationMatrix& matrix);
    ~AsideTrial();
    AsideTrial(const AsideTrial&) = delete;
    AsideTrial& operator=(const AsideTrial&) = delete;

    int dimension() const { return n_; }
    /// Throws engine::AnalysisStopped when the control asks it to stop.
    void Analyze(engine::AnalysisControl& control);
    void Adopt();

private:
    /// Refuses a dimension the memory cannot hold twice; makes the relation, memory and results.
    void Prepare();

    Experiment& experiment_;
    int n_;
    bool swap_ = false, adopted_ = false;
    toolkit::RandomGenerator saved_;
    std::unique_ptr<engine::RelationMatrix> relation_;
    std::unique_ptr<engine::ClosureMemory> memory_;
    std::unique_ptr<engine::Analysis> analysis_;
};

/// Runs `analysis` with `control` on a thread of its own and calls `tick` on the calling thread
/// every `interval` until it has ended (to show progress, or to set control.stop); then rethrows
/// what the analysis threw.
void FollowAnalysis(engine::AnalysisControl& control, const std::function<void(engine::AnalysisControl&)>& analysis,
                    std::chrono::milliseconds interval, const std::function<void()>& tick);

inline constexpr int kRecentPoints = 100;

/// What the window shows of an experiment at one moment: a copy, so that it can be shown while
/// the experiment goes on in another thread.
struct Snapshot {
    int dimension = 0;
    int trialCount = 0;
    engine::RelationMatrix relation{};
    engine::Analysis results;
    std::array<int, engine::kTNormCount> closureGreaterCount{};
    std::array<int, engine::kTNormCount> closureNotGreaterCount{};
    /// The last kRecentPoints points of each series, oldest first.
    std::array<std::vector<uinftab::PlotPoint>, engine::kTNormCount> recentPoints;
    /// Experiment::dimensionRuns.
    std::vector<DimensionRun> dimensionRuns;
};

std::shared_ptr<const Snapshot> TakeSnapshot(const Experiment& experiment);

/// The "save all" file of what the experiment holds now (SaveAllText of relation_file.h): the
/// program, the dimension, the trial number and the options, the relation, the six results with
/// their texts and the three visit orders, in the program's decimal separator.
std::string SaveAllText(const Experiment& experiment);
/// What that file holds, for a caller that writes other results under the same heading.
formats::SaveAllContent SaveAllContentOf(const Experiment& experiment);

}  // namespace experiments
