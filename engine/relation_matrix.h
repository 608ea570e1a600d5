#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <initializer_list>
#include <span>
#include <stdexcept>
#include <vector>

namespace engine {

/// Largest dimension the program accepts. A dimension above 100 must also fit in the memory
/// the machine has (CheckMemoryFor).
inline constexpr int kLargestDimension = 5000;
/// Rows of a matrix made without a dimension: every matrix starts this large, so that up to
/// this dimension nothing is allocated again.
inline constexpr int kInitialCapacity = 100;

/// A fuzzy relation: entry [i][j] is the degree to which element i + 1 is related to element
/// j + 1. The storage is a square of `capacity()` rows of `capacity()` floats, all zero at first;
/// only the leading n × n block is in use, and nothing outside it is ever read or written.
/// Reserve grows the square, keeping every entry where it was (the new ones zero), so a matrix
/// behaves as if it had been that large from the start; it never shrinks.
class RelationMatrix {
public:
    RelationMatrix() : RelationMatrix(kInitialCapacity) {}
    explicit RelationMatrix(int capacity)
        : capacity_(capacity), values_(static_cast<std::size_t>(capacity) * static_cast<std::size_t>(capacity)) {}
    /// The rows given, from the first entry on; the rest zero.
    RelationMatrix(std::initializer_list<std::initializer_list<float>> rows);
    /// Every entry of the storage set to `value`, outside the block too.
    void Fill(float value) { std::fill(values_.begin(), values_.end(), value); }

    std::span<float> operator[](int i) {
        assert(i >= 0 && i < capacity_);
        return {values_.data() + Offset(i), static_cast<std::size_t>(capacity_)};
    }
    std::span<const float> operator[](int i) const {
        assert(i >= 0 && i < capacity_);
        return {values_.data() + Offset(i), static_cast<std::size_t>(capacity_)};
    }

    int capacity() const { return capacity_; }
    /// Equal storage: the same capacity and every entry equal, outside the block too.
    bool operator==(const RelationMatrix&) const = default;
    /// Makes room for an n × n block (CheckDimension first); allocates only when n > capacity().
    void Reserve(int n);

private:
    std::size_t Offset(int i) const { return static_cast<std::size_t>(i) * static_cast<std::size_t>(capacity_); }

    int capacity_;
    std::vector<float> values_;
};

/// True when the leading n × n blocks of a and b are equal entry by entry. Like every entry
/// point taking a dimension, these two throw std::out_of_range unless 1 ≤ n ≤ kLargestDimension,
/// and the matrices read must hold an n × n block (std::out_of_range otherwise).
bool MatrixEqual(int n, const RelationMatrix& a, const RelationMatrix& b);

/// Copies the leading n × n block of source into target, growing target if it must; the rest of
/// target is untouched.
void MatrixCopy(int n, const RelationMatrix& source, RelationMatrix& target);

/// Throws std::out_of_range naming the value unless 1 ≤ n ≤ kLargestDimension.
void CheckDimension(int n);

/// Throws std::out_of_range unless m holds an n × n block.
void CheckHolds(int n, const RelationMatrix& m);

/// Largest dimension whose transitivizations run side by side, each on a core of its own: up to
/// it, the working space of a second one (12 bytes an entry) fits in the 100 MB an analysis
/// may take beyond 64 bytes an entry; above it they run one after another.
inline constexpr int kSideBySideLargest = 2500;

/// Bytes an analysis at dimension n keeps (its matrices, the closures' memory and the working
/// space of the closures and transitivizations), for the memory check.
std::size_t AnalysisBytes(int n);

/// The machine has not the memory a dimension needs (an out-of-range dimension for this machine).
class MemoryError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

/// Throws MemoryError with a Spanish message when `analyses` analyses at dimension n
/// (AnalysisBytes each) need more memory than the machine has available now. Nothing is checked
/// up to kInitialCapacity, whose storage every matrix already has.
void CheckMemoryFor(int n, int analyses = 1);

}  // namespace engine
