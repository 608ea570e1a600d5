#include "engine/relation_matrix.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace engine {

bool MatrixEqual(int n, const RelationMatrix& a, const RelationMatrix& b) {
    CheckDimension(n);
    for (int i = 0; i < n; ++i)
        if (!std::equal(a[i].begin(), a[i].begin() + n, b[i].begin())) return false;
    return true;
}

void MatrixCopy(int n, const RelationMatrix& source, RelationMatrix& target) {
    CheckDimension(n);
    for (int i = 0; i < n; ++i) std::copy_n(source[i].begin(), n, target[i].begin());
}

void CheckDimension(int n) {
    if (n < 1 || n > MAX_DIM)
        throw std::out_of_range("dimensión " + std::to_string(n) + " fuera del rango válido 1 … " +
                                std::to_string(MAX_DIM));
}

}  // namespace engine
