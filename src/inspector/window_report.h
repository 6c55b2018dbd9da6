// The plain-text report of an inspected window, as copied to the clipboard.
#pragma once

#include <array>
#include <string>

namespace inspector {

// Values in order: window handle, caption, class, style, rectangle, parent handle,
// parent caption, parent class. Each becomes one line: a 16-character label, the value
// exactly as given, then CR LF.
std::wstring BuildWindowReport(const std::array<std::wstring, 8>& values);

}  // namespace inspector
