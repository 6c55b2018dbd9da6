// Shelvoxs: runs one command line as a hidden child process and captures what it writes to
// its standard output and standard error through one anonymous pipe.
#pragma once
#include <functional>
#include <string>

namespace console {

class Shelvoxs {
public:
    // The command line that the next run starts.
    void SetCommandLine(const std::wstring& commandLine) { commandLine_ = commandLine; }
    std::wstring CommandLine() const { return commandLine_; }
    // Everything read from the child of the latest run whose child started.
    std::wstring Outputs() const { return outputs_; }

    // Runs the stored command line (replaced first by commandLine when that is not empty)
    // and returns its output, or an empty text after a failure, which it has reported in a
    // message box. Every run whose child started raises ReceiveOutputs once per read, in
    // order, and ends with exactly one empty chunk.
    std::wstring ExecuteCommand(const std::wstring& commandLine);

    // The listener of each chunk read; it gets its own copy.
    std::function<void(std::wstring commandOutputs)> ReceiveOutputs;

    static constexpr unsigned long kReadSize = 256;

private:
    void Raise(const std::wstring& chunk);

    std::wstring commandLine_;
    std::wstring outputs_;
};

}  // namespace console
