#pragma once

#include <vector>

#include "engine/relation_matrix.h"
#include "engine/tnorm_family.h"

namespace engine {

/// How far T(X[i][k], X[k][j]) may stand above X[i][j] before the triple counts as violating:
/// two float steps at the entry's value (twice the gap from x to the next float up; for 0,
/// twice the smallest subnormal). A closure stores each maximum rounded to float (a Prod or W
/// value may lose up to a step there, when the float read for it is the one below), and the
/// families compute T in double with a relative error near 1e-16; neither reaches this.
double ViolationTolerance(float x);

/// The transitivity of the n × n block of X under t, from a scan of every triple (i, j, k).
struct TransitivityMeasures {
    long long violations = 0;  ///< triples with T(X[i][k], X[k][j]) − X[i][j] above the tolerance
    double largest = 0.0;      ///< the largest such excess (0 when none), first in (i, j, k) order
    int i = 0, j = 0, k = 0;   ///< its triple, 0-based
    /// min over the triples of I_T(T(X[i][k], X[k][j]), X[i][j]), the triples within the
    /// tolerance counting as 1: exactly 1 when no triple violates.
    double degree = 1.0;
};
/// The scan runs row by row over the cores, Min, Prod and W in vector registers; Hamacher and
/// Frank through their additive generator (a triple violates when f(a) + f(b) < f(limit), the
/// largest T is that of the smallest sum), which decides as T in double does except within a
/// few units of 1e-16 of the limit, and gives the largest violation and the degree to about
/// 1e-15; the other families take T and I per triple.
TransitivityMeasures MeasureTransitivity(const AnyTNorm& t, int n, const RelationMatrix& X);

/// An entry (i, j) that some triples violate, in MeasureTransitivity's sense, and how many: the
/// k with T(X[i][k], X[k][j]) above X[i][j] by more than the tolerance. 0-based.
struct ViolatedEntry {
    int i = 0, j = 0;
    int triples = 0;
    bool operator==(const ViolatedEntry&) const = default;
};
/// The violated entries of the n × n block in row-major order; their triples add up to
/// MeasureTransitivity's violations.
std::vector<ViolatedEntry> ViolatedEntries(const AnyTNorm& t, int n, const RelationMatrix& X);

/// For a lowering X of R (X ≤ R): how many entries could still rise alone (pairs together,
/// with `symmetrizing`, each entry counted) without breaking T-transitivity or leaving R,
/// and the largest such rise with its place (first in row-major order), from RiseBounds.
struct RiseMeasures {
    int risable = 0;
    float largest = 0.0f;
    int i = 0, j = 0;
    bool Maximal() const { return risable == 0; }
};
RiseMeasures MeasureRise(const AnyTNorm& t, int n, const RelationMatrix& relation, const RelationMatrix& X,
                         bool symmetrizing);

/// True when X[i][j] ≤ relation[i][j] on the whole block.
bool Below(int n, const RelationMatrix& X, const RelationMatrix& relation);

/// A path i = p0 → p1 → … → pL = j of fewest steps whose T-fold of the relation's entries
/// witnesses the closure entry closure[i][j]. The fold is taken left to right in double; the
/// closure's squaring associates the same factors as a balanced tree and rounds each level to
/// float, so the two may differ by a few float steps for Prod and the families. Rule: the
/// fold witnesses the entry when it is at least closure[i][j] − 2^-20 · closure[i][j] (eight
/// float steps, more than the at most seven roundings of a closure of up to 100 elements) and
/// the smallest subnormal. For Min the fold is the entry itself. Empty when no path of
/// up to n steps reaches it (a closure stopped at its iteration limit may stand above all).
std::vector<int> WitnessPath(const AnyTNorm& t, int n, const RelationMatrix& relation, const RelationMatrix& closure,
                             int i, int j);

/// The left-to-right T-fold of the relation's entries along `path` (1 for a path of one element).
double FoldPath(const AnyTNorm& t, const RelationMatrix& relation, const std::vector<int>& path);

}  // namespace engine
