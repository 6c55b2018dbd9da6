// Where a benchmark finds what it runs: the build folder is one level up from bench\, and the
// end-to-end driver, which otherwise looks for the program from tests\e2e (a level deeper),
// is pointed at the program there unless DORVANE_EXE already names one.
#pragma once
#include <windows.h>

#include <string>

inline std::wstring BuildFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    dir = dir.substr(0, dir.find_last_of(L'\\'));
    return dir.substr(0, dir.find_last_of(L'\\'));
}

inline void DriveTheBuildFoldersProgram() {
    if (!GetEnvironmentVariableW(L"DORVANE_EXE", nullptr, 0))
        SetEnvironmentVariableW(L"DORVANE_EXE", (BuildFolder() + L"\\dorvane.exe").c_str());
}
