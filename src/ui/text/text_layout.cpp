// The text box's layout: the text in blocks and its rows as a sorted list of start
// offsets, kept up to date edit by edit so that a long transcript is never wrapped again whole.
#include "ui/text/text_layout.h"

#include <algorithm>

namespace ui {
namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsBreak(wchar_t c) { return c == L'\r' || c == L'\n'; }
bool IsWord(wchar_t c) { return !IsBlank(c) && !IsBreak(c); }

}  // namespace

TextLayout::TextLayout(const CharWidths& widths, int wrapWidth, unsigned blockShift)
    : widths_(widths), wrapWidth_(wrapWidth), text_(blockShift) {}

// The end of the row that starts at r within content that ends at c: the longest run of
// characters that fits, broken after the last blank when there is one.
size_t TextLayout::FitBreak(const BlockText& text, size_t r, size_t c) const {
    int w = 0;
    size_t lastBlankEnd = kNone;
    for (size_t i = r; i < c; ++i) {
        wchar_t ch = text[i];
        w += Width(ch);
        if (ch == L' ') {  // blanks hang past the margin, as in an edit control
            lastBlankEnd = i + 1;
            continue;
        }
        if (w > wrapWidth_ && i > r) return lastBlankEnd != kNone ? lastBlankEnd : i;
    }
    return c;
}

// Appends to out the starts of the rows from p (a row start) up to end (a paragraph start or
// the text's end).
void TextLayout::WrapRange(const BlockText& text, size_t p, size_t end,
                           std::vector<size_t>& out) const {
    const size_t n = text.size();
    while (p < end) {
        size_t q = text.find(L'\n', p);
        if (q == BlockText::npos) q = n;
        size_t r = p;
        out.push_back(r);
        for (;;) {
            size_t b = FitBreak(text, r, q);
            if (b >= q) break;
            r = b;
            out.push_back(r);
        }
        p = q == n ? n : q + 1;
    }
}

// As WrapRange up to the text's end, with the empty row after a final line break.
void TextLayout::WrapToEnd(const BlockText& text, size_t p, std::vector<size_t>& out) const {
    const size_t n = text.size();
    WrapRange(text, p, n, out);
    if (n == 0 || text[n - 1] == L'\n') out.push_back(n);
}

void TextLayout::SetText(const std::wstring& text) {
    BlockText t(text_.Shift());
    t.append(text);
    std::vector<size_t> rows;
    WrapToEnd(t, 0, rows);
    text_.swap(t);
    rows_.swap(rows);
}

void TextLayout::SetWrapWidth(int width) {
    const int old = wrapWidth_;
    wrapWidth_ = width;
    std::vector<size_t> rows;
    try {
        WrapToEnd(text_, 0, rows);
    } catch (...) {
        wrapWidth_ = old;
        throw;
    }
    rows_.swap(rows);
}

void TextLayout::Replace(size_t a, size_t b, const std::wstring& s) {
    const size_t n = text_.size();
    a = std::min(a, n);
    b = std::min(std::max(a, b), n);
    if (a == n && b == n) {  // the common case: output appended at the end
        if (s.empty()) return;
        const size_t rowCount = rows_.size();
        const size_t from = rows_.back();
        text_.append(s);  // leaves the text as it was when it throws
        rows_.pop_back();
        try {
            WrapToEnd(text_, from, rows_);
        } catch (...) {
            // Back to the text and rows before the append; neither step allocates.
            text_.Truncate(n);
            rows_.resize(rowCount - 1);
            rows_.push_back(from);
            throw;
        }
        return;
    }
    size_t row = RowOf(a);
    while (row > 0 && text_[rows_[row] - 1] != L'\n') --row;
    size_t oldTail = text_.find(L'\n', b);
    oldTail = oldTail == BlockText::npos ? kNone : oldTail + 1;
    // What the edit takes out and what follows it, so that a failure can put them back.
    const std::wstring removed = text_.substr(a, b - a);
    const std::wstring after = text_.substr(b);
    text_.reserve(a + s.size() + after.size());
    text_.Overwrite(a, s, after);
    const long long delta = static_cast<long long>(s.size()) - static_cast<long long>(b - a);

    std::vector<size_t> next;
    try {
        next.assign(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(row));
        size_t from = rows_[row];
        if (oldTail == kNone) {
            WrapToEnd(text_, from, next);
        } else {
            size_t newTail = static_cast<size_t>(static_cast<long long>(oldTail) + delta);
            // The rows from the old tail on, the empty one after a final line break included,
            // are kept as they were, only shifted.
            WrapRange(text_, from, newTail, next);
            auto tail = std::lower_bound(rows_.begin(), rows_.end(), oldTail);
            for (; tail != rows_.end(); ++tail)
                next.push_back(static_cast<size_t>(static_cast<long long>(*tail) + delta));
        }
    } catch (...) {
        // The room for the longer of the two texts is there already, so this cannot throw.
        text_.Overwrite(a, removed, after);
        throw;
    }
    rows_.swap(next);
    text_.ShrinkToFit();
}

size_t TextLayout::RowOf(size_t pos) const {
    auto it = std::upper_bound(rows_.begin(), rows_.end(), pos);
    return it == rows_.begin() ? 0 : static_cast<size_t>(it - rows_.begin()) - 1;
}

size_t TextLayout::RowEnd(size_t row) const {
    return row + 1 < rows_.size() ? rows_[row + 1] : text_.size();
}

size_t TextLayout::RowContentEnd(size_t row) const {
    size_t e = RowEnd(row);
    size_t s = rows_[row];
    if (e > s && text_[e - 1] == L'\n') --e;
    if (e > s && text_[e - 1] == L'\r') --e;
    return e;
}

size_t TextLayout::RowCaretEnd(size_t row) const {
    size_t s = rows_[row], e = RowContentEnd(row);
    if (e == RowEnd(row) && row + 1 < rows_.size() && e > s) return e - 1;
    return e;
}

int TextLayout::XOf(size_t pos) const {
    int x = 0;
    for (size_t i = rows_[RowOf(pos)]; i < pos && i < text_.size(); ++i) x += Width(text_[i]);
    return x;
}

size_t TextLayout::PosInRow(size_t row, int x) const {
    size_t s = rows_[row], e = RowContentEnd(row);
    int w = 0;
    for (size_t i = s; i < e; ++i) {
        int cw = Width(text_[i]);
        if (2 * (x - w) < cw) return i;  // before the middle of the character
        w += cw;
    }
    // A wrapped row ends where the next one starts; keep the caret on this row.
    return RowCaretEnd(row);
}

size_t TextLayout::Normalize(size_t pos) const {
    pos = std::min(pos, text_.size());
    if (pos > 0 && pos < text_.size() && text_[pos - 1] == L'\r' && text_[pos] == L'\n') --pos;
    return pos;
}

size_t TextLayout::Prev(size_t pos) const {
    pos = std::min(pos, text_.size());
    if (pos == 0) return 0;
    if (pos >= 2 && text_[pos - 1] == L'\n' && text_[pos - 2] == L'\r') return pos - 2;
    return pos - 1;
}

size_t TextLayout::Next(size_t pos) const {
    if (pos >= text_.size()) return text_.size();
    if (text_[pos] == L'\r' && pos + 1 < text_.size() && text_[pos + 1] == L'\n') return pos + 2;
    return pos + 1;
}

size_t TextLayout::PrevWord(size_t pos) const {
    pos = std::min(pos, text_.size());
    size_t p = pos;
    while (p > 0 && IsBlank(text_[p - 1])) --p;
    if (p == 0) return 0;
    if (IsBreak(text_[p - 1])) return p < pos ? p : Prev(p);
    while (p > 0 && IsWord(text_[p - 1])) --p;
    return p;
}

size_t TextLayout::NextWord(size_t pos) const {
    const size_t n = text_.size();
    if (pos >= n) return n;
    if (IsBreak(text_[pos])) return Next(pos);
    while (pos < n && IsWord(text_[pos])) ++pos;
    while (pos < n && IsBlank(text_[pos])) ++pos;
    return pos;
}

std::pair<size_t, size_t> TextLayout::WordAt(size_t pos) const {
    const size_t n = text_.size();
    pos = std::min(pos, n);
    bool (*same)(wchar_t) = nullptr;
    if (pos < n && IsWord(text_[pos])) {
        same = IsWord;
    } else if (pos > 0 && IsWord(text_[pos - 1])) {
        same = IsWord;
    } else if ((pos < n && IsBlank(text_[pos])) || (pos > 0 && IsBlank(text_[pos - 1]))) {
        same = IsBlank;
    } else {
        return {pos, pos};
    }
    size_t a = pos, b = pos;
    while (a > 0 && same(text_[a - 1])) --a;
    while (b < n && same(text_[b])) ++b;
    return {a, b};
}

}  // namespace ui
