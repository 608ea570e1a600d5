#include "engine/engine.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "engine/compare.h"
#include "engine/generation.h"

namespace engine {

void CheckDegrees(int n, const RelationMatrix& matrix) {
    CheckHolds(n, matrix);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (!(matrix[i][j] >= 0.0f && matrix[i][j] <= 1.0f))
                throw std::out_of_range("el grado de la fila " + std::to_string(i + 1) + ", columna " +
                                        std::to_string(j + 1) + " no está entre 0 y 1");
}

Engine::Engine(const Variant& variant) : symmetric(variant.symmetricAtStart), variant_(variant) {}

void Engine::RunTrial() {
    // Refuse before anything changes.
    CheckDimension(dimension);
    if (swapPending) {
        CheckElement(swapFirst, dimension);
        CheckElement(swapSecond, dimension);
    }
    Reserve(dimension);
    ++trialCount;
    if (swapPending) {
        SwapElements();
        swapPending = false;
    } else {
        GenerateRelation();
    }
    AnalyzeRelation();
}

void Engine::GenerateRelation() { DrawRelation(dimension, relation); }

void Engine::DrawRelation(int n, RelationMatrix& target) {
    engine::GenerateRelation(n, reflexive, symmetric, random_, target);
}

void Engine::SwapElements() { engine::SwapElements(dimension, swapFirst, swapSecond, relation); }

void Engine::AnalyzeRelation() {
    engine::AnalyzeRelation(dimension, relation, variant_.symmetrizing, closureMemory, results, control);
}

void Engine::Reserve(int n) {
    CheckDimension(n);
    Analysis& r = results;
    ClosureMemory& m = closureMemory;
    RelationMatrix* const matrices[] = {&relation,           &r.minClosure,       &r.prodClosure,     &r.wClosure,
                                        &r.minTransitivized, &r.prodTransitivized, &r.wTransitivized, &r.minOrder,
                                        &r.prodOrder,        &r.wOrder,           &m.minClosurePrev,  &m.prodClosurePrev,
                                        &m.wClosurePrev};
    if (std::ranges::all_of(matrices, [n](const RelationMatrix* x) { return n <= x->capacity(); })) return;
    CheckMemoryFor(n);
    for (RelationMatrix* x : matrices) x->Reserve(n);
}

void Engine::ClearRelation() {
    Reserve(dimension);
    for (int i = 0; i < dimension; ++i)
        for (int j = 0; j < dimension; ++j) relation[i][j] = 0.0f;
}

void Engine::LoadRelation(int n, const RelationMatrix& matrix) {
    CheckDegrees(n, matrix);
    Reserve(n);
    ++trialCount;
    dimension = n;
    MatrixCopy(n, matrix, relation);
    AnalyzeRelation();
}

void Engine::LoadRelation(int n, RelationMatrix&& matrix) {
    CheckDegrees(n, matrix);
    Reserve(n);
    ++trialCount;
    dimension = n;
    MatrixCopy(n, matrix, relation);
    matrix = RelationMatrix(0);
    AnalyzeRelation();
}

void Engine::AdoptTrial(int n, const RelationMatrix& drawn, const ClosureMemory& memoryAfter,
                        const Analysis& analysis) {
    CheckHolds(n, drawn);
    Reserve(n);
    ++trialCount;
    dimension = n;
    MatrixCopy(n, drawn, relation);
    CopyAnalysis(n, analysis, results);
    for (int t = Min; t <= W; ++t) {
        const auto tn = static_cast<TNorm>(t);
        ClosureCounts counts = analysis.closureCounts[t];
        if (ClosureShortcut(tn, n, relation, closureMemory)) {
            // This memory holds the relation, T-transitive: its own closure, no iteration.
            counts = ClosureCounts{};
        } else {
            // Without the shortcut the other memory took, a T-transitive relation takes one
            // iteration that raises nothing.
            if (counts.iterCount == 0) counts = ClosureCounts{1, 0, true};
            MatrixCopy(n, memoryAfter.Previous(tn), closureMemory.Previous(tn));
            closureMemory.transitiveDimension[t] = counts.converged ? n : 0;
        }
        if (counts != analysis.closureCounts[t]) {
            results.closureCounts[t] = counts;
            results.resultText[ClosureTextIndex(tn)] = ClosureText(
                tn, counts, CompareWithRelation(n, relation, results.Closure(tn), Direction::ClosureMinusRelation));
        }
    }
}

}  // namespace engine
