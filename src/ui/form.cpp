// A form's life: its controls from the layout table, loading, showing and unloading, its
// window procedure (which passes its children's notifications to their handlers) and the
// program's message loop.
#include "ui/form.h"

#include <algorithm>

#include "ui/access/access.h"
#include "ui/busy_pump.h"
#include "ui/error_modes.h"
#include "ui/find_dialog.h"
#include "ui/kit.h"
#include "ui/picture.h"
#include "ui/text/text_view.h"
#include "ui/runtime.h"
#include "ui/units.h"

namespace ui {
namespace {

std::vector<Form*>& Registry() {
    static std::vector<Form*> forms;
    return forms;
}

}  // namespace

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
    return Design(name);
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

bool Form::MayRaise(const Control& c) {
    BusyPump* busy = BusyPump::Current();
    return !busy || busy->Allows(c);
}

void Form::EnsureLoaded() {
    if (hwnd_ || loading_) return;
    loading_ = true;
    dpi_ = ScreenDpi();
    highContrast_ = Rt().HighContrast();
    fonts_.clear();
    brushes_.clear();
    kit::RegisterClassOnce(def_.name, Proc, CS_DBLCLKS, def_.icon);
    kit::RegisterClassOnce(kit::kFrameClass, Control::ContainerProc);
    kit::RegisterClassOnce(kit::kPictureClass, Control::ContainerProc);

    DWORD style = WS_POPUP | WS_CLIPCHILDREN;
    if (def_.border == Border::FixedSingle) style |= WS_BORDER;
    DWORD ex = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;
    RECT r = {0, 0, TwipsToPixels(def_.width, dpi_), TwipsToPixels(def_.height, dpi_)};
    AdjustWindowRectEx(&r, style, FALSE, ex);
    int w = r.right - r.left, h = r.bottom - r.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    if (def_.picture) picture_.Reset(LoadPicture(kit::Instance(), def_.picture));
    hwnd_ = CreateWindowExW(ex, def_.name, L"", style, x, y, w, h, nullptr, nullptr,
                            kit::Instance(), this);
    if (!hwnd_) {
        loading_ = false;
        throw RuntimeError(7, L"Cannot create the window of form " + std::wstring(def_.name));
    }
    CreateControls();
    Registry().push_back(this);
    for (auto& t : timers_) StartTimer(*t);
    loading_ = false;
    Guarded(Load);
}

void Form::CreateControls() {
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
    active_ = false;
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

// The notifications of a control, to its handler. A click that an automation tool sends
// during a run reaches no handler.
bool Form::OnCommand(WPARAM wp, LPARAM lp) {
    Control* c = Find(reinterpret_cast<HWND>(lp));
    if (!c) return false;
    WORD code = HIWORD(wp);
    if (c->def_.kind == Kind::TextBox && code == EN_CHANGE) {
        if (!c->suppressChange_) c->RaiseChange();
        return true;
    }
    const size_t command = static_cast<size_t>(code) - kTextViewCommand;
    if (c->def_.kind == Kind::TextBox && code >= kTextViewCommand &&
        command < c->menuCommands_.size()) {
        const int index = static_cast<int>(command);
        if (MayRaise(*c) && c->MenuCommand) Guarded([&] { c->MenuCommand(index); });
        return true;
    }
    const kit::KindTraits& traits = kit::TraitsOf(c->def_.kind);
    if (code != traits.clickCode || !MayRaise(*c)) return true;
    if (traits.toggles)
        c->SetValue(c->value_ == 1 ? 0 : 1);
    else
        Guarded(c->Click);
    return true;
}

bool Form::OnControlColor(WPARAM wp, LPARAM lp, LRESULT& result) {
    Control* c = Find(reinterpret_cast<HWND>(lp));
    if (!c) return false;
    HDC dc = reinterpret_cast<HDC>(wp);
    const Colours colours = c->DrawnColours();
    SetBkColor(dc, colours.back);
    SetTextColor(dc, colours.text);
    result = reinterpret_cast<LRESULT>(BrushFor(colours.back));
    return true;
}

// Windowless labels are clicked through their container: pressed and let go over the same one.
bool Form::OnLabelMouse(HWND container, UINT msg, LPARAM lp) {
    POINT pt = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    if (msg == WM_LBUTTONDOWN) {
        pressedLabel_ = WindowlessAt(container, pt);
        if (pressedLabel_) SetCapture(container);
        return false;
    }
    if (!pressedLabel_) return false;
    if (GetCapture() == container) ReleaseCapture();
    Control* pressed = pressedLabel_;
    pressedLabel_ = nullptr;
    if (WindowlessAt(container, pt) == pressed && MayRaise(*pressed)) Guarded(pressed->Click);
    return true;
}

bool Form::HandleChildMessage(HWND container, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    result = 0;
    switch (msg) {
        case WM_COMMAND:
            return OnCommand(wp, lp);
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
            return OnControlColor(wp, lp, result);
        case WM_DRAWITEM: {
            auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
            Control* c = Find(di->hwndItem);
            if (!c) return false;
            c->DrawButton(*di);
            result = TRUE;
            return true;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            return OnLabelMouse(container, msg, lp);
        case WM_CANCELMODE:
            pressedLabel_ = nullptr;
            return false;
    }
    return false;
}

LRESULT CALLBACK Form::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return AtBoundary<LRESULT>(0, [&]() -> LRESULT {
        auto* f = kit::WindowObject<Form>(hwnd, msg, lp);
        if (!f) return DefWindowProcW(hwnd, msg, wp, lp);
        if (!f->hwnd_) f->hwnd_ = hwnd;  // messages sent during CreateWindowEx
        return f->Handle(msg, wp, lp);
    });
}

// The focus goes back where it was when the form is activated again.
LRESULT Form::OnActivate(WPARAM wp, LPARAM lp) {
    HWND focus = GetFocus();
    active_ = LOWORD(wp) != WA_INACTIVE;
    if (!active_) {
        if (focus && IsChild(hwnd_, focus)) savedFocus_ = focus;
        Guarded(Deactivate);
        return DefWindowProcW(hwnd_, WM_ACTIVATE, wp, lp);
    }
    if (focus && IsChild(hwnd_, focus)) return 0;
    if (savedFocus_ && IsWindow(savedFocus_) && IsWindowVisible(savedFocus_))
        ::SetFocus(savedFocus_);
    else if (!FocusFirst())
        ::SetFocus(hwnd_);
    return 0;
}

LRESULT Form::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    HWND hwnd = hwnd_;
    LRESULT result = 0;
    if (HandleChildMessage(hwnd, msg, wp, lp, result)) return result;
    if (msg == FindDialog::Message()) return FindDialog::Dispatch(lp);
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            PaintForm();
            return 0;
        case WM_SETCURSOR:
            if (pointer_) {
                ::SetCursor(pointer_);
                return TRUE;
            }
            break;
        case WM_ACTIVATE:
            return OnActivate(wp, lp);
        case WM_GETOBJECT:
            if (LRESULT object = kit::AnswerGetObject(hwnd, wp, lp)) return object;
            break;
        case WM_TIMER:
            OnTimer(wp);
            return 0;
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            OnSchemeChange(msg);
            break;
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
        // A modeless dialog (Find) takes its own keys: Tab, Enter, Esc, its access keys.
        if (kit::ModelessMessage(msg)) continue;
        Form* f = root ? Form::FromWindow(root) : nullptr;
        if (f && f->PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace ui
