// The picker's handlers. Each movement of a drag queries the window under the pointer afresh
// and rewrites every box, with no caching: what the boxes show is what the window is now.
#include "inspector/picker.h"

#include <windows.h>

#include "inspector/handle_text.h"
#include "inspector/window_queries.h"
#include "ui/form.h"

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
    mark_.Prepare();
    form_.GetTimer(L"Timer1").Tick = [this] { Timer1_Timer(); };
}

void Picker::picCrossHair_MouseDown(int button, int, int, int) {
    // Another button pressed during a drag pauses the updates at once, not at the next movement.
    if (button != kLeft) leftAlone_ = false;
    if (button != kLeft || blnDragging_) return;
    blnDragging_ = true;
    leftAlone_ = true;
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
}

HWND Picker::ShowWindowUnderPointer() {
    RECT rect = {0, 0, 0, 0};
    POINT pt = {0, 0};
    GetCursorPos(&pt);
    lastRead_ = pt;
    HWND h = WindowFromPoint(pt);
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
    return h;
}

void Picker::Timer1_Timer() {
    POINT pt = {0, 0};
    GetCursorPos(&pt);
    form_[L"lblCordi"].SetText(PointerCaption(pt.x, pt.y));
    // A drag whose pointer is somewhere its last movement did not report (the system can
    // settle the pointer's position after the movement it announced) reads it again, by the
    // same rules as a movement: the box holds the mouse and the left button alone is down.
    if (blnDragging_ && leftAlone_ && !AnotherButtonIsDown() &&
        (pt.x != lastRead_.x || pt.y != lastRead_.y) &&
        GetCapture() == form_[L"picCrossHair"].Hwnd())
        mark_.Show(ShowWindowUnderPointer());
}

}  // namespace inspector
