// The multi-line text box as a user meets it: the context menu and what it offers, the caret
// keys with Ctrl and Shift, Ctrl+Backspace, undo and redo of the user's edits (never of the
// program's output), a double-click, and a paint that fails half-way.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "test_runtime.h"
#include "ui/busy_pump.h"
#include "ui/clipboard.h"
#include "ui/error_modes.h"
#include "ui/form.h"
#include "ui/text/text_view.h"

namespace {

const COLORREF kNone = ui::kDefaultColor;
// clang-format off
const std::vector<ui::ControlDef> kControls = {
    {L"txtEdit", ui::Kind::TextBox, L"", 120, 120, 3000, 1500, 0, nullptr, ui::kMultiLine | ui::kVScroll, {}, kNone, kNone, 0},
    {L"txtRead", ui::Kind::TextBox, L"", 120, 1800, 3000, 600, 1, nullptr, ui::kMultiLine | ui::kReadOnly, {}, kNone, kNone, 0},
};
const ui::FormDef kDef = {L"TextViewTest", 3400, 2600, ui::Border::FixedSingle, RGB(224, 224, 224), {}, 0, 0};
// clang-format on

// Ctrl and Shift held in this thread's key state (what GetKeyState reads) while it lives.
class Held {
public:
    Held(bool ctrl, bool shift) {
        GetKeyboardState(saved_);
        BYTE keys[256];
        std::memcpy(keys, saved_, sizeof keys);
        keys[VK_CONTROL] = keys[VK_LCONTROL] = ctrl ? 0x80 : 0;
        keys[VK_SHIFT] = keys[VK_LSHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    ~Held() { SetKeyboardState(saved_); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

private:
    BYTE saved_[256];
};

enum Mods { kPlain = 0, kCtrl = 1, kShift = 2, kCtrlShift = 3 };

void Key(HWND h, UINT vk, int mods = kPlain) {
    Held held((mods & kCtrl) != 0, (mods & kShift) != 0);
    SendMessageW(h, WM_KEYDOWN, vk, 1);
}
void Char(HWND h, wchar_t c, int mods = kPlain) {
    Held held((mods & kCtrl) != 0, (mods & kShift) != 0);
    SendMessageW(h, WM_CHAR, c, 1);
}
void Type(HWND h, const std::wstring& s) {
    for (wchar_t c : s) Char(h, c);
}
std::pair<DWORD, DWORD> Sel(HWND h) {
    DWORD a = 0, b = 0;
    SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    return {a, b};
}
void SetSel(HWND h, int a, int b) { SendMessageW(h, EM_SETSEL, a, b); }
bool CanUndo(HWND h) { return SendMessageW(h, EM_CANUNDO, 0, 0) != 0; }

void EmptyClipboardNow() {
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

// The box's menu in short: items by name ("own" for the program's commands), "~" before a
// disabled one, "|" for a separator.
std::string MenuOf(HWND h) {
    std::string m;
    for (const ui::TextMenuItem& item : ui::TextViewMenu(h)) {
        const char* name = item.command == WM_UNDO     ? "undo"
                           : item.command == WM_CUT    ? "cut"
                           : item.command == WM_COPY   ? "copy"
                           : item.command == WM_PASTE  ? "paste"
                           : item.command == WM_CLEAR  ? "delete"
                           : item.command == EM_SETSEL ? "all"
                           : item.command != 0         ? "own"
                                                       : "|";
        if (!m.empty()) m += ' ';
        if (item.command != 0 && !item.enabled) m += '~';
        m += name;
    }
    return m;
}

// Counts what each paint takes and gives back, and can make every row fail as it is drawn
// (as a row whose copy runs out of memory does).
class CountingDrawing : public ui::TextViewDrawing {
public:
    CountingDrawing() : previous_(ui::SetTextViewDrawing(this)) {}
    ~CountingDrawing() override { ui::SetTextViewDrawing(previous_); }
    CountingDrawing(const CountingDrawing&) = delete;
    CountingDrawing& operator=(const CountingDrawing&) = delete;

    HDC Begin(HWND window, PAINTSTRUCT* ps) override {
        ++begun;
        return TextViewDrawing::Begin(window, ps);
    }
    void End(HWND window, const PAINTSTRUCT* ps) override {
        ++ended;
        TextViewDrawing::End(window, ps);
    }
    HDC NewMemoryDC(HDC like) override {
        HDC dc = TextViewDrawing::NewMemoryDC(like);
        dcs += dc != nullptr;
        return dc;
    }
    void FreeDC(HDC dc) override {
        dcs -= dc != nullptr;
        TextViewDrawing::FreeDC(dc);
    }
    HBITMAP NewBitmap(HDC like, int width, int height) override {
        HBITMAP bitmap = TextViewDrawing::NewBitmap(like, width, height);
        bitmaps += bitmap != nullptr;
        return bitmap;
    }
    void FreeBitmap(HBITMAP bitmap) override {
        bitmaps -= bitmap != nullptr;
        TextViewDrawing::FreeBitmap(bitmap);
    }
    void Text(HDC dc, int x, int y, const wchar_t* text, int length) override {
        ++runs;
        if (failRows) throw std::bad_alloc();
        TextViewDrawing::Text(dc, x, y, text, length);
    }

    int begun = 0, ended = 0, dcs = 0, bitmaps = 0, runs = 0;
    bool failRows = false;

private:
    ui::TextViewDrawing* previous_;
};

struct TextViewTest : ::testing::Test {
    TestRuntime rt;
    std::unique_ptr<ui::Form> form = std::make_unique<ui::Form>(kDef, kControls);
    ui::Control* edit = nullptr;
    ui::Control* read = nullptr;
    HWND h = nullptr;

    void SetUp() override {
        // Loaded, not shown: a shown window takes Wine two seconds to go.
        form->EnsureLoaded();
        edit = &(*form)[L"txtEdit"];
        read = &(*form)[L"txtRead"];
        h = edit->Hwnd();
        SetFocus(h);
        EmptyClipboardNow();
    }
    void TearDown() override {
        if (form->Loaded()) form->Unload();
        form.reset();
        PumpMessages();
    }
};

TEST_F(TextViewTest, TheMenuOffersOnlyWhatApplies) {
    EXPECT_EQ(MenuOf(h), "~undo | ~cut ~copy ~paste ~delete | ~all");
    ASSERT_TRUE(ui::SetClipboardText(h, L"clip"));
    Type(h, L"some text");
    EXPECT_EQ(MenuOf(h), "undo | ~cut ~copy paste ~delete | all");
    SetSel(h, 0, 4);
    EXPECT_EQ(MenuOf(h), "undo | cut copy paste delete | all");

    // A read-only box offers Copy and Select All only, the first with a selection.
    HWND r = read->Hwnd();
    read->SetText(L"report");
    EXPECT_EQ(MenuOf(r), "~copy | all");
    SetSel(r, 1, 3);
    EXPECT_EQ(MenuOf(r), "copy | all");
    SendMessageW(h, EM_SETREADONLY, TRUE, 0);
    EXPECT_EQ(MenuOf(h), "copy | all");
    EXPECT_EQ(MenuOf(GetParent(h)), "") << "not a text box";
}

// Every menu the box opens, read as it opens and closed at once.
struct MenuWatch {
    static inline std::vector<std::vector<std::wstring>> opened;
    static inline WNDPROC base = nullptr;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        return ui::AtBoundary<LRESULT>(0, [&]() -> LRESULT {
            if (msg == WM_INITMENUPOPUP) {
                auto menu = reinterpret_cast<HMENU>(wp);
                std::vector<std::wstring> items;
                for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                    wchar_t label[64] = {};
                    GetMenuStringW(menu, i, label, 64, MF_BYPOSITION);
                    UINT state = GetMenuState(menu, i, MF_BYPOSITION);
                    items.push_back((state & MF_SEPARATOR) ? L"-"
                                    : (state & MF_GRAYED)  ? std::wstring(L"(") + label + L")"
                                                           : label);
                }
                opened.push_back(items);
                EndMenu();
            }
            return CallWindowProcW(base, hwnd, msg, wp, lp);
        });
    }
};

TEST_F(TextViewTest, ShiftF10TheMenuKeyAndARightClickOpenTheMenuOnce) {
    MenuWatch::opened.clear();
    MenuWatch::base = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MenuWatch::Proc)));
    edit->SetText(L"abc");
    SetSel(h, 0, 1);
    {
        Held shift(false, true);
        SendMessageW(h, WM_SYSKEYDOWN, VK_F10, 1);
        SendMessageW(h, WM_SYSKEYUP, VK_F10, 1);
    }
    SendMessageW(h, WM_KEYDOWN, VK_APPS, 1);
    SendMessageW(h, WM_KEYUP, VK_APPS, 1);
    SendMessageW(h, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 5));
    SendMessageW(h, WM_RBUTTONUP, 0, MAKELPARAM(10, 5));
    PumpMessages();
    SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MenuWatch::base));

    const std::vector<std::wstring> expected = {L"(&Undo)",  L"-",       L"Cu&t", L"&Copy",
                                                L"(&Paste)", L"&Delete", L"-",    L"Select &All"};
    ASSERT_EQ(MenuWatch::opened.size(), 3u);
    for (const auto& items : MenuWatch::opened) EXPECT_EQ(items, expected);
    EXPECT_EQ(edit->Text(), L"abc") << "a menu closed without a choice changes nothing";
}

// The program's own commands come below the standard items, with their shortcuts, and the
// one chosen reaches its handler, but not while a run holds the program.
TEST_F(TextViewTest, TheProgramsCommandsFollowTheStandardItemsAndReachTheirHandler) {
    std::vector<int> chosen;
    edit->SetMenuCommands({L"&Find...\tCtrl+F", L"&Save As...\tCtrl+S"});
    edit->MenuCommand = [&](int index) { chosen.push_back(index); };
    EXPECT_EQ(MenuOf(h), "~undo | ~cut ~copy ~paste ~delete | ~all | own own")
        << "a separator, then the two commands";

    MenuWatch::opened.clear();
    MenuWatch::base = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MenuWatch::Proc)));
    SendMessageW(h, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(h), MAKELPARAM(-1, -1));
    PumpMessages();
    SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MenuWatch::base));
    ASSERT_EQ(MenuWatch::opened.size(), 1u);
    const std::vector<std::wstring> expected = {L"(&Undo)",
                                                L"-",
                                                L"(Cu&t)",
                                                L"(&Copy)",
                                                L"(&Paste)",
                                                L"(&Delete)",
                                                L"-",
                                                L"(Select &All)",
                                                L"-",
                                                L"&Find...\tCtrl+F",
                                                L"&Save As...\tCtrl+S"};
    EXPECT_EQ(MenuWatch::opened[0], expected);

    // Chosen, a command reaches the box's parent as the box's notification.
    auto choose = [&](WORD index) {
        SendMessageW(GetParent(h), WM_COMMAND,
                     MAKEWPARAM(GetDlgCtrlID(h), ui::kTextViewCommand + index),
                     reinterpret_cast<LPARAM>(h));
    };
    choose(1);
    choose(0);
    choose(2);  // not one of its commands
    EXPECT_EQ(chosen, (std::vector<int>{1, 0}));
    {
        ui::BusyPump run(*form, nullptr, nullptr);
        choose(0);
    }
    EXPECT_EQ(chosen.size(), 2u) << "a run holds the program's commands too";
}

TEST_F(TextViewTest, CtrlArrowsGoByWordAndShiftExtendsEveryMove) {
    edit->SetText(L"one two  three\r\nfour");
    SetSel(h, 0, 0);
    Key(h, VK_RIGHT, kCtrl);
    EXPECT_EQ(Sel(h), std::make_pair(4ul, 4ul));
    Key(h, VK_RIGHT, kCtrl);
    EXPECT_EQ(Sel(h), std::make_pair(9ul, 9ul));
    Key(h, VK_RIGHT, kCtrlShift);
    EXPECT_EQ(Sel(h), std::make_pair(9ul, 14ul));
    Key(h, VK_HOME, kShift);
    EXPECT_EQ(Sel(h), std::make_pair(0ul, 9ul)) << "the anchor stays where the selection began";
    Key(h, VK_END, kCtrlShift);
    EXPECT_EQ(Sel(h), std::make_pair(9ul, 20ul));
    Key(h, VK_LEFT, kCtrlShift);
    EXPECT_EQ(Sel(h), std::make_pair(9ul, 16ul));
    Key(h, VK_LEFT, kCtrl);
    EXPECT_EQ(Sel(h), std::make_pair(14ul, 14ul)) << "a line break is a stop of its own";
    Key(h, VK_DOWN, kShift);
    EXPECT_EQ(Sel(h), std::make_pair(14ul, 20ul)) << "down to the end of the shorter line";
    Key(h, VK_HOME, kCtrl);
    EXPECT_EQ(Sel(h), std::make_pair(0ul, 0ul));
    Key(h, VK_END, kShift);
    EXPECT_EQ(Sel(h), std::make_pair(0ul, 14ul));

    Char(h, 1, kCtrl);  // Ctrl+A
    EXPECT_EQ(Sel(h), std::make_pair(0ul, 20ul));
    SendMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 5));
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(3, 5));
    EXPECT_EQ(Sel(h), std::make_pair(0ul, 3ul)) << "a double-click takes the word";
}

TEST_F(TextViewTest, CtrlBackspaceDeletesTheWordBeforeTheCaret) {
    edit->SetText(L"echo hello  world");
    SetSel(h, 17, 17);
    Char(h, 0x7F, kCtrl);
    EXPECT_EQ(edit->Text(), L"echo hello  ");
    Char(h, 0x7F, kCtrl);
    EXPECT_EQ(edit->Text(), L"echo ");
    SetSel(h, 1, 3);
    Char(h, 0x7F, kCtrl);
    EXPECT_EQ(edit->Text(), L"eo ") << "a selection goes, and nothing more";
    SetSel(h, 0, 0);
    Char(h, 0x7F, kCtrl);
    EXPECT_EQ(edit->Text(), L"eo ");

    HWND r = read->Hwnd();
    read->SetText(L"fixed words");
    SetSel(r, 11, 11);
    Char(r, 0x7F, kCtrl);
    Char(r, 8);
    EXPECT_EQ(read->Text(), L"fixed words");
}

TEST_F(TextViewTest, UndoPutsBackTheLastEditAndAgainRedoesIt) {
    edit->SetText(L"dir");
    EXPECT_FALSE(CanUndo(h));
    SetSel(h, 3, 3);
    Type(h, L" /w");
    EXPECT_EQ(edit->Text(), L"dir /w");
    Char(h, 26, kCtrl);  // Ctrl+Z: the typing goes as one
    EXPECT_EQ(edit->Text(), L"dir");
    Char(h, 26, kCtrl);
    EXPECT_EQ(edit->Text(), L"dir /w") << "undo again redoes";

    Char(h, 8);
    Char(h, 8);
    EXPECT_EQ(edit->Text(), L"dir ");
    EXPECT_EQ(SendMessageW(h, EM_UNDO, 0, 0), TRUE);
    EXPECT_EQ(edit->Text(), L"dir /w") << "the run of Backspaces comes back whole";

    SetSel(h, 0, 3);
    ASSERT_TRUE(ui::SetClipboardText(h, L"ls"));
    SendMessageW(h, WM_PASTE, 0, 0);
    EXPECT_EQ(edit->Text(), L"ls /w");
    SendMessageW(h, WM_UNDO, 0, 0);
    EXPECT_EQ(edit->Text(), L"dir /w") << "the pasted text gives back what it replaced";
    SendMessageW(h, EM_EMPTYUNDOBUFFER, 0, 0);
    EXPECT_FALSE(CanUndo(h));
    EXPECT_EQ(SendMessageW(h, EM_UNDO, 0, 0), FALSE);
    EXPECT_EQ(edit->Text(), L"dir /w");
}

TEST_F(TextViewTest, TheProgramsOutputIsNeverUndone) {
    edit->SetText(L"C:\\>");
    SetSel(h, 4, 4);
    Type(h, L"ver");
    edit->AppendText(L"\r\nWine 8\r\n");
    EXPECT_FALSE(CanUndo(h)) << "output ends the user's undo step";
    Char(h, 26, kCtrl);
    EXPECT_EQ(edit->Text(), L"C:\\>ver\r\nWine 8\r\n");

    Type(h, L"x");
    edit->SetText(L"new");
    EXPECT_FALSE(CanUndo(h));
    // A replacement the program marks as undoable is.
    SetSel(h, 0, 3);
    SendMessageW(h, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"old"));
    EXPECT_TRUE(CanUndo(h));
    SendMessageW(h, EM_UNDO, 0, 0);
    EXPECT_EQ(edit->Text(), L"new");
}

TEST_F(TextViewTest, APaintThatFailsInARowStillEndsAndGivesBackItsBitmap) {
    edit->SetText(L"first row\r\nsecond row");
    CountingDrawing drawing;
    drawing.failRows = true;
    // Sent, since the form is loaded but not shown: the paint runs all the same.
    SendMessageW(h, WM_PAINT, 0, 0);
    EXPECT_EQ(drawing.runs, 1) << "the first row failed and ended the paint";
    EXPECT_EQ(drawing.begun, 1);
    EXPECT_EQ(drawing.ended, 1) << "the paint was ended";
    EXPECT_EQ(drawing.dcs, 0) << "the memory DC was deleted";
    EXPECT_EQ(drawing.bitmaps, 0) << "the memory bitmap was deleted";

    // The next paint draws every row.
    drawing.failRows = false;
    SendMessageW(h, WM_PAINT, 0, 0);
    EXPECT_EQ(drawing.runs, 1 + 2);
    EXPECT_EQ(drawing.ended, 2);
    EXPECT_EQ(drawing.dcs, 0);
    EXPECT_EQ(drawing.bitmaps, 0);
    EXPECT_EQ(edit->Text(), L"first row\r\nsecond row");
}

// A box is full where its limit or its string ends, whichever comes first (in a 32-bit build
// the string's largest size is below the standard limit), and whatever says "too long" is
// reported as out of memory, as an allocation that failed is.
TEST_F(TextViewTest, ABoxIsFullWhereItsTextEndsAndEveryOverflowIsOutOfMemory) {
    const size_t most = std::wstring().max_size();
    for (WPARAM asked : {WPARAM(0), WPARAM(0x7FFFFFFE), WPARAM(1000)}) {
        SendMessageW(h, EM_SETLIMITTEXT, asked, 0);
        const size_t limit = static_cast<size_t>(SendMessageW(h, EM_GETLIMITTEXT, 0, 0));
        const size_t want = asked ? static_cast<size_t>(asked) : 0x7FFFFFFE;
        EXPECT_EQ(limit, std::min(want, most)) << "asked " << asked;
    }

    struct Case {
        std::exception_ptr error;
        const wchar_t* start;
        const wchar_t* end;
    };
    const Case cases[] = {
        {std::make_exception_ptr(std::bad_alloc()), L"Out of memory - ", L" - 7"},
        {std::make_exception_ptr(std::length_error("basic_string::append")), L"Out of memory - ",
         L" - 7"},
        {std::make_exception_ptr(ui::RuntimeError(7, L"Out of memory")), L"Out of memory - ",
         L" - 7"},
        {std::make_exception_ptr(std::runtime_error("odd")), L"odd - ", L" - 5"},
    };
    for (const Case& c : cases) {
        try {
            std::rethrow_exception(c.error);
        } catch (const std::exception& e) {
            const std::wstring text = ui::ErrorReportText(e);
            EXPECT_EQ(text.rfind(c.start, 0), 0u) << text;
            EXPECT_EQ(text.substr(text.size() - 4), c.end) << text;
        }
    }
}

}  // namespace
