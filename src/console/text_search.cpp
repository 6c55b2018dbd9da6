#include "console/text_search.h"

#include <algorithm>
#include <utility>

namespace console {

CaseFold::CaseFold(std::vector<wchar_t> table) : table_(std::move(table)) {
    // Every UTF-16 unit has its place, so that a 16-bit character needs no bounds check.
    for (size_t c = table_.size(); c < 0x10000; ++c) table_.push_back(static_cast<wchar_t>(c));
}

void CaseFold::Apply(wchar_t* s, size_t n) const {
    for (size_t i = 0; i < n; ++i) s[i] = (*this)(s[i]);
}

TextFinder::TextFinder(const std::wstring& what, const CaseFold* fold, size_t chunk)
    : what_(what), fold_(fold), chunk_(std::max<size_t>(chunk, 1)) {
    if (fold_) fold_->Apply(&what_[0], what_.size());
    // Horspool's shifts, by the low byte of the character under the window's last place:
    // characters that share a low byte share the smallest shift, which is always safe.
    const size_t m = what_.size();
    std::fill(std::begin(skip_), std::end(skip_), std::max<size_t>(m, 1));
    for (size_t k = 0; k + 1 < m; ++k) skip_[static_cast<size_t>(what_[k]) & 0xFF] = m - 1 - k;
}

template <typename Fold>
size_t TextFinder::ScanFolded(const wchar_t* s, size_t n, size_t from, const Fold& fold) const {
    const size_t m = what_.size();
    if (m == 0 || n < m) return npos;
    const wchar_t* w = what_.data();
    const wchar_t last = w[m - 1];
    for (size_t i = from; i <= n - m;) {
        const wchar_t c = fold(s[i + m - 1]);
        if (c == last) {
            size_t k = 0;
            while (k + 1 < m && fold(s[i + k]) == w[k]) ++k;
            if (k + 1 == m) return i;
        }
        i += skip_[static_cast<size_t>(c) & 0xFF];
    }
    return npos;
}

size_t TextFinder::Scan(const wchar_t* s, size_t n, size_t from) const {
    if (fold_) return ScanFolded(s, n, from, *fold_);
    return ScanFolded(s, n, from, [](wchar_t c) { return c; });
}

size_t TextFinder::Load(const ReadText& read, size_t size, size_t p, size_t q) {
    // A match that starts in the part may end in the next one: the part is read with the
    // length of the text to find, less one, beyond it.
    const size_t n = std::min(size, q + what_.size() - 1) - p;
    if (buf_.size() < n) buf_.resize(std::max(n, chunk_ + what_.size() - 1));
    read(p, n, buf_.data());
    return n;
}

size_t TextFinder::First(const ReadText& read, size_t size, size_t lo, size_t hi) {
    const size_t m = what_.size();
    if (m == 0 || size < m) return npos;
    hi = std::min(hi, size - m + 1);
    for (size_t p = lo; p < hi;) {
        const size_t q = std::min(hi, p + chunk_);
        const size_t n = Load(read, size, p, q);
        const size_t at = Scan(buf_.data(), n, 0);
        if (at != npos && at < q - p) return p + at;
        p = q;
    }
    return npos;
}

size_t TextFinder::Last(const ReadText& read, size_t size, size_t lo, size_t hi) {
    const size_t m = what_.size();
    if (m == 0 || size < m) return npos;
    hi = std::min(hi, size - m + 1);
    for (size_t q = hi; q > lo;) {
        const size_t p = q - std::min(q - lo, chunk_);
        const size_t n = Load(read, size, p, q);
        size_t found = npos;
        for (size_t at = Scan(buf_.data(), n, 0); at != npos && at < q - p;
             at = Scan(buf_.data(), n, at + 1))
            found = at;
        if (found != npos) return p + found;
        q = p;
    }
    return npos;
}

size_t FindAround(TextFinder& finder, const ReadText& read, size_t size, size_t from, bool down) {
    from = std::min(from, size);
    if (down) {
        const size_t at = finder.First(read, size, from, size);
        return at != TextFinder::npos ? at : finder.First(read, size, 0, from);
    }
    // Ending at or before `from` is starting at or before from - m.
    const size_t m = finder.Length();
    const size_t split = from >= m ? from - m + 1 : 0;
    const size_t at = finder.Last(read, size, 0, split);
    return at != TextFinder::npos ? at : finder.Last(read, size, split, size);
}

}  // namespace console
