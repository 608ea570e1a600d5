#include "engine/relation_matrix.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "toolkit/machine.h"

namespace engine {

RelationMatrix::RelationMatrix(std::initializer_list<std::initializer_list<float>> rows)
    : RelationMatrix(std::max(kInitialCapacity, static_cast<int>(rows.size()))) {
    int i = 0;
    for (const auto& row : rows) {
        Reserve(std::max(capacity_, static_cast<int>(row.size())));
        std::copy(row.begin(), row.end(), (*this)[i++].begin());
    }
}

void RelationMatrix::Reserve(int n) {
    CheckDimension(n);
    if (n <= capacity_) return;
    RelationMatrix grown(n);
    for (int i = 0; i < capacity_; ++i) std::copy_n((*this)[i].begin(), capacity_, grown[i].begin());
    *this = std::move(grown);
}

bool MatrixEqual(int n, const RelationMatrix& a, const RelationMatrix& b) {
    CheckHolds(n, a);
    CheckHolds(n, b);
    for (int i = 0; i < n; ++i)
        if (!std::equal(a[i].begin(), a[i].begin() + n, b[i].begin())) return false;
    return true;
}

void MatrixCopy(int n, const RelationMatrix& source, RelationMatrix& target) {
    CheckHolds(n, source);
    target.Reserve(n);
    for (int i = 0; i < n; ++i) std::copy_n(source[i].begin(), n, target[i].begin());
}

void CheckDimension(int n) {
    if (n < 1 || n > kLargestDimension)
        throw std::out_of_range("dimensión " + std::to_string(n) + " fuera del rango válido 1 … " +
                                std::to_string(kLargestDimension));
}

void CheckHolds(int n, const RelationMatrix& m) {
    CheckDimension(n);
    if (n > m.capacity())
        throw std::out_of_range("la matriz tiene sitio para " + std::to_string(m.capacity()) + " elementos, no " +
                                std::to_string(n));
}

std::size_t AnalysisBytes(int n) {
    // Thirteen matrices (the relation, nine results, three previous iterates), the closure's
    // padded copy of its iterate, and the transposed copy and the 8-byte heap entries of each
    // transitivization running (three at most side by side, one above kSideBySideLargest).
    const std::size_t entries = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    const std::size_t transitivizations = n <= kSideBySideLargest ? 3 : 1;
    return entries * (13 * sizeof(float) + sizeof(float) + transitivizations * (sizeof(float) + 8));
}

void CheckMemoryFor(int n, int analyses) {
    CheckDimension(n);
    if (n <= kInitialCapacity) return;
    const auto available = toolkit::AvailableMemory();
    const std::size_t needed = AnalysisBytes(n) * static_cast<std::size_t>(std::max(analyses, 1));
    if (!available || needed <= *available) return;
    // Tenths of a gigabyte, the need rounded up and what is free rounded down.
    const auto gigabytes = [](std::size_t bytes, bool up) {
        const std::size_t tenths = up ? (bytes + 99'999'999) / 100'000'000 : bytes / 100'000'000;
        return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10);
    };
    throw MemoryError("La dimensión " + std::to_string(n) + " necesita unos " +
                            gigabytes(needed, true) + " GB de memoria y la máquina solo tiene " +
                            gigabytes(*available, false) + " GB libres");
}

}  // namespace engine
