#include "win/native_system.h"

#include <windows.h>

namespace win {

bool IsWow64Process() {
#ifdef _WIN64
    return false;
#else
    BOOL wow64 = FALSE;
    return ::IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

NativeSystemFiles::NativeSystemFiles() {
#ifndef _WIN64
    if (IsWow64Process()) active_ = Wow64DisableWow64FsRedirection(&previous_) != FALSE;
#endif
}

NativeSystemFiles::~NativeSystemFiles() {
#ifndef _WIN64
    if (active_) Wow64RevertWow64FsRedirection(previous_);
#endif
}

}  // namespace win
