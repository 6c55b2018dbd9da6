// The process list as a keyboard user meets it: the list filled at start, the unseen "Refresh"
// and "Terminate" buttons reached with Tab and pressed with Space or Enter.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver.h"
#include "session.h"

namespace e2e {
namespace {

std::vector<std::wstring> Items(HWND list) {
    std::vector<std::wstring> out;
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count)) return out;
    for (WPARAM i = 0; i < count; ++i) {
        DWORD_PTR len = 0;
        SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, 5000, &len);
        std::vector<wchar_t> buf(len + 1);
        DWORD_PTR got = 0;
        SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf.data()),
                            SMTO_ABORTIFHUNG, 5000, &got);
        out.emplace_back(buf.data(), got);
    }
    return out;
}

int CountOf(HWND list, const std::wstring& name) {
    std::vector<std::wstring> items = Items(list);
    return static_cast<int>(std::count(items.begin(), items.end(), name));
}

std::wstring Selected(HWND list) {
    LRESULT i = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (i == LB_ERR) return L"";
    std::vector<std::wstring> items = Items(list);
    return static_cast<size_t>(i) < items.size() ? items[static_cast<size_t>(i)] : L"";
}

// Copies of the probe program, started in their waiting mode and ended when the test ends.
class Probes {
public:
    Probes() {
        wchar_t self[MAX_PATH], tmp[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring dir(self);
        dir = dir.substr(0, dir.find_last_of(L'\\'));
        source_ = dir.substr(0, dir.find_last_of(L'\\')) + L"\\win\\proc_probe.exe";
        GetTempPathW(MAX_PATH, tmp);
        folder_ = std::wstring(tmp) + L"dorvane-plist-e2e\\";
        CreateDirectoryW(folder_.c_str(), nullptr);
    }
    ~Probes() {
        for (PROCESS_INFORMATION& pi : started_) {
            TerminateProcess(pi.hProcess, 1);
            WaitForSingleObject(pi.hProcess, 5000);
            CloseHandle(pi.hProcess);
        }
        for (const std::wstring& f : files_) DeleteFileW(f.c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    // Starts a copy named name; returns its process handle (owned here).
    HANDLE Start(const std::wstring& name) {
        std::wstring exe = folder_ + name;
        if (std::find(files_.begin(), files_.end(), exe) == files_.end()) {
            EXPECT_TRUE(CopyFileW(source_.c_str(), exe.c_str(), FALSE)) << "no proc_probe.exe";
            files_.push_back(exe);
        }
        std::wstring cmd = L"\"" + exe + L"\" wait";
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi)) {
            ADD_FAILURE() << "cannot start a copy of the probe";
            return nullptr;
        }
        CloseHandle(pi.hThread);
        started_.push_back(pi);
        return pi.hProcess;
    }

private:
    std::wstring source_, folder_;
    std::vector<std::wstring> files_;
    std::vector<PROCESS_INFORMATION> started_;
};

bool Ended(HANDLE process, DWORD ms = 5000) {
    return WaitForSingleObject(process, ms) == WAIT_OBJECT_0;
}

void TabTo(const MainSession& s, HWND target, bool backwards = false) {
    for (int i = 0; i < 40 && FocusIn(s.main) != target; ++i) {
        HWND before = FocusIn(s.main);
        PressKey(VK_TAB, backwards);
        WaitUntil([&] { return FocusIn(s.main) != before; }, 1000);
    }
    ASSERT_EQ(FocusIn(s.main), target) << "Tab never reached the control";
}

TEST(ProcessListE2E, KeyboardUserEndsProcessesByNameThroughTheUnseenButtons) {
    Probes probes;
    HANDLE a = probes.Start(L"zqproc.exe"), b = probes.Start(L"zqproc.exe"),
           c = probes.Start(L"zqproc2.exe");
    ASSERT_TRUE(a && b && c);

    MainSession s = StartToMain();
    ASSERT_TRUE(s.main);
    HWND list = s(L"lstProcess"), terminate = s(L"cmdTerminateProcess"), refresh = s(L"cmdRefresh");
    ASSERT_TRUE(list && terminate && refresh);

    // Filled while the window loaded: every process, this test and the program among them.
    EXPECT_EQ(CountOf(list, L"zqproc.exe"), 2);
    EXPECT_EQ(CountOf(list, L"zqproc2.exe"), 1);
    EXPECT_EQ(CountOf(list, L"dorvane.exe"), 1);
    EXPECT_EQ(CountOf(list, L"e2e_tests.exe"), 1);
    RECT cr, br;
    GetClientRect(s.main, &cr);
    GetWindowRect(terminate, &br);
    MapWindowPoints(nullptr, s.main, reinterpret_cast<POINT*>(&br), 2);
    EXPECT_GE(br.left, cr.right) << "the button lies beyond the client area";

    // Down the list with the arrow keys to zqproc.exe, Tab to "Terminate", Space.
    TabTo(s, list);
    PressKey(VK_HOME);
    for (int i = 0; i < 400 && Selected(list) != L"zqproc.exe"; ++i) PressKey(VK_DOWN);
    ASSERT_EQ(Selected(list), L"zqproc.exe");
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return FocusIn(s.main) == terminate; }, 2000));
    PressKey(VK_SPACE);
    EXPECT_TRUE(Ended(a) && Ended(b)) << "both copies of zqproc.exe end";
    EXPECT_FALSE(Ended(c, 300)) << "zqproc2.exe does not begin with zqproc.exe";
    EXPECT_TRUE(WaitUntil([&] { return CountOf(list, L"zqproc.exe") == 0; }, 3000));
    EXPECT_EQ(CountOf(list, L"zqproc2.exe"), 1);
    EXPECT_EQ(CountOf(list, L"dorvane.exe"), 1);
    EXPECT_EQ(s.app->WaitForMessageBox(0), nullptr) << "no message";

    // A process started since shows after Tab to "Refresh" and Space.
    HANDLE d = probes.Start(L"zqproc.exe");
    EXPECT_EQ(CountOf(list, L"zqproc.exe"), 0) << "the list does not refresh itself";
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return FocusIn(s.main) == refresh; }, 2000));
    PressKey(VK_SPACE);
    EXPECT_TRUE(WaitUntil([&] { return CountOf(list, L"zqproc.exe") == 1; }, 3000));

    // Back to "Terminate" with nothing selected, Enter: the list is rebuilt, nothing ends.
    TerminateProcess(c, 1);
    ASSERT_TRUE(Ended(c));
    PressKey(VK_TAB, true);
    ASSERT_TRUE(WaitUntil([&] { return FocusIn(s.main) == terminate; }, 2000));
    ASSERT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return CountOf(list, L"zqproc2.exe") == 0; }, 3000))
        << "the rebuilt list no longer shows the process that ended";
    EXPECT_FALSE(Ended(d, 300));
    EXPECT_EQ(CountOf(list, L"zqproc.exe"), 1);
    EXPECT_TRUE(s.app->Running());
    SaveScreenshot(L"process-list");
}

}  // namespace
}  // namespace e2e
