// Finding a text in a long text that is read a part at a time and never copied whole: forwards
// or backwards, exactly or with every character folded through a table first (as the system's
// ordinal comparison that ignores case folds one UTF-16 unit to one), and around the end once.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace console {

// Copies n characters of a text from a (a + n within the text) to out.
using ReadText = std::function<void(size_t a, size_t n, wchar_t* out)>;

// Upper case, one UTF-16 unit for one: a table of all 65536 units.
class CaseFold {
public:
    // table[c] is the upper case of c; a shorter table leaves the units past its end alone.
    // (On a build whose characters are 16-bit every unit has its place.)
    explicit CaseFold(std::vector<wchar_t> table);
    wchar_t operator()(wchar_t c) const {
        if (sizeof(wchar_t) == 2) return table_[Unit(c)];
        const size_t i = Unit(c);
        return i < table_.size() ? table_[i] : c;
    }
    void Apply(wchar_t* s, size_t n) const;

private:
    static size_t Unit(wchar_t c) { return static_cast<size_t>(c) & 0xFFFFFFFFu; }
    std::vector<wchar_t> table_;
};

// One text to look for, ready to be found in any number of parts of a text.
class TextFinder {
public:
    static constexpr size_t npos = static_cast<size_t>(-1);

    // what: not empty. fold: nullptr to match case; it must outlive the finder. chunk: how
    // many starting places are read at a time.
    TextFinder(const std::wstring& what, const CaseFold* fold, size_t chunk = size_t(1) << 16);

    size_t Length() const { return what_.size(); }
    // The first and the last match that starts in [lo, hi) of a text of `size` characters;
    // npos when there is none.
    size_t First(const ReadText& read, size_t size, size_t lo, size_t hi);
    size_t Last(const ReadText& read, size_t size, size_t lo, size_t hi);

private:
    // Reads the characters that matches starting in [p, q) need into buf_; its length.
    size_t Load(const ReadText& read, size_t size, size_t p, size_t q);
    // The first match in s[0, n) that starts at or after from, or npos. The text is folded
    // only where the search looks at it, which is about one character in the text's length.
    size_t Scan(const wchar_t* s, size_t n, size_t from) const;
    template <typename Fold>
    size_t ScanFolded(const wchar_t* s, size_t n, size_t from, const Fold& fold) const;

    std::wstring what_;
    const CaseFold* fold_;
    size_t chunk_;
    size_t skip_[256];
    std::vector<wchar_t> buf_;
};

// Where the next match of the finder's text starts, from `from` on: going down, the first that
// starts at or after it, else (around the end) the first before it; going up, the last that
// ends at or before it, else the last after that. npos when the text holds none.
size_t FindAround(TextFinder& finder, const ReadText& read, size_t size, size_t from, bool down);

}  // namespace console
