#pragma once

#include <bit>
#include <cstdint>
#include <vector>

#include <algorithm>

namespace engine {

/// Min-heap of matrix entries keyed by (value, row-major position), with each entry's place
/// indexed so that it can be re-keyed or removed. Entry ids are i·n + j for the dimension n
/// given to Clear, which orders them row by row. A 4-ary heap of packed 64-bit keys: one integer
/// comparison orders two entries, and a level of children shares a cache line. The storage
/// grows with the dimension and is kept: a heap allocates only when the dimension grows.
class IndexHeap {
public:
    IndexHeap() = default;
    IndexHeap(const IndexHeap&) = delete;  // the operations' pointers lead into its own storage
    IndexHeap& operator=(const IndexHeap&) = delete;

    /// Empties the heap for the ids of an n × n block, all absent.
    void Clear(int n) {
        size_ = 0;
        const auto entries = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
        if (heapStorage_.size() < entries) {
            heapStorage_.resize(entries);
            slotStorage_.resize(entries);
            heap_ = heapStorage_.data();
            slot_ = slotStorage_.data();
        }
        std::fill_n(slot_, entries, kAbsent);
    }

    bool Empty() const { return size_ == 0; }
    bool Contains(int id) const { return slot_[id] != kAbsent; }

    /// Appends without ordering; call Heapify before any other operation.
    void AppendUnordered(int id, float value) { Place(size_++, Pack(value, id)); }

    void Heapify() {
        if (size_ < 2) return;
        for (int s = (size_ - 2) / kArity; s >= 0; --s) SiftDown(s);
    }

    /// The entry of smallest value, the first in row-major order among equal values.
    int Top() const { return IdOf(heap_[0]); }

    void Remove(int id) {
        const int s = slot_[id];
        slot_[id] = kAbsent;
        --size_;
        if (s == size_) return;
        Place(s, heap_[size_]);
        Restore(s);
    }

    void Insert(int id, float value) {
        Place(size_++, Pack(value, id));
        SiftUp(size_ - 1);
    }

    /// New value for a present entry, in either direction.
    void Update(int id, float value) {
        const int s = slot_[id];
        heap_[s] = Pack(value, id);
        Restore(s);
    }

private:
    static constexpr int kArity = 4;
    static constexpr std::int32_t kAbsent = -1;

    // The value in the high half, mapped to an unsigned integer of the same order as the
    // float comparison `<` (with −0 and +0 made equal, as that comparison has them), the id
    // in the low half as the tie-break. NaN never enters: it is not below 1.
    static std::uint64_t Pack(float value, int id) {
        std::uint32_t bits = std::bit_cast<std::uint32_t>(value == 0.0f ? 0.0f : value);
        bits = (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
        return (static_cast<std::uint64_t>(bits) << 32) | static_cast<std::uint32_t>(id);
    }
    static int IdOf(std::uint64_t key) { return static_cast<int>(key & 0xffffffffu); }

    void Place(int s, std::uint64_t key) {
        heap_[s] = key;
        slot_[IdOf(key)] = s;
    }

    void Restore(int s) {
        if (s > 0 && heap_[s] < heap_[(s - 1) / kArity]) SiftUp(s);
        else SiftDown(s);
    }

    void SiftUp(int s) {
        const std::uint64_t key = heap_[s];
        while (s > 0) {
            const int parent = (s - 1) / kArity;
            if (!(key < heap_[parent])) break;
            Place(s, heap_[parent]);
            s = parent;
        }
        Place(s, key);
    }

    void SiftDown(int s) {
        const std::uint64_t key = heap_[s];
        for (;;) {
            const int first = kArity * s + 1;
            if (first >= size_) break;
            const int last = first + kArity < size_ ? first + kArity : size_;
            int best = first;
            for (int c = first + 1; c < last; ++c)
                if (heap_[c] < heap_[best]) best = c;
            if (!(heap_[best] < key)) break;
            Place(s, heap_[best]);
            s = best;
        }
        Place(s, key);
    }

    int size_ = 0;
    // The storage, and plain pointers into it for the operations.
    std::vector<std::uint64_t> heapStorage_;
    std::vector<std::int32_t> slotStorage_;
    std::uint64_t* heap_ = nullptr;
    std::int32_t* slot_ = nullptr;
};

}  // namespace engine
