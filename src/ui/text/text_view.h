// A multi-line text box built for long transcripts: appending costs in proportion to the
// appended text, however long the text already is, and painting touches only the rows in
// view. It answers the edit-control messages a form and its tools use (WM_SETTEXT,
// WM_GETTEXT, EM_SETSEL, EM_GETSEL, EM_REPLACESEL, EM_SCROLLCARET, EM_GETLINECOUNT,
// EM_GETFIRSTVISIBLELINE, WM_COPY, WM_CUT, WM_PASTE, WM_CLEAR, WM_UNDO, EM_UNDO, EM_CANUNDO,
// EM_EMPTYUNDOBUFFER) and those screen readers use (EM_LINEINDEX, EM_LINELENGTH,
// EM_LINEFROMCHAR, EM_GETLINE, EM_POSFROMCHAR, EM_CHARFROMPOS), as the standard multi-line box
// answers them, and sends EN_CHANGE, EN_SETFOCUS and EN_KILLFOCUS to its parent like an edit
// control. To a reader it is an editable text (ES_MULTILINE, ES_READONLY in its style, the
// system caret while it has the focus, value, selection and caret events). Lines wrap at word
// boundaries. The user gets what an edit control offers: the caret keys with Ctrl (by word) and
// Shift (extending the selection), Ctrl+Backspace, one level of undo (Ctrl+Z; again redoes),
// double-click for a word and a context menu.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace ui {

// The window class name; registered on first use.
const wchar_t* TextViewClass();
void RegisterTextView();
bool IsTextView(HWND hwnd);

// One item of a text box's context menu: the message that carries out its command (WM_UNDO,
// WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR, or EM_SETSEL for Select All), a command of the box's
// owner (kTextViewCommand + its index), or 0 for a separator.
struct TextMenuItem {
    UINT command;
    bool enabled;
};
// The context menu that box would offer now; empty for a window that is not a text view.
std::vector<TextMenuItem> TextViewMenu(HWND box);

// The drawing calls a text view's paint makes that must balance however the paint ends: a
// test puts its own in place to count them, and to make a row fail while it is drawn.
struct TextViewDrawing {
    virtual ~TextViewDrawing() = default;
    virtual HDC Begin(HWND window, PAINTSTRUCT* ps);
    virtual void End(HWND window, const PAINTSTRUCT* ps);
    virtual HDC NewMemoryDC(HDC like);
    virtual void FreeDC(HDC dc);
    virtual HBITMAP NewBitmap(HDC like, int width, int height);
    virtual void FreeBitmap(HBITMAP bitmap);
    // Draws a run of a row's characters.
    virtual void Text(HDC dc, int x, int y, const wchar_t* text, int length);
};
// Installs a replacement (nullptr: the real calls); returns the previous one.
TextViewDrawing* SetTextViewDrawing(TextViewDrawing* drawing);

// Commands of the box's owner, offered below the standard ones of its context menu: each label
// with its shortcut after a tab. The chosen one is sent to the box's parent as WM_COMMAND with
// the box's id and the notification code kTextViewCommand + its index.
constexpr WORD kTextViewCommand = 0x7F00;
void SetTextViewCommands(HWND box, const std::vector<std::wstring>& labels);

// Copies n characters of the box's text from a to out, so that a long text is read a part at
// a time. False, and nothing copied, for a window that is not a text view or a part that
// passes the end of its text.
bool ReadTextView(HWND box, size_t a, size_t n, wchar_t* out);
// The same without a copy: the part goes to visit(piece, length) in the pieces the box keeps
// it in, in order.
using TextPieceVisitor = std::function<void(const wchar_t* piece, size_t length)>;
bool VisitTextView(HWND box, size_t a, size_t n, const TextPieceVisitor& visit);

}  // namespace ui
