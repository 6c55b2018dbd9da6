// Console capture benchmark: what the console pane costs against a bare pipe, side by side
// in one run, for what users type. Two commands, each for N MB (default 2, 10 and 100):
//   child  the test child writing lines of 78 letters with large WriteFile calls;
//   type   "cmd /c type FILE" of a file of 80-column lines the benchmark makes (cmd writes
//          a line at a time, through its console's code page).
// Each is captured in these ways:
//   plain    a bare loop of 256-byte ReadFile calls in a process of its own that has no
//            console, which starts the command with none either: the least a pipe costs
//            (a plain program without a console starts a command so under Wine);
//   console  the same loop in this process, which holds a console like the program's (no
//            window, ANSI code page), so the child runs attached to it;
//   runner   the command runner, with a listener that discards each chunk;
//   pane     the console pane, into the (emptied) transcript box of a shown main window;
//   program  dorvane.exe itself, started once and driven from outside as a user would: the
//            command typed into its command box and its Run button pressed;
//   feed     the same text handed straight to the pane's listener a read at a time, with no
//            child and no pipe: what the program's own code costs.
// Prints the times and the ratios pane/plain, pane/console and program/plain, and every way's
// cost per byte at the largest N against the one before it. --reps K runs each way K times at
// every size; --feed times the feed way alone.
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
#include "build_folder.h"
#include "driver.h"
#include "session.h"
#include "console/shelvoxs.h"
#include "mainwin/main_form.h"
#include "win/native_system.h"
#include "ui/form.h"
#include "ui/runtime.h"

namespace {

const int kReps = 3;

std::wstring ChildCommand(long long bytes) {
    return L"\"" + BuildFolder() + L"\\tests\\win\\test_child.exe\" bytes " +
           std::to_wstring(bytes);
}

// The i-th character of a text of 80-column lines: 78 letters, CR LF.
char LineChar(long long i) {
    const int c = static_cast<int>(i % 80);
    return c == 78 ? '\r' : c == 79 ? '\n' : static_cast<char>('a' + c % 26);
}

// The main window shown for a measurement, without the start-up help's run in the way.
void ShowForMeasuring(mainwin::MainForm& main) {
    main.Form().Show();
    main.Form().SetTimerEnabled(L"Timer11", false);
}

// A text file of N bytes in 80-column lines (78 letters, CR LF) for cmd's "type".
std::wstring TypeCommand(long long bytes) {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring file =
        std::wstring(tmp) + L"console_bench_" + std::to_wstring(bytes) + L".txt";
    WIN32_FILE_ATTRIBUTE_DATA fa = {};
    const bool there =
        GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &fa) &&
        ((static_cast<long long>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow) == bytes;
    if (!there) {
        std::string block;
        for (int i = 0; i < 65520; ++i) block.push_back(LineChar(i));
        HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        for (long long left = bytes; left > 0;) {
            DWORD k = static_cast<DWORD>(left < 65520 ? left : 65520), done = 0;
            WriteFile(h, block.data(), k, &done, nullptr);
            left -= k;
        }
        CloseHandle(h);
    }
    return L"cmd /c type \"" + file + L"\"";
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

// flags: how the child is created (DETACHED_PROCESS: with no console at all).
long long BareReadLoop(const std::wstring& cmd, DWORD flags) {
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
    {
        win::NativeSystemFiles native;  // the same cmd as the program's runner starts
        CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, flags, nullptr, nullptr, &si,
                       &pi);
    }
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

Memory MemoryOf(HANDLE process) {
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(process, &pmc, sizeof pmc);
    return {pmc.WorkingSetSize, pmc.PeakWorkingSetSize};
}

Memory MemoryNow() { return MemoryOf(GetCurrentProcess()); }

// One measurement, in this process: the console pane (or the runner's ExecuteCommand with the
// pane's listener) captures N MB; prints the peak growth per output byte.
int MeasureOnce(const std::wstring& way, int mb) {
    mainwin::MainForm main;
    ShowForMeasuring(main);
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

// The real program, driven from outside: the command into txtCommand, then its Run button's
// click, whose handler returns when the run has ended. Empties the transcript first; the
// transcript's length afterwards, or -1 when the program did not answer.
struct Program {
    e2e::MainSession s;
    bool Start() {
        DriveTheBuildFoldersProgram();
        s = e2e::StartToMain();
        return s.main != nullptr;
    }
    long long Run(const std::wstring& cmd) {
        DWORD_PTR r = 0;
        const std::wstring empty;
        SendMessageTimeoutW(s(L"txtOutputs"), WM_SETTEXT, 0,
                            reinterpret_cast<LPARAM>(empty.c_str()), SMTO_NORMAL, 60000, &r);
        SendMessageTimeoutW(s(L"txtCommand"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(cmd.c_str()),
                            SMTO_NORMAL, 60000, &r);
        HWND run = s(L"cmdExecute");
        if (!SendMessageTimeoutW(s.main, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(run), BN_CLICKED),
                                 reinterpret_cast<LPARAM>(run), SMTO_NORMAL, 3600000, &r))
            return -1;
        if (!SendMessageTimeoutW(s(L"txtOutputs"), WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 60000, &r))
            return -1;
        return static_cast<long long>(r);
    }
};

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
    // The program itself, a fresh start for each command, measured from outside.
    const long long bytes = static_cast<long long>(mb) << 20;
    for (const wchar_t* kind : {L"child", L"type"}) {
        Program program;
        if (!program.Start()) return 1;
        program.Run(ChildCommand(4096));
        const std::wstring cmd =
            std::wstring(kind) == L"type" ? TypeCommand(bytes) : ChildCommand(bytes);
        Memory base = MemoryOf(program.s.app->Process());
        long long got = program.Run(cmd);
        Memory after = MemoryOf(program.s.app->Process());
        program.s.app->Kill();
        if (got != bytes) {
            std::printf("short read: %lld of %lld\n", got, bytes);
            return 1;
        }
        double growth = static_cast<double>(after.peak) - static_cast<double>(base.now);
        std::printf("program (%ls) %d %.2f\n", kind, mb, growth / static_cast<double>(bytes));
        std::fflush(stdout);
    }
    return 0;
}

// The transcript alone: N MB of 80-column text handed to the console pane's listener in
// chunks of one read each, with the window's messages pumped as often as a run pumps them.
// No child and no pipe: what the program's own code costs per byte of output.
double FeedTranscript(mainwin::MainForm& main, long long bytes) {
    std::wstring pattern;
    for (int i = 0; i < 80 * 16; ++i) pattern.push_back(static_cast<wchar_t>(LineChar(i)));
    const size_t chunk = console::Shelvoxs::kReadSize;
    console::Shelvoxs& runner = *main.objDOS();
    return Time([&] {
        DWORD lastPump = GetTickCount();
        for (long long done = 0; done < bytes;) {
            const size_t k = static_cast<size_t>(std::min<long long>(chunk, bytes - done));
            runner.ReceiveOutputs(pattern.substr(static_cast<size_t>(done % 80), k));
            done += static_cast<long long>(k);
            if (GetTickCount() - lastPump >= console::Shelvoxs::kPumpIntervalMs) {
                MSG msg;
                while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
                lastPump = GetTickCount();
            }
        }
    });
}

// --feed: the transcript alone at each size, three times each, the fastest counting.
int FeedOnly(const std::vector<int>& sizes) {
    mainwin::MainForm main;
    ShowForMeasuring(main);
    double first = 0;
    for (int mb : sizes) {
        double best = 1e30;
        for (int rep = 0; rep < kReps; ++rep) {
            best = std::min(best, FeedTranscript(main, static_cast<long long>(mb) << 20));
            main[L"txtOutputs"].SetText(L"");
        }
        if (first == 0) first = best / mb;
        std::printf("feed %6d MB %9.3f s, cost per byte against %d MB %.2f\n", mb, best,
                    sizes.front(), best / mb / first);
        std::fflush(stdout);
    }
    main.Form().Unload();
    return 0;
}

// A bare loop in a process of its own without a console (this program again, with --bare),
// as a plain program starts a command; its time, or a negative one when it failed.
double PlainBareLoop(const std::wstring& cmd, long long bytes) {
    wchar_t self[MAX_PATH], tmp[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring result = std::wstring(tmp) + L"console_bench_bare.txt";
    DeleteFileW(result.c_str());
    std::wstring line = L"\"" + std::wstring(self) + L"\" --bare \"" + result + L"\" " + cmd;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                        nullptr, &si, &pi))
        return -1;
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    double seconds = -1;
    long long got = 0;
    if (FILE* f = _wfopen(result.c_str(), L"r")) {
        if (std::fscanf(f, "%lf %lld", &seconds, &got) != 2 || got != bytes) seconds = -1;
        std::fclose(f);
    }
    return seconds;
}

// The program's console: its own, windowless, in the ANSI code page (a console program
// would otherwise keep the one it was started with).
void ConsoleLikeTheProgram() {
    console::Shelvoxs::MakeOwnConsole();
    console::Shelvoxs::PrepareConsole();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    ui::SetAppTitle(L"MORAVELT");
    if (argc == 4 && std::wstring(argv[1]) == L"--measure")
        return MeasureOnce(argv[2], _wtoi(argv[3]));
    if (argc >= 2 && std::wstring(argv[1]) == L"--memory")
        return MeasureMemory(argc > 2 ? _wtoi(argv[2]) : 20);
    if (argc >= 4 && std::wstring(argv[1]) == L"--bare") {
        // The rest of the command line is the command, as the parent wrote it.
        std::wstring all = GetCommandLineW();
        const std::wstring marker = std::wstring(argv[2]) + L"\" ";
        std::wstring cmd = all.substr(all.find(marker) + marker.size());
        long long got = 0;
        double t = Time([&] { got = BareReadLoop(cmd, DETACHED_PROCESS); });
        if (FILE* f = _wfopen(argv[2], L"w")) {
            std::fprintf(f, "%.6f %lld\n", t, got);
            std::fclose(f);
        }
        return 0;
    }
    std::vector<int> sizes, defaults = {2, 10, 100};
    std::vector<std::wstring> kinds;
    bool feedOnly = false;
    int repsAsked = 0;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        if (a == L"child" || a == L"type")
            kinds.push_back(a);
        else if (a == L"--feed")
            feedOnly = true;
        else if (a == L"--reps" && i + 1 < argc)
            repsAsked = _wtoi(argv[++i]);
        else if (_wtoi(argv[i]) > 0)
            sizes.push_back(_wtoi(argv[i]));
    }
    if (sizes.empty()) sizes = defaults;
    if (kinds.empty()) kinds = {L"child", L"type"};
    if (feedOnly) return FeedOnly(sizes);
    Program program;
    if (!program.Start()) {
        std::printf("dorvane.exe did not start\n");
        return 1;
    }
    ConsoleLikeTheProgram();
    mainwin::MainForm main;
    ShowForMeasuring(main);

    std::printf("%-6s %6s %9s %9s %9s %9s %10s %9s %11s %13s %14s\n", "what", "N(MB)", "plain(s)",
                "console(s)", "runner(s)", "pane(s)", "program(s)", "feed(s)", "pane/plain",
                "pane/console", "program/plain");
    const char* wayNames[] = {"plain", "console", "runner", "pane", "program", "feed"};
    const int kWays = 6;
    for (const std::wstring& kind : kinds) {
        std::vector<std::vector<double>> perMb(kWays);  // seconds per MB, by way and size
        for (int mb : sizes) {
            long long bytes = static_cast<long long>(mb) << 20;
            std::wstring cmd = kind == L"type" ? TypeCommand(bytes) : ChildCommand(bytes);
            // Each way runs kReps times (once from 50 MB on) or --reps times at every size,
            // interleaved; the fastest run of each counts, which keeps other load on the machine
            // out of the ratios. The cost per byte compares like with like only when every size
            // had the same number of runs.
            const int reps = repsAsked > 0 ? repsAsked : mb >= 50 ? 1 : kReps;
            double t[kWays];
            std::fill(t, t + kWays, 1e30);
            for (int rep = 0; rep < reps; ++rep) {
                t[0] = std::min(t[0], PlainBareLoop(cmd, bytes));
                long long readA = 0;
                size_t readB = 0;
                t[1] = std::min(t[1], Time([&] { readA = BareReadLoop(cmd, 0); }));
                console::Shelvoxs runner;
                runner.ReceiveOutputs = [&](std::wstring chunk) { readB += chunk.size(); };
                t[2] = std::min(t[2], Time([&] { runner.ExecuteCommand(cmd); }));
                main[L"txtOutputs"].SetText(L"");
                t[3] = std::min(t[3], Time([&] {
                                    main[L"txtCommand"].SetText(cmd);
                                    main.Console().cmdExecute_Click();
                                }));
                size_t readC = static_cast<size_t>(main[L"txtOutputs"].TextLength());
                main[L"txtOutputs"].SetText(L"");
                long long readD = 0;
                t[4] = std::min(t[4], Time([&] { readD = program.Run(cmd); }));
                t[5] = std::min(t[5], FeedTranscript(main, bytes));
                size_t readE = static_cast<size_t>(main[L"txtOutputs"].TextLength());
                main[L"txtOutputs"].SetText(L"");
                if (t[0] < 0 || readA != bytes || readB != static_cast<size_t>(bytes) ||
                    readC != static_cast<size_t>(bytes) || readD != bytes ||
                    readE != static_cast<size_t>(bytes)) {
                    std::printf(
                        "short read: plain=%s console=%lld runner=%zu pane=%zu program=%lld "
                        "feed=%zu of %lld\n",
                        t[0] < 0 ? "failed" : "ok", readA, readB, readC, readD, readE, bytes);
                    return 1;
                }
            }
            std::printf("%-6ls %6d %9.3f %9.3f %9.3f %9.3f %10.3f %9.3f %11.2f %13.2f %14.2f\n",
                        kind.c_str(), mb, t[0], t[1], t[2], t[3], t[4], t[5], t[3] / t[0],
                        t[3] / t[1], t[4] / t[0]);
            std::fflush(stdout);
            for (int w = 0; w < kWays; ++w) perMb[w].push_back(t[w] / mb);
        }
        if (sizes.size() >= 2) {
            // Linear when each way's cost per byte stays put as N grows (1.00).
            std::printf("%-6ls cost per byte, %d MB against %d MB:", kind.c_str(), sizes.back(),
                        sizes[sizes.size() - 2]);
            for (int w = 0; w < kWays; ++w)
                std::printf(" %s %.2f%s", wayNames[w],
                            perMb[w].back() / perMb[w][perMb[w].size() - 2],
                            w + 1 < kWays ? "," : "\n");
        }
    }
    main.Form().Unload();
    program.s.app->Kill();
    return 0;
}
