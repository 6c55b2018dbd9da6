// Reading a line typed into the run box the way the system reads a command line: which
// program names to look for, in order, and the command line to start each one with.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace console {

struct RunCandidate {
    std::wstring program;      // the name to look for
    std::wstring commandLine;  // what to start when it is found
};

// Leading blanks are skipped; an empty line gives no candidate. A line that begins with a
// quote names the program up to the closing quote (one candidate, the line as typed). Else
// the program is the line up to the first blank, then up to the next blank, and so on to the
// end of the line, as the system tries them. The first word starts with the line as typed;
// a longer name holds blanks and is put in quotes, so that the started program reads exactly
// the rest of the line as its arguments. A name holding a quote cannot be a file: skipped.
std::vector<RunCandidate> RunCandidates(std::wstring_view typed);

}  // namespace console
