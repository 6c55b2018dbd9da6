// Owners for COM: an interface pointer released once, and the thread's COM library held for
// a scope.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <utility>

namespace win {

// One reference to a COM interface, released when the holder goes.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { Reset(); }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For a call that hands out a new reference; whatever was held is released first.
    T** Put() {
        Reset();
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    void Reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

private:
    T* p_ = nullptr;
};

// COM on the calling thread for the life of the scope. A thread that already has COM keeps
// it as it was: a second initialisation of the same kind is balanced here, and a thread in
// the other apartment kind is used as it is.
class ComScope {
public:
    explicit ComScope(DWORD model = COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)
        : hr_(CoInitializeEx(nullptr, model)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool Usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT hr_;
};

}  // namespace win
