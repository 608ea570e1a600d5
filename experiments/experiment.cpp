#include "experiments/experiment.h"

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

void Experiment::AdoptTrial(int n, const engine::RelationMatrix& drawn, const engine::ClosureMemory& memoryAfter,
                            const engine::Analysis& analysis) {
    engine.AdoptTrial(n, drawn, memoryAfter, analysis);
    Counted();
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
