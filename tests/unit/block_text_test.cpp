// Tests for long texts in blocks: edits anywhere against a plain string, what an edit at the
// top of a long transcript allocates, and that an edit whose memory runs out leaves text and
// rows as they were. Allocations are counted (and made to fail) by this binary's own operator
// new, which does nothing more while no watch is set.
#include "ui/text/block_text.h"
#include "ui/text/text_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

namespace {

// Counts the allocations made while it lives, and can make one of them fail.
struct AllocationWatch {
    AllocationWatch() { current = this; }
    ~AllocationWatch() { current = nullptr; }
    AllocationWatch(const AllocationWatch&) = delete;
    AllocationWatch& operator=(const AllocationWatch&) = delete;

    static AllocationWatch* current;
    size_t count = 0, bytes = 0, largest = 0;
    size_t failing = 0;  // the allocation (counted from 1) that fails; 0 for none
};
AllocationWatch* AllocationWatch::current = nullptr;

void* Allocate(size_t n) {
    if (AllocationWatch* w = AllocationWatch::current) {
        if (++w->count == w->failing) throw std::bad_alloc();
        w->bytes += n;
        w->largest = std::max(w->largest, n);
    }
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(size_t n) { return Allocate(n); }
void* operator new[](size_t n) { return Allocate(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept {
    try {
        return Allocate(n);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

using ui::BlockText;
using ui::TextLayout;

namespace {

class Widths : public ui::CharWidths {
public:
    int Width(wchar_t c) const override { return c == L'\t' ? 40 : 10; }
};

std::wstring Letters(size_t n, size_t seed) {
    std::wstring s;
    for (size_t i = 0; i < n; ++i) s.push_back(static_cast<wchar_t>(L'a' + (seed + i) % 26));
    return s;
}

// The text read back every way it can be read, against what it should hold.
void ExpectHolds(const BlockText& text, const std::wstring& model) {
    ASSERT_EQ(text.size(), model.size());
    ASSERT_EQ(text.str(), model);
    BlockText::Reader reader(text);
    for (size_t i = 0; i < model.size(); ++i) {
        ASSERT_EQ(reader[i], model[i]) << "read in order, at " << i;
        ASSERT_EQ(text[model.size() - 1 - i], model[model.size() - 1 - i]) << "read backwards";
    }
    for (size_t a = 0; a < model.size(); a += 3) ASSERT_EQ(text.substr(a, 5), model.substr(a, 5));
}

// n lines of 78 letters and CR LF, as a command writes them.
std::wstring Lines(size_t n) {
    std::wstring line = Letters(78, 0) + L"\r\n", s;
    s.reserve(n * line.size());
    for (size_t i = 0; i < n; ++i) s += line;
    return s;
}

}  // namespace

TEST(BlockText, EditsAnywhereMatchAPlainString) {
    struct Edit {
        size_t a, b, n;
    };
    // Blocks of 8 characters, a text of 5 blocks: inserts and deletes inside a block, across
    // block ends, at both ends of the text, of nothing and of more than a block.
    const Edit edits[] = {
        {0, 0, 1},   {0, 0, 8},   {0, 0, 20}, {40, 40, 1}, {40, 40, 9}, {8, 8, 1},
        {7, 7, 1},   {9, 9, 1},   {3, 3, 3},  {0, 1, 0},   {39, 40, 0}, {7, 9, 0},
        {8, 16, 0},  {4, 36, 0},  {0, 40, 0}, {0, 40, 3},  {5, 30, 12}, {12, 13, 30},
        {16, 16, 0}, {15, 17, 2}, {1, 39, 0}, {20, 21, 1}, {8, 24, 16}, {33, 40, 7},
    };
    for (const Edit& e : edits) {
        SCOPED_TRACE(testing::Message() << "[" << e.a << ", " << e.b << ") with " << e.n);
        BlockText text(3);
        std::wstring model = Letters(40, 0);
        text.append(model);
        const std::wstring s = Letters(e.n, 7);
        text.Replace(e.a, e.b, s);
        model.replace(e.a, e.b - e.a, s);
        ExpectHolds(text, model);
        // And the text goes on taking edits and output after it.
        text.Replace(e.a / 2, e.a / 2, L"XY");
        model.insert(e.a / 2, L"XY");
        text.append(L"tail");
        model += L"tail";
        ExpectHolds(text, model);
    }
    // All of them in turn on one text, which splits and merges blocks as it goes.
    BlockText text(3);
    std::wstring model = Letters(40, 0);
    text.append(model);
    for (const Edit& e : edits) {
        const size_t a = e.a % (model.size() + 1), b = std::min(model.size(), a + e.b - e.a);
        const std::wstring s = Letters(e.n, a);
        text.Replace(a, b, s);
        model.replace(a, b - a, s);
        ExpectHolds(text, model);
    }
}

TEST(BlockText, AnEditAtTheTopAllocatesTheSameWhateverTheLength) {
    struct Edit {
        const char* what;
        size_t a, b;
        std::wstring s;
    };
    const Edit edits[] = {
        {"a character typed", 0, 0, L"x"},
        {"a character typed in the first line", 30, 30, L"x"},
        {"a line break typed", 10, 10, L"\r\n"},
        {"a character deleted", 0, 1, L""},
        {"a line deleted", 0, 80, L""},
        {"a paste of 40 lines", 160, 160, Lines(40)},
        {"a selection across blocks replaced", 500, 2600, L"new"},
    };
    // Blocks of 1024 characters: a text of 80 of them against one of 1280.
    const std::wstring shortText = Lines(1024), longText = Lines(16 * 1024);
    for (const Edit& e : edits) {
        SCOPED_TRACE(e.what);
        size_t bytes[2], largest[2];
        for (int i = 0; i < 2; ++i) {
            Widths widths;
            TextLayout layout(widths, 2000, 10);
            layout.SetText(i == 0 ? shortText : longText);
            {
                AllocationWatch watch;
                layout.Replace(e.a, e.b, e.s);
                bytes[i] = watch.bytes;
                largest[i] = watch.largest;
            }
            std::wstring model = i == 0 ? shortText : longText;
            ASSERT_EQ(layout.Substr(0, 5000), model.replace(e.a, e.b - e.a, e.s).substr(0, 5000));
        }
        EXPECT_EQ(bytes[1], bytes[0]) << "16 times the length, the same allocations";
        // At most a few blocks of characters and of rows beyond what the edit inserts, and
        // no single allocation of more than two blocks.
        EXPECT_LE(bytes[0], 8 * 1024 * sizeof(wchar_t) + 4 * e.s.size() * sizeof(wchar_t));
        EXPECT_LE(largest[0], std::max(2 * 1024 * sizeof(wchar_t), e.s.size() * sizeof(wchar_t)));
    }
}

TEST(BlockText, AnEditThatRunsOutOfMemoryLeavesTextAndRowsAsTheyWere) {
    struct Edit {
        size_t a, b;
        std::wstring s;
    };
    // Blocks of 16 characters: inserts that split blocks, deletes that merge them, output at
    // the end, and an edit that rewraps lines.
    const Edit edits[] = {
        {0, 0, L"typed"}, {37, 37, Lines(3)},   {20, 150, L""},
        {200, 200, L"x"}, {5, 6, L"\r\n"},      {160, 162, L""},
        {0, 240, L"all"}, {240, 240, Lines(2)}, {81, 81, L"a b c d"},
    };
    for (const Edit& e : edits) {
        SCOPED_TRACE(testing::Message() << "[" << e.a << ", " << e.b << ")");
        Widths widths;
        TextLayout layout(widths, 300, 4);
        layout.SetText(Lines(3));
        const std::wstring text = layout.Text();
        const std::vector<size_t> rows = layout.Rows();
        bool done = false;
        // Every allocation the edit makes fails in turn, until the edit goes through.
        for (size_t failing = 1; !done; ++failing) {
            {
                AllocationWatch watch;
                watch.failing = failing;
                try {
                    layout.Replace(e.a, e.b, e.s);
                    done = true;
                } catch (const std::bad_alloc&) {
                }
            }
            if (!done) {
                ASSERT_EQ(layout.Text(), text) << "allocation " << failing << " failed";
                ASSERT_EQ(layout.Rows(), rows) << "allocation " << failing << " failed";
            }
        }
        std::wstring model = text;
        model.replace(e.a, e.b - e.a, e.s);
        EXPECT_EQ(layout.Text(), model);
        TextLayout whole(widths, 300, 4);
        whole.SetText(model);
        EXPECT_EQ(layout.Rows(), whole.Rows());
    }
}
