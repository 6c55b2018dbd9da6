// The system's Find dialog (FindTextW): modeless, owned by a form's window, with "Match case"
// and the direction, Up or Down ("Match whole word only" is not offered). The kit's message
// loop gives it its keys, and its requests come back through its owner's window procedure to
// FindNext; while a run holds the program none is raised, as no other event is.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <functional>
#include <string>

namespace ui {

class FindDialog {
public:
    struct Request {
        std::wstring what;
        bool matchCase = false;
        bool down = true;
    };
    // The longest text the dialog takes, in characters.
    static constexpr size_t kLongest = 511;

    FindDialog() = default;
    // Closes the dialog when it is open.
    ~FindDialog();
    FindDialog(const FindDialog&) = delete;
    FindDialog& operator=(const FindDialog&) = delete;

    // Opens the dialog, owned by `owner`, or brings it forward when it is open; `what`, when
    // given, becomes the text to find (cut to kLongest). False when the system made none.
    bool Show(HWND owner, const std::wstring* what);
    HWND Hwnd() const;
    // The text to find and the options, as the dialog last reported them or was opened with.
    Request Current() const;

    std::function<void(const Request&)> FindNext;

    // The message the dialog sends its owner, and what the owner's window procedure does with
    // it: the request goes to the dialog's FindNext.
    static UINT Message();
    static LRESULT Dispatch(LPARAM lp);

private:
    void OnMessage();

    FINDREPLACEW fr_ = {};
    wchar_t what_[kLongest + 1] = {};
    DWORD flags_ = FR_DOWN;
    HWND hwnd_ = nullptr;
};

}  // namespace ui
