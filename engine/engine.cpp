#include "engine/engine.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "engine/transitivize.h"
#include "toolkit/number_text.h"

namespace engine {

namespace {
void CheckSwapIndex(int index, int n) {
    if (index < 0 || index >= n)
        // Counted from 1 as the user enters it; widened so that the largest int does not overflow.
        throw std::out_of_range("elemento " + std::to_string(static_cast<long long>(index) + 1) +
                                " fuera del rango válido 1 … " +
                                std::to_string(n));
}

// d1 distances are truncated to whole numbers for the plot; they never exceed n² ≤ 10000.
std::int32_t TruncateDistance(float d) { return static_cast<std::int32_t>(d); }
}  // namespace

Engine::Engine(const Variant& variant) : symmetric(variant.symmetricAtStart), variant_(variant) {}

Engine::~Engine() {
    for (auto& series : pointSeries)
        if (series != nullptr) uinftab::PointListDestroy(series);
}

void Engine::RunTrial() {
    // Refuse before anything changes.
    CheckDimension(dimension);
    if (swapPending) {
        CheckSwapIndex(swapFirst, dimension);
        CheckSwapIndex(swapSecond, dimension);
    }
    ++trialCount;
    if (swapPending) {
        SwapElements();
        swapPending = false;
    } else {
        GenerateRelation();
    }
    AnalyzeRelation();
}

void Engine::GenerateRelation() {
    const int n = dimension;
    CheckDimension(n);
    // Each degree k/10 passes through its text in the separator in force, so the stored value
    // is exactly the one the grids show. The eleven texts are formed once per relation.
    std::array<float, 11> degree{};
    for (int k = 0; k <= 10; ++k)
        degree[k] = static_cast<float>(toolkit::StrToFloat(toolkit::FloatToStrF(k * 0.1L, 3, 1)));
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) relation[i][j] = degree[random_.Below(11)];
    if (reflexive)
        for (int i = 0; i < n; ++i) relation[i][i] = 1.0f;
    if (symmetric)
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j) relation[i][j] = relation[j][i];
}

void Engine::SwapElements() {
    const int n = dimension;
    CheckDimension(n);
    const int a = swapFirst;
    const int b = swapSecond;
    CheckSwapIndex(a, n);
    CheckSwapIndex(b, n);
    // Exchange rows a and b, then columns a and b: new[σ(i)][σ(j)] = old[i][j].
    std::swap_ranges(relation[a].begin(), relation[a].begin() + n, relation[b].begin());
    for (int i = 0; i < n; ++i) std::swap(relation[i][a], relation[i][b]);
}

void Engine::AnalyzeRelation() {
    const int n = dimension;
    CheckDimension(n);
    for (int t = Min; t <= W; ++t) {
        const auto tn = static_cast<TNorm>(t);
        closureCounts[t] = ComputeClosure(tn, n, relation, Closure(tn), ClosurePrev(tn));
        const Comparison c = CompareWithRelation(n, relation, Closure(tn), Direction::ClosureMinusRelation);
        d1Closure[t] = c.d1;
        resultText[ClosureTextIndex(tn)] = ClosureText(tn, closureCounts[t], c);
        d2Closure[t] = static_cast<float>(c.euclidean);
    }
    for (int t = Min; t <= W; ++t) {
        const auto tn = static_cast<TNorm>(t);
        reducedCount[t] = Transitivize(tn, n, relation, Transitivized(tn), Order(tn), variant_.symmetrizing);
        const Comparison c =
            CompareWithRelation(n, relation, Transitivized(tn), Direction::RelationMinusTransitivized);
        d1Transitivized[t] = c.d1;
        resultText[TransitivizedTextIndex(tn)] = TransitivizedText(tn, c, reducedCount[t]);
        d2Transitivized[t] = static_cast<float>(c.euclidean);
    }
    for (int t = Min; t <= W; ++t) {
        uinftab::PlotPoint point;
        uinftab::PlotPointMake(point, TruncateDistance(d1Closure[t]), TruncateDistance(d1Transitivized[t]));
        if (d1Closure[t] > d1Transitivized[t]) ++closureGreaterCount[t];
        else ++closureNotGreaterCount[t];
        // A point that cannot be stored is simply missing from the series.
        if (pointSeries[t] != nullptr) uinftab::PointListAppend(pointSeries[t], point);
    }
}

void Engine::ClearRelation() {
    CheckDimension(dimension);
    for (int i = 0; i < dimension; ++i)
        for (int j = 0; j < dimension; ++j) relation[i][j] = 0.0f;
}

void Engine::ResetCounters() {
    closureGreaterCount = {};
    closureNotGreaterCount = {};
}

}  // namespace engine
