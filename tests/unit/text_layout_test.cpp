// Tests for the text box's layout: rows kept edit by edit, wrapping, the caret's steps over
// CR LF and words, and what an append costs.
#include "ui/text/text_layout.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using ui::TextLayout;

namespace {

// Every character 10 pixels wide, a tab 40; counts what it is asked and can be told to fail.
class FixedWidths : public ui::CharWidths {
public:
    int Width(wchar_t c) const override {
        ++calls;
        if (failAfter >= 0 && calls > failAfter) throw std::runtime_error("measure");
        return c == L'\t' ? 40 : 10;
    }
    mutable long calls = 0;
    long failAfter = -1;
};

using Rows = std::vector<size_t>;

// The rows a fresh layout gives the same text at the same width.
Rows WholeWrap(const TextLayout& layout) {
    FixedWidths widths;
    TextLayout whole(widths, layout.WrapWidth());
    whole.SetText(layout.Text());
    return whole.Rows();
}

}  // namespace

TEST(TextLayout, EditingTheLineThatEndsInTheFinalBreakAddsNoRow) {
    FixedWidths widths;
    TextLayout layout(widths, 1000);
    layout.SetText(L"one\r\ntwo\r\n");
    EXPECT_EQ(layout.Rows(), (Rows{0, 5, 10}));
    layout.Replace(5, 6, L"T");  // "two" becomes "Two"
    EXPECT_EQ(layout.Rows(), (Rows{0, 5, 10}));
    layout.Replace(10, 10, L"three");  // and output goes on after it
    EXPECT_EQ(layout.Text(), L"one\r\nTwo\r\nthree");
    EXPECT_EQ(layout.Rows(), (Rows{0, 5, 10}));

    layout.SetText(L"ab\n");
    layout.Replace(0, 0, L"");
    layout.Replace(1, 2, L"");
    EXPECT_EQ(layout.Rows(), (Rows{0, 2}));
}

TEST(TextLayout, EveryReplaceInASmallTextMatchesAWholeWrap) {
    const std::wstring text = L"ab cd\r\nefgh ij\nk\r\n\r\nlm no pq\n";
    const wchar_t* inserts[] = {L"", L"x", L"\r\n", L"\n", L"\r", L"yy zz ww", L"u\r\nv"};
    for (int width : {15, 35, 1000}) {
        for (size_t a = 0; a <= text.size(); ++a) {
            for (size_t b = a; b <= text.size() && b <= a + 3; ++b) {
                for (const wchar_t* s : inserts) {
                    FixedWidths widths;
                    TextLayout layout(widths, width, 2);  // blocks of four characters
                    layout.SetText(text);
                    layout.Replace(a, b, s);
                    ASSERT_EQ(layout.Text(), std::wstring(text).replace(a, b - a, s));
                    ASSERT_EQ(layout.Rows(), WholeWrap(layout))
                        << "width " << width << ", [" << a << ", " << b << ") replaced";
                    layout.Replace(layout.Size(), layout.Size(), L"tail\n");
                    ASSERT_EQ(layout.Rows(), WholeWrap(layout))
                        << "width " << width << ", [" << a << ", " << b << ") then appended";
                }
            }
        }
    }
}

TEST(TextLayout, WrapsAfterTheLastBlankElseInsideTheWord) {
    FixedWidths widths;
    TextLayout layout(widths, 50);  // five characters
    layout.SetText(L"abc defgh ij");
    EXPECT_EQ(layout.Rows(), (Rows{0, 4, 10}));
    layout.SetText(L"abcdefghijkl");
    EXPECT_EQ(layout.Rows(), (Rows{0, 5, 10}));
    // Blanks hang past the margin rather than start a row.
    layout.SetText(L"abcde     x");
    EXPECT_EQ(layout.Rows(), (Rows{0, 10}));
    // A line break starts a row whatever the width; an empty text has one row.
    layout.SetText(L"ab\r\n\r\ncd\r\n");
    EXPECT_EQ(layout.Rows(), (Rows{0, 4, 6, 10}));
    layout.SetText(L"");
    EXPECT_EQ(layout.Rows(), (Rows{0}));
    // Narrower than one character: still a character a row.
    layout.SetWrapWidth(1);
    layout.SetText(L"abc");
    EXPECT_EQ(layout.Rows(), (Rows{0, 1, 2}));
}

TEST(TextLayout, EndStaysOnAWrappedRow) {
    FixedWidths widths;
    TextLayout layout(widths, 60);
    layout.SetText(L"abcde fghij\r\nk");
    ASSERT_EQ(layout.Rows(), (Rows{0, 6, 13}));
    EXPECT_EQ(layout.RowCaretEnd(0), 5u);
    EXPECT_EQ(layout.RowOf(layout.RowCaretEnd(0)), 0u);
    EXPECT_EQ(layout.RowCaretEnd(1), 11u) << "before the line break";
    EXPECT_EQ(layout.RowContentEnd(1), 11u);
    EXPECT_EQ(layout.RowCaretEnd(2), 14u);
    EXPECT_EQ(layout.PosInRow(0, 1000), 5u);
    EXPECT_EQ(layout.PosInRow(1, 14), 7u) << "rounds to the nearer edge";
    EXPECT_EQ(layout.XOf(8), 20);
}

TEST(TextLayout, CrLfIsOneStepAndNeverSplit) {
    FixedWidths widths;
    TextLayout layout(widths, 1000);
    layout.SetText(L"a\r\nb\rc\nd\r\n");
    EXPECT_EQ(layout.Next(1), 3u);
    EXPECT_EQ(layout.Prev(3), 1u);
    EXPECT_EQ(layout.Next(4), 5u) << "a lone CR is a character of its own";
    EXPECT_EQ(layout.Prev(7), 6u) << "so is a lone LF";
    EXPECT_EQ(layout.Normalize(2), 1u);
    EXPECT_EQ(layout.Normalize(3), 3u);
    EXPECT_EQ(layout.Normalize(5), 5u);
    EXPECT_EQ(layout.Normalize(9), 8u);
    EXPECT_EQ(layout.Normalize(99), 10u);
    EXPECT_EQ(layout.Next(10), 10u);
    EXPECT_EQ(layout.Prev(0), 0u);
    EXPECT_EQ(layout.Prev(10), 8u);
    EXPECT_EQ(layout.RowContentEnd(0), 1u);
    EXPECT_EQ(layout.RowOf(3), 1u);
    EXPECT_EQ(layout.RowCount(), 4u);  // a, b\rc, d and the empty row after the last break
}

TEST(TextLayout, WordSteps) {
    FixedWidths widths;
    TextLayout layout(widths, 1000);
    layout.SetText(L"one two  three\r\n  four");
    std::vector<size_t> forward, back;
    for (size_t p = 0; p < layout.Size(); p = layout.NextWord(p)) forward.push_back(p);
    for (size_t p = layout.Size(); p > 0; p = layout.PrevWord(p)) back.push_back(p);
    EXPECT_EQ(forward, (std::vector<size_t>{0, 4, 9, 14, 16, 18}));
    EXPECT_EQ(back, (std::vector<size_t>{22, 18, 16, 14, 9, 4}));
    EXPECT_EQ(layout.PrevWord(6), 4u) << "from inside a word, to its start";
    EXPECT_EQ(layout.NextWord(5), 9u);

    using Span = std::pair<size_t, size_t>;
    EXPECT_EQ(layout.WordAt(1), (Span{0, 3}));
    EXPECT_EQ(layout.WordAt(3), (Span{0, 3})) << "just after a word";
    EXPECT_EQ(layout.WordAt(4), (Span{4, 7}));
    EXPECT_EQ(layout.WordAt(8), (Span{7, 9})) << "between blanks, the blanks";
    EXPECT_EQ(layout.WordAt(14), (Span{9, 14})) << "a word stops at the line break";
    EXPECT_EQ(layout.WordAt(22), (Span{18, 22}));
    layout.SetText(L"\r\n\r\n");
    EXPECT_EQ(layout.WordAt(2), (Span{2, 2}));
}

TEST(TextLayout, AnAppendMeasuresOnlyTheChunkAndTheLastRow) {
    FixedWidths widths;
    TextLayout layout(widths, 200);
    std::wstring text;
    for (int i = 0; i < 2000; ++i) text += L"line of output " + std::to_wstring(i) + L"\r\n";
    layout.SetText(text);
    const size_t rows = layout.RowCount();

    widths.calls = 0;
    layout.Replace(layout.Size(), layout.Size(), L"partial");
    EXPECT_EQ(widths.calls, 7) << "the last row was empty: only the chunk is measured";
    widths.calls = 0;
    layout.Replace(layout.Size(), layout.Size(), L" line\r\n");
    EXPECT_LE(widths.calls, 7 + 7) << "the chunk and the row it continues";
    EXPECT_EQ(layout.RowCount(), rows + 1);
    EXPECT_EQ(layout.Rows(), WholeWrap(layout));
}

TEST(TextLayout, AFailedEditLeavesTextAndRowsAsTheyWere) {
    for (unsigned blockShift : {16u, 1u}) {
        SCOPED_TRACE(blockShift);
        FixedWidths widths;
        TextLayout layout(widths, 50, blockShift);
        layout.SetText(L"abc defgh ij\r\nklm\r\n");
        const std::wstring text = layout.Text();
        const Rows rows = layout.Rows();
        struct Edit {
            size_t a, b;
            const wchar_t* s;
        };
        for (Edit e :
             {Edit{19, 19, L"appended words"}, Edit{2, 9, L"x y z w v"}, Edit{0, 1, L""}}) {
            widths.calls = 0;
            widths.failAfter = 3;
            EXPECT_THROW(layout.Replace(e.a, e.b, e.s), std::runtime_error);
            widths.failAfter = -1;
            EXPECT_EQ(layout.Text(), text);
            EXPECT_EQ(layout.Rows(), rows);
        }
        widths.calls = 0;
        widths.failAfter = 3;
        EXPECT_THROW(layout.SetWrapWidth(20), std::runtime_error);
        EXPECT_THROW(layout.SetText(L"something else"), std::runtime_error);
        widths.failAfter = -1;
        EXPECT_EQ(layout.WrapWidth(), 50);
        EXPECT_EQ(layout.Text(), text);
        EXPECT_EQ(layout.Rows(), rows);
    }
}
