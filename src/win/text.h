// Text conversion between the program's wide strings and the system's ANSI code page.
#pragma once
#include <string>
#include <string_view>

namespace win {

std::wstring FromAnsi(std::string_view bytes);
// The same for bytes of another code page (CP_OEMCP, say).
std::wstring FromCodePage(unsigned codePage, std::string_view bytes);
std::string ToAnsi(std::wstring_view text);
// The text of a system error code, without the trailing line break.
std::wstring ErrorText(unsigned long code);

}  // namespace win
