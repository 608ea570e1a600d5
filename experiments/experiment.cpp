#include "experiments/experiment.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
#include <memory>

#include "engine/generation.h"
#include "formats/relation_file.h"
#include "toolkit/number_text.h"

namespace experiments {

Experiment::Experiment(const engine::Variant& variant) : engine(variant) {}

void Experiment::RunTrial() {
    engine.RunTrial();
    Counted();
}

void Experiment::LoadRelation(int n, const engine::RelationMatrix& matrix) {
    engine.LoadRelation(n, matrix);
    Counted();
}

void Experiment::LoadRelation(int n, engine::RelationMatrix&& matrix) {
    engine.LoadRelation(n, std::move(matrix));
    Counted();
}

void Experiment::AdoptTrial(int n, const engine::RelationMatrix& drawn, const engine::ClosureMemory& memoryAfter,
                            const engine::Analysis& analysis) {
    engine.AdoptTrial(n, drawn, memoryAfter, analysis);
    Counted();
}

AsideTrial::AsideTrial(Experiment& experiment)
    : experiment_(experiment), n_(experiment.engine.dimension), saved_(experiment.engine.random()) {
    engine::Engine& e = experiment.engine;
    engine::CheckDimension(n_);
    if (e.swapPending) {
        engine::CheckElement(e.swapFirst, n_);
        engine::CheckElement(e.swapSecond, n_);
    }
    Prepare();
    swap_ = e.swapPending;
    if (swap_) {
        e.Reserve(n_);
        engine::MatrixCopy(n_, e.relation, *relation_);
        engine::SwapElements(n_, e.swapFirst, e.swapSecond, *relation_);
    } else {
        e.DrawRelation(n_, *relation_);
    }
}

AsideTrial::AsideTrial(Experiment& experiment, int n)
    : experiment_(experiment), n_(n), saved_(experiment.engine.random()) {
    engine::CheckDimension(n_);
    Prepare();
    experiment.engine.DrawRelation(n_, *relation_);
}

AsideTrial::AsideTrial(Experiment& experiment, int n, const engine::RelationMatrix& matrix)
    : experiment_(experiment), n_(n), saved_(experiment.engine.random()) {
    engine::CheckDegrees(n, matrix);
    Prepare();
    engine::MatrixCopy(n, matrix, *relation_);
}

void AsideTrial::Prepare() {
    engine::CheckMemoryFor(n_, 2);
    relation_ = std::make_unique<engine::RelationMatrix>(std::max(n_, engine::kInitialCapacity));
    memory_ = std::make_unique<engine::ClosureMemory>(experiment_.engine.closureMemory);
    analysis_ = std::make_unique<engine::Analysis>();
}

AsideTrial::~AsideTrial() {
    if (!adopted_) experiment_.engine.SetRandom(saved_);
}

void AsideTrial::Analyze(engine::AnalysisControl& control) {
    engine::AnalyzeRelation(n_, *relation_, experiment_.engine.variant().symmetrizing, *memory_, *analysis_, &control);
}

void AsideTrial::Adopt() {
    experiment_.AdoptTrial(n_, *relation_, *memory_, *analysis_);
    if (swap_) experiment_.engine.swapPending = false;
    adopted_ = true;
}

void FollowAnalysis(engine::AnalysisControl& control, const std::function<void(engine::AnalysisControl&)>& analysis,
                    std::chrono::milliseconds interval, const std::function<void()>& tick) {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::exception_ptr failure;
    {
        std::jthread thread([&] {
            try {
                analysis(control);
            } catch (...) {
                failure = std::current_exception();
            }
            const std::lock_guard lock(mutex);
            done = true;
            ended.notify_one();
        });
        std::unique_lock lock(mutex);
        while (!ended.wait_for(lock, interval, [&] { return done; })) tick();
    }
    if (failure) std::rethrow_exception(failure);
}

void Experiment::Reset() {
    engine.trialCount = 0;
    statistics.ResetCounters();
    dimensionRuns.clear();
    engine.ClearRelation();
    engine.AnalyzeRelation();
    Counted();
    statistics.ResetSeries();
}

void Experiment::Counted() {
    statistics.Record(engine.results);
    if (dimensionRuns.empty() || dimensionRuns.back().dimension != engine.dimension)
        dimensionRuns.push_back({engine.trialCount, engine.dimension});
}

std::shared_ptr<const Snapshot> TakeSnapshot(const Experiment& experiment) {
    auto snapshot = std::make_shared<Snapshot>();
    const engine::Engine& e = experiment.engine;
    snapshot->dimension = e.dimension;
    snapshot->trialCount = e.trialCount;
    snapshot->relation = e.relation;
    snapshot->results = e.results;
    snapshot->closureGreaterCount = experiment.statistics.closureGreaterCount;
    snapshot->closureNotGreaterCount = experiment.statistics.closureNotGreaterCount;
    snapshot->dimensionRuns = experiment.dimensionRuns;
    for (int t = 0; t < engine::kTNormCount; ++t) {
        uinftab::PointList* const& series = experiment.statistics.pointSeries[t];
        const std::int32_t count = uinftab::PointListCount(series);
        for (std::int32_t i = count > kRecentPoints ? count - kRecentPoints : 0; i < count; ++i) {
            uinftab::PlotPoint point;
            uinftab::PointListGet(series, i, point);
            snapshot->recentPoints[t].push_back(point);
        }
    }
    return snapshot;
}

formats::SaveAllContent SaveAllContentOf(const Experiment& experiment) {
    const engine::Engine& e = experiment.engine;
    formats::SaveAllContent content;
    content.program = engine::ProgramName(e.variant());
    content.dimension = e.dimension;
    content.trialNumber = e.trialCount;
    content.generateReflexive = e.reflexive;
    content.generateSymmetric = e.symmetric;
    content.separator = toolkit::DecimalSeparator();
    content.relation = &e.relation;
    for (int t = engine::Min; t <= engine::W; ++t) {
        const auto tn = static_cast<engine::TNorm>(t);
        content.results[engine::ClosureTextIndex(tn)] = &e.results.Closure(tn);
        content.results[engine::TransitivizedTextIndex(tn)] = &e.results.Transitivized(tn);
        content.orders[t] = &e.results.Order(tn);
    }
    content.resultTexts = e.results.resultText;
    return content;
}

std::string SaveAllText(const Experiment& experiment) { return SaveAllText(SaveAllContentOf(experiment)); }

}  // namespace experiments
