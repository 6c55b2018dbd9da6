// The runtime services that forms use and that tests may replace: message box, input box,
// shell-open, clocks, the per-user settings store, the foreground and flashing a window, the
// high-contrast setting, the beep and ending the program.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace ui {

// The program's title: what a message box without a title of its own shows.
void SetAppTitle(const std::wstring& title);
const std::wstring& AppTitle();

class Runtime {
public:
    virtual ~Runtime() = default;
    // style is the MB_* flags; title nullopt means the program's title.
    virtual int MsgBox(const std::wstring& text, UINT style, std::optional<std::wstring> title);
    // The text entered, or an empty text on Cancel.
    virtual std::wstring InputBox(const std::wstring& prompt, const std::wstring& title,
                                  const std::wstring& defaultText);
    virtual void ShellOpen(HWND owner, const std::wstring& operation, const std::wstring& file,
                           const std::wstring& parameters, const std::wstring& directory, int show);
    virtual SYSTEMTIME Now();
    virtual std::wstring GetSetting(const std::wstring& app, const std::wstring& section,
                                    const std::wstring& key, const std::wstring& defaultValue);
    virtual void SaveSetting(const std::wstring& app, const std::wstring& section,
                             const std::wstring& key, const std::wstring& value);
    // Starts (or restarts) a form's timer; false when the system refuses it.
    virtual bool StartTimer(HWND window, UINT_PTR id, UINT interval);
    // Puts text on the clipboard; false when the clipboard could not take it.
    virtual bool SetClipboardText(HWND owner, const std::wstring& text);
    // Milliseconds since the system started.
    virtual ULONGLONG TickCount();
    // Whether the window the user is in (the foreground window) is one of this program's.
    virtual bool ProgramInForeground();
    // Flashes a window's caption and taskbar button as `how` says (FlashWindowEx).
    virtual void FlashWindow(const FLASHWINFO& how);
    // Whether the user's colour scheme is a high-contrast one (the accessibility setting).
    virtual bool HighContrast();
    // The system's sound for a key that has nothing to do (MB_OK: the default beep).
    virtual void Beep(UINT type);
    // Ends the program at once: no further handler runs.
    [[noreturn]] virtual void End();
};

// The runtime in use; the real one unless a test installed its own.
Runtime& Rt();
// Installs a replacement (nullptr restores the real runtime). Returns the previous one.
Runtime* SetRuntime(Runtime* rt);

// The current date and time in the system's general date form: short date, a blank and the
// time; the date alone at midnight.
std::wstring GeneralDateText(const SYSTEMTIME& t);

// The folder that holds the program's executable, without a trailing backslash.
std::wstring ProgramFolder();

}  // namespace ui
