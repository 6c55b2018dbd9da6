// A long wide text kept in blocks (a BlockArray of characters), so that it grows without ever
// being copied whole and an edit anywhere rewrites only the blocks it touches: a transcript
// of many megabytes never needs one string of its length (which, when it doubles, for a moment
// needs the old string and the new one side by side, and on a 32-bit build may find no room).
#pragma once
#include <cstddef>
#include <string>

#include "ui/text/block_array.h"

namespace ui {

class BlockText : public BlockArray<wchar_t> {
public:
    static constexpr size_t npos = static_cast<size_t>(-1);

    // blockShift: each block holds up to 2^blockShift characters.
    explicit BlockText(unsigned blockShift = 16) : BlockArray<wchar_t>(blockShift) {}

    // Up to n characters from a (clamped to the text).
    std::wstring substr(size_t a, size_t n = npos) const;
    std::wstring str() const { return substr(0); }
    // Adds s at the end; nothing changes when it throws.
    void append(const std::wstring& s);
    // Replaces [a, b) (a <= b <= size()) with s; nothing changes when it throws.
    void Replace(size_t a, size_t b, const std::wstring& s);
};

}  // namespace ui
