// The platform queries the inspector makes on a window, and the conversion between window
// handles and the signed 32-bit numbers the inspector shows.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace inspector {

// Handles are 32-bit values on every Windows build; wider handles are the sign extension.
inline int32_t HandleNumber(HWND h) { return static_cast<int32_t>(reinterpret_cast<intptr_t>(h)); }
inline HWND HandleOf(int32_t number) {
    return reinterpret_cast<HWND>(static_cast<intptr_t>(number));
}

// The window's text as GetWindowTextA reads it into a fresh 255-character buffer: at most
// 254 characters, empty when the handle names no window.
std::wstring AnsiWindowText(HWND h);
// The class name, read the same way.
std::wstring AnsiClassName(HWND h);
// The names of the style flags set in the window's style; empty for no window.
std::wstring DescribeStyle(int32_t hwnd);

// One step of a walk through the window tree.
enum class TreeStep { Parent, FirstChild, Previous, Next };

// The window one step away from h, hidden ones included (the z-order gives the siblings);
// nullptr where there is none. The desktop window is no one's parent here: a walk up stops
// at the top-level window.
HWND StepFrom(HWND h, TreeStep step);

}  // namespace inspector
