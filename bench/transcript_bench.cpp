// Find and Save As over a long transcript, side by side in one run, in the transcript box of a
// main window of this process (default 100 MB of 80-column lines: 78 letters, CR LF):
//   find    a text that is not there, matching case and ignoring it (the whole transcript is
//           read once, around the end), through the pane's own Find;
//   save    the pane's Save As to a file (and the same without the flush it makes before the
//           move), against a bare loop that writes the same UTF-8 bytes (made beforehand)
//           with WriteFile in 1 MB writes, with and without that flush; and the save's peak
//           working-set growth, sampled every millisecond by a thread of its own.
// Each is timed five times, interleaved, the fastest counting.
//   transcript_bench [MB]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "console/console_pane.h"
#include "console/text_file.h"
#include "console/transcript.h"
#include "mainwin/main_form.h"
#include "ui/error_modes.h"
#include "ui/form.h"
#include "ui/runtime.h"

namespace {

const int kReps = 5;

// The save's file calls as they are, but for the flush before the move: what the save costs
// without the wait for the disk.
struct NoFlush : console::TextFile::System {
    BOOL Flush(HANDLE) override { return TRUE; }
};

// Misses are counted, not shown.
struct QuietRuntime : ui::Runtime {
    int boxes = 0;
    int MsgBox(const std::wstring&, UINT, std::optional<std::wstring>) override {
        ++boxes;
        return IDOK;
    }
};

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

template <typename F>
double Time(F&& f) {
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    f();
    QueryPerformanceCounter(&b);
    return Seconds(a, b);
}

SIZE_T WorkingSet() {
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.WorkingSetSize;
}

// The highest working set while f runs, less the working set before it.
template <typename F>
double GrowthMb(F&& f) {
    const SIZE_T before = WorkingSet();
    std::atomic<bool> done{false};
    std::atomic<SIZE_T> most{before};
    std::thread sampler([&] {
        ui::AtBoundary([&] {
            while (!done) {
                most = std::max<SIZE_T>(most, WorkingSet());
                Sleep(1);
            }
        });
    });
    f();
    done = true;
    sampler.join();
    return static_cast<double>(most - before) / (1 << 20);
}

// The 80-column lines, as wide text and as the UTF-8 a save writes (after its mark).
std::wstring Lines(size_t chars) {
    std::wstring s(chars, L'\0');
    for (size_t i = 0; i < chars; ++i) {
        const size_t c = i % 80;
        s[i] = c == 78 ? L'\r' : c == 79 ? L'\n' : static_cast<wchar_t>(L'a' + c % 26);
    }
    return s;
}

double BareWrite(const std::wstring& path, const std::string& bytes, bool flush) {
    return Time([&] {
        HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        const size_t mb = size_t(1) << 20;
        for (size_t at = 0; at < bytes.size(); at += mb) {
            DWORD done = 0;
            WriteFile(f, bytes.data() + at, static_cast<DWORD>(std::min(mb, bytes.size() - at)),
                      &done, nullptr);
        }
        if (flush) FlushFileBuffers(f);
        CloseHandle(f);
    });
}

int Run(int mb) {
    QuietRuntime rt;
    ui::Runtime* previous = ui::SetRuntime(&rt);
    mainwin::MainForm main;
    main.Form().Show();
    main.Form().SetTimerEnabled(L"Timer11", false);
    main.Form().SetTimerEnabled(L"Timer1", false);
    ui::Control& box = main[L"txtOutputs"];
    box.SetText(L"");
    const size_t chars = static_cast<size_t>(mb) << 20;
    {
        const std::wstring part = Lines(size_t(1) << 20);
        for (size_t n = 0; n < chars; n += part.size()) box.AppendText(part);
    }
    console::Transcript& transcript = main.Console().TranscriptTools();
    box.SetSelStart(0);

    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring saved = std::wstring(tmp) + L"transcript_bench_save.txt";
    const std::wstring bare = std::wstring(tmp) + L"transcript_bench_bare.txt";
    // Each way replaces the file it wrote before, as the bare loop does: a file flushed to
    // the disk costs more to replace than one still in the cache.
    const std::wstring unflushedFile = std::wstring(tmp) + L"transcript_bench_unflushed.txt";

    // The save's memory first, before the bare loop's bytes are made.
    double growth = GrowthMb([&] { transcript.SaveTo(saved); });
    std::string bytes = "\xEF\xBB\xBF";
    {
        const std::wstring part = Lines(size_t(1) << 20);
        for (size_t n = 0; n < chars; n += part.size()) bytes.append(part.begin(), part.end());
    }

    double exact = 1e9, folded = 1e9, save = 1e9, unflushed = 1e9, plain = 1e9, flushed = 1e9;
    NoFlush noFlush;
    const ui::FindDialog::Request missing{L"no such line here", true, true};
    ui::FindDialog::Request missingAnyCase = missing;
    missingAnyCase.matchCase = false;
    for (int rep = 0; rep < kReps; ++rep) {
        exact = std::min(exact, Time([&] { transcript.FindNext(missing); }));
        folded = std::min(folded, Time([&] { transcript.FindNext(missingAnyCase); }));
        save = std::min(save, Time([&] { transcript.SaveTo(saved); }));
        console::TextFile::System* real = console::TextFile::SetSystem(&noFlush);
        unflushed = std::min(unflushed, Time([&] { transcript.SaveTo(unflushedFile); }));
        console::TextFile::SetSystem(real);
        plain = std::min(plain, BareWrite(bare, bytes, false));
        flushed = std::min(flushed, BareWrite(bare, bytes, true));
    }
    WIN32_FILE_ATTRIBUTE_DATA fa = {};
    GetFileAttributesExW(saved.c_str(), GetFileExInfoStandard, &fa);
    const unsigned long long size =
        (static_cast<unsigned long long>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow;

    printf("transcript of %d MB (%zu characters), best of %d\n", mb, chars, kReps);
    printf("  find, not there, match case     %7.3f s\n", exact);
    printf("  find, not there, ignoring case  %7.3f s   %.2fx match case\n", folded,
           folded / exact);
    printf("  save, %llu bytes          %7.3f s\n", size, save);
    printf("  save without its flush           %7.3f s\n", unflushed);
    printf("  bare loop, 1 MB WriteFile        %7.3f s   unflushed save/bare %.2f\n", plain,
           unflushed / plain);
    printf("  bare loop, then flushed          %7.3f s   save/bare %.2f\n", flushed,
           save / flushed);
    printf("  peak working-set growth while saving: %.1f MB\n", growth);
    printf("  (%d misses reported, %s)\n", rt.boxes,
           size == bytes.size() ? "file as expected" : "FILE SIZE DIFFERS");
    DeleteFileW(saved.c_str());
    DeleteFileW(bare.c_str());
    DeleteFileW(unflushedFile.c_str());
    main.Form().Unload();
    ui::SetRuntime(previous);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int mb = argc > 1 ? std::max(1, _wtoi(argv[1])) : 100;
    return Run(mb);
}
