// The system's own programs for a 32-bit process on 64-bit Windows. Under WoW64 every file
// access to System32 is redirected to SysWOW64, so a program started by name would be the
// 32-bit copy (or not found at all). A NativeSystemFiles in scope turns the redirection off
// for the calling thread and restores it when it goes; it does nothing in a 64-bit process
// or on 32-bit Windows. Keep the scope to the lookup and the start of a program: nothing
// else (a DLL loaded meanwhile, say) may see the 64-bit folder.
#pragma once

namespace win {

class NativeSystemFiles {
public:
    NativeSystemFiles();
    ~NativeSystemFiles();
    NativeSystemFiles(const NativeSystemFiles&) = delete;
    NativeSystemFiles& operator=(const NativeSystemFiles&) = delete;

    // Whether the redirection is off now, in this scope.
    bool Active() const { return active_; }

private:
    bool active_ = false;
    void* previous_ = nullptr;
};

// Whether this is a 32-bit process on 64-bit Windows.
bool IsWow64Process();

}  // namespace win
