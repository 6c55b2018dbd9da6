// Text forms of window handles, rectangles and pointer positions, and parsing of typed handles.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace inspector {

// Plain decimal: "-" for negatives, no leading zeros, no digit grouping.
std::wstring HandleText(int32_t value);

// Accepts optional leading blanks (spaces), an optional '+' or '-', one or more ASCII digits
// (leading zeros allowed) and optional trailing blanks. Anything else, or a value outside the
// signed 32-bit range, gives nullopt.
std::optional<int32_t> ParseHandleText(const std::wstring& text);

// "(left, top) - (right, bottom)".
std::wstring RectText(int32_t left, int32_t top, int32_t right, int32_t bottom);

// "X: x  Y: y" (two blanks before Y).
std::wstring PointerCaption(int32_t x, int32_t y);

// The picked window in one line for a screen reader: "hWnd 65798, class Notepad, title
// Untitled - Notepad"; "no title" for an empty one, and "no window" where there is no class
// name to read (every window has one).
std::wstring PickedWindowLine(int32_t handle, const std::wstring& className,
                              const std::wstring& title);

}  // namespace inspector
