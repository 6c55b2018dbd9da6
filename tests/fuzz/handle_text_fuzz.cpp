// Fuzzes the typed-handle parser. Whatever it accepts must print back to its canonical form
// and parse again to the same value; the printed form of any value must parse to that value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "inspector/handle_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    if (size % 2) text.push_back(static_cast<wchar_t>(data[size - 1]));
    if (auto v = inspector::ParseHandleText(text)) {
        auto again = inspector::ParseHandleText(inspector::HandleText(*v));
        if (!again || *again != *v) std::abort();
    }
    if (size >= 4) {
        int32_t value;
        std::memcpy(&value, data, 4);
        auto back = inspector::ParseHandleText(inspector::HandleText(value));
        if (!back || *back != value) std::abort();
    }
    return 0;
}
