// The command runner. The child inherits the pipe's write end as both output streams; the
// runner closes its own copy at once, so the output ends when the child and everything that
// inherited the end from it have closed it.
//
// The pipe is read on a thread of its own, one 256-byte read at a time; each read becomes one
// chunk that the calling thread raises in order. That leaves the calling thread free to keep
// its windows painted (WhileRunning) and to cancel. The child starts suspended inside a job
// object, so a cancel reaches every process it has started since; while the run lasts the
// job ends them all should this program end first.
#include "console/shelvoxs.h"

#include <deque>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

#include "console/output_decoder.h"
#include "ui/error_modes.h"
#include "ui/form.h"
#include "ui/runtime.h"
#include "win/handles.h"
#include "win/native_system.h"
#include "win/windowless_console.h"
#include "win/text.h"

namespace console {
namespace {

Shelvoxs::System g_realSystem;
Shelvoxs::System* g_system = &g_realSystem;

// A system refusal as the handler's error box reports it: the system's words and number.
[[noreturn]] void RaiseSystemError(DWORD code) {
    if (code == 0) code = ERROR_NOT_ENOUGH_MEMORY;
    throw ui::RuntimeError(static_cast<long>(code), win::ErrorText(code), L"Shelvoxs");
}

constexpr size_t kOutputBlock = 1 << 20;

OutputDecoder NewDecoder(unsigned codePage) {
    return OutputDecoder(
        [codePage](std::string_view bytes) { return win::FromCodePage(codePage, bytes); });
}

void SetKillOnClose(HANDLE job, bool on) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION info = {};
    info.BasicLimitInformation.LimitFlags = on ? JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE : 0;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &info, sizeof info);
}

// Whether the process is attached to a console, with or without a window.
bool HasConsole() {
    HANDLE out =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    CloseHandle(out);
    return true;
}

bool IsWindowedProgram() {
    auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI;
}

Shelvoxs::ConsoleKind g_console = Shelvoxs::ConsoleKind::Undecided;

// The console a windowed program shares with its children tells every process on it of a
// Ctrl+C or Ctrl+Break that one of them sends (build tools and script runtimes stop their
// helpers so) and of its closing, and the system's own answer is to end the process. Nobody
// can press a key in a console without a window: these are the children's events, and the
// program lets them pass. Logoff and shutdown reach a windowed program as messages.
BOOL WINAPI PassConsoleEvent(DWORD event) {
    return ui::AtBoundary<BOOL>(FALSE, [&]() -> BOOL {
        return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT;
    });
}

void PassConsoleEvents() {
    SetConsoleCtrlHandler(PassConsoleEvent, TRUE);
    // Ctrl+C ignored by whoever started the program (a launcher that gave it a process group
    // of its own) would pass on to every child: they handle it as usual.
    SetConsoleCtrlHandler(nullptr, FALSE);
}

}  // namespace

bool Shelvoxs::MakeOwnConsole() {
    // A console inherited from whoever started the program is not ours to change. Where the
    // system refuses one without a window, the program has none: it never shows a console
    // window, and no console's closing can end it.
    FreeConsole();
    bool attached = g_system->AttachWindowlessConsole();
    if (!attached) FreeConsole();
    g_console = attached ? ConsoleKind::Shared : ConsoleKind::PerChild;
    return attached;
}

Shelvoxs::ConsoleKind Shelvoxs::PrepareConsole() {
    // Made once for the program's life (the console belongs to the process, not to a run).
    // A console program (a test host) keeps the console it runs in, if it has one, and the
    // usual answer to Ctrl+C.
    if (g_console == ConsoleKind::Undecided) {
        bool windowed = IsWindowedProgram();
        if (windowed) PassConsoleEvents();
        if (windowed || !HasConsole())
            MakeOwnConsole();
        else
            g_console = ConsoleKind::Shared;
    }
    if (g_console == ConsoleKind::Shared) {
        UINT ansi = GetACP();
        if (GetConsoleOutputCP() != ansi) SetConsoleOutputCP(ansi);
        if (GetConsoleCP() != ansi) SetConsoleCP(ansi);
    }
    return g_console;
}

HANDLE Shelvoxs::System::NewEvent() { return CreateEventW(nullptr, FALSE, FALSE, nullptr); }

HANDLE Shelvoxs::System::NewThread(LPTHREAD_START_ROUTINE proc, void* arg) {
    return CreateThread(nullptr, 0, proc, arg, 0, nullptr);
}

DWORD Shelvoxs::System::Resume(HANDLE thread) { return ResumeThread(thread); }

bool Shelvoxs::System::AttachWindowlessConsole() { return win::AttachWindowlessConsole(); }

Shelvoxs::System* Shelvoxs::SetSystem(System* system) {
    System* old = g_system;
    g_system = system ? system : &g_realSystem;
    return old;
}

// What the reading thread and the run share. The thread holds a reference of its own, so a
// run that stops waiting for it (a pipe held open by a process outside the job) leaves it
// nothing to dangle on.
struct Shelvoxs::Reader {
    win::UniqueHandle pipe;       // the read end, closed by the thread when it ends
    win::UniqueHandle dataReady;  // auto-reset: set when the queue stops being empty
    win::UniqueHandle spaceFree;  // auto-reset: set when a full queue drains
    std::mutex lock;
    std::deque<std::string> chunks;             // one entry per successful read
    bool finished = false;                      // no more chunks will come
    bool failed = false;                        // ... because the reading thread itself failed
    bool abandoned = false;                     // the run no longer wants data
    static constexpr size_t kMaxQueued = 4096;  // 1 MB: beyond that the child waits for us

    static DWORD WINAPI Run(void* arg) {
        return ui::AtBoundary<DWORD>(0, [&]() -> DWORD {
            auto* self = static_cast<std::shared_ptr<Reader>*>(arg);
            std::shared_ptr<Reader> r = std::move(*self);
            delete self;
            try {
                r->Loop();
            } catch (...) {
                // Out of memory for a chunk: the run learns of it and ends its processes.
                std::lock_guard<std::mutex> hold(r->lock);
                r->failed = r->finished = true;
                SetEvent(r->dataReady.Get());
            }
            r->pipe.Reset();
            return 0;
        });
    }

    void Loop() {
        char buffer[kReadSize];
        for (;;) {
            DWORD got = 0;
            BOOL ok = ReadFile(pipe.Get(), buffer, kReadSize, &got, nullptr);
            std::unique_lock<std::mutex> hold(lock);
            if (abandoned) return;
            if (!ok) {
                finished = true;
                SetEvent(dataReady.Get());
                return;
            }
            while (chunks.size() >= kMaxQueued && !abandoned) {
                hold.unlock();
                WaitForSingleObject(spaceFree.Get(), 100);
                hold.lock();
            }
            if (abandoned) return;
            bool wasEmpty = chunks.empty();
            chunks.emplace_back(buffer, got);
            if (wasEmpty) SetEvent(dataReady.Get());
        }
    }

    void Abandon() {
        {
            std::lock_guard<std::mutex> hold(lock);
            abandoned = finished = true;
        }
        SetEvent(spaceFree.Get());
    }
};

void Shelvoxs::Raise(const std::wstring& chunk) {
    if (ReceiveOutputs) {
        std::wstring copy = chunk;
        ReceiveOutputs(std::move(copy));
    }
}

void Shelvoxs::EndProcesses() {
    if (job_ && TerminateJobObject(static_cast<HANDLE>(job_), 1)) return;
    if (process_) TerminateProcess(static_cast<HANDLE>(process_), 1);
}

void Shelvoxs::Cancel() {
    if (!running_) return;
    cancelled_ = true;
    EndProcesses();
}

std::wstring Shelvoxs::Outputs() const {
    std::wstring text;
    // A code page of one byte a character: read by read and all at once are the same.
    CPINFO cp = {};
    if (!utf16_ && GetCPInfo(codePage_, &cp) && cp.MaxCharSize == 1) {
        for (const std::string& block : outputBlocks_) text += win::FromCodePage(codePage_, block);
        return text;
    }
    // Otherwise the reads are decoded again one by one, as they were raised.
    OutputDecoder decoder = NewDecoder(codePage_);
    size_t block = 0, at = 0;
    for (uint16_t n : readSizes_) {
        // A read that does not fit in the rest of its block is at the start of the next one.
        while (n > 0 && at + n > outputBlocks_[block].size()) {
            ++block;
            at = 0;
        }
        text += decoder.Feed(std::string_view(outputBlocks_[block]).substr(at, n));
        at += n;
    }
    return text + decoder.Finish();
}

void Shelvoxs::KeepRead(const std::string& bytes) {
    // A read is kept whole or not at all, so that the sizes always match the bytes.
    readSizes_.push_back(static_cast<uint16_t>(bytes.size()));
    try {
        if (outputBlocks_.empty() || outputBlocks_.back().size() + bytes.size() > kOutputBlock) {
            std::string block;
            // From the second block on the run is a long one: each block is had whole at once.
            if (!outputBlocks_.empty()) block.reserve(kOutputBlock);
            outputBlocks_.push_back(std::move(block));
        }
        outputBlocks_.back() += bytes;
    } catch (...) {
        readSizes_.pop_back();
        throw;
    }
}

std::wstring Shelvoxs::ExecuteCommand(const std::wstring& commandLine) {
    if (!Execute(commandLine)) return std::wstring();
    return Outputs();
}

bool Shelvoxs::Execute(const std::wstring& commandLine) {
    if (!commandLine.empty()) commandLine_ = commandLine;
    if (running_) {
        // One run at a time: a second one while the first reads would interleave their output.
        throw ui::RuntimeError(10, L"A command is already running", L"Shelvoxs");
    }
    if (commandLine_.empty()) {
        ui::Rt().MsgBox(L"Command Line empty", MB_OK | MB_ICONERROR, std::nullopt);
        return false;
    }

    SECURITY_ATTRIBUTES sa = {};
    sa.nLength = sizeof(sa);
    sa.lpSecurityDescriptor = nullptr;
    sa.bInheritHandle = TRUE;

    auto reader = std::make_shared<Reader>();
    win::UniqueHandle writeEnd;
    if (!CreatePipe(reader->pipe.Put(), writeEnd.Put(), &sa, 0)) {
        DWORD err = GetLastError();
        ui::Rt().MsgBox(L"CreatePipe failed. Error: " + std::to_wstring(err), MB_OK | MB_ICONERROR,
                        std::nullopt);
        return false;
    }
    // The child only ever writes; keeping the read end out of it means a grandchild that
    // lingers cannot hold our end of the pipe open.
    SetHandleInformation(reader->pipe.Get(), HANDLE_FLAG_INHERIT, 0);

    // Made before the child exists, so that their failure leaves nothing to undo.
    reader->dataReady.Reset(g_system->NewEvent());
    if (!reader->dataReady) RaiseSystemError(GetLastError());
    reader->spaceFree.Reset(g_system->NewEvent());
    if (!reader->spaceFree) RaiseSystemError(GetLastError());

    // Children on the program's console write in its code page, the ANSI one. Where the
    // program has none, each child is given a console of its own that never has a window, and
    // writes in that console's: the OEM code page, as every new console has.
    const bool ownConsoles = PrepareConsole() == ConsoleKind::PerChild;
    const UINT codePage = ownConsoles ? GetOEMCP() : GetACP();
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdOutput = writeEnd.Get();
    si.hStdError = writeEnd.Get();
    si.hStdInput = nullptr;
    PROCESS_INFORMATION pi = {};

    // The line exactly as typed, through the wide call: a conversion to the ANSI code page
    // would turn what it cannot represent into '?', a wildcard to many programs. The call
    // may write into the line, so it gets a private, terminated copy.
    std::vector<wchar_t> line(commandLine_.begin(), commandLine_.end());
    line.push_back(L'\0');
    // Started suspended so that it is inside the job before it can start anything itself.
    // A 32-bit program on 64-bit Windows looks up and starts the system's own programs, as a
    // 64-bit console would, not their 32-bit copies in SysWOW64.
    BOOL started = FALSE;
    {
        win::NativeSystemFiles native;
        started = CreateProcessW(
            nullptr, line.data(), &sa, &sa, TRUE,
            NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED | (ownConsoles ? CREATE_NO_WINDOW : 0),
            nullptr, nullptr, &si, &pi);
    }
    if (started != TRUE) {
        reader->pipe.Reset();
        writeEnd.Reset();
        ui::Rt().MsgBox(L"File or command not found", MB_OK | MB_ICONERROR, std::nullopt);
        return false;
    }
    win::UniqueHandle process(pi.hProcess), thread(pi.hThread);
    win::UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
    if (job) {
        SetKillOnClose(job.Get(), true);
        if (!AssignProcessToJobObject(job.Get(), process.Get())) job.Reset();
    }
    job_ = job.Get();
    process_ = process.Get();

    // From here on, whatever ends the run early ends its processes too, and the runner
    // forgets them and the reader.
    struct EndOfRun {
        Shelvoxs& runner;
        Reader& reader;
        bool completed = false;
        ~EndOfRun() {
            if (!completed) runner.EndProcesses();
            reader.Abandon();
            runner.running_ = false;
            runner.cancelled_ = false;
            runner.job_ = nullptr;
            runner.process_ = nullptr;
        }
    } endOfRun{*this, *reader};

    auto* arg = new std::shared_ptr<Reader>(reader);
    win::UniqueHandle readerThread(g_system->NewThread(Reader::Run, arg));
    if (!readerThread) {
        DWORD err = GetLastError();
        delete arg;
        RaiseSystemError(err);
    }
    if (g_system->Resume(thread.Get()) == static_cast<DWORD>(-1)) {
        DWORD err = GetLastError();
        // Our copy of the write end goes first, so that the reader sees the end of the pipe
        // once the child has been ended.
        writeEnd.Reset();
        RaiseSystemError(err);
    }
    writeEnd.Reset();

    outputBlocks_.clear();
    readSizes_.clear();
    utf16_ = false;
    codePage_ = codePage;
    running_ = true;
    cancelled_ = false;
    ReadLoop(reader, readerThread.Get());

    // Ended by its own end of output: what the command started and left running (a program
    // it opened) stays, as it would without the job.
    endOfRun.completed = true;
    if (job) SetKillOnClose(job.Get(), false);
    process.Reset();
    thread.Reset();
    // The reader ends with the pipe; one that a process outside the job still holds open is
    // woken from its read, as often as it takes (a single call can come before it reads).
    for (int i = 0; i < 50 && WaitForSingleObject(readerThread.Get(), 20) == WAIT_TIMEOUT; ++i) {
        std::lock_guard<std::mutex> hold(reader->lock);
        if (reader->abandoned) CancelSynchronousIo(readerThread.Get());
    }
    return true;
}

void Shelvoxs::ReadLoop(const std::shared_ptr<Reader>& reader, HANDLE readerThread) {
    OutputDecoder decoder = NewDecoder(codePage_);
    DWORD lastPump = GetTickCount();
    DWORD cancelledAt = 0;
    for (;;) {
        std::deque<std::string> batch;
        bool finished = false, failed = false;
        {
            std::lock_guard<std::mutex> hold(reader->lock);
            batch.swap(reader->chunks);
            finished = reader->finished;
            failed = reader->failed;
        }
        if (!batch.empty()) SetEvent(reader->spaceFree.Get());
        for (const std::string& bytes : batch) {
            std::wstring text = decoder.Feed(bytes);
            KeepRead(bytes);
            utf16_ = decoder.GetEncoding() == OutputDecoder::Encoding::Utf16;
            // A UTF-16 read that only completed a character split off for the next read has
            // no text of its own yet; the one empty chunk is the end's.
            if (!text.empty() || !utf16_) Raise(text);
            // A long batch still lets the window breathe.
            if (WhileRunning && GetTickCount() - lastPump >= kPumpIntervalMs) {
                WhileRunning();
                lastPump = GetTickCount();
            }
        }
        if (failed) throw std::bad_alloc();
        if (finished) break;
        // While output streams in, a short pause lets the reading thread queue a batch
        // instead of handing over every 256 bytes with a wake-up of its own.
        if (!batch.empty() && batch.size() < 64) Sleep(1);

        DWORD wait = WhileRunning ? kPumpIntervalMs : 250;
        DWORD r;
        HANDLE ready = reader->dataReady.Get();
        if (WhileRunning)
            r = MsgWaitForMultipleObjectsEx(1, &ready, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        else
            r = WaitForSingleObject(ready, wait);
        if (WhileRunning &&
            (r == WAIT_OBJECT_0 + 1 || GetTickCount() - lastPump >= kPumpIntervalMs)) {
            WhileRunning();
            lastPump = GetTickCount();
        }
        // A cancelled run whose pipe some process outside the job still holds open stops
        // reading after a grace period rather than wait on it for ever.
        if (cancelled_) {
            if (!cancelledAt) cancelledAt = GetTickCount();
            DWORD waited = GetTickCount() - cancelledAt;
            if (waited >= 2 * kCancelGraceMs) {
                // Give up on the pipe: what was read so far is kept and the run ends as usual.
                reader->Abandon();
            } else if (waited >= kCancelGraceMs) {
                CancelSynchronousIo(readerThread);
            }
        }
    }
    std::wstring rest = decoder.Finish();
    if (!rest.empty()) Raise(rest);
    Raise(std::wstring());
}

}  // namespace console
