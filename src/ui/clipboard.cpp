// Clipboard text. The clipboard is shared with every program, so opening it is retried
// briefly and never waited on for long.
#include "ui/clipboard.h"

#include <cstring>

namespace ui {
namespace {

constexpr int kOpenTries = 4;
constexpr DWORD kOpenPauseMs = 10;

bool OpenWithRetries(HWND owner) {
    for (int i = 0; i < kOpenTries; ++i) {
        if (i > 0) Sleep(kOpenPauseMs);
        if (OpenClipboard(owner)) return true;
    }
    return false;
}

class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) : open_(OpenWithRetries(owner)) {}
    ~OpenedClipboard() {
        if (open_) CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool Open() const { return open_; }

private:
    bool open_;
};

}  // namespace

bool SetClipboardText(HWND owner, const std::wstring& text) {
    OpenedClipboard clipboard(owner);
    if (!clipboard.Open() || !EmptyClipboard()) return false;
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory) return false;
    void* data = GlobalLock(memory);
    if (!data) {
        GlobalFree(memory);
        return false;
    }
    std::memcpy(data, text.c_str(), bytes);
    GlobalUnlock(memory);
    // On success the system owns the memory; on failure it is still ours.
    if (!SetClipboardData(CF_UNICODETEXT, memory)) {
        GlobalFree(memory);
        return false;
    }
    return true;
}

std::optional<std::wstring> ClipboardText() {
    OpenedClipboard clipboard(nullptr);
    if (!clipboard.Open()) return std::nullopt;
    HANDLE memory = GetClipboardData(CF_UNICODETEXT);
    if (!memory) return std::nullopt;
    const auto* data = static_cast<const wchar_t*>(GlobalLock(memory));
    if (!data) return std::nullopt;
    // Read no further than the block, in case the text has no terminator.
    size_t limit = GlobalSize(memory) / sizeof(wchar_t);
    std::wstring text(data, wcsnlen(data, limit));
    GlobalUnlock(memory);
    return text;
}

}  // namespace ui
