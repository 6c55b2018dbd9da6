// Drives dorvane.exe from the outside, as a person would: starts it, finds its windows and
// controls, types, clicks and drags with SendInput, reads texts and message boxes.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace e2e {

// The dorvane.exe under test: DORVANE_EXE, or dorvane.exe two folders up from this program.
std::wstring ProgramPath();
// The test child program built beside the Windows tests (tests\\win\\test_child.exe).
std::wstring TestChildPath();
// A folder for screenshots and other artefacts of the run (created when missing).
std::wstring ArtefactFolder();

class App {
public:
    // Starts the program; returns nullptr when it cannot be started.
    static std::unique_ptr<App> Start(const std::wstring& exe = ProgramPath());
    ~App();
    DWORD Pid() const { return pi_.dwProcessId; }
    HANDLE Process() const { return pi_.hProcess; }
    bool Running() const;
    // Waits for the process to end; true when it did within the time.
    bool WaitExit(DWORD ms);
    // A visible top-level window of this process with that class, waited for.
    HWND WaitForWindow(const wchar_t* cls, DWORD ms = 15000) const;
    // A visible message box of this process, waited for (nullptr when none came).
    HWND WaitForMessageBox(DWORD ms = 10000) const;
    void Kill();

private:
    PROCESS_INFORMATION pi_ = {};
};

// Every visible top-level window of a process with that class.
std::vector<HWND> TopWindows(DWORD pid, const wchar_t* cls);
// The control of a form by its name (nullptr when there is none).
HWND Control(HWND form, const wchar_t* name);
std::wstring Text(HWND hwnd);
std::wstring ClassOf(HWND hwnd);
// The window with the keyboard focus in the thread that owns hwnd.
HWND FocusIn(HWND anyWindowOfThread);
// The text and the title of a message box.
std::wstring MessageBoxText(HWND box);
void PressMessageBoxButton(HWND box, int id = IDOK);

void Activate(HWND top);
void TypeText(const std::wstring& text);
void PressKey(WORD vk, bool shift = false, bool ctrl = false);
void ClickAt(POINT screen, bool right = false);
// Centre of a window in screen coordinates.
POINT CentreOf(HWND hwnd);
void MouseMove(POINT screen);
void MouseButton(bool down, bool right = false);

// Open handles of a process, counted from the system's handle table (GetProcessHandleCount
// answers 0 for every process under Wine).
long HandleCount(DWORD pid);
// Windows (top-level and child) that belong to a process: a count of its USER objects.
long WindowCount(DWORD pid);

// Polls until cond holds or the time is up; returns whether it held.
bool WaitUntil(const std::function<bool()>& cond, DWORD ms = 10000);
// Saves the whole screen as a BMP; returns the path written.
std::wstring SaveScreenshot(const std::wstring& name);

}  // namespace e2e
