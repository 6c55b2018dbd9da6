// The text view's window: its class, its window procedure and the messages it answers, which
// are the edit-control messages a form and its tools use, and the notifications it sends its
// parent like an edit control.
#include "ui/text/text_view_box.h"

#include "ui/error_modes.h"

#include <algorithm>
#include <string>
#include <vector>

namespace ui {
namespace kit {

void TextView::Notify(WORD code) {
    HWND parent = GetParent(hwnd_);
    if (parent)
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd_), code),
                     reinterpret_cast<LPARAM>(hwnd_));
}

LRESULT TextView::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT read = 0;
    if (HandleReading(msg, wp, lp, read)) return read;
    switch (msg) {
        case WM_SETTEXT:
            SetText(lp ? reinterpret_cast<const wchar_t*>(lp) : L"");
            return TRUE;
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(layout_.Size());
        case WM_GETTEXT: {
            if (wp == 0 || !lp) return 0;
            size_t n = std::min(layout_.Size(), static_cast<size_t>(wp) - 1);
            auto* out = reinterpret_cast<wchar_t*>(lp);
            layout_.CopyTo(0, n, out);
            out[n] = 0;
            return static_cast<LRESULT>(n);
        }
        case EM_SETSEL: {
            long long a = static_cast<int>(wp), b = static_cast<int>(lp);
            if (a < 0) {  // -1 removes the selection
                Select(caret_, caret_);
            } else {
                if (b < 0) b = static_cast<long long>(layout_.Size());
                Select(static_cast<size_t>(a), static_cast<size_t>(b));
            }
            preferredX_ = -1;
            MarkDirty();
            return 0;
        }
        case EM_REPLACESEL:
            // wp says whether the program's replacement may be undone; console output may not.
            ReplaceSelection(lp ? reinterpret_cast<const wchar_t*>(lp) : L"",
                             wp ? EditKind::Other : EditKind::Program);
            return 0;
        case EM_CANUNDO:
            return undo_.valid ? TRUE : FALSE;
        case EM_UNDO:
        case WM_UNDO:
            if (!Undo()) return FALSE;
            AfterUserMove();
            return TRUE;
        case EM_EMPTYUNDOBUFFER:
            undo_ = UndoStep();
            return 0;
        case EM_SCROLLCARET:
            scrollToCaret_ = true;
            MarkDirty();
            return TRUE;
        case EM_GETLINECOUNT:
            return static_cast<LRESULT>(layout_.RowCount());
        case EM_GETFIRSTVISIBLELINE:
            if (scrollToCaret_) ScrollCaretIntoView();
            scrollToCaret_ = false;
            return static_cast<LRESULT>(top_);
        case EM_LINESCROLL:
            ScrollTo(static_cast<long long>(top_) + static_cast<int>(lp));
            return TRUE;
        case EM_SETLIMITTEXT:
            limit_ = Capacity(wp);
            return 0;
        case EM_GETLIMITTEXT:
            return limit_;
        case EM_SETREADONLY: {
            readOnly_ = wp != 0;
            // Its style says so, as an edit control's does: readers read it there.
            const LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
            SetWindowLongW(hwnd_, GWL_STYLE,
                           readOnly_ ? style | ES_READONLY : style & ~ES_READONLY);
            InvalidateRect(hwnd_, nullptr, FALSE);
            return TRUE;
        }
        case WM_SETFONT:
            SetFont(wp ? reinterpret_cast<HFONT>(wp)
                       : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
            if (LOWORD(lp)) InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(font_);
        case WM_SIZE:
            UpdateWrapWidth();
            return 0;
        case WM_COPY:
            CopyToClipboard();
            return 0;
        case WM_CUT:
            Cut();
            return 0;
        case WM_PASTE:
            Paste();
            return 0;
        case WM_CLEAR:
            if (!readOnly_) ReplaceSelection(L"", EditKind::Other);
            return 0;
        case WM_CHAR:
            OnChar(static_cast<wchar_t>(wp));
            return 0;
        case WM_KEYDOWN:
            OnKeyDown(wp);
            return 0;
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
        case WM_KEYUP:
            // Shift+F10 and the menu key open the context menu on their way down, so their
            // way up must not open it again (nor F10 start menu mode).
            if (wp == VK_APPS || (wp == VK_F10 && GetKeyState(VK_SHIFT) < 0)) {
                if (msg == WM_SYSKEYDOWN) ShowContextMenu(-1, -1);
                return 0;
            }
            break;
        case WM_CONTEXTMENU: {
            int x = static_cast<short>(LOWORD(lp)), y = static_cast<short>(HIWORD(lp));
            if (x != -1 || y != -1) {
                // Over the scroll bar, the system's scroll menu.
                POINT p = {x, y};
                ScreenToClient(hwnd_, &p);
                RECT cr;
                GetClientRect(hwnd_, &cr);
                if (!PtInRect(&cr, p)) break;
            }
            ShowContextMenu(x, y);
            return 0;
        }
        case WM_GETDLGCODE:
            return DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
        case WM_SETFOCUS:
            focused_ = true;
            reportedCaretAt_ = {-1, -1};  // where the caret is, told again
            CreateCaret(hwnd_, nullptr, 1, LineHeight());
            dirty_ = false;
            MarkDirty();
            ShowCaret(hwnd_);
            InvalidateRect(hwnd_, nullptr, FALSE);
            Notify(EN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            focused_ = false;
            DestroyCaret();
            InvalidateRect(hwnd_, nullptr, FALSE);
            Notify(EN_KILLFOCUS);
            return 0;
        case WM_LBUTTONDOWN: {
            SetFocus(hwnd_);
            SetCapture(hwnd_);
            dragging_ = true;
            size_t at = HitTest(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
            Select((wp & MK_SHIFT) ? anchor_ : at, at);
            AfterUserMove();
            InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        }
        case WM_LBUTTONDBLCLK: {
            auto word = layout_.WordAt(
                HitTest(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))));
            Select(word.first, word.second);
            AfterUserMove();
            InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (dragging_ && (wp & MK_LBUTTON)) {
                Select(anchor_,
                       HitTest(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))));
                AfterUserMove();
                InvalidateRect(hwnd_, nullptr, FALSE);
            }
            return 0;
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            if (dragging_) {
                dragging_ = false;
                if (GetCapture() == hwnd_) ReleaseCapture();
            }
            return 0;
        case WM_MOUSEWHEEL: {
            wheel_ += GET_WHEEL_DELTA_WPARAM(wp);
            int notches = wheel_ / WHEEL_DELTA;
            wheel_ -= notches * WHEEL_DELTA;
            UINT lines = 3;
            SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
            long long step = lines == WHEEL_PAGESCROLL ? std::max(1, VisibleRows() - 1)
                                                       : static_cast<long long>(lines);
            ScrollTo(static_cast<long long>(top_) - step * notches);
            return 0;
        }
        case WM_VSCROLL: {
            long long row = static_cast<long long>(top_);
            int page = std::max(1, VisibleRows() - 1);
            switch (LOWORD(wp)) {
                case SB_LINEUP:
                    row -= 1;
                    break;
                case SB_LINEDOWN:
                    row += 1;
                    break;
                case SB_PAGEUP:
                    row -= page;
                    break;
                case SB_PAGEDOWN:
                    row += page;
                    break;
                case SB_TOP:
                    row = 0;
                    break;
                case SB_BOTTOM:
                    row = static_cast<long long>(layout_.RowCount());
                    break;
                case SB_THUMBTRACK:
                case SB_THUMBPOSITION: {
                    SCROLLINFO si = {};
                    si.cbSize = sizeof si;
                    si.fMask = SIF_TRACKPOS;
                    GetScrollInfo(hwnd_, SB_VERT, &si);
                    row = si.nTrackPos;
                    break;
                }
            }
            ScrollTo(row);
            return 0;
        }
        case WM_SETCURSOR:
            if (LOWORD(lp) == HTCLIENT) {
                SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
                return TRUE;
            }
            break;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_SHOWWINDOW:
            if (wp) MarkDirty();
            break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace kit

namespace {

using kit::TextView;

const wchar_t kClass[] = L"DorvaneText";

TextView* ViewOf(HWND hwnd) {
    wchar_t cls[32] = {};
    if (!hwnd || !GetClassNameW(hwnd, cls, 32) || std::wstring(cls) != kClass) return nullptr;
    return reinterpret_cast<TextView*>(GetWindowLongPtrW(hwnd, 0));
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    // A message that fails leaves the box as it was before it.
    return AtBoundary<LRESULT>(0, [&]() -> LRESULT {
        auto* view = reinterpret_cast<TextView*>(GetWindowLongPtrW(hwnd, 0));
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
            // No window without its text (a failure here answers FALSE, 0).
            view = new TextView(hwnd, static_cast<DWORD>(cs->style));
            SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(view));
            // A multi-line box, as readers find in its style.
            SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(cs->style | ES_MULTILINE));
            if (cs->lpszName)
                ResumeNext(
                    [&] { view->Handle(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(cs->lpszName)); });
            return DefWindowProcW(hwnd, msg, wp, lp);
        }
        if (!view) return DefWindowProcW(hwnd, msg, wp, lp);
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, 0, 0);
            delete view;
            return DefWindowProcW(hwnd, msg, wp, lp);
        }
        return view->Handle(msg, wp, lp);
    });
}

}  // namespace

const wchar_t* TextViewClass() { return kClass; }

bool IsTextView(HWND hwnd) { return ViewOf(hwnd) != nullptr; }

void RegisterTextView() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    HINSTANCE inst = GetModuleHandleW(nullptr);
    if (GetClassInfoExW(inst, kClass, &wc)) return;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = Proc;
    wc.cbWndExtra = sizeof(void*);
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);
}

std::vector<TextMenuItem> TextViewMenu(HWND box) {
    TextView* view = ViewOf(box);
    return view ? view->MenuItems() : std::vector<TextMenuItem>();
}

void SetTextViewCommands(HWND box, const std::vector<std::wstring>& labels) {
    if (TextView* view = ViewOf(box)) view->SetCommands(labels);
}

bool ReadTextView(HWND box, size_t a, size_t n, wchar_t* out) {
    TextView* view = ViewOf(box);
    return view && view->Read(a, n, out);
}

bool VisitTextView(HWND box, size_t a, size_t n, const TextPieceVisitor& visit) {
    TextView* view = ViewOf(box);
    return view && view->Visit(a, n, visit);
}

}  // namespace ui
