// Finding a text in a text read a part at a time: every match the plain search of the whole
// text finds, wherever the parts split it, in both directions and around the end, matching
// case or folding it through a table, non-ASCII letters included; and no read ever asks for
// more than a part.
#include "console/text_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using console::CaseFold;
using console::TextFinder;

constexpr size_t npos = TextFinder::npos;

// ASCII letters and a few accented and Cyrillic ones, to upper case.
CaseFold TestFold() {
    std::vector<wchar_t> t(0x10000);
    for (size_t c = 0; c < t.size(); ++c) t[c] = static_cast<wchar_t>(c);
    for (wchar_t c = L'a'; c <= L'z'; ++c) t[c] = static_cast<wchar_t>(c - 32);
    t[0xE9] = 0xC9;    // e acute
    t[0xFC] = 0xDC;    // u umlaut
    t[0x434] = 0x414;  // de
    t[0x43E] = 0x41E;  // o
    t[0x43C] = 0x41C;  // em
    return CaseFold(t);
}

std::wstring Folded(std::wstring s, const CaseFold* fold) {
    if (fold) fold->Apply(&s[0], s.size());
    return s;
}

// The answer of a plain search of the whole text, place by place.
size_t Expected(const std::wstring& text, const std::wstring& what, size_t from, bool down,
                const CaseFold* fold) {
    const std::wstring t = Folded(text, fold), w = Folded(what, fold);
    std::vector<size_t> starts;
    for (size_t at = t.find(w); at != std::wstring::npos; at = t.find(w, at + 1))
        starts.push_back(at);
    if (starts.empty()) return npos;
    if (down) {
        for (size_t s : starts)
            if (s >= from) return s;
        return starts.front();
    }
    for (auto it = starts.rbegin(); it != starts.rend(); ++it)
        if (*it + w.size() <= from) return *it;
    return starts.back();
}

// Reads from the text, checking that no read passes its end or asks for more than a part.
struct Reader {
    const std::wstring& text;
    size_t most;
    size_t reads = 0;
    console::ReadText Fn() {
        return [this](size_t a, size_t n, wchar_t* out) {
            ++reads;
            ASSERT_LE(a + n, text.size());
            ASSERT_LE(n, most);
            std::copy_n(text.data() + a, n, out);
        };
    }
};

struct Case {
    const wchar_t* text;
    const wchar_t* what;
    bool matchCase;
};

const Case kCases[] = {
    {L"abcabcab", L"abc", true},
    {L"abcabcab", L"b", true},
    {L"aaaaaa", L"aa", true},  // matches that overlap
    {L"abc", L"abcd", true},   // longer than the text
    {L"Dir\r\nDIR\r\ndir", L"dir", true},
    {L"Dir\r\nDIR\r\ndir", L"dIr", false},
    {L"caf\xE9 CAF\xC9 Caf\xC9", L"caf\xE9", false},
    {L"\x434\x43E\x43C \x414\x41E\x41C \x414\x43E\x43C", L"\x414\x43E\x43C", false},
    {L"gr\xFC\xDF gr\xDC\xDF", L"GR\xFC", false},
    // Characters that share a low byte share a shift; none may be skipped for it.
    {L"A\x141\x241xA\x141x\x241\x141x", L"\x141x", true},
    {L"\x241\x141\x41\x141\x41", L"\x141\x41", true},
};

TEST(TextSearch, FindsWhatAPlainSearchFindsWhereverThePartsSplitTheText) {
    const CaseFold fold = TestFold();
    for (const Case& c : kCases) {
        const std::wstring text = c.text, what = c.what;
        const CaseFold* f = c.matchCase ? nullptr : &fold;
        for (size_t chunk : {1, 2, 3, 5, 64}) {
            TextFinder finder(what, f, chunk);
            Reader reader{text, chunk + what.size() - 1};
            for (size_t from = 0; from <= text.size(); ++from) {
                for (bool down : {true, false}) {
                    EXPECT_EQ(console::FindAround(finder, reader.Fn(), text.size(), from, down),
                              Expected(text, what, from, down, f))
                        << "text #" << (&c - kCases) << " chunk " << chunk << " from " << from
                        << (down ? " down" : " up");
                }
            }
        }
    }
}

TEST(TextSearch, ALongMissReadsEveryPartOnceAndNeverTheWhole) {
    std::wstring text;
    while (text.size() < 100000) text += L"Volume in drive C has no label.\r\n";
    const std::wstring what = L"not in there";
    TextFinder finder(what, nullptr, 4096);
    Reader reader{text, 4096 + what.size() - 1};
    EXPECT_EQ(console::FindAround(finder, reader.Fn(), text.size(), 500, true), npos);
    const size_t starts = text.size() - what.size() + 1;
    EXPECT_EQ(reader.reads, (starts - 500 + 4095) / 4096 + 1)
        << "the text once, split in two at the caret";
}

}  // namespace
