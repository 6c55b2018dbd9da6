// The layout of a multi-line text box, without a window: the text, the start of every visual
// row, wrapping at blanks by measured character widths, and the caret's steps through the text
// (characters, CR LF pairs, words). An edit re-wraps from the row before the one it starts in
// until the rows meet those of the old text again (an append, only from the last row), and
// shifts the rows after that block by block; text and rows are both kept in blocks, so an edit
// costs what it touches, not the length of the text.
#pragma once
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "ui/text/block_text.h"

namespace ui {

// Character widths in pixels, as the box's font draws them. Never asked about line breaks,
// which take no room.
class CharWidths {
public:
    virtual ~CharWidths() = default;
    virtual int Width(wchar_t c) const = 0;
};

class TextLayout {
public:
    // widths must outlive the layout. The text is kept in blocks of 2^blockShift characters.
    explicit TextLayout(const CharWidths& widths, int wrapWidth = 100, unsigned blockShift = 16);

    // A copy of the whole text; a long one is better read in parts.
    std::wstring Text() const { return text_.str(); }
    size_t Size() const { return text_.size(); }
    wchar_t At(size_t pos) const { return text_[pos]; }
    // Up to n characters from a (clamped to the text).
    std::wstring Substr(size_t a, size_t n) const { return text_.substr(a, n); }
    // Copies n characters from a, which must lie within the text, to out.
    void CopyTo(size_t a, size_t n, wchar_t* out) const { text_.CopyTo(a, n, out); }
    // Hands them to visit(piece, length) where they lie, in order.
    template <typename Visit>
    void ForEachPiece(size_t a, size_t n, Visit&& visit) const {
        text_.ForEachPiece(a, n, visit);
    }
    // The start of every row, in order; the first is 0. A text that ends in a line break has an
    // empty last row, where the caret goes after that break. A copy: a long text is better read
    // a row at a time.
    std::vector<size_t> Rows() const;
    size_t RowCount() const { return rows_.size(); }
    size_t RowStart(size_t row) const { return rows_[row]; }
    int WrapWidth() const { return wrapWidth_; }
    int Width(wchar_t c) const { return c == L'\r' || c == L'\n' ? 0 : widths_.Width(c); }

    // These three change nothing when they throw.
    void SetText(const std::wstring& text);
    // A new width, or the same after the character widths changed: wraps the whole text.
    void SetWrapWidth(int width);
    // Replaces [a, b) with s; both ends are clamped to the text.
    void Replace(size_t a, size_t b, const std::wstring& s);

    // The row that holds pos; a position where a wrapped row ends belongs to the next row.
    size_t RowOf(size_t pos) const;
    // Where the next row starts (the text's end for the last row).
    size_t RowEnd(size_t row) const;
    // The drawable end of a row: before its line break.
    size_t RowContentEnd(size_t row) const;
    // Where End puts the caret: before the line break, or on a wrapped row before its last
    // character, since the position after it is where the next row begins.
    size_t RowCaretEnd(size_t row) const;
    // The caret's distance from its row's start, in pixels.
    int XOf(size_t pos) const;
    // The position in row nearest to x pixels from its start.
    size_t PosInRow(size_t row, int x) const;

    // A caret position never splits CR LF: a position between them moves before the CR.
    size_t Normalize(size_t pos) const;
    // One character back or forward, a CR LF pair counting as one.
    size_t Prev(size_t pos) const;
    size_t Next(size_t pos) const;
    // Ctrl+Left and Ctrl+Right: to the start of the word before pos, or of the one after the
    // word at pos. Words are runs of anything but blanks and line breaks; a line break is a
    // stop of its own.
    size_t PrevWord(size_t pos) const;
    size_t NextWord(size_t pos) const;
    // The word beside pos (preferring the one after it), else the run of blanks there, as a
    // double-click selects it: [first, second).
    std::pair<size_t, size_t> WordAt(size_t pos) const;

private:
    // Where the row that starts at r ends: the start of the next row, or kNoRow when the row
    // runs to the end of the text.
    template <class Chars>
    size_t RowAfter(Chars& text, size_t r) const;
    // Calls row(start) for the start of each row from p (a row start) on, up to the text's end
    // or until row answers false.
    template <class Chars, class Row>
    void Wrap(Chars& text, size_t p, Row&& row) const;
    // Every row of the text, in a list of its own.
    BlockArray<size_t> WrapAll(const BlockText& text) const;

    static constexpr size_t kNoRow = static_cast<size_t>(-1);

    const CharWidths& widths_;
    int wrapWidth_;
    BlockText text_;
    BlockArray<size_t> rows_;
};

}  // namespace ui
