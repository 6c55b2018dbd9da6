// Shelvoxs: runs one command line as a hidden child process and captures what it writes to
// its standard output and standard error through one anonymous pipe.
#pragma once
#include <functional>
#include <memory>
#include <string>

namespace console {

class Shelvoxs {
public:
    Shelvoxs() = default;
    Shelvoxs(const Shelvoxs&) = delete;
    Shelvoxs& operator=(const Shelvoxs&) = delete;

    // The command line that the next run starts.
    void SetCommandLine(const std::wstring& commandLine) { commandLine_ = commandLine; }
    std::wstring CommandLine() const { return commandLine_; }
    // Everything read from the child of the latest run whose child started.
    std::wstring Outputs() const { return outputs_; }

    // Runs the stored command line (replaced first by commandLine when that is not empty)
    // and returns its output, or an empty text after a failure, which it has reported in a
    // message box. Every run whose child started raises ReceiveOutputs once per read, in
    // order, on the calling thread, and ends with exactly one empty chunk. The call returns
    // when the output has ended or the run was cancelled.
    std::wstring ExecuteCommand(const std::wstring& commandLine);

    // Ends the running child and every process it started (those that still belong to its
    // process tree). The run then finishes normally: the chunks read so far, one empty
    // chunk, and the call returns. Does nothing when no run is under way.
    void Cancel();
    bool Running() const { return running_; }

    // The listener of each chunk read; it gets its own copy.
    std::function<void(std::wstring commandOutputs)> ReceiveOutputs;
    // When set, called on the calling thread during a run whenever window messages are
    // waiting for it (and at least every kPumpIntervalMs), so that its windows can repaint
    // and the user can cancel. Without it the run handles no messages at all.
    std::function<void()> WhileRunning;

    static constexpr unsigned long kReadSize = 256;
    static constexpr unsigned long kPumpIntervalMs = 40;
    // How long a cancelled run waits for the pipe's last writer before it stops reading.
    static constexpr unsigned long kCancelGraceMs = 2000;

    struct Reader;  // the read loop's state, shared with its thread

private:
    void Raise(const std::wstring& chunk);

    std::wstring commandLine_;
    std::wstring outputs_;
    bool running_ = false;
    bool cancelled_ = false;
    void* job_ = nullptr;      // the run's job object (a HANDLE), while running
    void* process_ = nullptr;  // the run's child process (a HANDLE), while running
    std::shared_ptr<Reader> reader_;
};

}  // namespace console
