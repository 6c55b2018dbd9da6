// The id a control's window carries: a hash of the control's name, so that a tool outside the
// process (the end-to-end driver) can find a control by name without the program leaving
// anything behind in the session's global tables.
#pragma once
#include <cstdint>

namespace ui {

// FNV-1a over the UTF-16 units, kept positive and clear of the small ids that dialogs use.
inline int ControlId(const wchar_t* name) {
    uint32_t h = 2166136261u;
    for (const wchar_t* p = name; *p; ++p) {
        h ^= static_cast<uint16_t>(*p);
        h *= 16777619u;
    }
    return static_cast<int>((h & 0x3FFFFFFFu) | 0x10000u);
}

}  // namespace ui
