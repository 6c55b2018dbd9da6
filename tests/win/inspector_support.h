// Windows that the inspector tests create to pick and act on, each recording the messages a
// test wants to see, and a main form loaded in the test process.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "inspector/handle_text.h"
#include "inspector/inspector.h"
#include "inspector/window_queries.h"
#include "mainwin/main_form.h"
#include "test_runtime.h"
#include "ui/error_modes.h"

namespace inspector_test {

struct Seen {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
};

// A window of the test's own class; its procedure records WM_CLOSE and WM_NCACTIVATE.
class TestWindow {
public:
    static constexpr const wchar_t* kClass = L"DorvaneInspectorTarget";

    TestWindow(DWORD style, const std::wstring& title, RECT r, HWND parent = nullptr,
               DWORD exStyle = 0, const wchar_t* cls = kClass) {
        Register();
        hwnd_ = CreateWindowExW(exStyle, cls, title.c_str(), style, r.left, r.top, r.right - r.left,
                                r.bottom - r.top, parent, nullptr, GetModuleHandleW(nullptr), this);
        if (hwnd_ && wcscmp(cls, kClass) == 0)
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~TestWindow() {
        if (hwnd_ && IsWindow(hwnd_)) {
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            DestroyWindow(hwnd_);
        }
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND Hwnd() const { return hwnd_; }
    std::wstring HandleText() const {
        return inspector::HandleText(inspector::HandleNumber(hwnd_));
    }
    std::vector<Seen> seen;
    int Count(UINT msg) const {
        int n = 0;
        for (const Seen& s : seen) n += s.msg == msg;
        return n;
    }

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        return ui::AtBoundary<LRESULT>(0, [&]() -> LRESULT {
            auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
            if (self && (msg == WM_CLOSE || msg == WM_NCACTIVATE))
                self->seen.push_back({msg, wp, lp});
            return DefWindowProcW(h, msg, wp, lp);
        });
    }
    static void Register() {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        if (GetClassInfoExW(GetModuleHandleW(nullptr), kClass, &wc)) return;
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kClass;
        RegisterClassExW(&wc);
    }

    HWND hwnd_ = nullptr;
};

// 300 characters whose position can be read off: "0123456789" repeated.
inline std::wstring LongTitle(size_t n = 300) {
    std::wstring s;
    for (size_t i = 0; i < n; ++i) s.push_back(static_cast<wchar_t>(L'0' + i % 10));
    return s;
}

// The nine boxes a pick writes, in the order it writes them.
inline const wchar_t* const kNine[] = {L"txthWnd",       L"txtTitle",       L"txtClass",
                                       L"txtStyle",      L"txtRect",        L"txtParent",
                                       L"txtParentText", L"txtParentClass", L"txtMhWnd"};

// A handle as the inspector writes it.
inline std::wstring Num(HWND h) { return inspector::HandleText(inspector::HandleNumber(h)); }

inline std::wstring TextOf(HWND h) {
    wchar_t buf[1024] = L"";
    GetWindowTextW(h, buf, 1024);
    return buf;
}

struct MainFormFixture : ::testing::Test {
    TestRuntime rt;
    std::unique_ptr<mainwin::MainForm> main;

    void SetUp() override {
        main = std::make_unique<mainwin::MainForm>();
        main->Form().EnsureLoaded();
        ASSERT_TRUE(main->Form().Loaded());
        // The start-up help run is the console's business, not ours.
        main->Form().SetTimerEnabled(L"Timer11", false);
    }
    void TearDown() override {
        if (main) main->Form().Unload();
        main.reset();
        PumpMessages();
    }
    ui::Control& Box(const wchar_t* name) { return (*main)[name]; }
    inspector::Picker& Picker() { return main->Inspector().Picker(); }
    inspector::WindowActions& Actions() { return main->Inspector().Actions(); }
    void Pick(HWND h) {
        Box(L"txtMhWnd").SetText(inspector::HandleText(inspector::HandleNumber(h)));
    }
};

}  // namespace inspector_test
