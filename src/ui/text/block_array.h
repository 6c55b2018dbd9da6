// A long sequence of plain values (a text's characters, its row starts) kept in blocks of at
// most 2^shift values, each filled as far as edits leave it. An insert or delete anywhere
// rewrites only the blocks that hold it, so its cost does not grow with the sequence: a
// position is found by a binary search over where each block starts, and an edit brings those
// starts up to date in one pass over the blocks (a hundred megabytes of text is some 1600 of
// them). An edit takes all the memory it may need (new blocks, room in the list of blocks, a
// copy of what it moves) before it changes anything, so it happens whole or not at all. A
// block keeps its values less a bias, so that everything after an edit is shifted a block at
// a time: a text's row starts move with an edit without each being rewritten.
#pragma once
#include <algorithm>
#include <cstddef>
#include <iterator>
#include <utility>
#include <vector>

namespace ui {

template <class T>
class BlockArray {
    struct Block {
        std::vector<T> items;  // the values less the bias
        size_t first = 0;      // the position of items[0]
        T bias = T();
    };

public:
    // shift: each block holds up to 2^shift values.
    explicit BlockArray(unsigned shift) : shift_(shift), full_(static_cast<size_t>(1) << shift) {}

    unsigned Shift() const { return shift_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T operator[](size_t i) const {
        const Block& b = blocks_[BlockOf(i)];
        return static_cast<T>(b.items[i - b.first] + b.bias);
    }

    // Reads values near each other (a row, a word) with a search only where a block ends.
    class Reader {
    public:
        explicit Reader(const BlockArray& array) : array_(array) {}
        size_t size() const { return array_.size_; }
        T operator[](size_t i) {
            if (i - first_ >= count_) Seek(i);
            return static_cast<T>(data_[i - first_] + bias_);
        }

    private:
        void Seek(size_t i) {
            const Block& b = array_.blocks_[array_.BlockOf(i)];
            data_ = b.items.data();
            first_ = b.first;
            count_ = b.items.size();
            bias_ = b.bias;
        }

        const BlockArray& array_;
        const T* data_ = nullptr;
        size_t first_ = 0, count_ = 0;
        T bias_ = T();
    };

    // Copies n values from a, which must lie within the array, to out.
    void CopyTo(size_t a, size_t n, T* out) const {
        for (size_t k = n > 0 ? BlockOf(a) : 0; n > 0; ++k) {
            const Block& b = blocks_[k];
            const size_t at = a - b.first, m = std::min(n, b.items.size() - at);
            for (size_t i = 0; i < m; ++i) out[i] = static_cast<T>(b.items[at + i] + b.bias);
            out += m;
            a += m;
            n -= m;
        }
    }

    // Hands the n values from a (within the array) to visit(piece, length) where they lie, in
    // order: a long text read without a copy. For an array whose values are never shifted (a
    // text), since each piece is handed over as it is kept.
    template <typename Visit>
    void ForEachPiece(size_t a, size_t n, Visit&& visit) const {
        for (size_t k = n > 0 ? BlockOf(a) : 0; n > 0; ++k) {
            const Block& b = blocks_[k];
            const size_t at = a - b.first, m = std::min(n, b.items.size() - at);
            visit(b.items.data() + at, m);
            a += m;
            n -= m;
        }
    }

    // For values in ascending order: the position of the first value greater than v.
    size_t UpperBound(T v) const {
        auto it = std::upper_bound(blocks_.begin(), blocks_.end(), v, [](T x, const Block& b) {
            return x < static_cast<T>(b.items.front() + b.bias);
        });
        if (it == blocks_.begin()) return 0;
        const Block& b = *(it - 1);
        const T rel = static_cast<T>(v - b.bias);
        return b.first + static_cast<size_t>(std::upper_bound(b.items.begin(), b.items.end(), rel) -
                                             b.items.begin());
    }

    // The memory an edit needs, taken by Prepare so that Commit cannot fail. Giving it up
    // (destroying it uncommitted) leaves the array as it was.
    class Edit {
        friend class BlockArray;
        size_t a_ = 0, b_ = 0, n_ = 0;
        size_t k0_ = 0, existing_ = 0;   // the blocks [k0_, k0_ + existing_) are rewritten
        size_t length_ = 0, count_ = 0;  // into count_ blocks that hold length_ values
        bool fill_ = false, inPlace_ = false;
        std::vector<Block> fresh_;  // the blocks it adds, each with its room
        std::vector<T> scratch_;    // room for the values it must move out of the way
    };

    // Prepares the replacement of [a, b) (a <= b <= size()) with n values. Throws when memory
    // is short, and then the array holds what it held.
    Edit Prepare(size_t a, size_t b, size_t n);
    // Carries out an edit prepared on the array as it is now: n values from s replace [a, b),
    // and every value after them gains shift.
    void Commit(Edit& e, const T* s, T shift = T()) noexcept;
    void push_back(T v) {
        if (!blocks_.empty()) {
            Block& last = blocks_.back();
            if (last.items.size() < std::min(full_, last.items.capacity())) {
                last.items.push_back(static_cast<T>(v - last.bias));
                ++size_;
                return;
            }
        }
        Edit e = Prepare(size_, size_, 1);
        Commit(e, &v);
    }
    void swap(BlockArray& other) noexcept {
        std::swap(shift_, other.shift_);
        std::swap(full_, other.full_);
        std::swap(size_, other.size_);
        blocks_.swap(other.blocks_);
    }

private:
    // The list of blocks keeps room for a few more after an edit at the end, so that an edit
    // elsewhere seldom has to grow it.
    static constexpr size_t kSpareBlocks = 8;

    // The block that holds position i (< size()).
    size_t BlockOf(size_t i) const {
        auto it = std::upper_bound(blocks_.begin(), blocks_.end(), i,
                                   [](size_t x, const Block& b) { return x < b.first; });
        return static_cast<size_t>(it - blocks_.begin()) - 1;
    }
    // How many values the j-th block an edit writes holds: an edit that ends at the end of
    // its blocks fills each in turn (output appended at the end stays densely packed); any
    // other shares its values evenly, leaving room on both sides for the next edit nearby.
    size_t TargetSize(const Edit& e, size_t j) const {
        if (e.fill_) return j + 1 < e.count_ ? full_ : e.length_ - (e.count_ - 1) * full_;
        return e.length_ / e.count_ + (j < e.length_ % e.count_ ? 1 : 0);
    }
    static void Unbias(Block& b) noexcept {
        if (b.bias == T()) return;
        for (T& v : b.items) v = static_cast<T>(v + b.bias);
        b.bias = T();
    }
    // Moves block k + 1 into block k when both fit in one, without asking for memory.
    void MergeWithNext(size_t k) noexcept;

    unsigned shift_;
    size_t full_;
    size_t size_ = 0;
    // No block is empty; each has room for a whole block once there are two or more (a lone
    // block grows as a vector does, so a short text never holds a whole block's room).
    std::vector<Block> blocks_;
};

template <class T>
typename BlockArray<T>::Edit BlockArray<T>::Prepare(size_t a, size_t b, size_t n) {
    Edit e;
    e.a_ = a;
    e.b_ = b;
    e.n_ = n;
    size_t start = 0, end = 0;
    if (!blocks_.empty()) {
        // An insert where a block ends goes at that block's end, not the next one's start.
        e.k0_ = a == 0 ? 0 : BlockOf(a - 1);
        const size_t k1 = b > a ? BlockOf(b - 1) : e.k0_;
        e.existing_ = k1 - e.k0_ + 1;
        start = blocks_[e.k0_].first;
        end = blocks_[k1].first + blocks_[k1].items.size();
    }
    const size_t prefix = a - start, suffix = end - b;
    e.length_ = prefix + n + suffix;
    e.count_ = e.length_ / full_ + (e.length_ % full_ != 0 ? 1 : 0);
    e.fill_ = suffix == 0;
    e.inPlace_ = e.existing_ == 1 && e.count_ == 1;
    const size_t after = blocks_.size() - e.existing_ + e.count_;
    if (after == 1 && e.existing_ <= 1 && e.count_ == 1) {
        // A lone block, before and after.
        if (e.existing_ == 1) {
            std::vector<T>& v = blocks_[e.k0_].items;
            if (v.capacity() < e.length_)
                v.reserve(std::max(e.length_, std::min(full_, 2 * v.capacity())));
        } else {
            e.fresh_.emplace_back();
            e.fresh_.back().items.reserve(e.length_);
        }
    } else {
        if (after > 1 && blocks_.size() == 1 && blocks_[0].items.capacity() < full_)
            blocks_[0].items.reserve(full_);
        if (e.count_ > e.existing_) {
            e.fresh_.resize(e.count_ - e.existing_);
            for (Block& f : e.fresh_) f.items.reserve(full_);
        }
    }
    if (!e.inPlace_) {
        const size_t z0 = e.count_ > 0 ? TargetSize(e, 0) : 0;
        e.scratch_.reserve((prefix > z0 ? prefix - z0 : 0) + suffix);
    }
    const size_t spare = b == size_ ? kSpareBlocks : 0;
    if (blocks_.capacity() < after + spare)
        blocks_.reserve(std::max(after, 2 * blocks_.size()) + kSpareBlocks);
    return e;
}

template <class T>
void BlockArray<T>::Commit(Edit& e, const T* s, T shift) noexcept {
    const size_t k0 = e.k0_, removed = e.b_ - e.a_;
    // A block whose values move holds them as they are.
    for (size_t k = k0; k < k0 + e.existing_; ++k) Unbias(blocks_[k]);
    if (e.inPlace_) {
        std::vector<T>& v = blocks_[k0].items;
        const size_t at = e.a_ - blocks_[k0].first, old = v.size();
        // Within the room taken: neither resize allocates.
        if (e.n_ > removed) {
            v.resize(old + e.n_ - removed);
            std::copy_backward(v.begin() + static_cast<std::ptrdiff_t>(at + removed),
                               v.begin() + static_cast<std::ptrdiff_t>(old), v.end());
        } else {
            std::copy(v.begin() + static_cast<std::ptrdiff_t>(at + removed),
                      v.begin() + static_cast<std::ptrdiff_t>(old),
                      v.begin() + static_cast<std::ptrdiff_t>(at + e.n_));
            v.resize(old + e.n_ - removed);
        }
        std::copy_n(s, e.n_, v.begin() + static_cast<std::ptrdiff_t>(at));
        if (shift != T())
            for (size_t i = at + e.n_; i < v.size(); ++i) v[i] = static_cast<T>(v[i] + shift);
    } else {
        // What would be overwritten before it is written again: the prefix past the first
        // block's new size, and the values after the edit.
        const size_t prefix = e.existing_ ? e.a_ - blocks_[k0].first : 0;
        const size_t z0 = e.count_ > 0 ? TargetSize(e, 0) : 0;
        std::vector<T>& scratch = e.scratch_;
        if (prefix > z0) {
            const std::vector<T>& v = blocks_[k0].items;
            scratch.insert(scratch.end(), v.begin() + static_cast<std::ptrdiff_t>(z0),
                           v.begin() + static_cast<std::ptrdiff_t>(prefix));
        }
        const size_t moved = scratch.size();
        if (e.existing_) {
            const Block& last = blocks_[k0 + e.existing_ - 1];
            scratch.insert(scratch.end(),
                           last.items.begin() + static_cast<std::ptrdiff_t>(e.b_ - last.first),
                           last.items.end());
            blocks_[k0].items.resize(std::min(prefix, z0));
            for (size_t k = k0 + 1; k < k0 + e.existing_; ++k) blocks_[k].items.clear();
        }
        // The blocks written in turn: those the edit rewrites, then the new ones.
        size_t j = 0;
        auto put = [&](const T* p, size_t count, T add) {
            while (count > 0) {
                std::vector<T>& v =
                    j < e.existing_ ? blocks_[k0 + j].items : e.fresh_[j - e.existing_].items;
                const size_t m = std::min(count, TargetSize(e, j) - v.size());
                if (m == 0) {
                    ++j;
                    continue;
                }
                for (size_t i = 0; i < m; ++i) v.push_back(static_cast<T>(p[i] + add));
                p += m;
                count -= m;
            }
        };
        put(scratch.data(), moved, T());
        put(s, e.n_, T());
        put(scratch.data() + moved, scratch.size() - moved, shift);
        const auto at = blocks_.begin() + static_cast<std::ptrdiff_t>(k0);
        if (e.count_ < e.existing_) {
            blocks_.erase(at + static_cast<std::ptrdiff_t>(e.count_),
                          at + static_cast<std::ptrdiff_t>(e.existing_));
        } else if (e.count_ > e.existing_) {
            blocks_.insert(at + static_cast<std::ptrdiff_t>(e.existing_),
                           std::make_move_iterator(e.fresh_.begin()),
                           std::make_move_iterator(e.fresh_.end()));
        }
    }
    // The blocks after the edit: one pass over the list, never over their values.
    size_t first = k0 > 0 ? blocks_[k0 - 1].first + blocks_[k0 - 1].items.size() : 0;
    for (size_t k = k0; k < blocks_.size(); ++k) {
        blocks_[k].first = first;
        first += blocks_[k].items.size();
        if (k >= k0 + e.count_) blocks_[k].bias = static_cast<T>(blocks_[k].bias + shift);
    }
    size_ = size_ - removed + e.n_;
    // Blocks that an edit left small join their neighbours, so blocks stay more than half
    // full on the whole.
    if (e.count_ > 0 && k0 + e.count_ < blocks_.size()) MergeWithNext(k0 + e.count_ - 1);
    if (k0 > 0 && k0 < blocks_.size()) MergeWithNext(k0 - 1);
}

template <class T>
void BlockArray<T>::MergeWithNext(size_t k) noexcept {
    Block& b = blocks_[k];
    Block& next = blocks_[k + 1];
    const size_t total = b.items.size() + next.items.size();
    if (total > full_ || b.items.capacity() < total) return;
    Unbias(b);
    Unbias(next);
    b.items.insert(b.items.end(), next.items.begin(), next.items.end());
    blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(k + 1));
}

}  // namespace ui
