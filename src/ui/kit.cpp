// The kit's shared helpers and the table of control kinds.
#include "ui/kit.h"

#include <oleacc.h>

#include <algorithm>
#include <vector>

#include "ui/text/text_view.h"

namespace ui::kit {

const wchar_t kFrameClass[] = L"DorvaneFrame";
const wchar_t kPictureClass[] = L"DorvanePicture";

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

COLORREF Or(COLORREF c, COLORREF fallback) { return c == kDefaultColor ? fallback : c; }

std::wstring WindowText(HWND hwnd) {
    int n = GetWindowTextLengthW(hwnd);
    if (n <= 0) return std::wstring();
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    int got = GetWindowTextW(hwnd, &s[0], n + 1);
    s.resize(static_cast<size_t>(std::max(got, 0)));
    return s;
}

void RegisterClassOnce(const wchar_t* name, WNDPROC proc, UINT style, int icon) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExW(Instance(), name, &wc)) return;
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    if (icon) wc.hIcon = LoadIconW(Instance(), MAKEINTRESOURCEW(icon));
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

namespace {
std::vector<HWND>& Modeless() {
    static std::vector<HWND> dialogs;
    return dialogs;
}
}  // namespace

void AddModeless(HWND dialog) {
    if (std::find(Modeless().begin(), Modeless().end(), dialog) == Modeless().end())
        Modeless().push_back(dialog);
}

void RemoveModeless(HWND dialog) {
    auto& v = Modeless();
    v.erase(std::remove(v.begin(), v.end(), dialog), v.end());
}

bool ModelessMessage(MSG& msg) {
    auto& v = Modeless();
    // A dialog its owner took with it is forgotten here.
    v.erase(std::remove_if(v.begin(), v.end(), [](HWND d) { return !IsWindow(d); }), v.end());
    for (HWND d : v)
        if (msg.hwnd && (msg.hwnd == d || IsChild(d, msg.hwnd)) && IsDialogMessageW(d, &msg))
            return true;
    return false;
}

int MouseButtonsFromKeys(WPARAM keys) {
    return ((keys & MK_LBUTTON) ? 1 : 0) | ((keys & MK_RBUTTON) ? 2 : 0) |
           ((keys & MK_MBUTTON) ? 4 : 0);
}

int ShiftState() {
    return ((GetKeyState(VK_SHIFT) < 0) ? 1 : 0) | ((GetKeyState(VK_CONTROL) < 0) ? 2 : 0) |
           ((GetKeyState(VK_MENU) < 0) ? 4 : 0);
}

const KindTraits& TraitsOf(Kind kind) {
    // In the order of the Kind enumeration.
    static const KindTraits kTraits[] = {
        // Label, Image: windowless.
        {nullptr, 0, 0, false, false, kNoClick, false, COLOR_BTNFACE, COLOR_BTNTEXT,
         ROLE_SYSTEM_STATICTEXT},
        {nullptr, 0, 0, false, false, kNoClick, false, COLOR_BTNFACE, COLOR_BTNTEXT,
         ROLE_SYSTEM_GRAPHIC},
        // TextBox
        {L"EDIT", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, true, true, kNoClick, false, COLOR_WINDOW,
         COLOR_WINDOWTEXT, ROLE_SYSTEM_TEXT},
        // Button
        {L"BUTTON", BS_PUSHBUTTON, 0, true, true, BN_CLICKED, false, COLOR_BTNFACE, COLOR_BTNTEXT,
         ROLE_SYSTEM_PUSHBUTTON},
        // CheckBox
        {L"BUTTON", BS_CHECKBOX, 0, true, true, BN_CLICKED, true, COLOR_BTNFACE, COLOR_BTNTEXT,
         ROLE_SYSTEM_CHECKBUTTON},
        // ListBox: not shrunk to whole rows, it keeps the size its layout gives it.
        {L"LISTBOX", LBS_NOTIFY | LBS_HASSTRINGS | WS_VSCROLL | LBS_NOINTEGRALHEIGHT,
         WS_EX_CLIENTEDGE, true, true, LBN_SELCHANGE, false, COLOR_WINDOW, COLOR_WINDOWTEXT,
         ROLE_SYSTEM_LIST},
        // PictureBox
        {kPictureClass, WS_CLIPCHILDREN, 0, true, false, kNoClick, false, COLOR_BTNFACE,
         COLOR_BTNTEXT, ROLE_SYSTEM_GRAPHIC},
        // Frame
        {kFrameClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, false, false, kNoClick, false,
         COLOR_BTNFACE, COLOR_BTNTEXT, ROLE_SYSTEM_GROUPING},
    };
    return kTraits[static_cast<int>(kind)];
}

WindowShape ShapeOf(const ControlDef& def, bool visible) {
    const KindTraits& t = TraitsOf(def.kind);
    WindowShape shape = {t.windowClass, WS_CHILD | WS_CLIPSIBLINGS | t.style, t.exStyle};
    if (visible) shape.style |= WS_VISIBLE;
    const unsigned f = def.flags;
    if (def.kind == Kind::TextBox) {
        if (f & kFlatNone) shape.exStyle = 0;
        if (f & kMultiLine) {
            // Multi-line boxes hold transcripts that can grow to megabytes; the system's edit
            // control re-lays its whole text on every append, this one does not.
            RegisterTextView();
            shape.windowClass = TextViewClass();
            shape.style = (shape.style & ~ES_AUTOHSCROLL) | ES_MULTILINE;
        }
        if (f & kVScroll) shape.style |= WS_VSCROLL;
        if (f & kReadOnly) shape.style |= ES_READONLY;
    }
    if (def.kind == Kind::Button && (f & kGraphical))
        shape.style = (shape.style & ~BS_PUSHBUTTON) | BS_OWNERDRAW;
    if (def.kind == Kind::PictureBox && (f & kBorder)) shape.exStyle |= WS_EX_CLIENTEDGE;
    return shape;
}

}  // namespace ui::kit
