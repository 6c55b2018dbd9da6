// The text box's layout: the text in blocks and its rows as a sorted list of start offsets
// (in blocks too), kept up to date edit by edit so that a long transcript is never wrapped
// again whole.
#include "ui/text/text_layout.h"

#include <algorithm>

namespace ui {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsBreak(wchar_t c) { return c == L'\r' || c == L'\n'; }
bool IsWord(wchar_t c) { return !IsBlank(c) && !IsBreak(c); }

// The text as an edit will leave it, read before the edit is made: [a, b) of the old text
// replaced with s. The rows are wrapped from this, so that text and rows change together.
class EditedText {
public:
    EditedText(const BlockText& old, size_t a, size_t b, const std::wstring& s)
        : old_(old),
          a_(a),
          b_(b),
          end_(a + s.size()),
          size_(old.size() - (b - a) + s.size()),
          s_(s) {}
    size_t size() const { return size_; }
    wchar_t operator[](size_t i) {
        return i < a_ ? old_[i] : i < end_ ? s_[i - a_] : old_[i - end_ + b_];
    }

private:
    BlockText::Reader old_;
    size_t a_, b_, end_, size_;
    const std::wstring& s_;
};

// How many rows a block of the row list holds against characters a block of the text: a
// sixteenth as many at the full size (4096 rows, 32 KB on a 64-bit build).
unsigned RowShift(unsigned textShift) { return textShift * 3 / 4; }

}  // namespace

TextLayout::TextLayout(const CharWidths& widths, int wrapWidth, unsigned blockShift)
    : widths_(widths), wrapWidth_(wrapWidth), text_(blockShift), rows_(RowShift(blockShift)) {
    rows_.push_back(0);
}

// The longest run of characters from r that fits, broken after the last blank when there is
// one; a line break ends the row (and its paragraph) whatever the width.
template <class Chars>
size_t TextLayout::RowAfter(Chars& text, size_t r) const {
    const size_t n = text.size();
    int w = 0;
    size_t lastBlankEnd = kNoRow;
    for (size_t i = r; i < n; ++i) {
        const wchar_t ch = text[i];
        if (ch == L'\n') return i + 1;
        w += Width(ch);
        if (ch == L' ') {  // blanks hang past the margin, as in an edit control
            lastBlankEnd = i + 1;
            continue;
        }
        if (w > wrapWidth_ && i > r) return lastBlankEnd != kNoRow ? lastBlankEnd : i;
    }
    return kNoRow;
}

// A text that ends in a line break (or is empty) ends with an empty row, which this reaches
// as the row after the break.
template <class Chars, class Row>
void TextLayout::Wrap(Chars& text, size_t p, Row&& row) const {
    while (p != kNoRow && row(p)) p = RowAfter(text, p);
}

BlockArray<size_t> TextLayout::WrapAll(const BlockText& text) const {
    BlockArray<size_t> rows(rows_.Shift());
    BlockText::Reader reader(text);
    Wrap(reader, 0, [&](size_t p) {
        rows.push_back(p);
        return true;
    });
    return rows;
}

std::vector<size_t> TextLayout::Rows() const {
    std::vector<size_t> rows(rows_.size());
    rows_.CopyTo(0, rows.size(), rows.data());
    return rows;
}

void TextLayout::SetText(const std::wstring& text) {
    BlockText t(text_.Shift());
    t.append(text);
    BlockArray<size_t> rows = WrapAll(t);
    text_.swap(t);
    rows_.swap(rows);
}

void TextLayout::SetWrapWidth(int width) {
    const int old = wrapWidth_;
    wrapWidth_ = width;
    try {
        BlockArray<size_t> rows = WrapAll(text_);
        rows_.swap(rows);
    } catch (...) {
        wrapWidth_ = old;
        throw;
    }
}

void TextLayout::Replace(size_t a, size_t b, const std::wstring& s) {
    const size_t n = text_.size();
    a = std::min(a, n);
    b = std::min(std::max(a, b), n);
    if (a == b && s.empty()) return;
    // A row's start depends on the characters up to the start of the row after it, so the
    // edit cannot move the start of the row before a's row (nor, when a begins its row, of
    // the one before that). Output appended at the end leaves even its own row's start.
    const size_t row = RowOf(a);
    size_t from = 0;
    if (a == n)
        from = row;
    else if (a > rows_[row])
        from = row > 0 ? row - 1 : 0;
    else
        from = row > 1 ? row - 2 : 0;

    // From end on, the new text is the old one from b on, and a row that starts at the same
    // place in both is followed by the same rows: the old ones from there are kept, shifted.
    const size_t end = a + s.size();
    const size_t delta = end - b;  // modulo the size's range: a shift back is a large one
    EditedText edited(text_, a, b, s);
    BlockArray<size_t>::Reader old(rows_);
    size_t next = b > 0 ? rows_.UpperBound(b - 1) : 0;  // the first old row at or after b
    size_t keep = rows_.size();
    std::vector<size_t> fresh;
    Wrap(edited, rows_[from], [&](size_t p) {
        if (p >= end) {
            const size_t was = p - end + b;
            while (next < rows_.size() && old[next] < was) ++next;
            if (next < rows_.size() && old[next] == was) {
                keep = next;
                return false;
            }
        }
        fresh.push_back(p);
        return true;
    });

    // Everything that can fail comes first; then text and rows change together.
    BlockText::Edit textEdit = text_.Prepare(a, b, s.size());
    BlockArray<size_t>::Edit rowEdit = rows_.Prepare(from, keep, fresh.size());
    text_.Commit(textEdit, s.data());
    rows_.Commit(rowEdit, fresh.data(), delta);
}

size_t TextLayout::RowOf(size_t pos) const {
    const size_t after = rows_.UpperBound(pos);
    return after == 0 ? 0 : after - 1;
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
    BlockText::Reader text(text_);
    int x = 0;
    for (size_t i = rows_[RowOf(pos)]; i < pos && i < text_.size(); ++i) x += Width(text[i]);
    return x;
}

size_t TextLayout::PosInRow(size_t row, int x) const {
    BlockText::Reader text(text_);
    size_t s = rows_[row], e = RowContentEnd(row);
    int w = 0;
    for (size_t i = s; i < e; ++i) {
        int cw = Width(text[i]);
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
    BlockText::Reader text(text_);
    pos = std::min(pos, text_.size());
    size_t p = pos;
    while (p > 0 && IsBlank(text[p - 1])) --p;
    if (p == 0) return 0;
    if (IsBreak(text[p - 1])) return p < pos ? p : Prev(p);
    while (p > 0 && IsWord(text[p - 1])) --p;
    return p;
}

size_t TextLayout::NextWord(size_t pos) const {
    BlockText::Reader text(text_);
    const size_t n = text_.size();
    if (pos >= n) return n;
    if (IsBreak(text[pos])) return Next(pos);
    while (pos < n && IsWord(text[pos])) ++pos;
    while (pos < n && IsBlank(text[pos])) ++pos;
    return pos;
}

std::pair<size_t, size_t> TextLayout::WordAt(size_t pos) const {
    BlockText::Reader text(text_);
    const size_t n = text_.size();
    pos = std::min(pos, n);
    bool (*same)(wchar_t) = nullptr;
    if (pos < n && IsWord(text[pos])) {
        same = IsWord;
    } else if (pos > 0 && IsWord(text[pos - 1])) {
        same = IsWord;
    } else if ((pos < n && IsBlank(text[pos])) || (pos > 0 && IsBlank(text[pos - 1]))) {
        same = IsBlank;
    } else {
        return {pos, pos};
    }
    size_t a = pos, b = pos;
    while (a > 0 && same(text[a - 1])) --a;
    while (b < n && same(text[b])) ++b;
    return {a, b};
}

}  // namespace ui
