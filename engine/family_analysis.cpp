#include "engine/family_analysis.h"

#include "toolkit/number_text.h"

namespace engine {

namespace {

// The program's own texts for the t-norm names of its three t-norms.
std::optional<TNorm> ProgramTNorm(const AnyTNorm& t) {
    switch (t.family()) {
        case TNormFamily::Min: return Min;
        case TNormFamily::Prod: return Prod;
        case TNormFamily::W: return W;
        default: return std::nullopt;
    }
}

std::string F(double value) { return toolkit::FloatToStrF(value, 5, 3); }

std::string Distances(const Comparison& c) {
    return "d1=" + F(c.d1) + " eucl=" + F(c.euclidean) + "\ndist1 máxima " + F(c.maxDiff) + " en (" +
           toolkit::IntToStr(c.pj + 1) + ", " + toolkit::IntToStr(c.pi + 1) + ")";
}

std::string LimitNote(const ClosureCounts& counts) {
    return counts.converged ? "" : " (límite de " + toolkit::IntToStr(kFamilyIterationLimit) + " iteraciones)";
}

}  // namespace

void AnalyzeRelation(const AnyTNorm& t, int n, const RelationMatrix& relation, bool symmetrizing,
                     FamilyClosureMemory& memory, FamilyAnalysis& out) {
    const std::optional<TNorm> own = ProgramTNorm(t);
    out.closureCounts = ComputeClosure(t, n, relation, out.closure, memory);
    out.closureComparison = CompareWithRelation(n, relation, out.closure, Direction::ClosureMinusRelation);
    const std::string closureText = own ? ClosureText(*own, out.closureCounts, out.closureComparison)
                                        : "Cierre " + t.Name() + "-transit. Iter= " +
                                              toolkit::IntToStr(out.closureCounts.iterCount) + " Incr= " +
                                              toolkit::IntToStr(out.closureCounts.incrCount) + "\n" +
                                              Distances(out.closureComparison);
    const std::size_t lineEnd = closureText.find('\n');
    out.closureText = closureText.substr(0, lineEnd) + LimitNote(out.closureCounts) + closureText.substr(lineEnd);

    out.transitivizable = t.LeftContinuous();
    if (!out.transitivizable) {
        out.reducedCount = 0;
        out.transitivizedComparison = Comparison{};
        out.transitivizedText = "Matriz " + t.Name() +
                                "-Transitivizada\nno existe: la t-norma no es continua por la izquierda y no tiene "
                                "implicación residual";
        return;
    }
    out.reducedCount = Transitivize(t, n, relation, out.transitivized, out.order, symmetrizing);
    out.transitivizedComparison =
        CompareWithRelation(n, relation, out.transitivized, Direction::RelationMinusTransitivized);
    out.transitivizedText = own ? TransitivizedText(*own, out.transitivizedComparison, out.reducedCount)
                                : "Matriz " + t.Name() + "-Transitivizada\n" + Distances(out.transitivizedComparison) +
                                      "  " + toolkit::IntToStr(out.reducedCount) + " reducidos";
}

}  // namespace engine
