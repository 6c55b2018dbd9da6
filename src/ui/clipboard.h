// The clipboard as forms use it: plain text in, plain text out.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace ui {

// Empties the clipboard and puts text on it as Unicode text (the system offers it to ANSI
// readers too). owner is the window that owns the new content. When another program holds
// the clipboard, a few brief retries are made; returns false when the clipboard could not be
// opened or the text could not be placed (the clipboard is then left as it was, or empty).
bool SetClipboardText(HWND owner, const std::wstring& text);

// The clipboard's text, or nothing when it holds no text or cannot be opened.
std::optional<std::wstring> ClipboardText();

}  // namespace ui
