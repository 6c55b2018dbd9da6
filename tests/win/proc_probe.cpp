// A small windowless program that the process-list and run-box tests start under names of
// their own (copies of this file) and then look for.
//   proc_probe wait            stays alive (for at most two minutes) until someone ends it
//   proc_probe [anything...]   writes how it was started to the file named by the
//                              environment variable DORVANE_PROBE_FILE, then ends:
//                                cmd=<its command line>
//                                wcmd=<its wide command line: UTF-16 code units in decimal,
//                                      separated by blanks, to be compared exactly>
//                                arg<i>=<each argument as the C runtime parsed it>
//                                show=<wShowWindow, or "none" without STARTF_USESHOWWINDOW>
//                                image=<its executable's full path>
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "wait") {
        Sleep(120000);
        return 0;
    }
    char file[MAX_PATH];
    if (!GetEnvironmentVariableA("DORVANE_PROBE_FILE", file, MAX_PATH)) return 2;

    std::string text = std::string("cmd=") + GetCommandLineA() + "\r\n";
    std::string units;
    for (const wchar_t* c = GetCommandLineW(); *c; ++c)
        units += (units.empty() ? "" : " ") + std::to_string(static_cast<unsigned>(*c));
    text += "wcmd=" + units + "\r\n";
    for (int i = 1; i < argc; ++i) text += "arg" + std::to_string(i) + "=" + argv[i] + "\r\n";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    GetStartupInfoA(&si);
    text +=
        "show=" + ((si.dwFlags & STARTF_USESHOWWINDOW) ? std::to_string(si.wShowWindow) : "none") +
        "\r\n";
    char image[MAX_PATH];
    GetModuleFileNameA(nullptr, image, MAX_PATH);
    text += std::string("image=") + image + "\r\n";

    // Written aside and renamed, so that a reader never sees half of it.
    std::string part = std::string(file) + ".part";
    HANDLE h = CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 3;
    DWORD done = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
    CloseHandle(h);
    return MoveFileExA(part.c_str(), file, MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}
