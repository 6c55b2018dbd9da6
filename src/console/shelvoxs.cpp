// The command runner. The child inherits the pipe's write end as both output streams; the
// runner closes its own copy at once, so the output ends when the child and everything that
// inherited the end from it have closed it.
//
// The pipe is read on a thread of its own, one 256-byte read at a time; each read becomes one
// chunk that the calling thread raises in order. That leaves the calling thread free to keep
// its windows painted (WhileRunning) and to cancel. The child starts suspended inside a job
// object, so a cancel reaches every process it has started since.
#include "console/shelvoxs.h"

#include <windows.h>

#include <deque>
#include <mutex>
#include <vector>

#include "ui/form.h"
#include "ui/runtime.h"
#include "win/handles.h"
#include "win/text.h"

namespace console {

// What the reading thread and the run share. The thread holds a reference of its own, so a
// run that stops waiting for it (a pipe held open by a process outside the job) leaves it
// nothing to dangle on.
struct Shelvoxs::Reader {
    win::UniqueHandle pipe;       // the read end, closed by the thread when it ends
    win::UniqueHandle dataReady;  // auto-reset: set when the queue stops being empty
    win::UniqueHandle spaceFree;  // auto-reset: set when a full queue drains
    std::mutex lock;
    std::deque<std::string> chunks;  // one entry per read
    bool finished = false;           // the failing read has been queued
    bool abandoned = false;          // the run no longer wants data
    static constexpr size_t kMaxQueued = 4096;  // 1 MB: beyond that the child waits for us

    static DWORD WINAPI Run(void* arg) {
        auto* self = static_cast<std::shared_ptr<Reader>*>(arg);
        std::shared_ptr<Reader> r = *self;
        delete self;
        char buffer[kReadSize];
        for (;;) {
            DWORD got = 0;
            BOOL ok = ReadFile(r->pipe.Get(), buffer, kReadSize, &got, nullptr);
            if (!ok) got = 0;
            for (;;) {
                std::unique_lock<std::mutex> hold(r->lock);
                if (r->abandoned) break;
                if (r->chunks.size() >= kMaxQueued && ok) {
                    hold.unlock();
                    WaitForSingleObject(r->spaceFree.Get(), 100);
                    continue;
                }
                bool wasEmpty = r->chunks.empty();
                r->chunks.emplace_back(buffer, got);
                if (!ok) r->finished = true;
                if (wasEmpty || !ok) SetEvent(r->dataReady.Get());
                break;
            }
            bool stop = !ok;
            {
                std::lock_guard<std::mutex> hold(r->lock);
                stop = stop || r->abandoned;
            }
            if (stop) break;
        }
        r->pipe.Reset();
        return 0;
    }
};

void Shelvoxs::Raise(const std::wstring& chunk) {
    if (ReceiveOutputs) {
        std::wstring copy = chunk;
        ReceiveOutputs(std::move(copy));
    }
}

void Shelvoxs::Cancel() {
    if (!running_) return;
    cancelled_ = true;
    if (job_ && TerminateJobObject(static_cast<HANDLE>(job_), 1)) return;
    if (process_) TerminateProcess(static_cast<HANDLE>(process_), 1);
}

std::wstring Shelvoxs::ExecuteCommand(const std::wstring& commandLine) {
    if (!commandLine.empty()) commandLine_ = commandLine;
    if (running_) {
        // One run at a time: a second one while the first reads would interleave their output.
        throw ui::RuntimeError(10, L"A command is already running", L"Shelvoxs");
    }
    if (commandLine_.empty()) {
        ui::Rt().MsgBox(L"Command Line empty", MB_OK | MB_ICONERROR, std::nullopt);
        return std::wstring();
    }

    SECURITY_ATTRIBUTES sa = {};
    sa.nLength = sizeof(sa);
    sa.lpSecurityDescriptor = nullptr;
    sa.bInheritHandle = TRUE;

    auto reader = std::make_shared<Reader>();
    win::UniqueHandle writeEnd;
    if (!CreatePipe(reader->pipe.Put(), writeEnd.Put(), &sa, 0)) {
        DWORD err = GetLastError();
        ui::Rt().MsgBox(L"CreatePipe failed. Error: " + std::to_wstring(err),
                        MB_OK | MB_ICONERROR, std::nullopt);
        return std::wstring();
    }
    // The child only ever writes; keeping the read end out of it means a grandchild that
    // lingers cannot hold our end of the pipe open.
    SetHandleInformation(reader->pipe.Get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdOutput = writeEnd.Get();
    si.hStdError = writeEnd.Get();
    si.hStdInput = nullptr;
    PROCESS_INFORMATION pi = {};

    // CreateProcessA may write into the command line, so it gets a private, terminated copy.
    std::string line = win::ToAnsi(commandLine_);
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    // Started suspended so that it is inside the job before it can start anything itself.
    BOOL started = CreateProcessA(nullptr, buffer.data(), &sa, &sa, TRUE,
                                  NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED, nullptr, nullptr, &si,
                                  &pi);
    if (started != TRUE) {
        reader->pipe.Reset();
        writeEnd.Reset();
        ui::Rt().MsgBox(L"File or command not found", MB_OK | MB_ICONERROR, std::nullopt);
        return std::wstring();
    }
    win::UniqueHandle process(pi.hProcess), thread(pi.hThread);
    win::UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
    if (job && !AssignProcessToJobObject(job.Get(), process.Get())) job.Reset();
    ResumeThread(thread.Get());
    writeEnd.Reset();

    reader->dataReady.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    reader->spaceFree.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    auto* arg = new std::shared_ptr<Reader>(reader);
    win::UniqueHandle readerThread(CreateThread(nullptr, 0, Reader::Run, arg, 0, nullptr));
    if (!readerThread) {
        delete arg;
        // Without a thread the pipe is read here, as the simplest runner would.
        Reader::Run(new std::shared_ptr<Reader>(reader));
    }

    outputs_.clear();
    running_ = true;
    cancelled_ = false;
    job_ = job.Get();
    process_ = process.Get();
    reader_ = reader;

    // Whatever happens to the listener, the run ends here: the reader is told to stop and the
    // runner forgets the child.
    struct EndOfRun {
        Shelvoxs& runner;
        Reader& reader;
        ~EndOfRun() {
            {
                std::lock_guard<std::mutex> hold(reader.lock);
                reader.abandoned = true;
            }
            SetEvent(reader.spaceFree.Get());
            runner.running_ = false;
            runner.cancelled_ = false;
            runner.job_ = nullptr;
            runner.process_ = nullptr;
            runner.reader_.reset();
        }
    } endOfRun{*this, *reader};

    DWORD lastPump = GetTickCount();
    DWORD cancelledAt = 0;
    bool ioCancelled = false;
    bool done = false;
    while (!done) {
        std::deque<std::string> batch;
        bool finished = false;
        {
            std::lock_guard<std::mutex> hold(reader->lock);
            batch.swap(reader->chunks);
            finished = reader->finished;
        }
        if (!batch.empty()) SetEvent(reader->spaceFree.Get());
        for (size_t i = 0; i < batch.size(); ++i) {
            std::wstring text = win::FromAnsi(batch[i]);
            outputs_ += text;
            Raise(text);
            if (finished && i + 1 == batch.size()) done = true;
            // A long batch still lets the window breathe.
            if (WhileRunning && GetTickCount() - lastPump >= kPumpIntervalMs) {
                WhileRunning();
                lastPump = GetTickCount();
            }
        }
        if (done) break;
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
            if (!ioCancelled && waited >= kCancelGraceMs) {
                CancelSynchronousIo(readerThread.Get());
                ioCancelled = true;
            } else if (waited >= 2 * kCancelGraceMs) {
                // Give up on the pipe: what was read so far is kept and the run ends as usual.
                std::lock_guard<std::mutex> hold(reader->lock);
                if (!reader->finished) {
                    reader->abandoned = true;
                    reader->chunks.emplace_back();
                    reader->finished = true;
                }
            }
        }
    }
    process.Reset();
    thread.Reset();
    if (readerThread) WaitForSingleObject(readerThread.Get(), ioCancelled ? 0 : 5000);
    return outputs_;
}

}  // namespace console
