#include "engine/analysis.h"

#include "engine/compare.h"
#include "engine/transitivize.h"
#include "toolkit/machine.h"

namespace engine {

bool TransitivizationsSideBySide(int n) { return n >= ParallelDimension() && n <= kSideBySideLargest; }

void AnalyzeRelation(int n, const RelationMatrix& relation, bool symmetrizing, ClosureMemory& memory,
                     Analysis& out, AnalysisControl* control) {
    CheckHolds(n, relation);
    // The closures one after another, each spread over the cores by rows when it is large; the
    // transitivizations, each a sequence of steps, side by side when they are long enough and
    // the working space of two at once fits in the memory an analysis may take.
    for (int t = Min; t <= W; ++t) {
        const auto tn = static_cast<TNorm>(t);
        out.closureCounts[t] = ComputeClosure(tn, n, relation, out.Closure(tn), memory, control);
        if (control) ++control->closuresDone;
        const Comparison c = CompareWithRelation(n, relation, out.Closure(tn), Direction::ClosureMinusRelation);
        out.d1Closure[t] = c.d1;
        out.resultText[ClosureTextIndex(tn)] = ClosureText(tn, out.closureCounts[t], c);
        out.d2Closure[t] = static_cast<float>(c.euclidean);
    }
    const auto transitivize = [&](int t) {
        const auto tn = static_cast<TNorm>(t);
        out.reducedCount[t] =
            Transitivize(tn, n, relation, out.Transitivized(tn), out.Order(tn), symmetrizing, control);
        const Comparison c =
            CompareWithRelation(n, relation, out.Transitivized(tn), Direction::RelationMinusTransitivized);
        out.d1Transitivized[t] = c.d1;
        out.resultText[TransitivizedTextIndex(tn)] = TransitivizedText(tn, c, out.reducedCount[t]);
        out.d2Transitivized[t] = static_cast<float>(c.euclidean);
    };
    if (TransitivizationsSideBySide(n)) {
        toolkit::ParallelFor(kTNormCount, transitivize);
    } else {
        for (int t = Min; t <= W; ++t) transitivize(t);
    }
}

void CopyAnalysis(int n, const Analysis& source, Analysis& target) {
    for (int t = Min; t <= W; ++t) {
        const auto tn = static_cast<TNorm>(t);
        MatrixCopy(n, source.Closure(tn), target.Closure(tn));
        MatrixCopy(n, source.Transitivized(tn), target.Transitivized(tn));
        MatrixCopy(n, source.Order(tn), target.Order(tn));
    }
    target.closureCounts = source.closureCounts;
    target.reducedCount = source.reducedCount;
    target.d1Closure = source.d1Closure;
    target.d1Transitivized = source.d1Transitivized;
    target.d2Closure = source.d2Closure;
    target.d2Transitivized = source.d2Transitivized;
    target.resultText = source.resultText;
}

}  // namespace engine
