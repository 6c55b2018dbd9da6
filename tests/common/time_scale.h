// How many times longer than on a native run a test may allow for work that runs on the
// process's own processor time: DORVANE_TIME_SCALE, which ./test sets where the 32-bit build
// runs under emulation (its code then runs up to twenty times as slowly). Waits on conditions
// need no scale; bounds on how long something took do.
#pragma once
#include <windows.h>

#include <cwchar>

namespace testtime {

inline double Scale() {
    wchar_t value[16] = L"";
    DWORD n = GetEnvironmentVariableW(L"DORVANE_TIME_SCALE", value, 16);
    double scale = n > 0 && n < 16 ? std::wcstod(value, nullptr) : 1.0;
    return scale >= 1.0 ? scale : 1.0;
}

}  // namespace testtime
