// Matching a process record's fixed-size executable name field against a name to end.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace processes {

// Characters in the executable name field of a process record.
constexpr std::size_t kExeFieldChars = 260;

// True when endName is non-empty, fits in the field, and the field starts with exactly
// endName (case-sensitive). The comparison runs over the raw field, NULs included: since a
// NUL ends the stored name, a longer endName cannot match a shorter name unless it spells out
// that NUL and the leftover characters after it. Only the first kExeFieldChars characters of
// exeField are considered; a shorter view is simply a shorter field.
bool ExeNameMatches(std::wstring_view exeField, std::wstring_view endName);

// The stored name: the field's characters up to the first NUL (or the whole field).
std::wstring ExeNameOf(std::wstring_view exeField);

}  // namespace processes
