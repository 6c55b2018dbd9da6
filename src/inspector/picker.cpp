// The picker's handlers. Each movement of a drag queries the window under the pointer afresh
// and rewrites every box, with no caching: what the boxes show is what the window is now.
#include "inspector/picker.h"

#include <windows.h>

#include "app/resource.h"
#include "inspector/handle_text.h"
#include "inspector/window_queries.h"
#include "mainwin/main_form.h"

namespace inspector {
namespace {

constexpr int kLeft = 1;

HCURSOR CrossHairCursor() {
    HCURSOR c = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_CROSSHAIR));
    // A host without our resources (a test program) still gets a cross-hair.
    return c ? c : LoadCursorW(nullptr, IDC_CROSS);
}

}  // namespace

Picker::Picker(mainwin::MainForm& main) : main_(main) {
    ui::Form& f = main_.Form();
    f.Design(L"imgCursor").SetMouseIcon(CrossHairCursor());
    ui::Control& box = f.Design(L"picCrossHair");
    box.MouseDown = [this](int b, int s, int x, int y) { picCrossHair_MouseDown(b, s, x, y); };
    box.MouseMove = [this](int b, int s, int x, int y) { picCrossHair_MouseMove(b, s, x, y); };
    box.MouseUp = [this](int b, int s, int x, int y) { picCrossHair_MouseUp(b, s, x, y); };
    f.GetTimer(L"Timer1").Tick = [this] { Timer1_Timer(); };
}

void Picker::picCrossHair_MouseDown(int button, int, int, int) {
    if (button != kLeft || blnDragging_) return;
    blnDragging_ = true;
    ui::Form& f = main_.Form();
    // The box holds the mouse until the release, so this pointer shows wherever it goes.
    f.SetMousePointer(f[L"imgCursor"].MouseIcon());
    f[L"picCrossHair"].ClearPicture();
}

void Picker::picCrossHair_MouseMove(int button, int, int, int) {
    // The left button alone: holding another one as well pauses the updates.
    if (button != kLeft || !blnDragging_) return;
    ShowWindowUnderPointer();
}

void Picker::picCrossHair_MouseUp(int button, int, int, int) {
    if (button != kLeft || !blnDragging_) return;
    blnDragging_ = false;
    ui::Form& f = main_.Form();
    f.SetMousePointer(nullptr);
    // The box owns what it shows, so it gets its own copy of the shared cursor.
    f[L"picCrossHair"].SetIcon(CopyIcon(f[L"imgCursor"].MouseIcon()));
}

void Picker::ShowWindowUnderPointer() {
    RECT rect = {0, 0, 0, 0};
    POINT pt = {0, 0};
    GetCursorPos(&pt);
    HWND h = WindowFromPoint(pt);
    std::wstring title = AnsiWindowText(h);
    std::wstring cls = AnsiClassName(h);
    std::wstring style = DescribeStyle(HandleNumber(h));
    if (!GetWindowRect(h, &rect)) rect = RECT{0, 0, 0, 0};
    HWND p = GetParent(h);
    std::wstring parentTitle = AnsiWindowText(p);
    std::wstring parentClass = AnsiClassName(p);

    ui::Form& f = main_.Form();
    std::wstring handle = HandleText(HandleNumber(h));
    f[L"txthWnd"].SetText(handle);
    f[L"txtTitle"].SetText(title);
    f[L"txtClass"].SetText(cls);
    f[L"txtStyle"].SetText(style);
    f[L"txtRect"].SetText(RectText(rect.left, rect.top, rect.right, rect.bottom));
    f[L"txtParent"].SetText(HandleText(HandleNumber(p)));
    f[L"txtParentText"].SetText(parentTitle);
    f[L"txtParentClass"].SetText(parentClass);
    f[L"txtMhWnd"].SetText(handle);
}

void Picker::Timer1_Timer() {
    POINT pt = {0, 0};
    GetCursorPos(&pt);
    main_.Form()[L"lblCordi"].SetText(PointerCaption(pt.x, pt.y));
}

}  // namespace inspector
