#include "session.h"

#include <gtest/gtest.h>

#include <string>

namespace e2e {

void ResetState() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Ozmiscope+");
}

void WriteFirstRunRecord(int daysBack) {
    CreateDirectoryW(L"C:\\SAVE", nullptr);
    CreateDirectoryW(L"C:\\SAVE\\MV", nullptr);
    SYSTEMTIME now;
    GetLocalTime(&now);
    FILETIME ft;
    SystemTimeToFileTime(&now, &ft);
    ULARGE_INTEGER t = {{ft.dwLowDateTime, ft.dwHighDateTime}};
    t.QuadPart -= static_cast<ULONGLONG>(daysBack) * 24 * 3600 * 10000000ULL;
    ft = {t.LowPart, t.HighPart};
    SYSTEMTIME then;
    FileTimeToSystemTime(&ft, &then);
    // The record's date is written the way the program writes it: short date, blank, time.
    wchar_t date[128] = L"", time[128] = L"";
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &then, nullptr, date, 128);
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &then, nullptr, time, 128);
    std::wstring text =
        L"www.moravelt.example\r\nDeveloper: Moravelt Development Team\r\n"
        L"www.social.example/moravelt\r\nDorvane\r\n" +
        std::wstring(date) + L" " + time + L"\r\n";
    char bytes[1024];
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), bytes,
                                sizeof bytes, nullptr, nullptr);
    HANDLE f = CreateFileW(L"C:\\SAVE\\MV\\mv006.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE) << "cannot write the first-run record";
    DWORD written = 0;
    WriteFile(f, bytes, static_cast<DWORD>(n), &written, nullptr);
    CloseHandle(f);
}

MainSession StartToMain(bool dismissHelp) {
    ResetState();
    WriteFirstRunRecord();
    MainSession s;
    s.app = App::Start();
    EXPECT_TRUE(s.app) << "dorvane.exe did not start";
    if (!s.app) return s;
    // The start-up screen runs its bar for about six seconds first.
    s.main = s.app->WaitForWindow(L"frmShelvox", 30000);
    EXPECT_TRUE(s.main) << "no main window";
    s.mainSeenAt = GetTickCount();
    // The splash closes right after the main window shows; wait until the program answers.
    DWORD_PTR answer = 0;
    if (s.main) SendMessageTimeoutW(s.main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
    if (s.main && dismissHelp) FinishStartupHelp(s);
    return s;
}

void FinishStartupHelp(MainSession& s) {
    // The help run starts three seconds after the window loaded. Where the system has no help
    // program it ends with a message box; where it has one, its listing arrives.
    HWND box = s.app->WaitForMessageBox(6000);
    if (box) {
        EXPECT_EQ(MessageBoxText(box), L"File or command not found");
        PressMessageBoxButton(box);
        WaitUntil([&] { return s.app->WaitForMessageBox(0) == nullptr; }, 3000);
    }
    Activate(s.main);
}

}  // namespace e2e
