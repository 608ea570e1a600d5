#pragma once

#include <memory>
#include <stdexcept>
#include <vector>

#include "engine/family_analysis.h"
#include "engine/lowering_methods.h"
#include "engine/relation_matrix.h"
#include "engine/tnorm_family.h"
#include "formats/raw_trials.h"

namespace experiments {

/// Extra columns asked for that the batch cannot fill; the message says why, in Spanish.
class TrialExtrasError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

/// What a batch measures of each trial beyond the program's three t-norms: for every t-norm
/// asked (other than min, prod and w, whose figures are the program's own), the d1 and
/// Euclidean distances of its closure and transitivized matrix and whether the closure lay
/// farther; for every lowering method asked (completada, completa, promedio, simple) under
/// each t-norm of `methodTNorms`, its d1 and Euclidean distance (both signs counted, as the
/// methods' table counts them). The closure and the technique of a method list are those
/// t-norm columns. The columns are formats::ExtraColumn's, in that order.
/// A linkage method needs a reflexive symmetric batch (refused otherwise) and comes only for
/// Min; a method that applies under none of the t-norms is refused.
/// Each instance has scratch of its own: one per thread that analyses trials.
class TrialExtras {
public:
    TrialExtras(std::vector<engine::AnyTNorm> tnorms, std::vector<engine::Method> methods,
                std::vector<engine::AnyTNorm> methodTNorms, bool reflexiveSymmetric, bool symmetrizing);
    /// The same columns with scratch of its own.
    std::unique_ptr<TrialExtras> Copy() const;

    const std::vector<formats::ExtraColumn>& Columns() const { return columns_; }
    bool Empty() const { return columns_.empty(); }
    /// Measures the n × n block of `relation` into Values().
    void Compute(int n, const engine::RelationMatrix& relation);
    const std::vector<float>& Values() const { return values_; }
    /// Takes the values another instance computed.
    void TakeValues(const TrialExtras& other) { values_ = other.values_; }

private:
    struct MethodColumn {
        engine::Method method;
        engine::AnyTNorm tnorm;
    };
    std::vector<engine::AnyTNorm> tnorms_;
    std::vector<MethodColumn> methods_;
    bool symmetrizing_;
    std::vector<formats::ExtraColumn> columns_;
    std::vector<float> values_;
    std::unique_ptr<engine::FamilyClosureMemory> memory_ = std::make_unique<engine::FamilyClosureMemory>();
    std::unique_ptr<engine::FamilyAnalysis> analysis_ = std::make_unique<engine::FamilyAnalysis>();
    std::unique_ptr<engine::MethodScratch> scratch_ = std::make_unique<engine::MethodScratch>();
    std::unique_ptr<engine::RelationMatrix> out_ = std::make_unique<engine::RelationMatrix>();
};

}  // namespace experiments
