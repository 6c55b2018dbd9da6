// Matching a process record's fixed-size executable name field against a name to end.
#include "processes/name_match.h"

namespace processes {
namespace {

std::wstring_view FieldOf(std::wstring_view exeField) {
    // Anything past the record's field belongs to something else.
    return exeField.substr(0, kExeFieldChars);
}

}  // namespace

bool ExeNameMatches(std::wstring_view exeField, std::wstring_view endName) {
    const std::wstring_view field = FieldOf(exeField);
    if (endName.empty() || endName.size() > field.size()) {
        return false;
    }
    return field.substr(0, endName.size()) == endName;
}

std::wstring ExeNameOf(std::wstring_view exeField) {
    const std::wstring_view field = FieldOf(exeField);
    const std::size_t end = field.find(L'\0');
    return std::wstring(field.substr(0, end));
}

}  // namespace processes
