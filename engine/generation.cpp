#include "engine/generation.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

#include "toolkit/number_text.h"

namespace engine {

void GenerateRelation(int n, bool reflexive, bool symmetric, toolkit::RandomGenerator& random,
                      RelationMatrix& target) {
    target.Reserve(n);
    // The eleven texts depend only on k and the separator: formed once per relation.
    std::array<float, 11> degree{};
    for (int k = 0; k <= 10; ++k)
        degree[k] = static_cast<float>(toolkit::StrToFloat(toolkit::FloatToStrF(k * 0.1L, 3, 1)));
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) target[i][j] = degree[random.Below(11)];
    if (reflexive)
        for (int i = 0; i < n; ++i) target[i][i] = 1.0f;
    if (symmetric)
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j) target[i][j] = target[j][i];
}

void CheckElement(int index, int n) {
    if (index < 0 || index >= n)
        // Widened so that the largest int does not overflow when counted from 1.
        throw std::out_of_range("elemento " + std::to_string(static_cast<long long>(index) + 1) +
                                " fuera del rango válido 1 … " + std::to_string(n));
}

void SwapElements(int n, int a, int b, RelationMatrix& relation) {
    CheckHolds(n, relation);
    CheckElement(a, n);
    CheckElement(b, n);
    // Rows a and b, then columns a and b.
    std::swap_ranges(relation[a].begin(), relation[a].begin() + n, relation[b].begin());
    for (int i = 0; i < n; ++i) std::swap(relation[i][a], relation[i][b]);
}

}  // namespace engine
