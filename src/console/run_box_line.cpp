// Reading a line typed into the run box the way the system reads a command line.
#include "console/run_box_line.h"

namespace console {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

std::vector<RunCandidate> RunCandidates(std::wstring_view typed) {
    std::vector<RunCandidate> out;
    size_t start = 0;
    while (start < typed.size() && IsBlank(typed[start])) ++start;
    const std::wstring_view line = typed.substr(start);
    if (line.empty()) return out;

    if (line.front() == L'"') {
        const size_t close = line.find(L'"', 1);
        const std::wstring_view program =
            line.substr(1, close == std::wstring_view::npos ? std::wstring_view::npos : close - 1);
        if (!program.empty()) out.push_back({std::wstring(program), std::wstring(line)});
        return out;
    }

    // A name ends where a run of blanks begins, or at the end of the line.
    for (size_t i = 1; i <= line.size(); ++i) {
        const bool ends =
            i == line.size() ? !IsBlank(line[i - 1]) : IsBlank(line[i]) && !IsBlank(line[i - 1]);
        if (!ends) continue;
        const std::wstring_view program = line.substr(0, i);
        if (program.find(L'"') != std::wstring_view::npos) break;  // and so will every longer one
        if (out.empty()) {
            out.push_back({std::wstring(program), std::wstring(line)});
        } else {
            out.push_back({std::wstring(program),
                           L"\"" + std::wstring(program) + L"\"" + std::wstring(line.substr(i))});
        }
    }
    return out;
}

}  // namespace console
