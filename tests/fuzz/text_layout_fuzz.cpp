// Fuzzes the text box's layout with edits, appends and wrap widths. After every step the rows
// kept up to date edit by edit must be exactly those of wrapping the whole text again (and be
// found again row by row), and the text that of a plain string given the same edits (whole and
// in parts); the caret's steps must stay in the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ui/text/text_layout.h"

namespace {

// Fixed widths of different sizes, so that rows break both at blanks and inside words.
class Widths : public ui::CharWidths {
public:
    int Width(wchar_t c) const override {
        switch (c) {
            case L' ':
                return 3;
            case L'\t':
                return 24;
            case L'W':
                return 13;
            default:
                return 5 + (c % 3) * 2;
        }
    }
};

class Input {
public:
    Input(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
    bool Empty() const { return p_ == end_; }
    unsigned Byte() { return p_ == end_ ? 0 : *p_++; }
    unsigned Word() { return Byte() | (Byte() << 8); }
    // A short text of letters, blanks, tabs and line breaks of every kind.
    std::wstring Text() {
        static const wchar_t* const kPieces[] = {L"a",  L"b",  L"c",  L"W",    L" ",
                                                 L"  ", L"\t", L"\r", L"\r\n", L"\n"};
        std::wstring s;
        for (unsigned len = Byte() % 9; len > 0; --len) s += kPieces[Byte() % 10];
        return s;
    }

private:
    const uint8_t* p_;
    const uint8_t* end_;
};

constexpr size_t kMaxText = 64;

void Check(bool ok) {
    if (!ok) std::abort();
}

void CheckLayout(const ui::TextLayout& layout, const std::wstring& model, const Widths& widths,
                 size_t probe) {
    const auto& rows = layout.Rows();
    const std::wstring& text = layout.Text();
    Check(text == model);
    Check(!rows.empty() && rows[0] == 0);
    for (size_t i = 1; i < rows.size(); ++i) Check(rows[i - 1] < rows[i]);
    Check(rows.back() <= text.size());
    // Each row found again from its start, through the blocks its list is kept in.
    Check(layout.RowCount() == rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        Check(layout.RowStart(i) == rows[i] && layout.RowOf(rows[i]) == i);

    ui::TextLayout whole(widths, layout.WrapWidth());
    whole.SetText(text);
    Check(rows == whole.Rows());

    // The caret's steps from one position somewhere in the text.
    const size_t n = text.size();
    size_t pos = probe % (n + 1);
    Check(layout.Prev(pos) <= pos && (pos == 0 || layout.Prev(pos) < pos));
    Check(layout.Next(pos) >= pos && (pos == n || layout.Next(pos) > pos));
    size_t norm = layout.Normalize(pos);
    Check(norm <= pos && layout.Normalize(norm) == norm);
    Check(pos == 0 || layout.PrevWord(pos) < pos);
    Check(pos == n || (layout.NextWord(pos) > pos && layout.NextWord(pos) <= n));
    auto word = layout.WordAt(pos);
    Check(word.first <= pos && pos <= word.second && word.second <= n);
    size_t row = layout.RowOf(pos);
    Check(layout.RowStart(row) <= pos && pos <= layout.RowEnd(row));
    Check(layout.RowContentEnd(row) >= layout.RowStart(row));
    // Reading a part from the blocks.
    const size_t len = probe % 23;
    Check(layout.Substr(pos, len) == model.substr(pos, len));
    if (pos < n) Check(layout.At(pos) == model[pos]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    Widths widths;
    // Blocks of 1 to 16 characters, so that short texts span many of them.
    const unsigned blockShift = in.Byte() % 5;
    ui::TextLayout layout(widths, 1 + static_cast<int>(in.Byte() % 120), blockShift);
    std::wstring model;
    // Short texts and few steps keep each run cheap; wrap widths of a few characters still
    // give texts of many rows.
    for (int step = 0; step < 8 && !in.Empty(); ++step) {
        const size_t n = model.size();
        unsigned op = in.Byte() % 4;
        if (n > kMaxText && (op == 0 || op == 2)) op = 1;
        if (op == 0 || op == 1) {  // replace or delete a range
            size_t a = in.Word() % (n + 1);
            size_t b = a + in.Byte() % 12;
            std::wstring s = op == 0 ? in.Text() : std::wstring();
            layout.Replace(a, b, s);
            b = std::min(b, n);
            model.replace(a, b - a, s);
        } else if (op == 2) {
            std::wstring s = in.Text();
            layout.Replace(n, n, s);
            model += s;
        } else {
            layout.SetWrapWidth(1 + static_cast<int>(in.Byte() % 120));
        }
        CheckLayout(layout, model, widths, in.Word());
    }
    return 0;
}
