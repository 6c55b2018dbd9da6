// Console capture benchmark. A child writes N MB to its standard output (lines of 78
// letters); the output is captured three ways, side by side in one run:
//   a) a bare loop of 256-byte ReadFile calls on an inherited pipe,
//   b) the command runner, with a listener that discards each chunk,
//   c) the console pane, into the (emptied) transcript box of a shown main window.
// Prints the three times and the ratios b/a and c/a for each N, and c(20)/c(5).
//
// With --memory N it measures instead, in a process of its own for each way, the peak
// working-set growth per byte of output while N MB pass through the console pane into the
// transcript, side by side with the same run made through ExecuteCommand, whose result is a
// further copy of the whole output.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "console/console_pane.h"
#include "console/shelvoxs.h"
#include "mainwin/main_form.h"
#include "ui/form.h"
#include "ui/runtime.h"

namespace {

const int kReps = 3;

std::wstring ChildCommand(long long bytes) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    dir = dir.substr(0, dir.find_last_of(L'\\'));
    dir = dir.substr(0, dir.find_last_of(L'\\'));  // build folder
    return L"\"" + dir + L"\\tests\\win\\test_child.exe\" bytes " + std::to_wstring(bytes);
}

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

template <typename F>
double Time(F f) {
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    f();
    QueryPerformanceCounter(&b);
    return Seconds(a, b);
}

long long BareReadLoop(const std::wstring& cmd) {
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE rd = nullptr, wr = nullptr;
    CreatePipe(&rd, &wr, &sa, 0);
    SetHandleInformation(rd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.hStdOutput = si.hStdError = wr;
    PROCESS_INFORMATION pi = {};
    std::wstring line = cmd;
    CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(wr);
    char buf[256];
    DWORD got = 0;
    long long total = 0;
    while (ReadFile(rd, buf, sizeof buf, &got, nullptr)) total += got;
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(rd);
    return total;
}

struct Memory {
    SIZE_T now, peak;
};

Memory MemoryNow() {
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return {pmc.WorkingSetSize, pmc.PeakWorkingSetSize};
}

// One measurement, in this process: the console pane (or the runner's ExecuteCommand with the
// pane's listener) captures N MB; prints the peak growth per output byte.
int MeasureOnce(const std::wstring& way, int mb) {
    ui::SetAppTitle(L"MORAVELT");
    mainwin::MainForm main;
    main.Form().Show();
    main.Form().SetTimerEnabled(L"Timer11", false);
    main.Form().SetTimerEnabled(L"Timer1", false);
    long long bytes = static_cast<long long>(mb) << 20;
    std::wstring cmd = ChildCommand(bytes);
    // A small run first, so that what any run loads once is in the base.
    main[L"txtCommand"].SetText(ChildCommand(4096));
    main.Console().cmdExecute_Click();
    main[L"txtOutputs"].SetText(L"");
    Memory base = MemoryNow();
    if (way == L"pane") {
        main[L"txtCommand"].SetText(cmd);
        main.Console().cmdExecute_Click();
    } else {
        main.objDOS()->ExecuteCommand(cmd);
    }
    Memory after = MemoryNow();
    size_t got = static_cast<size_t>(main[L"txtOutputs"].TextLength());
    if (got != static_cast<size_t>(bytes)) {
        std::printf("short read: %zu of %lld\n", got, bytes);
        return 1;
    }
    double growth = static_cast<double>(after.peak) - static_cast<double>(base.now);
    std::printf("%ls %d %.2f\n", way.c_str(), mb, growth / static_cast<double>(bytes));
    main.Form().Unload();
    return 0;
}

// Runs each way in a fresh copy of this program (a peak is a process's whole-life mark).
int MeasureMemory(int mb) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::printf("peak working-set growth per byte of output, N = %d MB\n", mb);
    std::fflush(stdout);
    for (const wchar_t* way : {L"pane", L"runner-with-copy"}) {
        std::wstring line =
            L"\"" + std::wstring(self) + L"\" --measure " + way + L" " + std::to_wstring(mb);
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                            &pi))
            return 1;
        WaitForSingleObject(pi.hProcess, INFINITE);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wstring(argv[1]) == L"--measure")
        return MeasureOnce(argv[2], _wtoi(argv[3]));
    if (argc >= 2 && std::wstring(argv[1]) == L"--memory")
        return MeasureMemory(argc > 2 ? _wtoi(argv[2]) : 20);
    std::vector<int> sizes = {5, 20};
    if (argc > 1) {
        sizes.clear();
        for (int i = 1; i < argc; ++i) sizes.push_back(_wtoi(argv[i]));
    }
    ui::SetAppTitle(L"MORAVELT");
    mainwin::MainForm main;
    main.Form().Show();
    main.Form().SetTimerEnabled(L"Timer11", false);  // no start-up help in the way

    std::printf("%6s %10s %10s %10s %8s %8s\n", "N(MB)", "a(s)", "b(s)", "c(s)", "b/a", "c/a");
    std::vector<double> cs;
    for (int mb : sizes) {
        long long bytes = static_cast<long long>(mb) << 20;
        std::wstring cmd = ChildCommand(bytes);
        // Each way runs kReps times, interleaved; the fastest run of each counts, which keeps
        // other load on the machine out of the ratios.
        double a = 1e30, b = 1e30, c = 1e30;
        for (int rep = 0; rep < kReps; ++rep) {
            long long readA = 0;
            size_t readB = 0;
            a = std::min(a, Time([&] { readA = BareReadLoop(cmd); }));
            console::Shelvoxs runner;
            runner.ReceiveOutputs = [&](std::wstring chunk) { readB += chunk.size(); };
            b = std::min(b, Time([&] { runner.ExecuteCommand(cmd); }));
            main[L"txtOutputs"].SetText(L"");
            c = std::min(c, Time([&] {
                             main[L"txtCommand"].SetText(cmd);
                             main.Console().cmdExecute_Click();
                         }));
            size_t readC = static_cast<size_t>(main[L"txtOutputs"].TextLength());
            if (readA != bytes || readB != static_cast<size_t>(bytes) ||
                readC != static_cast<size_t>(bytes)) {
                std::printf("short read: a=%lld b=%zu c=%zu of %lld\n", readA, readB, readC, bytes);
                return 1;
            }
        }
        std::printf("%6d %10.3f %10.3f %10.3f %8.2f %8.2f\n", mb, a, b, c, b / a, c / a);
        std::fflush(stdout);
        cs.push_back(c);
    }
    if (cs.size() == 2)
        std::printf("c(%d MB) / c(%d MB) = %.2f\n", sizes[1], sizes[0], cs[1] / cs[0]);
    main.Form().Unload();
    return 0;
}
