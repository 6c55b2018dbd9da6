// A modal prompt for one line of text, with OK and Cancel.
#pragma once
#include <windows.h>

#include <string>

namespace ui {

// Shows the box modal to every window of the calling thread and returns the entered text,
// or an empty text on Cancel (or when the box is closed).
std::wstring ShowInputBox(HWND owner, const std::wstring& prompt, const std::wstring& title,
                          const std::wstring& defaultText);

}  // namespace ui
