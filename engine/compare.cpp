#include "engine/compare.h"

#include <cmath>

#include "toolkit/number_text.h"

namespace engine {

Comparison CompareWithRelation(int n, const RelationMatrix& relation, const RelationMatrix& X,
                               Direction direction) {
    CheckHolds(n, relation);
    CheckHolds(n, X);
    Comparison c;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            // A difference of two floats rounds the same whether taken in float or double.
            const float d = direction == Direction::ClosureMinusRelation ? X[i][j] - relation[i][j]
                                                                         : relation[i][j] - X[i][j];
            if (!(d > 0.0f)) continue;
            c.d1 += d;
            c.sumSquares = static_cast<float>(static_cast<double>(c.sumSquares) +
                                              static_cast<double>(d) * static_cast<double>(d));
            if (d > c.maxDiff) {
                c.maxDiff = d;
                c.pi = i;
                c.pj = j;
            }
        }
    }
    c.euclidean = std::sqrt(static_cast<double>(c.sumSquares));
    return c;
}

namespace {
const char* const kClosureTitles[kTNormCount] = {"Cierre Min-transit. Iter= ", "Cierre Prod-transit. Iter= ",
                                                 "Cierre W-transit. Iter= "};
const char* const kTransitivizedTitles[kTNormCount] = {"Matriz Min-Transitivizada", "Matriz Prod-Transitivizada",
                                                       "Matriz W-Transitivizada"};

std::string F(double value) { return toolkit::FloatToStrF(value, 5, 3); }

// Lines 2 and 3, shared by both kinds of text. The position is printed second index first.
std::string Distances(const Comparison& c) {
    return "d1=" + F(c.d1) + " eucl=" + F(c.euclidean) + "\ndist1 máxima " + F(c.maxDiff) + " en (" +
           toolkit::IntToStr(c.pj + 1) + ", " + toolkit::IntToStr(c.pi + 1) + ")";
}
}  // namespace

std::string ClosureText(TNorm t, const ClosureCounts& counts, const Comparison& c) {
    return kClosureTitles[t] + toolkit::IntToStr(counts.iterCount) + " Incr= " +
           toolkit::IntToStr(counts.incrCount) + "\n" + Distances(c);
}

std::string TransitivizedText(TNorm t, const Comparison& c, int reduced) {
    return std::string(kTransitivizedTitles[t]) + "\n" + Distances(c) + "  " + toolkit::IntToStr(reduced) +
           " reducidos";
}

}  // namespace engine
