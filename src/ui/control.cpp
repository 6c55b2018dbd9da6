// A control's properties: text, place, visibility, value, list items and pictures. Each works
// on the control's window when it has one, and on the kit's own copy for windowless controls
// and before the form is loaded.
#include <algorithm>

#include "ui/form.h"
#include "ui/kit.h"
#include "ui/units.h"

namespace ui {

using kit::WindowText;

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

HWND Control::Container() const {
    if (!def_.container) return form_.hwnd_;
    auto it = form_.byName_.find(def_.container);
    return it == form_.byName_.end() ? form_.hwnd_ : it->second->hwnd_;
}

void Control::InvalidateWindowless(const RECT& r) const {
    if (form_.Loaded()) InvalidateRect(Container(), &r, FALSE);
}

HFONT Control::Font() const { return form_.FontFor(def_.font.face ? def_.font : form_.def_.font); }

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
        InvalidateWindowless(PixelRect(form_.Dpi()));
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
    if (hwnd_)
        ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
    else
        InvalidateWindowless(PixelRect(form_.Dpi()));
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

void Control::SetAccessibleValue(const std::wstring& value) {
    accessibleValue_ = value;
    // Every new value is told, also a repeated one: it answers what the user just did.
    if (hwnd_) NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, hwnd_, OBJID_CLIENT, CHILDID_SELF);
}

void Control::SetLeft(int twips) {
    if (twips == leftTwips_) return;
    RECT old = PixelRect(form_.Dpi());
    leftTwips_ = twips;
    RECT r = PixelRect(form_.Dpi());
    if (hwnd_) {
        SetWindowPos(hwnd_, nullptr, r.left, r.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    UnionRect(&r, &r, &old);
    InvalidateWindowless(r);
}

void Control::SetValue(int value) {
    if (value == value_) return;
    value_ = value;
    if (hwnd_)
        SendMessageW(hwnd_, BM_SETCHECK,
                     value == 1   ? BST_CHECKED
                     : value == 2 ? BST_INDETERMINATE
                                  : BST_UNCHECKED,
                     0);
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
    LRESULT got = SendMessageW(hwnd_, LB_GETTEXT, static_cast<WPARAM>(index),
                               reinterpret_cast<LPARAM>(&s[0]));
    s.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
    return s;
}

void Control::SetPicture(HBITMAP bmp) {
    icon_.Reset();
    bitmap_.Reset(bmp);
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Control::SetIcon(HICON icon) {
    bitmap_.Reset();
    icon_.Reset(icon);
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Control::ClearPicture() {
    bitmap_.Reset();
    icon_.Reset();
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

}  // namespace ui
