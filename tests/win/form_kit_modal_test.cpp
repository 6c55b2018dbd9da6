// The form kit where a box or a timer meets the rest of the program: a tick that pumps is not
// entered again, a message box is modal to every form even when another program is active,
// an input box whose owner goes ends as Cancel, and a cut keeps what the clipboard refused.
// (That a box leaves the foreground alone cannot be seen here: Wine hands the foreground to
// any window that is activated.)
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "system_counts.h"
#include "test_runtime.h"
#include "ui/clipboard.h"
#include "ui/form.h"
#include "ui/input_box.h"

namespace {

const COLORREF kNone = ui::kDefaultColor;
// clang-format off
const std::vector<ui::ControlDef> kControls = {
    {L"txtBox", ui::Kind::TextBox, L"", 120, 120, 3000, 1500, 0, nullptr, ui::kMultiLine, {}, kNone, kNone, 0},
};
const ui::FormDef kDef = {L"KitModalTest", 4000, 2600, ui::Border::FixedSingle, RGB(224, 224, 224), {}, 0, 0};
// clang-format on

// A visible top-level window of this process's own class, found by another thread.
HWND FindOwnWindow(const wchar_t* cls, DWORD ms) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(20)) {
        for (HWND w = FindWindowExW(nullptr, nullptr, cls, nullptr); w;
             w = FindWindowExW(nullptr, w, cls, nullptr)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == GetCurrentProcessId() && IsWindowVisible(w)) return w;
        }
    }
    return nullptr;
}

struct KitModalTest : ::testing::Test {
    TestRuntime rt;
    std::unique_ptr<ui::Form> form = std::make_unique<ui::Form>(kDef, kControls);
    HWND second = nullptr;  // another form of the program, as the about box would be

    void ShowBoth() {
        form->Show();
        second = CreateWindowExW(0, L"STATIC", L"second", WS_POPUP | WS_VISIBLE | WS_BORDER, 20, 20,
                                 120, 80, nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        if (second) DestroyWindow(second);
        if (form->Loaded()) form->Unload();
        form.reset();
        PumpMessages();
    }
};

TEST_F(KitModalTest, ATickThatPumpsIsNotEnteredAgainByItsOwnTimer) {
    ui::Timer& timer = form->AddTimer(L"tmrPump", 1, true);
    int ticks = 0, depth = 0, deepest = 0;
    timer.Tick = [&] {
        ++ticks;
        deepest = std::max(deepest, ++depth);
        if (ticks == 1) PumpMessages(300);  // as a message box or a run inside it would
        --depth;
    };
    form->EnsureLoaded();
    PumpMessages(500);
    EXPECT_EQ(deepest, 1);
    EXPECT_GT(ticks, 1) << "the timer ticks again once its handler has returned";

    rt.refuseTimers = true;
    form->SetTimerEnabled(L"tmrPump", false);
    try {
        form->SetTimerEnabled(L"tmrPump", true);
        ADD_FAILURE() << "a refused timer raises an error";
    } catch (const ui::RuntimeError& e) {
        EXPECT_EQ(e.number, 7);
    }
    EXPECT_FALSE(timer.Running());
}

TEST_F(KitModalTest, AMessageBoxDisablesEveryFormEvenWhenAnotherProgramIsActive) {
    ShowBoth();
    // Another program takes the foreground, as when the user switches away.
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, &self[0], MAX_PATH));
    std::wstring cmd =
        L"\"" + self.substr(0, self.find_last_of(L'\\') + 1) + L"test_child.exe\" front 8000";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(
        CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    auto foregroundIsOther = [&] {
        DWORD pid = 0;
        GetWindowThreadProcessId(GetForegroundWindow(), &pid);
        return pid == pi.dwProcessId;
    };
    for (int i = 0; i < 200 && !foregroundIsOther(); ++i) Sleep(20);
    ASSERT_TRUE(foregroundIsOther());
    PumpMessages(100);

    std::atomic<bool> formEnabled{true}, secondEnabled{true};
    std::thread watcher([&] {
        HWND box = FindOwnWindow(L"#32770", 5000);
        if (!box) return;
        Sleep(200);
        formEnabled = IsWindowEnabled(form->Hwnd()) != FALSE;
        secondEnabled = IsWindowEnabled(second) != FALSE;
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    ui::Runtime real;
    real.MsgBox(L"while away", MB_OK, std::nullopt);
    watcher.join();
    TerminateProcess(pi.hProcess, 0);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    EXPECT_FALSE(formEnabled) << "the form took no input while its box was up";
    EXPECT_FALSE(secondEnabled) << "nor did the program's other window";
    EXPECT_TRUE(IsWindowEnabled(form->Hwnd()));
    EXPECT_TRUE(IsWindowEnabled(second));
}

TEST_F(KitModalTest, AnInputBoxWhoseOwnerIsClosedEndsAsCancelAndFreesTheProgram) {
    ShowBoth();
    // The owner is closed from outside while the box is up, as another program could do.
    std::thread closer([h = form->Hwnd()] {
        if (FindOwnWindow(L"Dorvane.InputBox", 5000)) SendMessageW(h, WM_CLOSE, 0, 0);
    });
    // A box that never ends would hang the test; this ends it, and the test fails.
    std::atomic<bool> returned{false}, rescued{false};
    DWORD self = GetCurrentThreadId();
    std::thread watchdog([&] {
        for (int i = 0; i < 400 && !returned; ++i) Sleep(20);
        if (!returned) {
            rescued = true;
            PostThreadMessageW(self, WM_QUIT, 0, 0);
        }
    });
    std::wstring answer = ui::ShowInputBox(form->Hwnd(), L"Prompt", L"Title", L"typed");
    returned = true;
    closer.join();
    watchdog.join();
    PumpMessages();

    EXPECT_FALSE(rescued) << "the box ended by itself when its owner went";
    EXPECT_EQ(answer, L"");
    EXPECT_FALSE(form->Loaded());
    EXPECT_TRUE(IsWindowEnabled(second)) << "no window is left disabled";
}

TEST_F(KitModalTest, ACutRemovesTheSelectionOnlyOnceTheClipboardHoldsIt) {
    form->EnsureLoaded();
    ui::Control& box = (*form)[L"txtBox"];
    box.SetText(L"keep this text");
    HWND h = box.Hwnd();
    rt.refuseClipboard = true;
    SendMessageW(h, EM_SETSEL, 5, 9);
    SendMessageW(h, WM_CUT, 0, 0);
    SendMessageW(h, WM_CHAR, 24, 0);  // Ctrl+X
    EXPECT_EQ(box.Text(), L"keep this text");

    rt.refuseClipboard = false;
    SendMessageW(h, WM_CUT, 0, 0);
    EXPECT_EQ(box.Text(), L"keep  text");
    EXPECT_EQ(ui::ClipboardText().value_or(L""), L"this");
}

}  // namespace
