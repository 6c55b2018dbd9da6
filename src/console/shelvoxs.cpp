// The command runner. The child inherits the pipe's write end as both output streams; the
// runner closes its own copy at once, so the read loop ends when the child and everything
// that inherited the end from it have closed it.
#include "console/shelvoxs.h"

#include <windows.h>

#include <vector>

#include "ui/runtime.h"
#include "win/handles.h"
#include "win/text.h"

namespace console {

void Shelvoxs::Raise(const std::wstring& chunk) {
    if (ReceiveOutputs) {
        std::wstring copy = chunk;
        ReceiveOutputs(std::move(copy));
    }
}

std::wstring Shelvoxs::ExecuteCommand(const std::wstring& commandLine) {
    if (!commandLine.empty()) commandLine_ = commandLine;
    if (commandLine_.empty()) {
        ui::Rt().MsgBox(L"Command Line empty", MB_OK | MB_ICONERROR, std::nullopt);
        return std::wstring();
    }

    SECURITY_ATTRIBUTES sa = {};
    sa.nLength = sizeof(sa);
    sa.lpSecurityDescriptor = nullptr;
    sa.bInheritHandle = TRUE;

    win::UniqueHandle readEnd, writeEnd;
    if (!CreatePipe(readEnd.Put(), writeEnd.Put(), &sa, 0)) {
        DWORD err = GetLastError();
        ui::Rt().MsgBox(L"CreatePipe failed. Error: " + std::to_wstring(err),
                        MB_OK | MB_ICONERROR, std::nullopt);
        return std::wstring();
    }
    // The child only ever writes; keeping the read end out of it means a grandchild that
    // lingers cannot hold our end of the pipe open.
    SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdOutput = writeEnd.Get();
    si.hStdError = writeEnd.Get();
    si.hStdInput = nullptr;
    PROCESS_INFORMATION pi = {};

    // CreateProcessA may write into the command line, so it gets a private, terminated copy.
    std::string line = win::ToAnsi(commandLine_);
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    BOOL started = CreateProcessA(nullptr, buffer.data(), &sa, &sa, TRUE, NORMAL_PRIORITY_CLASS,
                                  nullptr, nullptr, &si, &pi);
    if (started != TRUE) {
        readEnd.Reset();
        writeEnd.Reset();
        ui::Rt().MsgBox(L"File or command not found", MB_OK | MB_ICONERROR, std::nullopt);
        return std::wstring();
    }
    win::UniqueHandle process(pi.hProcess), thread(pi.hThread);
    writeEnd.Reset();

    outputs_.clear();
    char chunk[kReadSize];
    BOOL ok;
    do {
        DWORD got = 0;
        ok = ReadFile(readEnd.Get(), chunk, kReadSize, &got, nullptr);
        if (!ok) got = 0;
        std::wstring text = win::FromAnsi(std::string_view(chunk, got));
        outputs_ += text;
        Raise(text);
    } while (ok);

    process.Reset();
    thread.Reset();
    readEnd.Reset();
    return outputs_;
}

}  // namespace console
