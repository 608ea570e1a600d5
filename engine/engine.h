#pragma once

#include <array>
#include <string>

#include "engine/closure.h"
#include "engine/compare.h"
#include "engine/relation_matrix.h"
#include "engine/tnorm.h"
#include "engine/variant.h"
#include "experiments/uinftab.h"
#include "toolkit/random.h"

namespace engine {

/// Index of a result text: closures first, then transitivized matrices, t-norm order within.
inline constexpr int kResultTextCount = 6;
inline int ClosureTextIndex(TNorm t) { return t; }
inline int TransitivizedTextIndex(TNorm t) { return kTNormCount + t; }

/// The whole state of one study: the working relation with its settings, every result of
/// the last analysis and the statistics kept across trials. About half a megabyte of fixed
/// matrices; make it with std::make_unique. Nothing is allocated per trial except the
/// result texts and the three appended points.
class Engine {
public:
    explicit Engine(const Variant& variant);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    const Variant& variant() const { return variant_; }

    /// One trial: count it, generate a relation (or swap the pending pair), analyse it.
    /// A dimension outside 1 … MAX_DIM, or a pending swap index outside 0 … n − 1, throws
    /// std::out_of_range naming the value and the range, before anything changes.
    void RunTrial();
    /// New random relation in the leading n × n block (n² draws from 0 … 10, row-major).
    void GenerateRelation();
    /// Exchanges the roles of elements swapFirst and swapSecond in the relation.
    void SwapElements();
    /// Closures, transitivizations, comparisons, result texts, counters and points.
    void AnalyzeRelation();
    /// Sets the leading n × n block of the relation to 0.
    void ClearRelation();
    /// Sets the six closure-greater / not-greater counters to 0.
    void ResetCounters();

    RelationMatrix& Closure(TNorm t) { return *closures_[t]; }
    RelationMatrix& ClosurePrev(TNorm t) { return *closurePrevs_[t]; }
    RelationMatrix& Transitivized(TNorm t) { return *transitivized_[t]; }
    RelationMatrix& Order(TNorm t) { return *orders_[t]; }
    const RelationMatrix& Closure(TNorm t) const { return *closures_[t]; }
    const RelationMatrix& Transitivized(TNorm t) const { return *transitivized_[t]; }
    const RelationMatrix& Order(TNorm t) const { return *orders_[t]; }

    // Settings, written directly by the commands.
    int dimension = 10;
    bool reflexive = false;
    bool symmetric;
    bool swapPending = false;
    int swapFirst = 0;
    int swapSecond = 0;
    int trialCount = 0;

    RelationMatrix relation{};
    RelationMatrix minClosure{}, prodClosure{}, wClosure{};
    RelationMatrix minClosurePrev{}, prodClosurePrev{}, wClosurePrev{};
    RelationMatrix minTransitivized{}, prodTransitivized{}, wTransitivized{};
    RelationMatrix minOrder{}, prodOrder{}, wOrder{};

    // Results of the last analysis, per t-norm.
    std::array<float, kTNormCount> d1Closure{};
    std::array<float, kTNormCount> d1Transitivized{};
    std::array<float, kTNormCount> d2Closure{};
    std::array<float, kTNormCount> d2Transitivized{};
    std::array<int, kTNormCount> reducedCount{};
    std::array<ClosureCounts, kTNormCount> closureCounts{};
    /// Texts of Label2 … Label7: closures (Min, Prod, W), then transitivized matrices.
    std::array<std::string, kResultTextCount> resultText;

    // Across trials, until reset.
    std::array<int, kTNormCount> closureGreaterCount{};
    std::array<int, kTNormCount> closureNotGreaterCount{};
    /// One series per t-norm, owned by whoever creates them (the window); a null series is
    /// skipped. Live series are destroyed with the engine.
    std::array<uinftab::PointList*, kTNormCount> pointSeries{};

private:
    Variant variant_;
    toolkit::RandomGenerator random_;
    std::array<RelationMatrix*, kTNormCount> closures_{&minClosure, &prodClosure, &wClosure};
    std::array<RelationMatrix*, kTNormCount> closurePrevs_{&minClosurePrev, &prodClosurePrev, &wClosurePrev};
    std::array<RelationMatrix*, kTNormCount> transitivized_{&minTransitivized, &prodTransitivized,
                                                            &wTransitivized};
    std::array<RelationMatrix*, kTNormCount> orders_{&minOrder, &prodOrder, &wOrder};
};

}  // namespace engine
