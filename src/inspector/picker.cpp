// The picker's handlers. Each movement of a drag queries the window under the pointer afresh
// and rewrites every box, with no caching: what the boxes show is what the window is now. A
// key on the cross-hair picks a window by the same reads and writes.
#include "inspector/picker.h"

#include <windows.h>

#include <cwchar>
#include <optional>

#include "inspector/handle_text.h"
#include "inspector/window_queries.h"
#include "ui/form.h"
#include "ui/runtime.h"

namespace inspector {
namespace {

constexpr int kLeft = 1;

// Whether a button other than the primary one is down now. The system's own state, not the
// one a queued message carries: a press can reach the system well before the messages
// queued ahead of it are read, and the tick reads the pointer as it is now. The system
// reports physical buttons, so swapped buttons swap the primary one.
bool AnotherButtonIsDown() {
    const int secondary = GetSystemMetrics(SM_SWAPBUTTON) ? VK_LBUTTON : VK_RBUTTON;
    return (GetAsyncKeyState(secondary) & 0x8000) || (GetAsyncKeyState(VK_MBUTTON) & 0x8000);
}

// One of the mark's own windows: the frame the pick draws, not a window on the screen.
bool IsMarkSide(HWND h) {
    wchar_t cls[32] = L"";
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    return pid == GetCurrentProcessId() && GetClassNameW(h, cls, 32) &&
           wcscmp(cls, TargetMark::kClass) == 0;
}

HCURSOR CrossHairCursor(int id) {
    HCURSOR c = id ? LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id)) : nullptr;
    // A host without our resources (a test program) still gets a cross-hair.
    return c ? c : LoadCursorW(nullptr, IDC_CROSS);
}

}  // namespace

Picker::Picker(ui::Form& form, int crossHairCursor) : form_(form) {
    form_.Design(L"imgCursor").SetMouseIcon(CrossHairCursor(crossHairCursor));
    ui::Control& box = form_.Design(L"picCrossHair");
    box.MouseDown = [this](int b, int s, int x, int y) { picCrossHair_MouseDown(b, s, x, y); };
    box.MouseMove = [this](int b, int s, int x, int y) { picCrossHair_MouseMove(b, s, x, y); };
    box.MouseUp = [this](int b, int s, int x, int y) { picCrossHair_MouseUp(b, s, x, y); };
    // The drag itself goes on by the rules of a lost release; only its mark goes.
    box.LostCapture = [this] { mark_.Hide(); };
    box.KeyDown = [this](int& key, int shift) { picCrossHair_KeyDown(key, shift); };
    box.LostFocus = [this] { picCrossHair_LostFocus(); };
    mark_.Prepare();
    form_.GetTimer(L"Timer1").Tick = [this] { Timer1_Timer(); };
    // Where the user goes when the form is left, and then at every tick while it is not active:
    // the last window of another program is the one to come back from. (The system's
    // foreground events would say it at once, but Wine raises none.)
    form_.Deactivate = [this] { NoteForeground(); };
}

void Picker::picCrossHair_MouseDown(int button, int, int, int) {
    // Another button pressed during a drag pauses the updates at once, not at the next movement.
    if (button != kLeft) leftAlone_ = false;
    if (button != kLeft || blnDragging_) return;
    blnDragging_ = true;
    leftAlone_ = true;
    readInDrag_ = false;
    GetCursorPos(&lastRead_);
    // The box holds the mouse until the release, so this pointer shows wherever it goes.
    form_.SetMousePointer(form_[L"imgCursor"].MouseIcon());
    form_[L"picCrossHair"].ClearPicture();
}

void Picker::picCrossHair_MouseMove(int button, int, int, int) {
    // The left button alone: holding another one as well pauses the updates.
    leftAlone_ = button == kLeft && !AnotherButtonIsDown();
    if (!leftAlone_ || !blnDragging_) return;
    mark_.Show(ShowWindowUnderPointer());
}

void Picker::picCrossHair_MouseUp(int button, int, int, int) {
    mark_.Hide();
    if (button != kLeft || !blnDragging_) return;
    blnDragging_ = false;
    form_.SetMousePointer(nullptr);
    // The box owns what it shows, so it gets its own copy of the shared cursor.
    form_[L"picCrossHair"].SetIcon(CopyIcon(form_[L"imgCursor"].MouseIcon()));
    // A reader hears what the drag picked once, at its end, not at every movement.
    if (readInDrag_) form_[L"picCrossHair"].SetAccessibleValue(readLine_);
}

void Picker::picCrossHair_KeyDown(int& keyCode, int shift) {
    if (shift) return;  // with Shift, Ctrl or Alt the key is the form's, not a pick
    const int key = keyCode;
    if (key != VK_RETURN && key != VK_SPACE && key != VK_UP && key != VK_DOWN && key != VK_LEFT &&
        key != VK_RIGHT)
        return;
    keyCode = 0;
    if (DragUnderWay()) return;
    HWND to = nullptr;
    switch (key) {
        case VK_RETURN:
        case VK_SPACE:
            to = cameFrom_;
            break;
        case VK_UP:
            to = Walk(TreeStep::Parent);
            break;
        case VK_DOWN:
            to = Walk(TreeStep::FirstChild);
            break;
        case VK_LEFT:
            to = Walk(TreeStep::Previous);
            break;
        default:
            to = Walk(TreeStep::Next);
            break;
    }
    if (!to) {
        ui::Rt().Beep(MB_OK);
        return;
    }
    PickByKey(to);
}

void Picker::picCrossHair_LostFocus() {
    // The keyboard's pick is marked while the keyboard is on the box.
    if (!DragUnderWay()) mark_.Hide();
}

bool Picker::DragUnderWay() {
    return blnDragging_ && GetCapture() == form_[L"picCrossHair"].Hwnd();
}

HWND Picker::Walk(TreeStep step) {
    std::optional<int32_t> picked = ParseHandleText(form_[L"txtMhWnd"].Text());
    if (!picked) return nullptr;
    HWND h = StepFrom(HandleOf(*picked), step);
    while (h && IsMarkSide(h)) h = StepFrom(h, step);
    return h;
}

void Picker::PickByKey(HWND h) {
    WriteBoxes(h);
    mark_.Show(h);
    form_[L"picCrossHair"].SetAccessibleValue(readLine_);
}

void Picker::NoteForeground() {
    HWND fg = GetForegroundWindow();
    if (!fg || fg == lastForeground_) return;
    lastForeground_ = fg;
    DWORD pid = 0;
    GetWindowThreadProcessId(fg, &pid);
    if (pid != GetCurrentProcessId()) cameFrom_ = fg;
}

HWND Picker::ShowWindowUnderPointer() {
    POINT pt = {0, 0};
    GetCursorPos(&pt);
    lastRead_ = pt;
    HWND h = WindowFromPoint(pt);
    WriteBoxes(h);
    readInDrag_ = true;
    return h;
}

void Picker::WriteBoxes(HWND h) {
    RECT rect = {0, 0, 0, 0};
    std::wstring title = AnsiWindowText(h);
    std::wstring cls = AnsiClassName(h);
    std::wstring style = DescribeStyle(HandleNumber(h));
    if (!GetWindowRect(h, &rect)) rect = RECT{0, 0, 0, 0};
    HWND p = GetParent(h);
    std::wstring parentTitle = AnsiWindowText(p);
    std::wstring parentClass = AnsiClassName(p);

    std::wstring handle = HandleText(HandleNumber(h));
    form_[L"txthWnd"].SetText(handle);
    form_[L"txtTitle"].SetText(title);
    form_[L"txtClass"].SetText(cls);
    form_[L"txtStyle"].SetText(style);
    form_[L"txtRect"].SetText(RectText(rect.left, rect.top, rect.right, rect.bottom));
    form_[L"txtParent"].SetText(HandleText(HandleNumber(p)));
    form_[L"txtParentText"].SetText(parentTitle);
    form_[L"txtParentClass"].SetText(parentClass);
    form_[L"txtMhWnd"].SetText(handle);
    readLine_ = PickedWindowLine(HandleNumber(h), cls, title);
}

void Picker::Timer1_Timer() {
    POINT pt = {0, 0};
    GetCursorPos(&pt);
    form_[L"lblCordi"].SetText(PointerCaption(pt.x, pt.y));
    if (!form_.Active()) NoteForeground();
    // A drag whose pointer is somewhere its last movement did not report (the system can
    // settle the pointer's position after the movement it announced) reads it again, by the
    // same rules as a movement: the box holds the mouse and the left button alone is down.
    if (blnDragging_ && leftAlone_ && !AnotherButtonIsDown() &&
        (pt.x != lastRead_.x || pt.y != lastRead_.y) &&
        GetCapture() == form_[L"picCrossHair"].Hwnd())
        mark_.Show(ShowWindowUnderPointer());
}

}  // namespace inspector
