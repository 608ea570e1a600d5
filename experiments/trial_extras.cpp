#include "experiments/trial_extras.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/compare.h"

namespace experiments {

namespace {

using Kind = formats::ExtraColumn::Kind;

std::string ColumnName(const engine::AnyTNorm& t) {
    std::string name = t.Name();
    std::replace(name.begin(), name.end(), ':', '_');
    return name;
}

bool ProgramOwn(const engine::AnyTNorm& t) {
    return t.family() == engine::TNormFamily::Min || t.family() == engine::TNormFamily::Prod ||
           t.family() == engine::TNormFamily::W;
}

bool Linkage(engine::Method m) {
    return m == engine::Method::Completa || m == engine::Method::Promedio || m == engine::Method::Simple;
}

}  // namespace

TrialExtras::TrialExtras(std::vector<engine::AnyTNorm> tnorms, std::vector<engine::Method> methods,
                         std::vector<engine::AnyTNorm> methodTNorms, bool reflexiveSymmetric, bool symmetrizing)
    : symmetrizing_(symmetrizing) {
    const auto addTNorm = [&](const engine::AnyTNorm& t) {
        if (ProgramOwn(t) || std::find(tnorms_.begin(), tnorms_.end(), t) != tnorms_.end()) return;
        tnorms_.push_back(t);
    };
    for (const engine::AnyTNorm& t : tnorms) addTNorm(t);
    // The methods are set against the closure and the technique of their t-norms.
    std::vector<engine::Method> lowerings;
    for (engine::Method m : methods)
        if (m != engine::Method::Cierre && m != engine::Method::Tecnica &&
            std::find(lowerings.begin(), lowerings.end(), m) == lowerings.end())
            lowerings.push_back(m);
    if (!methods.empty())
        for (const engine::AnyTNorm& t : methodTNorms) addTNorm(t);
    for (engine::Method m : lowerings) {
        if (Linkage(m) && !reflexiveSymmetric)
            throw TrialExtrasError(std::string("el método «") + engine::MethodName(m) +
                                   "» necesita relaciones reflexivas y simétricas: añada --reflexiva y --simetrica");
        bool applies = false;
        for (const engine::AnyTNorm& t : methodTNorms) {
            if (Linkage(m) ? t.Core() != engine::Min : !t.LeftContinuous()) continue;
            methods_.push_back({m, t});
            applies = true;
        }
        if (!applies)
            throw TrialExtrasError(std::string("el método «") + engine::MethodName(m) +
                                   "» no se aplica con ninguna de las t-normas pedidas");
    }
    for (const engine::AnyTNorm& t : tnorms_) {
        const std::string name = ColumnName(t);
        const bool lowers = t.LeftContinuous();
        columns_.push_back({Kind::D1, "cierre", name});
        if (lowers) columns_.push_back({Kind::D1, "transitivizada", name});
        columns_.push_back({Kind::D2, "cierre", name});
        if (lowers) {
            columns_.push_back({Kind::D2, "transitivizada", name});
            columns_.push_back({Kind::ClosureFarther, "", name});
        }
    }
    for (const MethodColumn& column : methods_) {
        columns_.push_back({Kind::D1, engine::MethodName(column.method), ColumnName(column.tnorm)});
        columns_.push_back({Kind::D2, engine::MethodName(column.method), ColumnName(column.tnorm)});
    }
    values_.assign(columns_.size(), 0.0f);
}

std::unique_ptr<TrialExtras> TrialExtras::Copy() const {
    auto copy = std::unique_ptr<TrialExtras>(new TrialExtras({}, {}, {}, false, symmetrizing_));
    copy->tnorms_ = tnorms_;
    copy->methods_ = methods_;
    copy->columns_ = columns_;
    copy->values_ = values_;
    return copy;
}

void TrialExtras::Compute(int n, const engine::RelationMatrix& relation) {
    std::size_t c = 0;
    for (const engine::AnyTNorm& t : tnorms_) {
        engine::AnalyzeRelation(t, n, relation, symmetrizing_, *memory_, *analysis_);
        const engine::FamilyAnalysis& a = *analysis_;
        values_[c++] = a.closureComparison.d1;
        if (a.transitivizable) values_[c++] = a.transitivizedComparison.d1;
        values_[c++] = static_cast<float>(a.closureComparison.euclidean);
        if (a.transitivizable) {
            values_[c++] = static_cast<float>(a.transitivizedComparison.euclidean);
            values_[c++] = a.closureComparison.d1 > a.transitivizedComparison.d1 ? 1.0f : 0.0f;
        }
    }
    for (const MethodColumn& column : methods_) {
        engine::RunMethod(column.method, column.tnorm, n, relation, symmetrizing_, *out_, *scratch_);
        const auto up = engine::CompareWithRelation(n, relation, *out_, engine::Direction::ClosureMinusRelation);
        const auto down = engine::CompareWithRelation(n, relation, *out_, engine::Direction::RelationMinusTransitivized);
        values_[c++] = up.d1 + down.d1;
        values_[c++] = static_cast<float>(std::sqrt(static_cast<double>(up.sumSquares) + static_cast<double>(down.sumSquares)));
    }
}

}  // namespace experiments
