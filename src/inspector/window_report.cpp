// The plain-text report of an inspected window, as copied to the clipboard.
#include "inspector/window_report.h"

#include <cstddef>
#include <iterator>

namespace inspector {
namespace {

constexpr std::size_t kLabelChars = 16;

// Padded so the values line up in a fixed-width font.
constexpr const wchar_t* kLabels[] = {
    L"Window Handle:  ", L"Window Caption: ", L"Window Class:   ", L"Window Style:   ",
    L"Rectangle:      ", L"Parent Handle:  ", L"Parent Caption: ", L"Parent Class:   ",
};

constexpr bool AllLabelsPadded() {
    for (const wchar_t* label : kLabels) {
        std::size_t length = 0;
        while (label[length] != L'\0') {
            ++length;
        }
        if (length != kLabelChars) {
            return false;
        }
    }
    return true;
}

static_assert(std::size(kLabels) == std::tuple_size_v<std::array<std::wstring, 8>>,
              "one label per report value");
static_assert(AllLabelsPadded(), "report labels must be exactly 16 characters");

}  // namespace

std::wstring BuildWindowReport(const std::array<std::wstring, 8>& values) {
    std::wstring report;
    for (std::size_t i = 0; i < values.size(); ++i) {
        report += kLabels[i];
        report += values[i];
        report += L"\r\n";
    }
    return report;
}

}  // namespace inspector
