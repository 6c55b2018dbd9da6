// Shelvoxs: runs one command line as a hidden child process and captures what it writes to
// its standard output and standard error through one anonymous pipe.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <cstdint>
#include <string>
#include <vector>

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
    std::wstring Outputs() const;

    // Runs the stored command line (replaced first by commandLine when that is not empty)
    // and returns its output, or an empty text after a failure, which it has reported in a
    // message box. Every run whose child started raises ReceiveOutputs once per read, in
    // order, on the calling thread, and ends with exactly one empty chunk. The call returns
    // when the output has ended or the run was cancelled.
    // A run that ends on an error (the listener threw, memory ran out, the system refused a
    // thread, an event or the child's start) ends the child's processes before the error
    // leaves the call; the chunks raised so far stay raised.
    std::wstring ExecuteCommand(const std::wstring& commandLine);
    // The same run for a caller that takes the output only through ReceiveOutputs: no copy
    // of the whole output is made for it. True when the child started.
    bool Execute(const std::wstring& commandLine);

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

    // Console programs write to a pipe through their console's code page, the OEM one unless
    // told otherwise, while the transcript reads the ANSI one (so "café" would come out
    // wrong). The children share a console of the program's own, without a window, that uses
    // the ANSI code page both ways; programs that write ANSI themselves are not affected.
    // Where the system refuses such a console, the program has none, and each child is
    // started with a windowless console of its own, whose code page (the OEM one) the
    // transcript then reads. No console window ever shows, and no console event ends the
    // program. Every run makes sure of it; a windowed program calls it as it starts.
    enum class ConsoleKind {
        Undecided,
        Shared,    // the children inherit the process's console, in the ANSI code page
        PerChild,  // the process has none; each child gets a windowless one of its own
    };
    static ConsoleKind PrepareConsole();
    // The console that PrepareConsole makes once for a windowed program, in place of any it
    // had: true when the process has it now, false when it has none.
    static bool MakeOwnConsole();

    static constexpr unsigned long kReadSize = 256;
    static constexpr unsigned long kPumpIntervalMs = 40;
    // How long a cancelled run waits for the pipe's last writer before it stops reading.
    static constexpr unsigned long kCancelGraceMs = 2000;

    struct Reader;  // the read loop's state, shared with its thread

    // The system calls a run needs beyond the pipe and the child; a test puts its own in
    // place to see what a run does when one of them fails.
    struct System {
        virtual ~System() = default;
        virtual HANDLE NewEvent();  // auto-reset, not signalled
        virtual HANDLE NewThread(LPTHREAD_START_ROUTINE proc, void* arg);
        virtual DWORD Resume(HANDLE thread);  // (DWORD)-1 on failure
        // The console without a window (win::AttachWindowlessConsole), made for the program.
        virtual bool AttachWindowlessConsole();
    };
    // Installs a replacement (nullptr: the real calls); returns the previous one.
    static System* SetSystem(System* system);

private:
    void Raise(const std::wstring& chunk);
    // Reads the started child's output to its end (or the cancel's), raising every chunk.
    void ReadLoop(const std::shared_ptr<Reader>& reader, HANDLE readerThread);
    // Adds one read to the accumulated output.
    void KeepRead(const std::string& bytes);
    // Ends the processes of the run under way, whatever state it is in.
    void EndProcesses();

    std::wstring commandLine_;
    // The accumulated output is kept as the bytes read, one byte per byte, with the length of
    // each read: its text is the reads converted one by one, exactly as they were raised, and
    // is made only when asked for. A transcript of hundreds of megabytes is held once as
    // text (in the box), not twice. The bytes are kept in blocks of about a megabyte that a
    // read never spans, so that a long run grows without copying what it has read.
    std::vector<std::string> outputBlocks_;
    std::vector<uint16_t> readSizes_;
    bool utf16_ = false;     // the latest run wrote UTF-16
    unsigned codePage_ = 0;  // ... or else in this code page (its children's console's)
    bool running_ = false;
    bool cancelled_ = false;
    void* job_ = nullptr;      // the run's job object (a HANDLE), while running
    void* process_ = nullptr;  // the run's child process (a HANDLE), while running
};

}  // namespace console
