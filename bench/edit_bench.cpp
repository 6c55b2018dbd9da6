// Editing benchmark: how long the transcript box keeps its window from answering after a key
// typed at the top of a long transcript, side by side for N MB (default 1, 20 and 100).
//
// The transcript box of a shown main window is filled with N MB of 80-column lines, appended a
// megabyte at a time as output arrives. Each measurement puts the caret at the top, posts one
// key to the box (a character at the start, or Backspace after the first character) and pumps
// the window's messages until none is left: the key handled and the box repainted. That is the
// time in which the window could answer nothing else. Each size takes kReps characters, each
// followed by a Backspace that takes it out again; the median of each counts. Prints the times
// and each size against the first.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "mainwin/main_form.h"
#include "ui/form.h"
#include "ui/runtime.h"

namespace {

const int kReps = 9;

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

// Handles everything the thread's windows have to do, painting included.
void PumpUntilIdle() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// One key posted to the box with its caret at caret, and the time until its window is idle
// again. (The console pane puts the caret at the end after every change, as it does for output.)
double KeyTime(HWND box, int caret, wchar_t key) {
    SendMessageW(box, EM_SETSEL, caret, caret);
    PumpUntilIdle();
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    PostMessageW(box, WM_CHAR, key, 1);
    PumpUntilIdle();
    QueryPerformanceCounter(&b);
    return Seconds(a, b);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// N MB of 80-column lines (78 letters, CR LF), appended a megabyte at a time.
bool Fill(ui::Control& box, int mb) {
    std::wstring chunk;
    for (int i = 0; i < (1 << 20); ++i) {
        const int c = i % 80;
        chunk.push_back(c == 78 ? L'\r' : c == 79 ? L'\n' : static_cast<wchar_t>(L'a' + c % 26));
    }
    box.SetText(L"");
    for (int i = 0; i < mb; ++i) {
        box.AppendText(chunk);
        PumpUntilIdle();
    }
    return static_cast<long long>(box.TextLength()) == static_cast<long long>(mb) << 20;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    ui::SetAppTitle(L"MORAVELT");
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        if (_wtoi(argv[i]) > 0) sizes.push_back(_wtoi(argv[i]));
    if (sizes.empty()) sizes = {1, 20, 100};

    mainwin::MainForm main;
    main.Form().Show();
    // No timer of the main window ticks into the measurements.
    main.Form().SetTimerEnabled(L"Timer1", false);
    main.Form().SetTimerEnabled(L"Timer11", false);
    ui::Control& transcript = main[L"txtOutputs"];
    HWND box = transcript.Hwnd();

    std::printf("%6s %12s %12s %12s %10s\n", "N(MB)", "fill(s)", "type(ms)", "delete(ms)",
                "vs first");
    double first = 0;
    for (int mb : sizes) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        if (!Fill(transcript, mb)) {
            std::printf("%6d the box did not take the text (%d characters)\n", mb,
                        transcript.TextLength());
            return 1;
        }
        QueryPerformanceCounter(&b);
        std::vector<double> typed, deleted;
        const long long length = static_cast<long long>(mb) << 20;
        bool took = true;
        for (int i = 0; i < kReps; ++i) {
            typed.push_back(KeyTime(box, 0, L'x'));
            took = took && transcript.TextLength() == length + 1;
            deleted.push_back(KeyTime(box, 1, L'\b'));
        }
        if (!took || transcript.TextLength() != length) {
            std::printf("%6d the box refused the keys (full)\n", mb);
            transcript.SetText(L"");
            continue;
        }
        const double t = Median(typed) * 1000, d = Median(deleted) * 1000;
        if (first == 0) first = std::max(t, d);
        std::printf("%6d %12.2f %12.3f %12.3f %10.2f\n", mb, Seconds(a, b), t, d,
                    std::max(t, d) / first);
        std::fflush(stdout);
        transcript.SetText(L"");
    }
    main.Form().Unload();
    return 0;
}
