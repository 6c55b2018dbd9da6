// Text forms of window handles, rectangles and pointer positions, and parsing of typed handles.
#include "inspector/handle_text.h"

#include <cstddef>

namespace inspector {

std::wstring HandleText(int32_t value) {
    // Widen first so INT32_MIN goes through the same path as every other value.
    return std::to_wstring(static_cast<long long>(value));
}

std::optional<int32_t> ParseHandleText(const std::wstring& text) {
    const std::size_t size = text.size();
    std::size_t pos = 0;
    while (pos < size && text[pos] == L' ') {
        ++pos;
    }

    bool negative = false;
    if (pos < size && (text[pos] == L'+' || text[pos] == L'-')) {
        negative = text[pos] == L'-';
        ++pos;
    }

    // The magnitude is capped just above the largest one allowed, so any number of digits
    // can be read without overflow.
    constexpr long long kMaxMagnitude = 2147483648LL;  // |INT32_MIN|
    long long magnitude = 0;
    const std::size_t digitsStart = pos;
    while (pos < size && text[pos] >= L'0' && text[pos] <= L'9') {
        magnitude = magnitude * 10 + (text[pos] - L'0');
        if (magnitude > kMaxMagnitude) {
            return std::nullopt;
        }
        ++pos;
    }
    if (pos == digitsStart) {
        return std::nullopt;
    }

    while (pos < size && text[pos] == L' ') {
        ++pos;
    }
    if (pos != size) {
        return std::nullopt;
    }

    const long long value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

std::wstring RectText(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return L"(" + HandleText(left) + L", " + HandleText(top) + L") - (" + HandleText(right) +
           L", " + HandleText(bottom) + L")";
}

std::wstring PointerCaption(int32_t x, int32_t y) {
    return L"X: " + HandleText(x) + L"  Y: " + HandleText(y);
}

std::wstring PickedWindowLine(int32_t handle, const std::wstring& className,
                              const std::wstring& title) {
    std::wstring line = L"hWnd " + HandleText(handle);
    if (className.empty()) return line + L", no window";
    line += L", class " + className;
    return line + (title.empty() ? L", no title" : L", title " + title);
}

}  // namespace inspector
