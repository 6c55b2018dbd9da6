// The form kit's windows: forms, their controls, painting, events, timers and keyboard
// handling. Labels and images are windowless and drawn by their container, as classic forms
// draw their lightweight controls; every other control is a real child window.
#include "ui/form.h"

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <new>

#include "ui/busy_pump.h"
#include "ui/control_id.h"
#include "ui/runtime.h"
#include "ui/text_view.h"
#include "ui/units.h"
#include "win/text.h"

namespace ui {
namespace {

const wchar_t kFrameClass[] = L"DorvaneFrame";
const wchar_t kPictureClass[] = L"DorvanePicture";

std::vector<Form*>& Registry() {
    static std::vector<Form*> forms;
    return forms;
}

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

COLORREF Or(COLORREF c, COLORREF fallback) { return c == kDefaultColor ? fallback : c; }

bool IsFocusable(Kind k) {
    return k == Kind::TextBox || k == Kind::Button || k == Kind::CheckBox ||
           k == Kind::ListBox || k == Kind::PictureBox;
}

bool IsWindowless(Kind k) { return k == Kind::Label || k == Kind::Image; }

std::wstring WindowText(HWND hwnd) {
    int n = GetWindowTextLengthW(hwnd);
    if (n <= 0) return std::wstring();
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    int got = GetWindowTextW(hwnd, &s[0], n + 1);
    s.resize(static_cast<size_t>(std::max(got, 0)));
    return s;
}

// The access key of a caption: the character after a single '&'.
wchar_t AccessKey(const std::wstring& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] == L'&') {
            if (caption[i + 1] == L'&') {
                ++i;
                continue;
            }
            return static_cast<wchar_t>(std::towlower(caption[i + 1]));
        }
    }
    return 0;
}

std::wstring ModuleBaseName() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path);
    size_t slash = s.find_last_of(L"\\/");
    if (slash != std::wstring::npos) s = s.substr(slash + 1);
    size_t dot = s.find_last_of(L'.');
    if (dot != std::wstring::npos) s = s.substr(0, dot);
    return s;
}

int MouseButtonsFromKeys(WPARAM keys) {
    return ((keys & MK_LBUTTON) ? 1 : 0) | ((keys & MK_RBUTTON) ? 2 : 0) |
           ((keys & MK_MBUTTON) ? 4 : 0);
}

int ShiftState() {
    return ((GetKeyState(VK_SHIFT) < 0) ? 1 : 0) | ((GetKeyState(VK_CONTROL) < 0) ? 2 : 0) |
           ((GetKeyState(VK_MENU) < 0) ? 4 : 0);
}

void RegisterClassOnce(const wchar_t* name, WNDPROC proc, UINT style = 0) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExW(Instance(), name, &wc)) return;
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(Instance(), MAKEINTRESOURCEW(1));
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

}  // namespace

// ---- errors ---------------------------------------------------------------------------

RuntimeError::RuntimeError(long n, std::wstring d, std::wstring s)
    : std::runtime_error(win::ToAnsi(d)), number(n), description(std::move(d)),
      source(std::move(s)) {}

std::wstring ErrorReportText(const std::exception& e) {
    std::wstring source = ModuleBaseName();
    if (auto* re = dynamic_cast<const RuntimeError*>(&e)) {
        return re->description + L" - " + (re->source.empty() ? source : re->source) + L" - " +
               std::to_wstring(re->number);
    }
    if (dynamic_cast<const std::bad_alloc*>(&e)) return L"Out of memory - " + source + L" - 7";
    return win::FromAnsi(e.what()) + L" - " + source + L" - 5";
}

void Guarded(const std::function<void()>& fn) {
    if (!fn) return;
    try {
        fn();
    } catch (const std::exception& e) {
        Rt().MsgBox(ErrorReportText(e), MB_OK | MB_ICONERROR, std::nullopt);
    } catch (...) {
    }
}

// ---- Control ----------------------------------------------------------------------------

Control::Control(Form& form, const ControlDef& def)
    : form_(form),
      def_(def),
      caption_(def.caption ? def.caption : L""),
      leftTwips_(def.left),
      visible_((def.flags & kHidden) == 0) {}

RECT Control::PixelRect(int dpi) const {
    RECT r;
    r.left = TwipsToPixels(leftTwips_, dpi);
    r.top = TwipsToPixels(def_.top, dpi);
    r.right = TwipsToPixels(leftTwips_ + def_.width, dpi);
    r.bottom = TwipsToPixels(def_.top + def_.height, dpi);
    return r;
}

void Control::Create(HWND parent, int dpi) {
    font_.Reset();
    if (def_.font.face) {
        double px = def_.font.points * dpi / 72.0;
        font_.Reset(CreateFontW(-static_cast<int>(std::lround(px)), 0, 0, 0,
                                def_.font.bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                DEFAULT_PITCH, def_.font.face));
    }
    if (def_.back != kDefaultColor) brush_.Reset(CreateSolidBrush(def_.back));
    if (def_.picture && !bitmap_)
        bitmap_.Reset(static_cast<HBITMAP>(LoadImageW(Instance(), MAKEINTRESOURCEW(def_.picture),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (IsWindowless(def_.kind)) return;

    const wchar_t* cls = L"";
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (visible_ ? WS_VISIBLE : 0);
    DWORD ex = 0;
    unsigned f = def_.flags;
    switch (def_.kind) {
        case Kind::TextBox:
            cls = L"EDIT";
            ex = (f & kFlatNone) ? 0 : WS_EX_CLIENTEDGE;
            if (f & kMultiLine) {
                // Multi-line boxes hold transcripts that can grow to megabytes; the system's
                // edit control re-lays its whole text on every append, this one does not.
                RegisterTextView();
                cls = TextViewClass();
                style |= ES_MULTILINE;
            } else {
                style |= ES_AUTOHSCROLL;
            }
            if (f & kVScroll) style |= WS_VSCROLL;
            if (f & kReadOnly) style |= ES_READONLY;
            break;
        case Kind::Button:
            cls = L"BUTTON";
            style |= (f & kGraphical) ? BS_OWNERDRAW : BS_PUSHBUTTON;
            break;
        case Kind::CheckBox:
            cls = L"BUTTON";
            style |= BS_CHECKBOX;
            break;
        case Kind::ListBox:
            cls = L"LISTBOX";
            // Not shrunk to whole rows: the list keeps the size its layout gives it.
            style |= LBS_NOTIFY | LBS_HASSTRINGS | WS_VSCROLL | LBS_NOINTEGRALHEIGHT;
            ex = WS_EX_CLIENTEDGE;
            break;
        case Kind::PictureBox:
            cls = kPictureClass;
            style |= WS_CLIPCHILDREN;
            if (f & kBorder) ex = WS_EX_CLIENTEDGE;
            break;
        case Kind::Frame:
            cls = kFrameClass;
            style |= WS_CLIPCHILDREN;
            ex = WS_EX_CONTROLPARENT;
            break;
        default:
            break;
    }
    RECT r = PixelRect(dpi);
    hwnd_ = CreateWindowExW(ex, cls, caption_.c_str(), style, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(def_.name))),
                            Instance(), this);
    if (!hwnd_) return;
    // The control finds itself through the window's user data: a property lookup costs a
    // round trip to the window server on every message under Wine.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    form_.windows_[hwnd_] = this;
    HFONT font = font_ ? font_.Get() : form_.FontFor(form_.def_.font);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (def_.kind == Kind::TextBox) SendMessageW(hwnd_, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    if (def_.kind == Kind::TextBox || def_.kind == Kind::Button ||
        def_.kind == Kind::CheckBox || def_.kind == Kind::ListBox) {
        baseProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
    }
    if (def_.kind == Kind::CheckBox && value_)
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
    if (icon_) DestroyIcon(icon_);
    icon_ = nullptr;
    heldButtons_ = 0;
}

std::wstring Control::Text() const {
    if (!hwnd_) return caption_;
    return WindowText(hwnd_);
}

int Control::TextLength() const {
    if (!hwnd_) return static_cast<int>(caption_.size());
    return GetWindowTextLengthW(hwnd_);
}

void Control::RaiseChange() { Guarded(Change); }

void Control::SetText(const std::wstring& text) {
    if (!hwnd_) {
        if (caption_ == text) return;
        caption_ = text;
        if (form_.Loaded()) {
            HWND container = def_.container ? form_[def_.container].Hwnd() : form_.Hwnd();
            RECT r = PixelRect(form_.Dpi());
            InvalidateRect(container, &r, FALSE);
        }
        return;
    }
    bool differs = def_.kind == Kind::TextBox && Text() != text;
    ++suppressChange_;
    SetWindowTextW(hwnd_, text.c_str());
    --suppressChange_;
    if (def_.kind == Kind::Frame) InvalidateRect(hwnd_, nullptr, TRUE);
    if (differs) RaiseChange();
}

void Control::AppendText(const std::wstring& text) {
    if (text.empty()) return;
    if (def_.kind != Kind::TextBox || !hwnd_) {
        SetText(Text() + text);
        return;
    }
    int len = GetWindowTextLengthW(hwnd_);
    ++suppressChange_;
    SendMessageW(hwnd_, EM_SETSEL, len, len);
    SendMessageW(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    --suppressChange_;
    // A box that could not take the whole text (memory, or its limit) raises error 7.
    if (static_cast<size_t>(GetWindowTextLengthW(hwnd_)) != static_cast<size_t>(len) + text.size())
        throw RuntimeError(7, L"Out of memory");
    RaiseChange();
}

void Control::SetSelStart(int pos) {
    if (!hwnd_ || def_.kind != Kind::TextBox) return;
    SendMessageW(hwnd_, EM_SETSEL, pos, pos);
    SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
}

bool Control::Visible() const { return visible_; }

void Control::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    if (hwnd_) {
        ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
    } else if (form_.Loaded()) {
        HWND container = def_.container ? form_[def_.container].Hwnd() : form_.Hwnd();
        RECT r = PixelRect(form_.Dpi());
        InvalidateRect(container, &r, FALSE);
    }
}

bool Control::Enabled() const { return enabled_; }

void Control::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (hwnd_) EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

void Control::SetFocus() {
    if (hwnd_) ::SetFocus(hwnd_);
}

bool Control::HasFocus() const { return hwnd_ && GetFocus() == hwnd_; }

void Control::SetLeft(int twips) {
    if (twips == leftTwips_) return;
    HWND container = nullptr;
    RECT old = PixelRect(form_.Dpi());
    leftTwips_ = twips;
    if (hwnd_) {
        RECT r = PixelRect(form_.Dpi());
        SetWindowPos(hwnd_, nullptr, r.left, r.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    if (form_.Loaded()) {
        container = def_.container ? form_[def_.container].Hwnd() : form_.Hwnd();
        RECT r = PixelRect(form_.Dpi());
        UnionRect(&r, &r, &old);
        InvalidateRect(container, &r, FALSE);
    }
}

void Control::SetValue(int value) {
    if (value == value_) return;
    value_ = value;
    if (hwnd_)
        SendMessageW(hwnd_, BM_SETCHECK,
                     value == 1 ? BST_CHECKED : value == 2 ? BST_INDETERMINATE : BST_UNCHECKED, 0);
    Guarded(Click);
}

void Control::AddItem(const std::wstring& text) {
    if (hwnd_) SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Control::Clear() {
    if (hwnd_) SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
}

int Control::ListCount() const {
    return hwnd_ ? static_cast<int>(SendMessageW(hwnd_, LB_GETCOUNT, 0, 0)) : 0;
}

int Control::ListIndex() const {
    if (!hwnd_) return -1;
    LRESULT i = SendMessageW(hwnd_, LB_GETCURSEL, 0, 0);
    return i == LB_ERR ? -1 : static_cast<int>(i);
}

bool Control::SetListIndex(int index) {
    if (!hwnd_ || index < -1 || index >= ListCount()) return false;
    SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Guarded(Click);
    return true;
}

std::wstring Control::List(int index) const {
    if (!hwnd_ || index < 0 || index >= ListCount()) return std::wstring();
    LRESULT n = SendMessageW(hwnd_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n == LB_ERR || n < 0) return std::wstring();
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    LRESULT got =
        SendMessageW(hwnd_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&s[0]));
    s.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
    return s;
}

void Control::SetPicture(HBITMAP bmp) {
    if (icon_) DestroyIcon(icon_);
    icon_ = nullptr;
    bitmap_.Reset(bmp);
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Control::SetIcon(HICON icon) {
    bitmap_.Reset();
    if (icon_) DestroyIcon(icon_);
    icon_ = icon;
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Control::ClearPicture() {
    bitmap_.Reset();
    if (icon_) DestroyIcon(icon_);
    icon_ = nullptr;
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Control::DrawPicture(HDC dc, int dpi) const {
    RECT r = hwnd_ ? RECT{0, 0, 0, 0} : PixelRect(dpi);
    if (bitmap_) {
        BITMAP bm = {};
        GetObjectW(bitmap_.Get(), sizeof(bm), &bm);
        HDC mem = CreateCompatibleDC(dc);
        {
            win::ScopedSelect sel(mem, bitmap_.Get());
            // Pictures are drawn at their design size, which follows the display's DPI.
            int w = MulDiv(bm.bmWidth, dpi, 96), h = MulDiv(bm.bmHeight, std::abs(dpi), 96);
            if (w == bm.bmWidth) {
                BitBlt(dc, r.left, r.top, w, h, mem, 0, 0, SRCCOPY);
            } else {
                SetStretchBltMode(dc, HALFTONE);
                StretchBlt(dc, r.left, r.top, w, h, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
            }
        }
        DeleteDC(mem);
    } else if (icon_) {
        int s = MulDiv(32, dpi, 96);
        DrawIconEx(dc, r.left, r.top, icon_, s, s, 0, nullptr, DI_NORMAL);
    }
}

void Control::Paint(HDC dc, int dpi) {
    if (!visible_) return;
    if (def_.kind == Kind::Image) {
        DrawPicture(dc, dpi);
        return;
    }
    RECT r = PixelRect(dpi);
    if (!(def_.flags & kTransparent)) {
        HBRUSH b = brush_ ? brush_.Get() : form_.BrushFor(Or(def_.back, form_.def_.back));
        FillRect(dc, &r, b);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Or(def_.fore, RGB(0, 0, 0)));
    HFONT font = font_ ? font_.Get() : form_.FontFor(form_.def_.font);
    win::ScopedSelect sel(dc, font);
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    // A label one line high shows its one line whole rather than wrapping out of sight.
    UINT fmt = (r.bottom - r.top) < 2 * tm.tmHeight ? DT_SINGLELINE | DT_NOCLIP : DT_WORDBREAK;
    DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &r, fmt);
}

void Control::DrawButton(const DRAWITEMSTRUCT& di) {
    HDC dc = di.hDC;
    RECT r = di.rcItem;
    bool pressed = (di.itemState & ODS_SELECTED) != 0;
    bool focused = (di.itemState & ODS_FOCUS) != 0;
    COLORREF back = Or(def_.back, GetSysColor(COLOR_BTNFACE));
    HBRUSH b = form_.BrushFor(back);
    FillRect(dc, &r, b);
    if (focused) {
        // The focused button carries a dark outline, as the default button of a dialog does.
        FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&r, -1, -1);
    }
    DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    RECT t = r;
    if (pressed) OffsetRect(&t, 1, 1);
    SetBkMode(dc, TRANSPARENT);
    std::wstring caption = WindowText(hwnd_);
    HFONT font = font_ ? font_.Get() : form_.FontFor(form_.def_.font);
    win::ScopedSelect sel(dc, font);
    UINT fmt = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    if (di.itemState & ODS_DISABLED) {
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    } else {
        SetTextColor(dc, Or(def_.fore, RGB(0, 0, 0)));
    }
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &t, fmt);
    if (focused) {
        RECT fr = r;
        InflateRect(&fr, -3, -3);
        DrawFocusRect(dc, &fr);
    }
}

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* c = reinterpret_cast<Control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!c || !c->baseProc_) return DefWindowProcW(hwnd, msg, wp, lp);
    return c->HandleSubclassed(msg, wp, lp);
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
        case WM_SETFOCUS: {
            LRESULT r = CallWindowProcW(base, hwnd, msg, wp, lp);
            if (Form::MayRaise(*this)) Guarded(GotFocus);
            return r;
        }
        case WM_SETCURSOR:
            if (form_.pointer_) {
                ::SetCursor(form_.pointer_);
                return TRUE;
            }
            break;
    }
    return CallWindowProcW(base, hwnd, msg, wp, lp);
}

// Frames and picture boxes: containers that paint themselves and their windowless children
// and pass their children's notifications to the form.
LRESULT CALLBACK Control::ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* c = reinterpret_cast<Control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!c) return DefWindowProcW(hwnd, msg, wp, lp);
    Form& form = c->form_;
    LRESULT result = 0;
    if (form.HandleChildMessage(hwnd, msg, wp, lp, result)) return result;
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT cr;
            GetClientRect(hwnd, &cr);
            COLORREF back = Or(c->def_.back, form.def_.back);
            FillRect(dc, &cr, form.BrushFor(back));
            if (c->def_.kind == Kind::PictureBox) {
                c->DrawPicture(dc, form.dpi_);
            } else {
                // A frame: an etched border with the caption set into its top edge.
                HFONT font = c->font_ ? c->font_.Get() : form.FontFor(form.def_.font);
                win::ScopedSelect sel(dc, font);
                TEXTMETRICW tm;
                GetTextMetricsW(dc, &tm);
                RECT border = cr;
                border.top += tm.tmHeight / 2;
                DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);
                std::wstring text = WindowText(hwnd);
                if (!text.empty()) {
                    RECT t = {MulDiv(8, form.dpi_, 96), 0, cr.right, tm.tmHeight};
                    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &t,
                              DT_SINGLELINE | DT_CALCRECT);
                    RECT bg = t;
                    bg.left -= 2;
                    bg.right += 2;
                    FillRect(dc, &bg, form.BrushFor(back));
                    SetBkMode(dc, TRANSPARENT);
                    SetTextColor(dc, Or(c->def_.fore, RGB(0, 0, 0)));
                    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &t,
                              DT_SINGLELINE);
                }
            }
            form.PaintWindowless(hwnd, dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
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
        case WM_MOUSEMOVE: {
            if (c->def_.kind != Kind::PictureBox) break;
            int x = PixelsToTwips(static_cast<short>(LOWORD(lp)), form.dpi_);
            int y = PixelsToTwips(static_cast<short>(HIWORD(lp)), form.dpi_);
            int held = MouseButtonsFromKeys(wp);
            int shift = ShiftState();
            bool mayRaise = Form::MayRaise(*c);
            if (msg == WM_MOUSEMOVE) {
                Guarded([&] {
                    if (c->MouseMove && mayRaise) c->MouseMove(held, shift, x, y);
                });
                return 0;
            }
            bool down = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN;
            int button = (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP)   ? 1
                         : (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP) ? 2
                                                                          : 4;
            if (down) {
                // Like every classic control, a picture box keeps the mouse from a press
                // until the last button is let go.
                if (GetCapture() != hwnd) SetCapture(hwnd);
                if (c->def_.tab >= 0 && GetFocus() != hwnd) ::SetFocus(hwnd);
                c->heldButtons_ |= button;
                Guarded([&] {
                    if (c->MouseDown && mayRaise) c->MouseDown(button, shift, x, y);
                });
            } else {
                c->heldButtons_ &= ~button;
                if (held == 0 && GetCapture() == hwnd) ReleaseCapture();
                Guarded([&] {
                    if (c->MouseUp && mayRaise) c->MouseUp(button, shift, x, y);
                });
            }
            return 0;
        }
        case WM_CANCELMODE: {
            // The gesture is over (a run starts, a modal box comes up): the buttons still held
            // are released here, so that whoever tracks the gesture sees it end.
            if (c->def_.kind != Kind::PictureBox) break;
            if (GetCapture() == hwnd) ReleaseCapture();
            POINT pt = {0, 0};
            GetCursorPos(&pt);
            ScreenToClient(hwnd, &pt);
            int x = PixelsToTwips(pt.x, form.dpi_), y = PixelsToTwips(pt.y, form.dpi_);
            int shift = ShiftState();
            for (int button : {1, 2, 4}) {
                if (!(c->heldButtons_ & button)) continue;
                c->heldButtons_ &= ~button;
                if (!Form::MayRaise(*c)) continue;
                Guarded([&] {
                    if (c->MouseUp) c->MouseUp(button, shift, x, y);
                });
            }
            return 0;
        }
        case WM_GETDLGCODE:
            return DLGC_WANTCHARS;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// ---- Form -------------------------------------------------------------------------------

Form::Form(const FormDef& def, const std::vector<ControlDef>& controls) : def_(def) {
    for (const ControlDef& d : controls) {
        controls_.push_back(std::make_unique<Control>(*this, d));
        byName_[d.name] = controls_.back().get();
    }
}

Form::~Form() {
    if (hwnd_) {
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
    auto& reg = Registry();
    reg.erase(std::remove(reg.begin(), reg.end(), this), reg.end());
}

const std::vector<Form*>& Form::LoadedForms() { return Registry(); }

Form* Form::FromWindow(HWND hwnd) {
    for (Form* f : Registry())
        if (f->hwnd_ == hwnd) return f;
    return nullptr;
}

Control& Form::operator[](const wchar_t* name) {
    if (!hwnd_ && !loading_) EnsureLoaded();
    auto it = byName_.find(name);
    if (it == byName_.end())
        throw RuntimeError(730, L"Control '" + std::wstring(name) + L"' not found");
    return *it->second;
}

Control& Form::Design(const wchar_t* name) {
    auto it = byName_.find(name);
    if (it == byName_.end())
        throw RuntimeError(730, L"Control '" + std::wstring(name) + L"' not found");
    return *it->second;
}

Control* Form::Find(HWND hwnd) {
    auto it = windows_.find(hwnd);
    return it == windows_.end() ? nullptr : it->second;
}

std::vector<Control*> Form::Controls() {
    std::vector<Control*> v;
    for (auto& c : controls_) v.push_back(c.get());
    return v;
}

Timer& Form::AddTimer(const wchar_t* name, UINT interval, bool enabled) {
    auto t = std::make_unique<Timer>();
    t->name = name;
    t->interval = interval;
    t->enabled = enabled;
    t->id = timers_.size() + 1;
    timers_.push_back(std::move(t));
    return *timers_.back();
}

Timer& Form::GetTimer(const wchar_t* name) {
    for (auto& t : timers_)
        if (t->name == name) return *t;
    throw RuntimeError(730, L"Timer '" + std::wstring(name) + L"' not found");
}

bool Form::StartTimer(Timer& t) {
    if (!hwnd_ || !t.enabled) return true;
    t.started = Rt().StartTimer(hwnd_, t.id, t.interval);
    return t.started;
}

void Form::SetTimerEnabled(const wchar_t* name, bool enabled) {
    Timer& t = GetTimer(name);
    t.enabled = enabled;
    if (!hwnd_) return;
    if (!enabled) {
        KillTimer(hwnd_, t.id);
        t.started = false;
    } else if (!StartTimer(t)) {
        throw RuntimeError(7, L"Out of memory");
    }
}

bool Form::MayRaise(const Control& c) {
    BusyPump* busy = BusyPump::Current();
    return !busy || busy->Allows(c);
}

HBRUSH Form::BrushFor(COLORREF c) {
    auto it = brushes_.find(c);
    if (it != brushes_.end()) return it->second.Get();
    HBRUSH b = CreateSolidBrush(c);
    brushes_[c].Reset(b);
    return b;
}

HFONT Form::FontFor(const FontSpec& font) {
    const wchar_t* face = font.face ? font.face : L"MS Sans Serif";
    double points = font.face ? font.points : 8.25;
    std::wstring key = std::wstring(face) + L"/" + std::to_wstring(points) + (font.bold ? L"b" : L"");
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second.Get();
    HFONT f = CreateFontW(-static_cast<int>(std::lround(points * dpi_ / 72.0)), 0, 0, 0,
                          font.bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                          face);
    fonts_[key].Reset(f);
    return f;
}

void Form::EnsureLoaded() {
    if (hwnd_ || loading_) return;
    loading_ = true;
    dpi_ = ScreenDpi();
    fonts_.clear();
    RegisterClassOnce(def_.name, Proc, CS_DBLCLKS);
    RegisterClassOnce(kFrameClass, Control::ContainerProc);
    RegisterClassOnce(kPictureClass, Control::ContainerProc);

    DWORD style = WS_POPUP | WS_CLIPCHILDREN;
    if (def_.border == Border::FixedSingle) style |= WS_BORDER;
    DWORD ex = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;
    RECT r = {0, 0, TwipsToPixels(def_.width, dpi_), TwipsToPixels(def_.height, dpi_)};
    AdjustWindowRectEx(&r, style, FALSE, ex);
    int w = r.right - r.left, h = r.bottom - r.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    if (def_.picture)
        picture_.Reset(static_cast<HBITMAP>(LoadImageW(
            Instance(), MAKEINTRESOURCEW(def_.picture), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    hwnd_ = CreateWindowExW(ex, def_.name, L"", style, x, y, w, h, nullptr, nullptr, Instance(),
                            this);
    if (!hwnd_) {
        loading_ = false;
        throw RuntimeError(7, L"Cannot create the window of form " + std::wstring(def_.name));
    }
    // Frames first, so that their children have a parent to sit in.
    for (int pass = 0; pass < 2; ++pass) {
        for (auto& c : controls_) {
            bool frame = c->def_.kind == Kind::Frame;
            if ((pass == 0) != frame) continue;
            HWND parent = hwnd_;
            if (c->def_.container) {
                auto it = byName_.find(c->def_.container);
                if (it != byName_.end() && it->second->hwnd_) parent = it->second->hwnd_;
            }
            c->Create(parent, dpi_);
        }
    }
    Registry().push_back(this);
    for (auto& t : timers_) StartTimer(*t);
    loading_ = false;
    Guarded(Load);
}

void Form::Show() {
    EnsureLoaded();
    if (!hwnd_) return;  // unloaded itself while loading
    bool first = !IsWindowVisible(hwnd_);
    ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(hwnd_);
    BringWindowToTop(hwnd_);
    if (first && !savedFocus_) {
        HWND focus = GetFocus();
        if (!focus || !IsChild(hwnd_, focus)) FocusFirst();
    }
    UpdateWindow(hwnd_);
}

void Form::Unload() {
    if (!hwnd_) return;
    // Never from under a run: it is cancelled and the form closes once it has ended.
    if (BusyPump* busy = BusyPump::Current()) {
        busy->CloseAfter(hwnd_);
        return;
    }
    Guarded(Unloaded);
    if (!hwnd_) return;
    for (auto& t : timers_) {
        KillTimer(hwnd_, t->id);
        t->started = false;
    }
    HWND h = hwnd_;
    DestroyWindow(h);
    hwnd_ = nullptr;
    savedFocus_ = nullptr;
    pointer_ = nullptr;
    picture_.Reset();
    auto& reg = Registry();
    reg.erase(std::remove(reg.begin(), reg.end(), this), reg.end());
    if (reg.empty()) PostQuitMessage(0);
}

void Form::Minimize() {
    if (hwnd_) ShowWindow(hwnd_, SW_MINIMIZE);
}

bool Form::IsTopmost() const {
    return hwnd_ && (GetWindowLongW(hwnd_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

void Form::SetMousePointer(HCURSOR cursor) {
    pointer_ = cursor;
    ::SetCursor(cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW));
}

bool Form::FocusFirst() {
    std::vector<Control*> order = TabOrder();
    if (order.empty()) return false;
    ::SetFocus(order.front()->hwnd_);
    return true;
}

std::vector<Control*> Form::TabOrder() {
    std::vector<Control*> order;
    for (auto& c : controls_) {
        if (c->def_.tab < 0 || !c->hwnd_ || !IsFocusable(c->def_.kind)) continue;
        if (!IsWindowVisible(c->hwnd_) || !IsWindowEnabled(c->hwnd_)) continue;
        if (c->def_.container && !IsWindowEnabled(GetParent(c->hwnd_))) continue;
        order.push_back(c.get());
    }
    std::stable_sort(order.begin(), order.end(),
                     [](Control* a, Control* b) { return a->def_.tab < b->def_.tab; });
    return order;
}

bool Form::TabNext(bool backwards) {
    std::vector<Control*> order = TabOrder();
    if (order.empty()) return false;
    HWND focus = GetFocus();
    int at = -1;
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i]->hwnd_ == focus || IsChild(order[i]->hwnd_, focus)) at = static_cast<int>(i);
    int n = static_cast<int>(order.size());
    int next = at < 0 ? (backwards ? n - 1 : 0) : (at + (backwards ? n - 1 : 1)) % n;
    ::SetFocus(order[static_cast<size_t>(next)]->hwnd_);
    return true;
}

void Form::ClickAccessKey(wchar_t ch, bool alt, bool& consumed) {
    wchar_t want = static_cast<wchar_t>(std::towlower(ch));
    for (auto& c : controls_) {
        if (c->def_.kind != Kind::Button && c->def_.kind != Kind::CheckBox) continue;
        if (!c->hwnd_ || !IsWindowVisible(c->hwnd_) || !IsWindowEnabled(c->hwnd_)) continue;
        if (AccessKey(WindowText(c->hwnd_)) != want) continue;
        consumed = true;
        Control* ctl = c.get();
        ::SetFocus(ctl->hwnd_);
        if (ctl->def_.kind == Kind::CheckBox)
            ctl->SetValue(ctl->value_ == 1 ? 0 : 1);
        else
            Guarded(ctl->Click);
        return;
    }
    (void)alt;
}

bool Form::PreTranslate(const MSG& msg) {
    bool key = msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST;
    if (!key) return false;
    if (KeyPreview) {
        bool consumed = false;
        Guarded([&] { consumed = KeyPreview(msg); });
        if (consumed) return true;
    }
    if (!hwnd_) return false;
    Control* focus = Find(GetFocus());
    bool ctrl = GetKeyState(VK_CONTROL) < 0, alt = GetKeyState(VK_MENU) < 0;
    if (msg.message == WM_KEYDOWN) {
        switch (msg.wParam) {
            case VK_TAB:
                if (ctrl || alt) return false;
                TabNext(GetKeyState(VK_SHIFT) < 0);
                return true;
            case VK_ESCAPE:
                for (auto& c : controls_) {
                    if (!(c->def_.flags & kCancel) || !c->hwnd_) continue;
                    // A hidden cancel button does not answer Esc: nothing the user cannot see
                    // may close the window.
                    if (!IsWindowVisible(c->hwnd_) || !IsWindowEnabled(c->hwnd_)) return false;
                    Guarded(c->Click);
                    return true;
                }
                return false;
            case VK_RETURN:
                if (focus && focus->def_.kind == Kind::Button) {
                    Guarded(focus->Click);
                    return true;
                }
                return false;
        }
    }
    if (msg.message == WM_SYSCHAR) {
        bool consumed = false;
        ClickAccessKey(static_cast<wchar_t>(msg.wParam), true, consumed);
        return consumed;
    }
    if (msg.message == WM_CHAR && focus &&
        (focus->def_.kind == Kind::Button || focus->def_.kind == Kind::CheckBox) &&
        msg.wParam > L' ') {
        bool consumed = false;
        ClickAccessKey(static_cast<wchar_t>(msg.wParam), false, consumed);
        return consumed;
    }
    return false;
}

void Form::PaintWindowless(HWND container, HDC dc) {
    for (auto& c : controls_) {
        if (!IsWindowless(c->def_.kind)) continue;
        HWND owner = hwnd_;
        if (c->def_.container) {
            auto it = byName_.find(c->def_.container);
            if (it != byName_.end()) owner = it->second->hwnd_;
        }
        if (owner == container) c->Paint(dc, dpi_);
    }
}

Control* Form::WindowlessAt(HWND container, POINT pt) {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        Control* c = it->get();
        if (c->def_.kind != Kind::Label || !c->visible_) continue;
        HWND owner = c->def_.container ? byName_[c->def_.container]->hwnd_ : hwnd_;
        if (owner != container) continue;
        RECT r = c->PixelRect(dpi_);
        if (PtInRect(&r, pt)) return c;
    }
    return nullptr;
}

bool Form::HandleChildMessage(HWND container, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_COMMAND: {
            Control* c = Find(reinterpret_cast<HWND>(lp));
            if (!c) return false;
            WORD code = HIWORD(wp);
            result = 0;
            // A click that an automation tool sends during a run reaches no handler.
            if (code != EN_CHANGE && !MayRaise(*c)) return true;
            if (c->def_.kind == Kind::Button && code == BN_CLICKED) {
                Guarded(c->Click);
            } else if (c->def_.kind == Kind::CheckBox && code == BN_CLICKED) {
                c->SetValue(c->value_ == 1 ? 0 : 1);
            } else if (c->def_.kind == Kind::TextBox && code == EN_CHANGE) {
                if (!c->suppressChange_) c->RaiseChange();
            } else if (c->def_.kind == Kind::ListBox && code == LBN_SELCHANGE) {
                Guarded(c->Click);
            }
            result = 0;
            return true;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN: {
            Control* c = Find(reinterpret_cast<HWND>(lp));
            if (!c) return false;
            HDC dc = reinterpret_cast<HDC>(wp);
            COLORREF fallback = GetSysColor(COLOR_WINDOW);
            if (c->def_.kind == Kind::CheckBox || c->def_.kind == Kind::Button)
                fallback = GetSysColor(COLOR_BTNFACE);
            COLORREF back = Or(c->def_.back, fallback);
            SetBkColor(dc, back);
            SetTextColor(dc, Or(c->def_.fore, GetSysColor(COLOR_WINDOWTEXT)));
            result = reinterpret_cast<LRESULT>(c->brush_ ? c->brush_.Get() : BrushFor(back));
            return true;
        }
        case WM_DRAWITEM: {
            auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
            Control* c = Find(di->hwndItem);
            if (!c) return false;
            c->DrawButton(*di);
            result = TRUE;
            return true;
        }
        case WM_LBUTTONDOWN: {
            POINT pt = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
            pressedLabel_ = WindowlessAt(container, pt);
            if (pressedLabel_) SetCapture(container);
            return false;
        }
        case WM_LBUTTONUP: {
            if (!pressedLabel_) return false;
            if (GetCapture() == container) ReleaseCapture();
            POINT pt = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
            Control* pressed = pressedLabel_;
            pressedLabel_ = nullptr;
            if (WindowlessAt(container, pt) == pressed && MayRaise(*pressed))
                Guarded(pressed->Click);
            result = 0;
            return true;
        }
        case WM_CANCELMODE:
            pressedLabel_ = nullptr;
            return false;
    }
    (void)container;
    return false;
}

LRESULT CALLBACK Form::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* f = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!f) return DefWindowProcW(hwnd, msg, wp, lp);
    if (!f->hwnd_) f->hwnd_ = hwnd;  // messages sent during CreateWindowEx
    return f->Handle(msg, wp, lp);
}

LRESULT Form::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    HWND hwnd = hwnd_;
    LRESULT result = 0;
    if (HandleChildMessage(hwnd, msg, wp, lp, result)) return result;
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT cr;
            GetClientRect(hwnd, &cr);
            // Drawn off screen first so that moving labels and pictures do not flicker.
            HDC mem = CreateCompatibleDC(dc);
            HBITMAP bmp = CreateCompatibleBitmap(dc, cr.right, cr.bottom);
            {
                win::ScopedSelect sel(mem, bmp);
                FillRect(mem, &cr, BrushFor(def_.back));
                if (picture_) {
                    BITMAP bm = {};
                    GetObjectW(picture_.Get(), sizeof(bm), &bm);
                    HDC pic = CreateCompatibleDC(dc);
                    {
                        win::ScopedSelect psel(pic, picture_.Get());
                        SetStretchBltMode(mem, HALFTONE);
                        StretchBlt(mem, 0, 0, MulDiv(bm.bmWidth, dpi_, 96),
                                   MulDiv(bm.bmHeight, dpi_, 96), pic, 0, 0, bm.bmWidth,
                                   bm.bmHeight, SRCCOPY);
                    }
                    DeleteDC(pic);
                }
                PaintWindowless(hwnd, mem);
                BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                       ps.rcPaint.bottom - ps.rcPaint.top, mem, ps.rcPaint.left, ps.rcPaint.top,
                       SRCCOPY);
            }
            DeleteObject(bmp);
            DeleteDC(mem);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_SETCURSOR:
            if (pointer_) {
                ::SetCursor(pointer_);
                return TRUE;
            }
            break;
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd, focus)) savedFocus_ = focus;
            } else {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd, focus)) return 0;
                if (savedFocus_ && IsWindow(savedFocus_) && IsWindowVisible(savedFocus_))
                    ::SetFocus(savedFocus_);
                else if (!FocusFirst())
                    ::SetFocus(hwnd);
                return 0;
            }
            break;
        case WM_TIMER:
            for (auto& t : timers_) {
                if (t->id != wp) continue;
                // A tick handler that pumps messages (a message box, a run) is not entered
                // again by its own timer meanwhile; the ticks that come are dropped.
                if (t->enabled && !t->ticking && !BusyPump::Current()) {
                    Timer& timer = *t;
                    timer.ticking = true;
                    Guarded(timer.Tick);
                    timer.ticking = false;
                }
                return 0;
            }
            return 0;
        case WM_CLOSE:
            Unload();
            return 0;
        case WM_DESTROY:
            for (auto& c : controls_) c->Destroyed();
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

int RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        Form* f = root ? Form::FromWindow(root) : nullptr;
        if (f && f->PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace ui
