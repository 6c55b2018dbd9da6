// The real runtime services.
#include "ui/runtime.h"

#include <shellapi.h>

#include <vector>

#include "ui/clipboard.h"
#include "ui/input_box.h"
#include "ui/modal.h"
#include "win/handles.h"

namespace ui {
namespace {

std::wstring g_title = L"";
Runtime g_real;
Runtime* g_current = &g_real;

// Per-user program settings live where classic BASIC programs keep them, so a value stored
// there by an earlier version is honoured.
std::wstring SettingsKey(const std::wstring& app, const std::wstring& section) {
    return L"Software\\VB and VBA Program Settings\\" + app + L"\\" + section;
}

}  // namespace

void SetAppTitle(const std::wstring& title) { g_title = title; }
const std::wstring& AppTitle() { return g_title; }

Runtime& Rt() { return *g_current; }
Runtime* SetRuntime(Runtime* rt) {
    Runtime* old = g_current;
    g_current = rt ? rt : &g_real;
    return old;
}

int Runtime::MsgBox(const std::wstring& text, UINT style, std::optional<std::wstring> title) {
    const std::wstring& caption = title ? *title : g_title;
    // Modal to every form of the program, also when another program is the active one; the
    // box disables and re-enables its owner itself, so activation comes back to it. It does
    // not pull itself in front of the program the user is in.
    HWND owner = ModalOwner();
    DisabledWindows others(owner);
    return MessageBoxW(owner, text.c_str(), caption.c_str(), style & ~MB_SETFOREGROUND);
}

std::wstring Runtime::InputBox(const std::wstring& prompt, const std::wstring& title,
                               const std::wstring& defaultText) {
    return ShowInputBox(ModalOwner(), prompt, title, defaultText);
}

void Runtime::Beep(UINT type) { MessageBeep(type); }

bool Runtime::StartTimer(HWND window, UINT_PTR id, UINT interval) {
    return SetTimer(window, id, interval, nullptr) != 0;
}

void Runtime::ShellOpen(HWND owner, const std::wstring& operation, const std::wstring& file,
                        const std::wstring& parameters, const std::wstring& directory, int show) {
    ShellExecuteW(owner, operation.c_str(), file.c_str(), parameters.c_str(), directory.c_str(),
                  show);
}

SYSTEMTIME Runtime::Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t;
}

std::wstring Runtime::GetSetting(const std::wstring& app, const std::wstring& section,
                                 const std::wstring& key, const std::wstring& defaultValue) {
    win::RegKey h;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey(app, section).c_str(), 0, KEY_QUERY_VALUE,
                      h.Put()) != ERROR_SUCCESS)
        return defaultValue;
    std::wstring result = defaultValue;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(h.Get(), key.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size <= 1 << 20) {
        std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
        if (RegQueryValueExW(h.Get(), key.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(buf.data()), &got) == ERROR_SUCCESS)
            result.assign(buf.data());  // stops at the first NUL, as a string value reads
    }
    return result;
}

void Runtime::SaveSetting(const std::wstring& app, const std::wstring& section,
                          const std::wstring& key, const std::wstring& value) {
    win::RegKey h;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKey(app, section).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, h.Put(), nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(h.Get(), key.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

bool Runtime::SetClipboardText(HWND owner, const std::wstring& text) {
    return ui::SetClipboardText(owner, text);
}

ULONGLONG Runtime::TickCount() { return GetTickCount64(); }

bool Runtime::ProgramInForeground() {
    DWORD pid = 0;
    HWND fg = GetForegroundWindow();
    return fg && GetWindowThreadProcessId(fg, &pid) && pid == GetCurrentProcessId();
}

void Runtime::FlashWindow(const FLASHWINFO& how) {
    FLASHWINFO info = how;
    FlashWindowEx(&info);
}

bool Runtime::HighContrast() {
    HIGHCONTRASTW hc = {};
    hc.cbSize = sizeof hc;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) &&
           (hc.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

void Runtime::End() { ExitProcess(0); }

std::wstring GeneralDateText(const SYSTEMTIME& t) {
    wchar_t date[128] = L"", time[128] = L"";
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, 128);
    if (t.wHour == 0 && t.wMinute == 0 && t.wSecond == 0) return date;
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &t, nullptr, time, 128);
    return std::wstring(date) + L" " + time;
}

std::wstring ProgramFolder() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return L"";
        if (n < buf.size()) {
            std::wstring path(buf.data(), n);
            size_t slash = path.find_last_of(L"\\/");
            return slash == std::wstring::npos ? L"" : path.substr(0, slash);
        }
        buf.resize(buf.size() * 2);
    }
}

}  // namespace ui
