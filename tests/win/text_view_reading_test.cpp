// The edit messages that screen readers send to read a text line by line and find the caret,
// asked of the kit's text view and of the system's multi-line edit control, made alike (same
// text, width, font and margins): every answer must be the standard control's.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/text/text_view.h"

namespace {

// One question to both boxes: a message, its arguments, what buffer it fills, and the
// selection made first (none when sel is false).
enum class Buffer { None, Text, Line, SelPointers };
struct Probe {
    std::string what;
    UINT msg;
    WPARAM wp;
    LPARAM lp;
    Buffer buffer = Buffer::None;
    bool sel = false;
    int selFrom = 0, selTo = 0;
};

// The answer as text: the result and whatever the message wrote.
std::wstring Ask(HWND box, const Probe& p) {
    if (p.sel) SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(p.selFrom), p.selTo);
    std::wstring out;
    wchar_t buf[512];
    std::fill(std::begin(buf), std::end(buf), L'#');
    DWORD a = 0xDEAD, b = 0xBEEF;
    LRESULT r = 0;
    switch (p.buffer) {
        case Buffer::None:
            r = SendMessageW(box, p.msg, p.wp, p.lp);
            break;
        case Buffer::Text:
            r = SendMessageW(box, p.msg, p.wp, reinterpret_cast<LPARAM>(buf));
            break;
        case Buffer::Line:
            *reinterpret_cast<WORD*>(buf) = static_cast<WORD>(p.lp);
            r = SendMessageW(box, p.msg, p.wp, reinterpret_cast<LPARAM>(buf));
            break;
        case Buffer::SelPointers:
            r = SendMessageW(box, p.msg, reinterpret_cast<WPARAM>(&a),
                             reinterpret_cast<LPARAM>(&b));
            return L"a=" + std::to_wstring(a) + L" b=" +
                   std::to_wstring(b);  // the return form's apart
    }
    if (p.buffer == Buffer::Text || p.buffer == Buffer::Line)
        out = L" buf=" + std::wstring(buf, 40);
    return L"r=" + std::to_wstring(static_cast<long long>(r)) + out;
}

std::vector<Probe> ProbesFor(const std::wstring& text, int lines) {
    const int len = static_cast<int>(text.size());
    std::vector<Probe> v;
    auto add = [&](std::string what, UINT msg, WPARAM wp, LPARAM lp, Buffer buf = Buffer::None) {
        v.push_back({std::move(what), msg, wp, lp, buf});
    };
    const std::vector<std::pair<int, int>> selections = {
        {0, 0}, {3, 3}, {2, 9}, {9, 2}, {len, len}, {1, len}, {-1, 0}, {0, -1}, {len + 5, len + 9}};
    for (auto s : selections) {
        const std::string at =
            " after EM_SETSEL(" + std::to_string(s.first) + "," + std::to_string(s.second) + ")";
        for (UINT msg : {EM_GETSEL, EM_LINEINDEX, EM_LINELENGTH, EM_LINEFROMCHAR}) {
            // Wine's box counts the unselected characters of a backwards selection from its
            // anchor, not from its start; the text view counts them as documented.
            if (msg == EM_LINELENGTH && s.first > s.second && s.second >= 0) continue;
            Probe p{"message " + std::to_string(msg) + " of -1" + at, msg, static_cast<WPARAM>(-1),
                    0};
            // Past 65535 Wine's box answers both words cut to 16 bits, Windows' box -1 as
            // documented; the text view answers as Windows documents.
            if (msg == EM_GETSEL && len > 0xFFFF) continue;
            if (msg == EM_GETSEL) p.wp = 0;
            p.sel = true;
            p.selFrom = s.first;
            p.selTo = s.second;
            v.push_back(p);
        }
        Probe pointers{"EM_GETSEL into pointers" + at, EM_GETSEL, 0, 0, Buffer::SelPointers};
        pointers.sel = true;
        pointers.selFrom = s.first;
        pointers.selTo = s.second;
        v.push_back(pointers);
    }
    add("WM_GETTEXTLENGTH", WM_GETTEXTLENGTH, 0, 0);
    add("EM_GETLINECOUNT", EM_GETLINECOUNT, 0, 0);
    add("EM_SCROLLCARET", EM_SCROLLCARET, 0, 0);
    for (int n : {0, 1, 6, 500})
        add("WM_GETTEXT of " + std::to_string(n), WM_GETTEXT, n, 0, Buffer::Text);
    // The first lines and characters and the last ones (a long text has too many to ask all).
    auto asked = [](int i, int end) { return i < 60 || i > end - 12; };
    for (int line = 0; line <= lines + 1; ++line) {
        if (!asked(line, lines)) continue;
        const std::string l = std::to_string(line);
        add("EM_LINEINDEX " + l, EM_LINEINDEX, line, 0);
        for (int room : {0, 3, 300})
            add("EM_GETLINE " + l + " into " + std::to_string(room), EM_GETLINE, line, room,
                Buffer::Line);
    }
    for (int i = 0; i <= len + 2; ++i) {
        if (!asked(i, len)) continue;
        const std::string c = std::to_string(i);
        add("EM_LINELENGTH " + c, EM_LINELENGTH, i, 0);
        add("EM_LINEFROMCHAR " + c, EM_LINEFROMCHAR, i, 0);
        // Not between CR and LF, where no caret goes (Wine's box puts it at the line's start).
        if (i == 0 || i >= len || text[i - 1] != L'\r' || text[i] != L'\n')
            add("EM_POSFROMCHAR " + c, EM_POSFROMCHAR, i, 0);
    }
    for (int y = -4; y < 80; y += 7)
        for (int x = -3; x < 230; x += 11)
            add("EM_CHARFROMPOS " + std::to_string(x) + "," + std::to_string(y), EM_CHARFROMPOS, 0,
                MAKELPARAM(static_cast<WORD>(static_cast<short>(x)),
                           static_cast<WORD>(static_cast<short>(y))));
    return v;
}

TEST(TextViewReadingTest, EveryEditMessageAnswersAsTheStandardMultiLineBox) {
    ui::RegisterTextView();
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(parent);
    const DWORD style = WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL;
    HWND edit = CreateWindowExW(0, L"EDIT", L"", style, 0, 0, 220, 90, parent, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    HWND view = CreateWindowExW(0, ui::TextViewClass(), L"", style, 0, 100, 220, 90, parent,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(edit && view);
    HFONT font = CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                             0, L"Tahoma");
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SendMessageW(view, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    // The text view keeps a third of the average character's width clear on each side.
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    const int margin = std::max(1, static_cast<int>(tm.tmAveCharWidth) / 3);
    SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(margin, margin));
    EXPECT_TRUE(GetWindowLongW(view, GWL_STYLE) & ES_MULTILINE);

    const std::wstring kTexts[] = {
        L"",
        L"one line",
        L"first line\r\nthe second line is longer than the box is wide, so it wraps at words\r\n"
        L"\r\nlast",
        L"ends with a line break\r\n",
        L"",  // past 65535 characters, where the answers in a word give out
    };
    for (size_t t = 0; t < std::size(kTexts); ++t) {
        std::wstring text = kTexts[t];
        if (t + 1 == std::size(kTexts))
            for (int i = 0; i < 4000; ++i) text += L"line " + std::to_wstring(i) + L" of many\r\n";
        SetWindowTextW(edit, text.c_str());
        SetWindowTextW(view, text.c_str());
        const int len = static_cast<int>(text.size());
        const int lines = static_cast<int>(SendMessageW(edit, EM_GETLINECOUNT, 0, 0));
        std::vector<int> differ(0x10000);
        for (const Probe& p : ProbesFor(text, lines)) {
            const std::wstring want = Ask(edit, p), got = Ask(view, p);
            if (want == got) continue;
            if (++differ[p.msg & 0xFFFF] > 3) continue;  // enough to see the fault
            ADD_FAILURE() << "text of " << len << " characters, " << p.what << ": the edit control "
                          << std::string(want.begin(), want.end()) << ", the text view "
                          << std::string(got.begin(), got.end());
        }
    }
    SendMessageW(view, EM_SETSEL, 0, -1);
    EXPECT_EQ(SendMessageW(view, EM_GETSEL, 0, 0), -1) << "a selection past 65535";
    DestroyWindow(parent);
    DeleteObject(font);
}

}  // namespace
