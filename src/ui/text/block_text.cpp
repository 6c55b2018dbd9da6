#include "ui/text/block_text.h"

#include <algorithm>
#include <utility>

namespace ui {

BlockText::BlockText(unsigned blockShift)
    : shift_(blockShift), mask_((static_cast<size_t>(1) << blockShift) - 1) {}

size_t BlockText::find(wchar_t c, size_t from) const {
    for (size_t b = from >> shift_; from < size_; ++b) {
        const std::wstring& block = blocks_[b];
        const size_t at = block.find(c, from & mask_);
        if (at != std::wstring::npos) return (b << shift_) + at;
        from = (b + 1) << shift_;
    }
    return npos;
}

std::wstring BlockText::substr(size_t a, size_t n) const {
    a = std::min(a, size_);
    std::wstring out(std::min(n, size_ - a), L'\0');
    CopyTo(a, out.size(), &out[0]);
    return out;
}

void BlockText::CopyTo(size_t a, size_t n, wchar_t* out) const {
    while (n > 0) {
        const std::wstring& block = blocks_[a >> shift_];
        const size_t at = a & mask_, m = std::min(n, block.size() - at);
        out = std::copy_n(block.data() + at, m, out);
        a += m;
        n -= m;
    }
}

void BlockText::append(const std::wstring& s) {
    if (s.empty()) return;
    reserve(size_ + s.size());
    Overwrite(size_, s, std::wstring());
}

void BlockText::reserve(size_t n) {
    const size_t full = mask_ + 1;
    const size_t count = (n + mask_) >> shift_;
    // The blocks before the one the text ends in are full, and so have their room already:
    // an append looks at the last few blocks only, not at every block of a long text.
    for (size_t i = size_ >> shift_; i < count; ++i) {
        if (i == blocks_.size()) blocks_.emplace_back();
        std::wstring& block = blocks_[i];
        const size_t want = std::min(full, n - (i << shift_));
        // The first block grows as a string would, up to a whole block; a text that needs
        // a second one is a long one, and has each further block whole at once.
        if (block.capacity() < want)
            block.reserve(i > 0 ? full : std::max(want, std::min(full, 2 * block.capacity())));
    }
}

void BlockText::Truncate(size_t n) noexcept {
    n = std::min(n, size_);
    // Only the blocks between the two ends change.
    for (size_t i = n >> shift_; i < blocks_.size() && (i << shift_) < size_; ++i)
        blocks_[i].resize(std::min(mask_ + 1, n - std::min(n, i << shift_)));
    size_ = n;
}

void BlockText::WriteAt(size_t a, const wchar_t* s, size_t n) noexcept {
    while (n > 0) {
        std::wstring& block = blocks_[a >> shift_];
        const size_t at = a & mask_, m = std::min(n, mask_ + 1 - at);
        // Within the reserved room: a longer block only takes characters it has room for.
        if (block.size() < at + m) block.resize(at + m);
        std::copy_n(s, m, &block[at]);
        s += m;
        a += m;
        n -= m;
    }
}

void BlockText::Overwrite(size_t a, const std::wstring& s, const std::wstring& t) noexcept {
    a = std::min(a, size_);
    const size_t end = a + s.size() + t.size();
    Truncate(a);
    WriteAt(a, s.data(), s.size());
    WriteAt(a + s.size(), t.data(), t.size());
    size_ = end;
}

void BlockText::ShrinkToFit() noexcept {
    const size_t used = (size_ + mask_) >> shift_;
    while (blocks_.size() > used) blocks_.pop_back();
}

void BlockText::swap(BlockText& other) noexcept {
    std::swap(shift_, other.shift_);
    std::swap(mask_, other.mask_);
    std::swap(size_, other.size_);
    blocks_.swap(other.blocks_);
}

}  // namespace ui
