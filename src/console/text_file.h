// Keeping a long text in a file, safely: UTF-8 with a byte-order mark, converted a part at a
// time (never the whole text at once), written to a temporary file in the target's folder and
// moved over the target only when every byte is written. A failure leaves the target as it
// was and no temporary file behind.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace console {

class TextFile {
public:
    // The file calls that a test may make fail. Each fails as the system does: a failure
    // value, with the reason in the thread's last error.
    struct System {
        virtual ~System() = default;
        // A new file for writing (CREATE_NEW); INVALID_HANDLE_VALUE on failure.
        virtual HANDLE CreateNew(const std::wstring& path);
        virtual BOOL Write(HANDLE file, const void* data, DWORD size, DWORD* written);
        virtual BOOL Flush(HANDLE file);
        // Puts `from` in the place of `to`, replacing it (MoveFileExW, written through).
        virtual BOOL Move(const std::wstring& from, const std::wstring& to);
    };
    // Installs a replacement (nullptr: the real calls); returns the one before.
    static System* SetSystem(System* system);

    // A text is handed over where it lies: visit(a, n, piece) passes its n characters from a,
    // in order, to piece(p, length), in parts of any length; false when it cannot.
    using Piece = std::function<void(const wchar_t* p, size_t length)>;
    using VisitText = std::function<bool(size_t a, size_t n, const Piece& piece)>;

    // Writes the `size` characters that `visit` hands over to path. Returns ERROR_SUCCESS or
    // the system's error code.
    static DWORD WriteUtf8(const std::wstring& path, size_t size, const VisitText& visit);
    // The system's own words for an error code, without the line break after them.
    static std::wstring Reason(DWORD error);
};

}  // namespace console
