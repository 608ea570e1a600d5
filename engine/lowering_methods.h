#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>
#include <string_view>

#include "engine/family_closure.h"
#include "engine/relation_matrix.h"
#include "engine/tnorm_family.h"

namespace engine {

/// The ways of making a relation T-transitive that the comparison table sets side by side.
///  - Cierre: the T-transitive closure (raises).
///  - Tecnica: the program's transitivization (lowers), unchanged.
///  - Completada: the technique's result raised, entry by entry, until no entry can rise.
///  - Completa, Promedio, Simple: for Min on a reflexive symmetric relation, the relation read
///    off the complete-, average- (UPGMA) and single-linkage dendrograms of the distances
///    1 − R: the value of (i, j) is 1 − the height at which i and j join.
enum class Method { Cierre, Tecnica, Completada, Completa, Promedio, Simple };
inline constexpr int kMethodCount = 6;
inline constexpr Method kAllMethods[kMethodCount] = {Method::Cierre,   Method::Tecnica,  Method::Completada,
                                                     Method::Completa, Method::Promedio, Method::Simple};

/// "cierre", "tecnica", "completada", "completa", "promedio", "simple".
const char* MethodName(Method method);
std::optional<Method> MethodByName(std::string_view name);
/// The names, comma-separated, as the messages list them.
std::string MethodNamesText();

/// A method asked where it does not apply; the message says why, in Spanish.
class MethodError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

/// Empty when `method` applies to the n × n block of `relation` under t, else the reason.
/// The linkage methods need Min and a reflexive symmetric relation; the lowering ones a
/// left-continuous t-norm.
std::string MethodRefusal(Method method, const AnyTNorm& t, int n, const RelationMatrix& relation);

/// What the methods need besides their matrices; grows with the dimension and is kept.
struct MethodScratch {
    FamilyClosureMemory closure;
    RelationMatrix order{};
    RelationMatrix transposed{};
    std::vector<std::uint64_t> visit, spare;  ///< the visiting order: keys ending in the entry ids i·n + j
    std::vector<int> held, first, next, previous;  ///< by entry id: what holds it, the lists of what each holds
};

/// How the completion went: full passes over the visiting order, entries raised (a pair
/// raised together counts twice).
struct CompletionCounts {
    int passes = 0;
    int raised = 0;
};

/// The value each entry of X can rise to without leaving R or breaking T-transitivity, the
/// other entries as they are, into `bounds`: the largest float v ≥ X[i][j], v ≤ R[i][j], such
/// that with X[i][j] = v no triangle through (i, j) violates in the program's own test (T of
/// two stored floats, in double, strictly above the third). Only the triangles that can bind
/// are tested: T(v, X[j][k]) ≤ X[i][k] for k ≠ j and T(X[k][i], v) ≤ X[k][j] for k ≠ i (those
/// with k = i or k = j hold for any v, except the loops i → j → i and j → i → j, which are
/// tested, as they bind on a relation that is not reflexive).
/// With `symmetrizing`, a pair whose two entries are equal (i ≠ j) rises together: both take
/// the same v, which also needs T(v, v) ≤ X[i][i] and ≤ X[j][j], and stays below both R[i][j]
/// and R[j][i]; an entry whose mirror differs rises alone, as symmetry cannot be kept there.
/// An entry that cannot rise gets its own value (also when X already breaks a triangle
/// through it, or stands above R). T being monotone, the admissible values form an interval,
/// found from the residual-implication estimate and then settled float by float.
void RiseBounds(const AnyTNorm& t, int n, const RelationMatrix& relation, const RelationMatrix& X, bool symmetrizing,
                RelationMatrix& bounds);

/// Raises X (T-transitive, below `relation`) to a relation where no entry (no pair, with
/// `symmetrizing`) can rise: every entry, visited in a fixed order, is raised to its
/// bound (RiseBounds), and passes repeat until one moves nothing. The order: by decreasing
/// relation − X at the start, row-major among equal gaps, the same in every pass. A pass
/// skips the entries whose bound cannot have grown since they were last visited: an entry
/// that could not rise by one float is held by the entry bounding a triangle that stopped it,
/// and is looked at again only when that entry rises; the result is that of full passes. The
/// last pass moving nothing is the proof that no entry can rise.
/// Note: no entry can rise alone; a few entries that could only rise together (two elements
/// with degree 1 both ways force equal rows) are not looked for.
CompletionCounts CompleteLowering(const AnyTNorm& t, int n, const RelationMatrix& relation, RelationMatrix& X,
                                  bool symmetrizing, MethodScratch& scratch);

/// The relation of the complete- (Completa), average- (Promedio) or single-linkage (Simple)
/// dendrogram of the n × n block of a reflexive symmetric relation, in similarities
/// (1 − the linkage distance of 1 − R): the minimum, mean and maximum of the relation between
/// two clusters. Each step joins the two clusters of largest linkage, the pair named by the
/// smallest elements (i, j), i < j, first in row-major order among equals. Complete and single
/// linkage keep entries of the relation exactly; average linkage is taken in double, rounded
/// to float, and never above the previous join, so that the heights stay monotone (rounding
/// could otherwise break min-transitivity by an ulp). Throws MethodError for another method
/// or a relation that is not reflexive and symmetric.
void LinkageRelation(Method method, int n, const RelationMatrix& relation, RelationMatrix& out);

/// Runs `method` on the n × n block of `relation` under t into `out` (with `symmetrizing` for
/// the program's variant of the technique). Returns the completion's counts for Completada,
/// zeros otherwise. Throws MethodError with MethodRefusal's message where it does not apply.
CompletionCounts RunMethod(Method method, const AnyTNorm& t, int n, const RelationMatrix& relation, bool symmetrizing,
                           RelationMatrix& out, MethodScratch& scratch);

}  // namespace engine
