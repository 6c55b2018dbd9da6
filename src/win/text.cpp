// ANSI <-> wide conversion through CP_ACP, as every ANSI platform call sees it.
#include "win/text.h"

#include <windows.h>

#include <climits>

namespace win {

std::wstring FromAnsi(std::string_view bytes) { return FromCodePage(CP_ACP, bytes); }

std::wstring FromCodePage(unsigned codePage, std::string_view bytes) {
    std::wstring out;
    // Converted in slices so that no single call's length can overflow an int.
    const size_t kSlice = 1 << 24;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t n = std::min(kSlice, bytes.size() - pos);
        int len = static_cast<int>(n);
        // No code page makes more UTF-16 units than it had bytes, so one call will do.
        size_t at = out.size();
        out.resize(at + n);
        int got = MultiByteToWideChar(codePage, 0, bytes.data() + pos, len, &out[at], len);
        out.resize(at + static_cast<size_t>(got > 0 ? got : 0));
        pos += n;
    }
    return out;
}

std::string ToAnsi(std::wstring_view text) {
    std::string out;
    if (text.empty() || text.size() > INT_MAX) return out;
    int len = static_cast<int>(text.size());
    int need = WideCharToMultiByte(CP_ACP, 0, text.data(), len, nullptr, 0, nullptr, nullptr);
    if (need <= 0) return out;
    out.resize(static_cast<size_t>(need));
    WideCharToMultiByte(CP_ACP, 0, text.data(), len, &out[0], need, nullptr, nullptr);
    return out;
}

std::wstring ErrorText(unsigned long code) {
    wchar_t* buf = nullptr;
    DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
    std::wstring s = n ? std::wstring(buf, n) : std::wstring();
    if (buf) LocalFree(buf);
    while (!s.empty() && (s.back() == L'\n' || s.back() == L'\r' || s.back() == L' ')) s.pop_back();
    return s;
}

}  // namespace win
