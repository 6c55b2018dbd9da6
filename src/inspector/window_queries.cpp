// Window queries through the ANSI calls, so that texts pass through the system's code page.
#include "inspector/window_queries.h"

#include <array>
#include <cstring>

#include "inspector/style_names.h"
#include "win/text.h"

namespace inspector {
namespace {

constexpr int kBufferChars = 255;
using Buffer = std::array<char, kBufferChars>;

// The characters before the first NUL; the buffer starts all NUL, so a call that wrote
// nothing gives an empty text.
std::wstring BeforeNul(const Buffer& buffer) {
    return win::FromAnsi(std::string_view(buffer.data(), strnlen(buffer.data(), buffer.size())));
}

}  // namespace

std::wstring AnsiWindowText(HWND h) {
    Buffer buffer{};
    // Some systems (Wine) fill the buffer with leftovers, and report them as text, when the
    // handle names no window: handle 0, the parent of a top-level window, a window that has
    // just closed. No window has no text.
    if (!IsWindow(h)) return std::wstring();
    GetWindowTextA(h, buffer.data(), kBufferChars);
    return BeforeNul(buffer);
}

std::wstring AnsiClassName(HWND h) {
    Buffer buffer{};
    GetClassNameA(h, buffer.data(), kBufferChars);
    return BeforeNul(buffer);
}

std::wstring DescribeStyle(int32_t hwnd) {
    return DescribeStyleBits(static_cast<uint32_t>(GetWindowLongA(HandleOf(hwnd), GWL_STYLE)));
}

HWND StepFrom(HWND h, TreeStep step) {
    if (!h || !IsWindow(h)) return nullptr;
    switch (step) {
        case TreeStep::Parent: {
            HWND parent = GetAncestor(h, GA_PARENT);
            return parent == GetDesktopWindow() ? nullptr : parent;
        }
        case TreeStep::FirstChild:
            return GetWindow(h, GW_CHILD);
        case TreeStep::Previous:
            return GetWindow(h, GW_HWNDPREV);
        case TreeStep::Next:
            return GetWindow(h, GW_HWNDNEXT);
    }
    return nullptr;
}

}  // namespace inspector
