#pragma once

#include <bit>
#include <cstdint>
#include <vector>

namespace engine {

/// Min-heap of matrix entries keyed by (value, row-major position), with each entry's place
/// indexed so that it can be re-keyed or removed. An entry's id is its position i·stride + j in
/// a row-major float storage of that stride, which orders the ids row by row. A 4-ary heap of
/// packed 64-bit keys: one integer comparison orders two entries, and a level of children
/// shares a cache line.
///
/// The heap keeps no index of places of its own: the place of entry id lives in places[id] of
/// a float storage the caller lends (Clear), as the bits of a tiny float: place s as the bits
/// s + 1, far below those of 1.0f (ids stay below 2^25), and +0.0f for an absent entry. The
/// caller may store in places[id] anything whose bits are those of 1.0f or above while the
/// entry is absent (Absent tells such values apart), and must not touch it while present.
/// The storage of the keys grows with the dimension and is kept until Release.
class IndexHeap {
public:
    IndexHeap() = default;
    IndexHeap(const IndexHeap&) = delete;  // the operations' pointers lead into its own storage
    IndexHeap& operator=(const IndexHeap&) = delete;

    /// Empties the heap for up to `entries` entries whose places live in `places`, which the
    /// caller has set to +0.0f or to values Absent accepts.
    void Clear(std::size_t entries, float* places) {
        size_ = 0;
        places_ = places;
        if (keyStorage_.size() < entries) {
            keyStorage_.resize(entries);
            heap_ = keyStorage_.data();
        }
    }

    /// Gives the storage of the keys back.
    void Release() {
        std::vector<std::uint64_t>().swap(keyStorage_);
        heap_ = nullptr;
        size_ = 0;
    }

    /// Sets the place of every entry still in the heap to +0.0f and empties it.
    void Drain() {
        for (int s = 0; s < size_; ++s) places_[IdOf(heap_[s])] = 0.0f;
        size_ = 0;
    }

    /// True when the bits of `place` cannot be a place of this heap (+0.0f, 1.0f and above).
    static bool Absent(float place) {
        const std::uint32_t bits = std::bit_cast<std::uint32_t>(place);
        return bits == 0 || bits >= kOne;
    }

    bool Empty() const { return size_ == 0; }
    bool Contains(int id) const { return !Absent(places_[id]); }

    /// Appends without ordering; call Heapify before any other operation.
    void AppendUnordered(int id, float value) { Place(size_++, Pack(value, id)); }

    void Heapify() {
        if (size_ < 2) return;
        for (int s = (size_ - 2) / kArity; s >= 0; --s) SiftDown(s);
    }

    /// The entry of smallest value, the first in row-major order among equal values.
    int Top() const { return IdOf(heap_[0]); }

    void Remove(int id) {
        const int s = PlaceOf(id);
        places_[id] = 0.0f;
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
        const int s = PlaceOf(id);
        heap_[s] = Pack(value, id);
        Restore(s);
    }

private:
    static constexpr int kArity = 4;
    static constexpr std::uint32_t kOne = 0x3f800000u;  // the bits of 1.0f

    // The value in the high half, mapped to an unsigned integer of the same order as the
    // float comparison `<` (with −0 and +0 made equal, as that comparison has them), the id
    // in the low half as the tie-break. NaN never enters: it is not below 1.
    static std::uint64_t Pack(float value, int id) {
        std::uint32_t bits = std::bit_cast<std::uint32_t>(value == 0.0f ? 0.0f : value);
        bits = (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
        return (static_cast<std::uint64_t>(bits) << 32) | static_cast<std::uint32_t>(id);
    }
    static int IdOf(std::uint64_t key) { return static_cast<int>(key & 0xffffffffu); }

    int PlaceOf(int id) const { return static_cast<int>(std::bit_cast<std::uint32_t>(places_[id]) - 1); }

    void Place(int s, std::uint64_t key) {
        heap_[s] = key;
        places_[IdOf(key)] = std::bit_cast<float>(static_cast<std::uint32_t>(s) + 1);
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
    // The storage of the keys, and plain pointers into it and into the places for the operations.
    std::vector<std::uint64_t> keyStorage_;
    std::uint64_t* heap_ = nullptr;
    float* places_ = nullptr;
};

}  // namespace engine
