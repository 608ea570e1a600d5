#pragma once

#include <string>

#include "engine/closure.h"
#include "engine/compare.h"
#include "engine/family_closure.h"
#include "engine/relation_matrix.h"
#include "engine/tnorm_family.h"

namespace engine {

/// The closure and the transitivized matrix of one relation for one t-norm, measured against
/// the relation, with their result texts.
struct FamilyAnalysis {
    RelationMatrix closure{}, transitivized{}, order{};
    ClosureCounts closureCounts{};
    /// False for a t-norm without residual implication: the transitivized matrix and the
    /// order are then left as they were, and the text says why.
    bool transitivizable = true;
    int reducedCount = 0;
    Comparison closureComparison{}, transitivizedComparison{};
    std::string closureText, transitivizedText;
};

/// Closure, then transitivization (symmetrizing or plain), of the n × n block of `relation`
/// under t; texts in the program's decimal separator, worded as the program's own, with the
/// t-norm's name (for min, prod and w, exactly the program's texts), and a note on the first
/// line when the closure stopped at its iteration limit.
void AnalyzeRelation(const AnyTNorm& t, int n, const RelationMatrix& relation, bool symmetrizing,
                     FamilyClosureMemory& memory, FamilyAnalysis& out);

}  // namespace engine
