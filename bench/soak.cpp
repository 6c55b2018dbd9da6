// Leak soak against the running program: starts dorvane.exe, then drives it from outside with
// 500 console commands, 200 process-list refreshes and 200 cross-hair picks, and reports the
// process's handle count, GDI and USER object counts and working set at the start, after the
// first 50 iterations and at the end.
//   soak.exe [commands refreshes picks]
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "build_folder.h"
#include "driver.h"
#include "session.h"

using namespace e2e;

namespace {

struct Sample {
    DWORD handles = 0, gdi = 0, user = 0;
    SIZE_T workingSet = 0;
};

Sample Take(HANDLE process) {
    Sample s;
    s.handles = static_cast<DWORD>(HandleCount(GetProcessId(process)));
    s.gdi = GetGuiResources(process, GR_GDIOBJECTS);
    s.user = GetGuiResources(process, GR_USEROBJECTS);
    // Where the system keeps no USER count (Wine), the process's windows stand in for it.
    if (s.user == 0) s.user = static_cast<DWORD>(WindowCount(GetProcessId(process)));
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(process, &pmc, sizeof pmc)) s.workingSet = pmc.WorkingSetSize;
    return s;
}

void Print(const char* when, const Sample& s) {
    std::printf("%-22s handles %5lu  gdi %5lu  user %5lu  working set %8.1f MB\n", when, s.handles,
                s.gdi, s.user, s.workingSet / 1048576.0);
    std::fflush(stdout);
}

// Presses a button of the main form the way its own click would, and waits for the handler.
void Press(HWND form, HWND button) {
    DWORD_PTR r;
    SendMessageTimeoutW(form, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                        reinterpret_cast<LPARAM>(button), SMTO_NORMAL, 60000, &r);
}

void Pick(HWND box, POINT target) {
    POINT from = CentreOf(box);
    MouseMove(from);
    MouseButton(true);
    for (int k = 1; k <= 4; ++k)
        MouseMove(
            POINT{from.x + (target.x - from.x) * k / 4, from.y + (target.y - from.y) * k / 4});
    MouseButton(false);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int commands = argc > 1 ? _wtoi(argv[1]) : 500;
    int refreshes = argc > 2 ? _wtoi(argv[2]) : 200;
    int picks = argc > 3 ? _wtoi(argv[3]) : 200;
    const int kWarmUp = 50;
    DriveTheBuildFoldersProgram();

    MainSession s = StartToMain();
    if (!s.main) {
        std::printf("the program did not start\n");
        return 1;
    }
    HANDLE process = s.app->Process();
    Sample start = Take(process), warm = start;
    Print("start", start);

    std::wstring child = L"\"" + TestChildPath() + L"\" lines soak";
    int total = std::max(commands, std::max(refreshes, picks));
    POINT target = CentreOf(s(L"lstProcess"));
    for (int i = 0; i < total; ++i) {
        if (i < commands) {
            SendMessageTimeoutW(s(L"txtCommand"), WM_SETTEXT, 0,
                                reinterpret_cast<LPARAM>(child.c_str()), SMTO_NORMAL, 5000,
                                nullptr);
            Press(s.main, s(L"cmdExecute"));
        }
        if (i < refreshes) Press(s.main, s(L"cmdRefresh"));
        if (i < picks) Pick(s(L"picCrossHair"), target);
        if (i + 1 == kWarmUp) {
            warm = Take(process);
            Print("after 50 iterations", warm);
        }
    }
    Sleep(500);
    Sample end = Take(process);
    Print("end", end);

    long dh = static_cast<long>(end.handles) - static_cast<long>(start.handles);
    long dg = static_cast<long>(end.gdi) - static_cast<long>(start.gdi);
    long du = static_cast<long>(end.user) - static_cast<long>(start.user);
    double ws =
        warm.workingSet
            ? 100.0 * (static_cast<double>(end.workingSet) - static_cast<double>(warm.workingSet)) /
                  static_cast<double>(warm.workingSet)
            : 0.0;
    std::printf("%d commands, %d refreshes, %d picks\n", commands, refreshes, picks);
    std::printf("handles %+ld, gdi %+ld, user %+ld (target: within 5)%s\n", dh, dg, du,
                start.gdi == 0 && end.gdi == 0
                    ? "  [no GDI count on this system; USER = the process's windows]"
                    : "");
    std::printf("working set %+.1f %% after the first 50 iterations (target: within 10 %%)\n", ws);
    // The cross-hair's mark is made once, at the first drag (a thread and four windows), and
    // then reused: from the 50th iteration on nothing may grow, and no part of it may stay on
    // screen.
    long wh = static_cast<long>(end.handles) - static_cast<long>(warm.handles);
    long wu = static_cast<long>(end.user) - static_cast<long>(warm.user);
    size_t marks = TopWindows(GetProcessId(process), L"DorvaneTargetMark").size();
    std::printf(
        "from the 50th iteration: handles %+ld, user %+ld; mark windows left on screen: %zu\n", wh,
        wu, marks);
    bool ok =
        std::labs(dh) <= 5 && std::labs(dg) <= 5 && std::labs(du) <= 5 && ws <= 10.0 && marks == 0;
    std::printf("%s\n", ok ? "PASS" : "FAIL");
    s.app->Kill();
    return ok ? 0 : 1;
}
