// A long wide text kept in blocks of one size, so that it grows without ever being copied
// whole: a transcript of many megabytes appends block by block instead of doubling a single
// string (which for a moment needs the old string and the new one side by side).
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace ui {

class BlockText {
public:
    static constexpr size_t npos = static_cast<size_t>(-1);

    // blockShift: each block holds 2^blockShift characters.
    explicit BlockText(unsigned blockShift = 16);

    unsigned Shift() const { return shift_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    wchar_t operator[](size_t i) const { return blocks_[i >> shift_][i & mask_]; }

    // The first c at or after from, or npos.
    size_t find(wchar_t c, size_t from = 0) const;
    // Up to n characters from a (clamped to the text).
    std::wstring substr(size_t a, size_t n = npos) const;
    std::wstring str() const { return substr(0); }
    // Copies n characters from a, which must lie within the text, to out.
    void CopyTo(size_t a, size_t n, wchar_t* out) const;
    // Hands the n characters from a (within the text) to visit(piece, length), in order, in
    // the pieces they are kept in: a long text read where it lies, without a copy.
    template <typename Visit>
    void ForEachPiece(size_t a, size_t n, Visit&& visit) const {
        while (n > 0) {
            const std::wstring& block = blocks_[a >> shift_];
            const size_t at = a & mask_, m = n < block.size() - at ? n : block.size() - at;
            visit(block.data() + at, m);
            a += m;
            n -= m;
        }
    }

    // Adds s at the end; nothing changes when it throws.
    void append(const std::wstring& s);
    // Makes room for n characters in all; the text itself does not change.
    void reserve(size_t n);
    // Writes s and then t from a (at most the size) and ends the text after them. The room
    // must have been reserved, so that this never allocates and never throws.
    void Overwrite(size_t a, const std::wstring& s, const std::wstring& t) noexcept;
    // Ends the text at n (at most the size); the room stays.
    void Truncate(size_t n) noexcept;
    // Gives back the whole blocks that the text does not use.
    void ShrinkToFit() noexcept;
    void swap(BlockText& other) noexcept;

private:
    void WriteAt(size_t a, const wchar_t* s, size_t n) noexcept;

    unsigned shift_;
    size_t mask_;
    size_t size_ = 0;
    // Every block but the last is full. The last grows as a string does, so that a short
    // text never holds a whole block.
    std::vector<std::wstring> blocks_;
};

}  // namespace ui
