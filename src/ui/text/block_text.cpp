#include "ui/text/block_text.h"

#include <algorithm>

namespace ui {

std::wstring BlockText::substr(size_t a, size_t n) const {
    a = std::min(a, size());
    std::wstring out(std::min(n, size() - a), L'\0');
    CopyTo(a, out.size(), &out[0]);
    return out;
}

void BlockText::append(const std::wstring& s) { Replace(size(), size(), s); }

void BlockText::Replace(size_t a, size_t b, const std::wstring& s) {
    if (a == b && s.empty()) return;
    Edit e = Prepare(a, b, s.size());
    Commit(e, s.data());
}

}  // namespace ui
