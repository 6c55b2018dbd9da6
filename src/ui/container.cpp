// Frames and picture boxes: windows of the kit's own that paint themselves and the windowless
// controls inside them, pass their children's notifications to the form, and (picture boxes)
// raise the mouse events of a classic picture box.
#include "ui/access/access.h"
#include "ui/error_modes.h"
#include "ui/form.h"
#include "ui/kit.h"
#include "ui/units.h"

namespace ui {

LRESULT CALLBACK Control::ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return AtBoundary<LRESULT>(0, [&]() -> LRESULT {
        auto* c = kit::WindowObject<Control>(hwnd, msg, lp);
        if (!c) return DefWindowProcW(hwnd, msg, wp, lp);
        Form& form = c->form_;
        LRESULT result = 0;
        if (form.HandleChildMessage(hwnd, msg, wp, lp, result)) return result;
        switch (msg) {
            case WM_ERASEBKGND:
                return 1;
            case WM_GETOBJECT:
                if (LRESULT object = kit::AnswerGetObject(hwnd, wp, lp)) return object;
                break;
            case WM_PAINT:
                c->PaintContainer(hwnd);
                return 0;
            case WM_SETCURSOR:
                if (form.pointer_) {
                    ::SetCursor(form.pointer_);
                    return TRUE;
                }
                break;
            case WM_LBUTTONDOWN:
            case WM_RBUTTONDOWN:
            case WM_MBUTTONDOWN:
            case WM_LBUTTONUP:
            case WM_RBUTTONUP:
            case WM_MBUTTONUP:
            case WM_MOUSEMOVE:
                if (c->def_.kind == Kind::PictureBox) return c->ContainerMouse(hwnd, msg, wp, lp);
                break;
            case WM_CANCELMODE:
                // The gesture is over (a run starts, a modal box comes up): the buttons still
                // held are released here, so that whoever tracks the gesture sees it end.
                if (c->def_.kind == Kind::PictureBox) {
                    c->ReleaseHeldButtons(hwnd);
                    return 0;
                }
                break;
            case WM_CAPTURECHANGED:
                // Taken by another window (not let go by us): the buttons still count as held.
                if (c->def_.kind == Kind::PictureBox && c->heldButtons_ &&
                    reinterpret_cast<HWND>(lp) != hwnd && Form::MayRaise(*c) && c->LostCapture)
                    Guarded(c->LostCapture);
                break;
            case WM_KEYDOWN:
            case WM_SETFOCUS:
            case WM_KILLFOCUS:
                if (c->def_.kind == Kind::PictureBox) return c->ContainerKey(hwnd, msg, wp, lp);
                break;
            case WM_GETDLGCODE:
                // A picture box takes the arrow keys for itself; Tab still moves on.
                return DLGC_WANTCHARS | (c->def_.kind == Kind::PictureBox ? DLGC_WANTARROWS : 0);
            case WM_NCDESTROY:
                SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
                break;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    });
}

LRESULT Control::ContainerMouse(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    int x = PixelsToTwips(static_cast<short>(LOWORD(lp)), form_.dpi_);
    int y = PixelsToTwips(static_cast<short>(HIWORD(lp)), form_.dpi_);
    int held = kit::MouseButtonsFromKeys(wp);
    int shift = kit::ShiftState();
    bool mayRaise = Form::MayRaise(*this);
    if (msg == WM_MOUSEMOVE) {
        if (mayRaise && MouseMove) Guarded([&] { MouseMove(held, shift, x, y); });
        return 0;
    }
    bool down = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN;
    int button = (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP)   ? 1
                 : (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP) ? 2
                                                                  : 4;
    if (down) {
        // Like every classic control, a picture box keeps the mouse from a press until the
        // last button is let go.
        if (GetCapture() != hwnd) SetCapture(hwnd);
        if (def_.tab >= 0 && GetFocus() != hwnd) ::SetFocus(hwnd);
        // The mouse is in use: the keyboard's focus cue waits for the next key.
        keyboardCue_ = false;
        if (!heldButtons_) InvalidateRect(hwnd, nullptr, FALSE);
        heldButtons_ |= button;
        if (mayRaise && MouseDown) Guarded([&] { MouseDown(button, shift, x, y); });
    } else {
        heldButtons_ &= ~button;
        if (!heldButtons_) InvalidateRect(hwnd, nullptr, FALSE);
        if (held == 0 && GetCapture() == hwnd) ReleaseCapture();
        if (mayRaise && MouseUp) Guarded([&] { MouseUp(button, shift, x, y); });
    }
    return 0;
}

// The focus cue shows where the keyboard is: from a focus that did not come with a press on the
// box, or from a key that went down in it since, or always where the system is set to show
// keyboard cues at all times. Never while buttons are held on the box: a drag shows nothing.
bool Control::ShowsFocusCue() const {
    if (!hwnd_ || heldButtons_ || GetFocus() != hwnd_) return false;
    BOOL always = FALSE;
    SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &always, 0);
    return keyboardCue_ || always;
}

LRESULT Control::ContainerKey(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETFOCUS) {
        // Tab, or the form's activation giving it back; a press takes the cue away again.
        keyboardCue_ = true;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    if (msg == WM_KILLFOCUS) {
        InvalidateRect(hwnd, nullptr, FALSE);
        if (Form::MayRaise(*this) && LostFocus) Guarded(LostFocus);
        return 0;
    }
    if (!keyboardCue_) {
        keyboardCue_ = true;
        InvalidateRect(hwnd, nullptr, FALSE);
    }
    if (KeyDown && Form::MayRaise(*this)) {
        int key = static_cast<int>(wp);
        int shift = kit::ShiftState();
        Guarded([&] { KeyDown(key, shift); });
        if (key == 0 || !IsWindow(hwnd)) return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void Control::ReleaseHeldButtons(HWND hwnd) {
    if (GetCapture() == hwnd) ReleaseCapture();
    POINT pt = {0, 0};
    GetCursorPos(&pt);
    ScreenToClient(hwnd, &pt);
    int x = PixelsToTwips(pt.x, form_.dpi_), y = PixelsToTwips(pt.y, form_.dpi_);
    int shift = kit::ShiftState();
    if (heldButtons_) InvalidateRect(hwnd, nullptr, FALSE);
    for (int button : {1, 2, 4}) {
        if (!(heldButtons_ & button)) continue;
        heldButtons_ &= ~button;
        if (Form::MayRaise(*this) && MouseUp) Guarded([&] { MouseUp(button, shift, x, y); });
    }
}

}  // namespace ui
