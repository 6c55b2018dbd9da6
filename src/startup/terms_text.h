// The end user license agreement shown on the first start.
#pragma once

#include <string>

namespace startup {

// The whole agreement as plain text, lines joined by CR LF and the last line ended by one.
// Every character is plain ASCII, so it reads the same in any ANSI code page.
const std::wstring& TermsText();

}  // namespace startup
