// The keys a form handles for its controls: Tab and Shift+Tab through the tab order (the
// kit's own, by tab index across frames), Esc for a visible cancel button, Enter on a button,
// and access keys.
#include <algorithm>
#include <cwctype>

#include "ui/form.h"
#include "ui/kit.h"

namespace ui {
namespace {

// The access key of a caption: the character after a single '&'.
wchar_t AccessKey(const std::wstring& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&') continue;
        if (caption[i + 1] == L'&') {
            ++i;
            continue;
        }
        return static_cast<wchar_t>(std::towlower(caption[i + 1]));
    }
    return 0;
}

bool Usable(HWND hwnd) { return hwnd && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd); }

}  // namespace

bool Form::FocusFirst() {
    std::vector<Control*> order = TabOrder();
    if (order.empty()) return false;
    ::SetFocus(order.front()->hwnd_);
    return true;
}

std::vector<Control*> Form::TabOrder() {
    std::vector<Control*> order;
    for (auto& c : controls_) {
        if (c->def_.tab < 0 || !kit::TraitsOf(c->def_.kind).focusable) continue;
        if (!Usable(c->hwnd_)) continue;
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
    (void)alt;
    wchar_t want = static_cast<wchar_t>(std::towlower(ch));
    for (auto& c : controls_) {
        const kit::KindTraits& traits = kit::TraitsOf(c->def_.kind);
        if (traits.clickCode != BN_CLICKED || !Usable(c->hwnd_)) continue;
        if (AccessKey(kit::WindowText(c->hwnd_)) != want) continue;
        consumed = true;
        Control* ctl = c.get();
        ::SetFocus(ctl->hwnd_);
        if (traits.toggles)
            ctl->SetValue(ctl->value_ == 1 ? 0 : 1);
        else
            Guarded(ctl->Click);
        return;
    }
}

// Esc clicks the form's cancel button, but only a visible one: nothing the user cannot see may
// close the window.
bool Form::PressCancel() {
    for (auto& c : controls_) {
        if (!(c->def_.flags & kCancel) || !c->hwnd_) continue;
        if (!Usable(c->hwnd_)) return false;
        Guarded(c->Click);
        return true;
    }
    return false;
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
    bool onButton = focus && kit::TraitsOf(focus->def_.kind).clickCode == BN_CLICKED;
    if (msg.message == WM_KEYDOWN) {
        switch (msg.wParam) {
            case VK_TAB:
                if (ctrl || alt) return false;
                TabNext(GetKeyState(VK_SHIFT) < 0);
                return true;
            case VK_ESCAPE:
                return PressCancel();
            case VK_RETURN:
                if (!focus || focus->def_.kind != Kind::Button) return false;
                Guarded(focus->Click);
                return true;
        }
    }
    bool consumed = false;
    if (msg.message == WM_SYSCHAR) {
        ClickAccessKey(static_cast<wchar_t>(msg.wParam), true, consumed);
    } else if (msg.message == WM_CHAR && onButton && msg.wParam > L' ') {
        ClickAccessKey(static_cast<wchar_t>(msg.wParam), false, consumed);
    }
    return consumed;
}

}  // namespace ui
