// The input box: a small captioned window with a prompt, OK, Cancel and an edit line. It runs
// its own message loop and disables the thread's other windows while it is up. When its owner
// goes away (and the system takes the box with it), it ends as Cancel.
#include "ui/input_box.h"

#include <vector>

#include "ui/error_modes.h"
#include "ui/modal.h"
#include "ui/units.h"

namespace ui {
namespace {

const wchar_t kClass[] = L"Dorvane.InputBox";
enum { kIdEdit = 100, kIdPrompt = 101 };

struct State {
    HWND edit = nullptr;
    bool done = false;
    bool ok = false;
    std::wstring text;
    HFONT font = nullptr;
};

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return AtBoundary<LRESULT>(0, [&]() -> LRESULT {
        auto* st = reinterpret_cast<State*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        switch (msg) {
            case WM_NCCREATE:
                SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                                  reinterpret_cast<LONG_PTR>(
                                      reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
                break;
            case WM_COMMAND:
                if (!st) break;
                if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
                    st->ok = LOWORD(wp) == IDOK;
                    if (st->ok) {
                        int n = GetWindowTextLengthW(st->edit);
                        std::vector<wchar_t> buf(static_cast<size_t>(n) + 1);
                        GetWindowTextW(st->edit, buf.data(), n + 1);
                        st->text.assign(buf.data());
                    }
                    st->done = true;
                    return 0;
                }
                break;
            case WM_CTLCOLORSTATIC:
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            case WM_CLOSE:
                if (st) st->done = true;
                return 0;
            case WM_DESTROY:
                // Destroyed with its owner, not by us: the answer is Cancel. The loop may be
                // waiting for a posted message (a sent close does not wake it), so one is posted.
                if (st && !st->done) {
                    st->done = true;
                    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
                }
                break;
            case WM_NCDESTROY:
                SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
                break;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    });
}

}  // namespace

std::wstring ShowInputBox(HWND owner, const std::wstring& prompt, const std::wstring& title,
                          const std::wstring& defaultText) {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(inst, kClass, &wc)) {
        wc.lpfnWndProc = Proc;
        wc.hInstance = inst;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = kClass;
        RegisterClassExW(&wc);
    }

    State st;
    int dpi = ScreenDpi();
    auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
    // Classic proportions: prompt on the left, buttons on the right, the edit line below.
    RECT r = {0, 0, px(4680), px(2040)};
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    AdjustWindowRectEx(&r, style, FALSE, WS_EX_DLGMODALFRAME);
    int w = r.right - r.left, h = r.bottom - r.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 3;
    HWND box = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kClass, title.c_str(),
                               style, x, y, w, h, owner, nullptr, inst, &st);
    if (!box) return L"";

    st.font = CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                          0, 0, L"Tahoma");
    auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD s, int id, int l, int t, int cw,
                     int ch, DWORD ex = 0) {
        HWND c =
            CreateWindowExW(ex, cls, text, WS_CHILD | WS_VISIBLE | s, px(l), px(t), px(cw), px(ch),
                            box, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(st.font), FALSE);
        return c;
    };
    st.edit = child(L"EDIT", defaultText.c_str(), WS_TABSTOP | ES_AUTOHSCROLL, kIdEdit, 120, 1560,
                    4440, 300, WS_EX_CLIENTEDGE);
    child(L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, 3480, 120, 1095, 375);
    child(L"BUTTON", L"Cancel", WS_TABSTOP, IDCANCEL, 3480, 600, 1095, 375);
    child(L"STATIC", prompt.c_str(), SS_LEFT | SS_NOPREFIX, kIdPrompt, 120, 120, 3240, 1320);

    const bool foreground = ThreadHasForeground();
    DisabledWindows others(box);
    ShowWindow(box, SW_SHOWNORMAL);
    // In front only when the program was: it must not pull itself over another program.
    if (foreground) SetForegroundWindow(box);
    SetFocus(st.edit);
    SendMessageW(st.edit, EM_SETSEL, 0, -1);

    MSG msg;
    while (!st.done) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (IsDialogMessageW(box, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // Enabled again before the box goes, so that activation returns to the program.
    others.Restore();
    if (IsWindow(box)) DestroyWindow(box);
    DeleteObject(st.font);
    if (foreground && owner && IsWindow(owner)) SetForegroundWindow(owner);
    return st.ok ? st.text : std::wstring();
}

}  // namespace ui
