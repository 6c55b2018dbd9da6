// What the form kit's own files share. Not for the program: forms and tools use form.h.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "ui/form.h"

namespace ui::kit {

extern const wchar_t kFrameClass[];
extern const wchar_t kPictureClass[];

HINSTANCE Instance();
COLORREF Or(COLORREF c, COLORREF fallback);
// The colour a layout value stands for now: a SysColor reference read from the system.
COLORREF Resolve(COLORREF c);
// The mean luminance of what a memory DC holds in a rectangle; nullopt for any other DC.
std::optional<double> MeanLuminance(HDC dc, RECT r);
// The contrast rule (ui/contrast.h) on the system's colour references.
COLORREF ReadableOn(COLORREF text, double backLuminance);
COLORREF DimmedReadableOn(COLORREF text, COLORREF back);
std::wstring WindowText(HWND hwnd);
void RegisterClassOnce(const wchar_t* name, WNDPROC proc, UINT style = 0, int icon = 0);
// The object a kit window was created for (CreateWindowEx's last parameter), kept in its
// GWLP_USERDATA from WM_NCCREATE on; null for the messages before that one.
template <typename T>
T* WindowObject(HWND hwnd, UINT msg, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}
// The program's modeless dialogs (the Find dialog), which the message loop gives their keys.
void AddModeless(HWND dialog);
void RemoveModeless(HWND dialog);
// Whether msg was for one of them and has been handled there (IsDialogMessage).
bool ModelessMessage(MSG& msg);
// The buttons held, as the mouse events report them: 1 left, 2 right, 4 middle.
int MouseButtonsFromKeys(WPARAM keys);
// Shift 1, Ctrl 2, Alt 4.
int ShiftState();

// How the kit makes and treats each kind of control: one row per kind instead of a switch in
// every place that cares.
constexpr int kNoClick = -1;

struct KindTraits {
    const wchar_t* windowClass;  // nullptr: windowless, drawn and hit-tested by its container
    DWORD style, exStyle;        // before the control's flags are applied
    bool focusable;              // takes the focus and a place in the tab order
    bool subclassed;             // a system control whose messages the kit sees first
    int clickCode;               // the notification that raises Click (kNoClick: none)
    bool toggles;                // a click changes the value (check box)
    // The system's colours for it (COLOR_*): where the layout gives none, and always while
    // high contrast is on. Boxes and lists take the window's, the rest the button face's.
    int backSysColor, textSysColor;
    long accessibleRole;  // what a screen reader calls it (ROLE_SYSTEM_*)
};
const KindTraits& TraitsOf(Kind kind);

struct WindowShape {
    const wchar_t* windowClass;
    DWORD style, exStyle;
};
// The window class and styles of one control, from its kind and its layout flags.
WindowShape ShapeOf(const ControlDef& def, bool visible);

}  // namespace ui::kit
