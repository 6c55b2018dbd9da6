#include "console/text_file.h"

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "console/utf8_encoder.h"

namespace console {
namespace {

TextFile::System g_real;
TextFile::System* g_system = &g_real;

constexpr size_t kPart = size_t(1) << 16;   // characters converted at a time
constexpr size_t kWrite = size_t(1) << 20;  // bytes gathered for each write

// The reason of the call that just failed; never "success", even from a call that forgot it.
DWORD LastError() {
    const DWORD e = GetLastError();
    return e ? e : ERROR_GEN_FAILURE;
}

// The target's folder as a prefix of a name in it: up to its last separator, or nothing.
std::wstring FolderOf(const std::wstring& path) {
    const size_t at = path.find_last_of(L"\\/:");
    return at == std::wstring::npos ? std::wstring() : path.substr(0, at + 1);
}

std::wstring Hex8(DWORD v) {
    static const wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring s(8, L'0');
    for (int i = 7; i >= 0; --i, v >>= 4) s[static_cast<size_t>(i)] = kDigits[v & 0xF];
    return s;
}

// The temporary file: closed and removed at the end unless it has taken the target's place.
class TempFile {
public:
    ~TempFile() {
        Close();
        if (!path_.empty() && !kept_) DeleteFileW(path_.c_str());
    }
    // Makes a new file of its own in the folder; ERROR_SUCCESS or the reason.
    DWORD Create(const std::wstring& folder) {
        const DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
        for (DWORD i = 0; i < 100; ++i) {
            const std::wstring name = folder + L"dvn" + Hex8(seed + i * 7919) + L".tmp";
            file_ = g_system->CreateNew(name);
            if (file_ != INVALID_HANDLE_VALUE) {
                path_ = name;
                return ERROR_SUCCESS;
            }
            const DWORD e = LastError();
            if (e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) return e;
        }
        return ERROR_FILE_EXISTS;
    }
    DWORD Write(const char* data, size_t n) {
        while (n > 0) {
            DWORD done = 0;
            const DWORD ask = static_cast<DWORD>(std::min<size_t>(n, 0x40000000));
            if (!g_system->Write(file_, data, ask, &done)) return LastError();
            if (done == 0) return ERROR_WRITE_FAULT;
            data += done;
            n -= done;
        }
        return ERROR_SUCCESS;
    }
    DWORD Finish() {
        if (!g_system->Flush(file_)) return LastError();
        return Close() ? ERROR_SUCCESS : LastError();
    }
    DWORD Replace(const std::wstring& target) {
        if (!g_system->Move(path_, target)) return LastError();
        kept_ = true;
        return ERROR_SUCCESS;
    }

private:
    bool Close() {
        if (file_ == INVALID_HANDLE_VALUE) return true;
        const BOOL ok = CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
        return ok != FALSE;
    }

    std::wstring path_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    bool kept_ = false;
};

DWORD WriteParts(TempFile& temp, size_t size, const TextFile::VisitText& visit) {
    std::vector<char> out(kWrite + Utf8Encoder::MaxBytes(kPart));
    size_t used = 0;
    for (const char b : {'\xEF', '\xBB', '\xBF'}) out[used++] = b;
    Utf8Encoder encoder;
    char* to = out.data();
    for (size_t a = 0; a < size;) {
        const size_t n = std::min(kPart, size - a);
        // A part's bytes fit beyond kWrite, in however many pieces it comes.
        if (!visit(a, n,
                   [&](const wchar_t* p, size_t k) { used += encoder.Encode(p, k, to + used); }))
            return ERROR_INVALID_HANDLE;
        a += n;
        if (used >= kWrite) {
            if (DWORD e = temp.Write(to, used)) return e;
            used = 0;
        }
    }
    used += encoder.Finish(to + used);
    return used ? temp.Write(to, used) : ERROR_SUCCESS;
}

}  // namespace

HANDLE TextFile::System::CreateNew(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

BOOL TextFile::System::Write(HANDLE file, const void* data, DWORD size, DWORD* written) {
    return WriteFile(file, data, size, written, nullptr);
}

BOOL TextFile::System::Flush(HANDLE file) { return FlushFileBuffers(file); }

BOOL TextFile::System::Move(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

TextFile::System* TextFile::SetSystem(System* system) {
    System* old = g_system;
    g_system = system ? system : &g_real;
    return old;
}

DWORD TextFile::WriteUtf8(const std::wstring& path, size_t size, const VisitText& visit) {
    // A read-only file (or a folder) in the way would refuse the move only after the whole
    // text had been written: it is refused before, with the reason the move would give.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return ERROR_ACCESS_DENIED;
    try {
        TempFile temp;
        if (DWORD e = temp.Create(FolderOf(path))) return e;
        if (DWORD e = WriteParts(temp, size, visit)) return e;
        if (DWORD e = temp.Finish()) return e;
        return temp.Replace(path);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

std::wstring TextFile::Reason(DWORD error) {
    wchar_t text[512] = L"";
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             error, 0, text, 512, nullptr);
    std::wstring reason(text, n);
    while (!reason.empty() &&
           (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L' '))
        reason.pop_back();
    return reason.empty() ? L"Error " + std::to_wstring(error) : reason;
}

}  // namespace console
