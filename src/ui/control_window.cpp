// A control's window: made from the kind table when the form loads, given back its system
// procedure when it goes, and, for system controls, seen by the kit before the control.
#include "ui/access/access.h"
#include "ui/control_id.h"
#include "ui/error_modes.h"
#include "ui/form.h"
#include "ui/kit.h"
#include "ui/picture.h"
#include "ui/text/text_view.h"

namespace ui {

void Control::Create(HWND parent, int dpi) {
    if (def_.picture && !bitmap_) bitmap_.Reset(LoadPicture(kit::Instance(), def_.picture));
    const kit::KindTraits& traits = kit::TraitsOf(def_.kind);
    if (!traits.windowClass) return;  // drawn by its container

    kit::WindowShape shape = kit::ShapeOf(def_, visible_);
    RECT r = PixelRect(dpi);
    hwnd_ = CreateWindowExW(shape.exStyle, shape.windowClass, caption_.c_str(), shape.style, r.left,
                            r.top, r.right - r.left, r.bottom - r.top, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(def_.name))),
                            kit::Instance(), this);
    if (!hwnd_) return;
    // The control finds itself through the window's user data: a property lookup costs a
    // round trip to the window server on every message under Wine.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    form_.windows_[hwnd_] = this;
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    if (def_.kind == Kind::TextBox) SendMessageW(hwnd_, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    if (!menuCommands_.empty()) SetTextViewCommands(hwnd_, menuCommands_);
    if (traits.subclassed) {
        baseProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
    }
    if (traits.toggles && value_)
        SendMessageW(hwnd_, BM_SETCHECK, value_ == 1 ? BST_CHECKED : BST_INDETERMINATE, 0);
    if (!enabled_) EnableWindow(hwnd_, FALSE);
}

void Control::Destroyed() {
    if (hwnd_) {
        // The standard control gets its own procedure back for the rest of its teardown.
        if (baseProc_)
            SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(baseProc_));
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        form_.windows_.erase(hwnd_);
    }
    hwnd_ = nullptr;
    baseProc_ = nullptr;
    // A form loaded again starts from its design-time state.
    caption_ = def_.caption ? def_.caption : L"";
    leftTwips_ = def_.left;
    visible_ = (def_.flags & kHidden) == 0;
    enabled_ = true;
    value_ = 0;
    bitmap_.Reset();
    icon_.Reset();
    heldButtons_ = 0;
    pictureLuminance_.reset();
    keyboardCue_ = false;
    accessibleValue_.clear();
}

void Control::SetMenuCommands(std::vector<std::wstring> labels) {
    menuCommands_ = std::move(labels);
    if (hwnd_) SetTextViewCommands(hwnd_, menuCommands_);
}

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return AtBoundary<LRESULT>(0, [&]() -> LRESULT {
        auto* c = reinterpret_cast<Control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!c || !c->baseProc_) return DefWindowProcW(hwnd, msg, wp, lp);
        return c->HandleSubclassed(msg, wp, lp);
    });
}

LRESULT Control::HandleSubclassed(UINT msg, WPARAM wp, LPARAM lp) {
    WNDPROC base = baseProc_;
    HWND hwnd = hwnd_;
    switch (msg) {
        case WM_CHAR:
            if (def_.kind == Kind::TextBox && KeyPress && Form::MayRaise(*this)) {
                int key = static_cast<int>(wp);
                Guarded([&] { KeyPress(key); });
                if (key == 0 || !IsWindow(hwnd)) return 0;
                wp = static_cast<WPARAM>(key);
            }
            break;
        case WM_KEYDOWN:
            if (def_.kind == Kind::TextBox && KeyDown && Form::MayRaise(*this)) {
                int key = static_cast<int>(wp);
                Guarded([&] { KeyDown(key, kit::ShiftState()); });
                if (key == 0 || !IsWindow(hwnd)) return 0;
                wp = static_cast<WPARAM>(key);
            }
            break;
        case WM_SETFOCUS: {
            LRESULT r = CallWindowProcW(base, hwnd, msg, wp, lp);
            if (Form::MayRaise(*this)) Guarded(GotFocus);
            return r;
        }
        case WM_GETOBJECT:
            if (LRESULT object = kit::AnswerGetObject(hwnd, wp, lp)) return object;
            break;
        case WM_SETCURSOR:
            if (form_.pointer_) {
                ::SetCursor(form_.pointer_);
                return TRUE;
            }
            break;
    }
    return CallWindowProcW(base, hwnd, msg, wp, lp);
}

}  // namespace ui
