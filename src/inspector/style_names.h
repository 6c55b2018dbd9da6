// Names of the WS_ window style flags carried by a style value.
#pragma once

#include <cstdint>
#include <string>

namespace inspector {

// Lists the known style names set in `style`, in table order, each followed by one blank.
// A combined style (several bits) is listed only when all of its bits are set.
// Returns an empty string when nothing is listed.
std::wstring DescribeStyleBits(uint32_t style);

}  // namespace inspector
