// A multi-line text box built for long transcripts: appending costs in proportion to the
// appended text, however long the text already is, and painting touches only the rows in
// view. It answers the edit-control messages a form and its tools use (WM_SETTEXT,
// WM_GETTEXT, EM_SETSEL, EM_GETSEL, EM_REPLACESEL, EM_SCROLLCARET, EM_GETLINECOUNT,
// EM_GETFIRSTVISIBLELINE, WM_COPY, WM_CUT, WM_PASTE) and sends EN_CHANGE, EN_SETFOCUS and
// EN_KILLFOCUS to its parent like an edit control. Lines wrap at word boundaries.
#pragma once
#include <windows.h>

namespace ui {

// The window class name; registered on first use.
const wchar_t* TextViewClass();
void RegisterTextView();

}  // namespace ui
