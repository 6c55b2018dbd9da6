#include "driver.h"

#include "pixels.h"
#include "system_counts.h"
#include "ui/control_id.h"
#include "ui/error_modes.h"

#include <vector>

namespace e2e {

std::wstring ProgramPath() {
    wchar_t env[MAX_PATH];
    if (GetEnvironmentVariableW(L"DORVANE_EXE", env, MAX_PATH)) return env;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring s(self);
    for (int i = 0; i < 3; ++i) s = s.substr(0, s.find_last_of(L'\\'));
    return s + L"\\dorvane.exe";
}

std::wstring TestChildPath() {
    // The program's build folder holds tests\win beside tests\e2e and bench.
    std::wstring exe = ProgramPath();
    return exe.substr(0, exe.find_last_of(L'\\')) + L"\\tests\\win\\test_child.exe";
}

std::wstring ArtefactFolder() { return testpixels::ArtefactFolder(); }

std::unique_ptr<App> App::Start(const std::wstring& exe) {
    auto app = std::unique_ptr<App>(new App());
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    std::wstring cmd = L"\"" + exe + L"\"";
    std::wstring dir = exe.substr(0, exe.find_last_of(L'\\'));
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si,
                        &app->pi_))
        return nullptr;
    WaitForInputIdle(app->pi_.hProcess, 10000);
    return app;
}

App::~App() {
    Kill();
    if (pi_.hThread) CloseHandle(pi_.hThread);
    if (pi_.hProcess) CloseHandle(pi_.hProcess);
}

bool App::Running() const { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

bool App::WaitExit(DWORD ms) { return WaitForSingleObject(pi_.hProcess, ms) == WAIT_OBJECT_0; }

void App::Kill() {
    if (pi_.hProcess && Running()) {
        TerminateProcess(pi_.hProcess, 1);
        WaitForSingleObject(pi_.hProcess, 5000);
    }
}

namespace {
struct Search {
    DWORD pid;
    const wchar_t* cls;
    std::vector<HWND> found;
};
BOOL CALLBACK CollectTop(HWND hwnd, LPARAM lp) {
    return ui::AtBoundary<BOOL>(FALSE, [&]() -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid == s->pid && IsWindowVisible(hwnd) && ClassOf(hwnd) == s->cls)
            s->found.push_back(hwnd);
        return TRUE;
    });
}
struct NameSearch {
    const wchar_t* name;
    HWND found;
};
BOOL CALLBACK FindNamed(HWND hwnd, LPARAM lp) {
    return ui::AtBoundary<BOOL>(FALSE, [&]() -> BOOL {
        auto* s = reinterpret_cast<NameSearch*>(lp);
        if (GetWindowLongPtrW(hwnd, GWLP_ID) == ui::ControlId(s->name)) {
            s->found = hwnd;
            return FALSE;
        }
        return TRUE;
    });
}
}  // namespace

std::vector<HWND> TopWindows(DWORD pid, const wchar_t* cls) {
    Search s{pid, cls, {}};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND App::WaitForWindow(const wchar_t* cls, DWORD ms) const {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            auto v = TopWindows(pi_.dwProcessId, cls);
            found = v.empty() ? nullptr : v.front();
            return found != nullptr;
        },
        ms);
    return found;
}

HWND App::WaitForMessageBox(DWORD ms) const { return WaitForWindow(L"#32770", ms); }

HWND Control(HWND form, const wchar_t* name) {
    NameSearch s{name, nullptr};
    EnumChildWindows(form, FindNamed, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::wstring Text(HWND hwnd) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &len))
        return L"<no answer>";
    std::vector<wchar_t> buf(len + 2);
    DWORD_PTR got = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                        SMTO_ABORTIFHUNG, 5000, &got);
    return std::wstring(buf.data(), got);
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t cls[256] = L"";
    GetClassNameW(hwnd, cls, 256);
    return cls;
}

HWND FocusIn(HWND anyWindowOfThread) {
    GUITHREADINFO gi = {};
    gi.cbSize = sizeof gi;
    DWORD tid = GetWindowThreadProcessId(anyWindowOfThread, nullptr);
    if (!GetGUIThreadInfo(tid, &gi)) return nullptr;
    return gi.hwndFocus;
}

std::wstring MessageBoxText(HWND box) {
    HWND text = GetDlgItem(box, 0xFFFF);
    return text ? Text(text) : std::wstring();
}

void PressMessageBoxButton(HWND box, int id) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

void Activate(HWND top) {
    SetForegroundWindow(top);
    WaitUntil([&] { return GetForegroundWindow() == top; }, 2000);
}

namespace {
void SendKey(WORD vk, bool up) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}
}  // namespace

void PressKey(WORD vk, bool shift, bool ctrl) {
    if (ctrl) SendKey(VK_CONTROL, false);
    if (shift) SendKey(VK_SHIFT, false);
    SendKey(vk, false);
    SendKey(vk, true);
    if (shift) SendKey(VK_SHIFT, true);
    if (ctrl) SendKey(VK_CONTROL, true);
    Sleep(30);
}

void TypeText(const std::wstring& text) {
    for (wchar_t ch : text) {
        SHORT scan = VkKeyScanW(ch);
        if (scan == -1) {
            INPUT in[2] = {};
            in[0].type = in[1].type = INPUT_KEYBOARD;
            in[0].ki.wScan = in[1].ki.wScan = ch;
            in[0].ki.dwFlags = KEYEVENTF_UNICODE;
            in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
            SendInput(2, in, sizeof(INPUT));
            Sleep(10);
            continue;
        }
        PressKey(LOBYTE(scan), (HIBYTE(scan) & 1) != 0);
    }
}

void MouseMove(POINT p) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(p.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(p.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
    Sleep(15);
}

void MouseButton(bool down, bool right) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = right ? (down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP)
                          : (down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
    SendInput(1, &in, sizeof in);
    Sleep(30);
}

void ClickAt(POINT p, bool right) {
    MouseMove(p);
    MouseButton(true, right);
    MouseButton(false, right);
}

POINT CentreOf(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

long HandleCount(DWORD pid) { return testcounts::HandleCount(pid); }

namespace {
BOOL CALLBACK CountChildren(HWND, LPARAM lp) {
    return ui::AtBoundary<BOOL>(FALSE, [&]() -> BOOL {
        ++*reinterpret_cast<long*>(lp);
        return TRUE;
    });
}
struct WindowTally {
    DWORD pid;
    long n;
};
BOOL CALLBACK CountTop(HWND hwnd, LPARAM lp) {
    return ui::AtBoundary<BOOL>(FALSE, [&]() -> BOOL {
        auto* t = reinterpret_cast<WindowTally*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid == t->pid) {
            ++t->n;
            EnumChildWindows(hwnd, CountChildren, reinterpret_cast<LPARAM>(&t->n));
        }
        return TRUE;
    });
}
}  // namespace

long WindowCount(DWORD pid) {
    WindowTally t{pid, 0};
    EnumWindows(CountTop, reinterpret_cast<LPARAM>(&t));
    return t.n;
}

bool WaitUntil(const std::function<bool()>& cond, DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        if (cond()) return true;
        if (GetTickCount() - start > ms) return false;
        Sleep(25);
    }
}

std::wstring SaveScreenshot(const std::wstring& name) {
    return testpixels::SaveScreen(
        name, {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

}  // namespace e2e
