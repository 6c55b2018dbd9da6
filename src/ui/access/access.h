// What screen readers get from the kit's windows (MSAA): each window answers WM_GETOBJECT for
// its client area with the system's standard object, told as the kit knows it: a name, a
// role, an editable text's value and state, and, for a form or a frame, children of its own
// (the windowless labels it draws, then its child windows in the tab order). Not for the
// program: the kit's window procedures call it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace ui::kit {

// A windowless element of a form, as a reader finds it among its container's children.
struct AccessibleLabel {
    std::wstring name;
    RECT screen;  // where it is on the screen
    DWORD state;  // STATE_SYSTEM_* flags
};

// How the kit tells one window; what it leaves empty comes from the system's standard object.
struct AccessibleFace {
    bool named = false;  // name holds the window's accessible name
    std::wstring name;
    long role = 0;              // ROLE_SYSTEM_*, or 0 for the standard one
    bool editableText = false;  // value = its text; focusable; read-only by ES_READONLY
    std::wstring value;         // a value of the kit's own; empty: the standard one
    bool ownChildren = false;   // labels, then windows, instead of the standard children
    std::vector<AccessibleLabel> labels;
    std::vector<HWND> windows;
};

// What the kit tells of hwnd at the moment a reader asks: of a form, of a control of a
// loaded form, or of a text view of its own (form_access.cpp); nothing of any other window.
AccessibleFace FaceOf(HWND hwnd);

// The answer to WM_GETOBJECT (wp, lp) of a kit window: the object of its client area (or of
// the caret its text holds), which asks FaceOf at every call and answers that it is gone once
// the window is; 0 for any other object, which DefWindowProc then answers.
LRESULT AnswerGetObject(HWND hwnd, WPARAM wp, LPARAM lp);

// A caption as a reader says it: without the '&' that marks its access key ("&&" is one '&').
std::wstring WithoutAccessKey(const std::wstring& caption);

}  // namespace ui::kit
