// The time from a key on the cross-hair to the inspector's boxes written, measured from outside
// as a keyboard user meets it: dorvane.exe at its main window, a window of this program with
// two children, Tab to the cross-hair, Enter picks the window, then Right and Left walk between
// the two children. Each key goes in through SendInput; the clock stops when the hidden
// txtMhWnd, the last box a pick writes, names the window the key leads to.
//   pick_bench.exe [keys]     (default 200)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "build_folder.h"
#include "driver.h"
#include "session.h"
#include "target_windows.h"

namespace {

void Key(WORD vk) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[0].ki.wScan = in[1].ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

double Ms(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& f) {
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(f.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int keys = argc > 1 ? std::max(2, _wtoi(argv[1])) : 200;
    DriveTheBuildFoldersProgram();
    e2e::MainSession s = e2e::StartToMain();
    if (!s.main) {
        std::printf("dorvane.exe did not start\n");
        return 1;
    }
    RECT m;
    GetWindowRect(s.main, &m);
    HWND top = nullptr;
    e2e::TargetThread targets([&] {
        top = e2e::MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, L"Bench target",
                              RECT{0, m.bottom + 10, 420, m.bottom + 210});
        e2e::MakeWindow(WS_CHILD | WS_VISIBLE, L"One", RECT{20, 20, 140, 60}, top, L"BUTTON");
        e2e::MakeWindow(WS_CHILD | WS_VISIBLE, L"Two", RECT{160, 20, 280, 60}, top, L"BUTTON");
    });
    // Away to the target and back, then Tab to the cross-hair and Enter.
    e2e::Activate(top);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(s.main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    e2e::Activate(s.main);
    HWND box = s(L"picCrossHair"), picked = s(L"txtMhWnd");
    for (int i = 0; i < 60 && e2e::FocusIn(s.main) != box; ++i) {
        const HWND before = e2e::FocusIn(s.main);
        e2e::PressKey(VK_TAB);
        e2e::WaitUntil([&] { return e2e::FocusIn(s.main) != before; }, 5000);
    }
    e2e::PressKey(VK_RETURN);
    e2e::PressKey(VK_DOWN);
    HWND first = GetWindow(top, GW_CHILD), second = GetWindow(first, GW_HWNDNEXT);
    if (e2e::FocusIn(s.main) != box ||
        !e2e::WaitUntil([&] { return e2e::Text(picked) == e2e::Num(first); }, 10000)) {
        std::printf("the cross-hair never picked the target's first child\n");
        return 1;
    }

    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    std::vector<double> ms;
    int lost = 0;
    for (int i = 0; i < keys; ++i) {
        const bool right = i % 2 == 0;
        const std::wstring want = e2e::Num(right ? second : first);
        QueryPerformanceCounter(&t0);
        Key(right ? VK_RIGHT : VK_LEFT);
        bool seen = false;
        do {
            seen = e2e::Text(picked) == want;
            QueryPerformanceCounter(&t1);
        } while (!seen && Ms(t0, t1, f) < 2000);
        if (!seen) {
            ++lost;
            e2e::WaitUntil([&] { return e2e::Text(picked) == want; }, 3000);
            continue;
        }
        ms.push_back(Ms(t0, t1, f));
        Sleep(20);  // a person's fastest repeat is slower than this
    }
    if (ms.empty()) {
        std::printf("no key was answered\n");
        return 1;
    }
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    double total = 0;
    for (double v : ms) total += v;
    const auto at = [&](double q) {
        return sorted[std::min(sorted.size() - 1, static_cast<size_t>(q * sorted.size()))];
    };
    std::printf(
        "key to fields written: mean %.2f ms, median %.2f ms, 95th %.2f ms, worst %.2f ms over "
        "%zu keys (%d not answered within 2 s)\n",
        total / ms.size(), at(0.5), at(0.95), sorted.back(), ms.size(), lost);
    return lost ? 1 : 0;
}
