// A small console program that the runner tests start as a child, writing known output.
//   test_child bytes N         writes N bytes to standard output: lines of 78 letters + CR LF
//   test_child oneline N       writes N letters with no line break at all
//   test_child interleave N    alternates N numbered lines between standard output and error
//   test_child silent          writes nothing
//   test_child lines TEXT...   writes each argument on its own line
//   test_child linger MS       starts a copy of itself that sleeps MS ms holding the pipe,
//                              writes "parent done" and ends at once
//   test_child sleep MS        writes "sleeping", sleeps MS ms, writes "awake"
//   test_child window          shows a window, reports whether it was started hidden
//   test_child forever         writes "tick N" every 200 ms and never ends
//   test_child tree            starts "forever" as a child of its own (which inherits the
//                              pipe), then ticks for ever itself
//   test_child codes TEXT      writes the UTF-16 units of TEXT, as it reached the program's
//                              wide command line, in decimal
//   test_child front MS        shows a window of its own in the foreground for MS ms
//   test_child utf16bytes N    writes about N bytes of UTF-16 lines after a byte-order mark, in
//                              writes of an odd size, so that reads end inside characters
//   test_child utf16           writes a line of UTF-16 with a byte-order mark, three bytes at a
//                              time, so that reads split its characters
//   test_child console         writes its console's output code page, whether the console
//                              has a window, and "caf\u00E9" as console programs do: in that
//                              code page
//   test_child ctrl            writes "before", sends Ctrl+C and then Ctrl+Break to every
//                              process of its console (group 0), and writes for each whether
//                              it reached this program too (its own handler, which keeps it
//                              alive), then "after"
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ui/error_modes.h"

static volatile LONG g_ctrlSeen[2];

static BOOL WINAPI CountCtrl(DWORD type) {
    return ui::AtBoundary<BOOL>(FALSE, [&]() -> BOOL {
        if (type > CTRL_BREAK_EVENT) return FALSE;
        InterlockedIncrement(&g_ctrlSeen[type]);
        return TRUE;
    });
}

static void WriteAll(HANDLE h, const char* data, DWORD n) {
    DWORD done = 0;
    while (n > 0 && WriteFile(h, data, n, &done, nullptr) && done > 0) {
        data += done;
        n -= done;
    }
}

int main(int argc, char** argv) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE), err = GetStdHandle(STD_ERROR_HANDLE);
    std::string mode = argc > 1 ? argv[1] : "";
    if ((mode == "bytes" || mode == "oneline") && argc > 2) {
        long long n = atoll(argv[2]);
        std::string block;
        for (int i = 0; i < 65520; ++i) {
            bool eol = mode == "bytes" && i % 80 >= 78;
            block.push_back(eol ? (i % 80 == 78 ? '\r' : '\n')
                                : static_cast<char>('a' + i % 80 % 26));
        }
        while (n > 0) {
            DWORD k = static_cast<DWORD>(n < 65520 ? n : 65520);
            WriteAll(out, block.data(), k);
            n -= k;
        }
    } else if (mode == "interleave" && argc > 2) {
        int n = atoi(argv[2]);
        for (int i = 0; i < n; ++i) {
            char line[64];
            int len = snprintf(line, sizeof line, "%s %d\r\n", i % 2 ? "err" : "out", i);
            WriteAll(i % 2 ? err : out, line, static_cast<DWORD>(len));
        }
    } else if (mode == "silent") {
    } else if (mode == "lines") {
        for (int i = 2; i < argc; ++i) {
            WriteAll(out, argv[i], static_cast<DWORD>(strlen(argv[i])));
            WriteAll(out, "\r\n", 2);
        }
    } else if (mode == "linger" && argc > 2) {
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string cmd = std::string("\"") + self + "\" sleep " + argv[2];
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                           &pi)) {
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
        WriteAll(out, "parent done\r\n", 13);
    } else if (mode == "sleep" && argc > 2) {
        WriteAll(out, "sleeping\r\n", 10);
        Sleep(static_cast<DWORD>(atoi(argv[2])));
        WriteAll(out, "awake\r\n", 7);
    } else if (mode == "forever" || mode == "tree") {
        if (mode == "tree") {
            char self[MAX_PATH];
            GetModuleFileNameA(nullptr, self, MAX_PATH);
            std::string cmd = std::string("\"") + self + "\" forever";
            STARTUPINFOA si = {};
            si.cb = sizeof si;
            PROCESS_INFORMATION pi = {};
            if (CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                               &pi)) {
                CloseHandle(pi.hThread);
                CloseHandle(pi.hProcess);
            }
        }
        for (int i = 0;; ++i) {
            char line[64];
            int len = snprintf(line, sizeof line, "tick %d\r\n", i);
            WriteAll(out, line, static_cast<DWORD>(len));
            Sleep(200);
        }
    } else if (mode == "codes") {
        const wchar_t* line = GetCommandLineW();
        const wchar_t* at = wcsstr(line, L" codes ");
        std::string text;
        for (const wchar_t* p = at ? at + 7 : L""; *p; ++p)
            text += std::to_string(static_cast<unsigned>(*p)) + (p[1] ? " " : "");
        WriteAll(out, text.data(), static_cast<DWORD>(text.size()));
    } else if (mode == "front" && argc > 2) {
        HWND w = CreateWindowExW(0, L"STATIC", L"front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 300,
                                 200, 120, nullptr, nullptr, nullptr, nullptr);
        SetForegroundWindow(w);
        DWORD until = GetTickCount() + static_cast<DWORD>(atoi(argv[2]));
        while (GetTickCount() < until) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    } else if (mode == "utf16bytes" && argc > 2) {
        std::wstring text = L"\xFEFF";
        for (size_t n = static_cast<size_t>(atoll(argv[2])) / 2; text.size() < n;)
            text +=
                L"\x0441\x0442\x0440\x043E\x043A\x0430 " + std::to_wstring(text.size()) + L"\r\n";
        const char* bytes = reinterpret_cast<const char*>(text.data());
        for (size_t at = 0, n = text.size() * 2; at < n; at += 65519)
            WriteAll(out, bytes + at, static_cast<DWORD>(n - at < 65519 ? n - at : 65519));
    } else if (mode == "utf16") {
        const wchar_t text[] = L"\xFEFF\x043E\x0442\x0447\x0451\x0442 \xD83D\xDE00 ok\r\n";
        const char* bytes = reinterpret_cast<const char*>(text);
        DWORD n = static_cast<DWORD>((sizeof text) - sizeof(wchar_t));
        for (DWORD at = 0; at < n; at += 3) {
            WriteAll(out, bytes + at, n - at < 3 ? n - at : 3);
            Sleep(15);
        }
    } else if (mode == "console") {
        UINT cp = GetConsoleOutputCP();
        char text[48] = "";
        int at =
            snprintf(text, sizeof text, "%u %s ", cp, GetConsoleWindow() ? "window" : "windowless");
        int len = WideCharToMultiByte(cp, 0, L"caf\x00E9\r\n", 6, text + at,
                                      static_cast<int>(sizeof text) - at, nullptr, nullptr);
        WriteAll(out, text, static_cast<DWORD>(at + (len > 0 ? len : 0)));
    } else if (mode == "ctrl") {
        // The handler is added, never the ignore flag changed: whether Ctrl+C reaches this
        // program is what it was started with.
        SetConsoleCtrlHandler(CountCtrl, TRUE);
        WriteAll(out, "before\r\n", 8);
        const DWORD events[] = {CTRL_C_EVENT, CTRL_BREAK_EVENT};
        const char* names[] = {"ctrl-c", "ctrl-break"};
        for (DWORD e : events) {
            bool sent = GenerateConsoleCtrlEvent(e, 0) != FALSE;
            for (int i = 0; i < 250 && sent && !g_ctrlSeen[e]; ++i) Sleep(20);
            std::string line = std::string(names[e]) +
                               (!sent           ? " not sent"
                                : g_ctrlSeen[e] ? " received"
                                                : " not received") +
                               "\r\n";
            WriteAll(out, line.data(), static_cast<DWORD>(line.size()));
        }
        WriteAll(out, "after\r\n", 7);
    } else if (mode == "window") {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        GetStartupInfoA(&si);
        const char* how = (si.dwFlags & STARTF_USESHOWWINDOW) && si.wShowWindow == SW_HIDE
                              ? "hidden\r\n"
                              : "shown\r\n";
        WriteAll(out, how, static_cast<DWORD>(strlen(how)));
    } else {
        WriteAll(err, "usage: test_child mode args\r\n", 29);
        return 2;
    }
    return 0;
}
