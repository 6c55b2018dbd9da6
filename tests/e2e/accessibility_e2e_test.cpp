// What a screen reader gets from the program, read from this process through oleacc as a
// reader reads it: every control's name, role and value, the labels among a form's children,
// the terms screen's and the about box's texts, the caret following the focus into the
// transcript and the value-change events of a run.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "driver.h"
#include "session.h"
#include "ui/error_modes.h"
#include "win/com.h"

namespace e2e {
namespace {

using Acc = win::ComPtr<IAccessible>;

VARIANT Self(long id = CHILDID_SELF) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

void ClientOf(HWND hwnd, Acc& acc) {
    AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                               acc.PutVoid());
}

// One of an object's texts (get_accName, get_accValue) or numbers (get_accRole, get_accState).
using TextGetter = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);
using NumberGetter = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, VARIANT*);
std::wstring Ask(IAccessible* a, TextGetter get, long id = CHILDID_SELF) {
    BSTR b = nullptr;
    (a->*get)(Self(id), &b);
    std::wstring s = b ? std::wstring(b, SysStringLen(b)) : L"<none>";
    SysFreeString(b);
    return s;
}
long Ask(IAccessible* a, NumberGetter get, long id = CHILDID_SELF) {
    VARIANT v;
    VariantInit(&v);
    (a->*get)(Self(id), &v);
    return v.vt == VT_I4 ? v.lVal : -1;
}
std::wstring NameOf(IAccessible* a, long id = CHILDID_SELF) {
    return Ask(a, &IAccessible::get_accName, id);
}
long StateOf(IAccessible* a, long id = CHILDID_SELF) {
    return Ask(a, &IAccessible::get_accState, id);
}

// A form's accessible children: its labels (simple elements, by id) and its windows.
struct Children {
    std::vector<std::wstring> labels;  // names, in order
    std::vector<long> labelIds;
    std::vector<HWND> windows;  // in order
};
Children ChildrenOf(IAccessible* form) {
    Children out;
    long count = 0;
    form->get_accChildCount(&count);
    std::vector<VARIANT> kids(static_cast<size_t>(count > 0 ? count : 1));
    long got = 0;
    AccessibleChildren(form, 0, count, kids.data(), &got);
    for (long i = 0; i < got; ++i) {
        VARIANT& v = kids[static_cast<size_t>(i)];
        if (v.vt == VT_I4) {
            out.labels.push_back(NameOf(form, v.lVal));
            out.labelIds.push_back(v.lVal);
        } else if (v.vt == VT_DISPATCH && v.pdispVal) {
            Acc window;
            v.pdispVal->QueryInterface(__uuidof(IAccessible), window.PutVoid());
            HWND h = nullptr;
            if (window) WindowFromAccessibleObject(window.Get(), &h);
            out.windows.push_back(h);
        }
        VariantClear(&v);
    }
    return out;
}

size_t IndexOf(const std::vector<std::wstring>& v, const std::wstring& s) {
    return static_cast<size_t>(std::find(v.begin(), v.end(), s) - v.begin());
}

// Handles the messages of this thread (the win event hook's calls come with them) for ms.
void PumpFor(DWORD ms) {
    DWORD until = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    } while (static_cast<LONG>(until - GetTickCount()) > 0);
}

struct Expected {
    const wchar_t* control;
    const wchar_t* name;
    long role;
};

TEST(AccessibilityE2E, TheMainWindowNamesEveryControlAndListsItsLabels) {
    win::ComScope com;
    MainSession s = StartToMain();
    ASSERT_TRUE(s.main);

    // Each control by the label that stands for it, or its own caption.
    const Expected kControls[] = {
        {L"txtCommand", L"Command:", ROLE_SYSTEM_TEXT},
        {L"txtOutputs", L"Command Window", ROLE_SYSTEM_TEXT},
        {L"lstProcess", L"Running Process:", ROLE_SYSTEM_LIST},
        {L"Text1", L"Run", ROLE_SYSTEM_TEXT},
        {L"picCrossHair", L"Drag the ICON on top of an Open Window or Application",
         ROLE_SYSTEM_GRAPHIC},
        {L"cmdExecute", L"Run Command", ROLE_SYSTEM_PUSHBUTTON},
        {L"Command2", L"About", ROLE_SYSTEM_PUSHBUTTON},
        {L"Command3", L"Exit", ROLE_SYSTEM_PUSHBUTTON},
        {L"Command1", L"Go", ROLE_SYSTEM_PUSHBUTTON},
        {L"cmdMaximize", L"Maximize", ROLE_SYSTEM_PUSHBUTTON},
        {L"cmdCopy", L"Copy to Clipboard", ROLE_SYSTEM_PUSHBUTTON},
        {L"chkOnTop", L"Always On Top", ROLE_SYSTEM_CHECKBUTTON},
        {L"Frame1", L"Run", ROLE_SYSTEM_GROUPING},
        {L"Frame2", L"Manage Window", ROLE_SYSTEM_GROUPING},
    };
    for (const Expected& e : kControls) {
        SCOPED_TRACE(e.control);
        HWND hwnd = s(e.control);
        ASSERT_TRUE(hwnd);
        Acc acc;
        ClientOf(hwnd, acc);
        ASSERT_TRUE(acc);
        EXPECT_EQ(NameOf(acc.Get()), e.name);
        EXPECT_EQ(Ask(acc.Get(), &IAccessible::get_accRole), e.role);
    }

    // The transcript is an editable text: its value is its text, and it is not read-only.
    Acc outputs;
    ClientOf(s(L"txtOutputs"), outputs);
    ASSERT_TRUE(outputs);
    EXPECT_EQ(Ask(outputs.Get(), &IAccessible::get_accValue), Text(s(L"txtOutputs")));
    EXPECT_EQ(Ask(outputs.Get(), &IAccessible::get_accValue).rfind(L"Welcome to Moravelt", 0), 0u);
    const long state = StateOf(outputs.Get());
    EXPECT_TRUE(state & STATE_SYSTEM_FOCUSABLE);
    EXPECT_FALSE(state & (STATE_SYSTEM_READONLY | STATE_SYSTEM_FOCUSED));
    HWND asWindow = nullptr;
    EXPECT_EQ(WindowFromAccessibleObject(outputs.Get(), &asWindow), S_OK);
    EXPECT_EQ(asWindow, s(L"txtOutputs")) << "the text view answers IOleWindow";
    EXPECT_TRUE(GetWindowLongW(s(L"txtOutputs"), GWL_STYLE) & ES_MULTILINE);
    Acc title;
    ClientOf(s(L"txtTitle"), title);
    ASSERT_TRUE(title);
    EXPECT_TRUE(StateOf(title.Get()) & STATE_SYSTEM_READONLY);

    // The form: named by the program's title (it has no caption), its labels first, then its
    // child windows in the tab order.
    Acc form;
    ClientOf(s.main, form);
    ASSERT_TRUE(form);
    EXPECT_EQ(NameOf(form.Get()), L"MORAVELT");
    Children kids = ChildrenOf(form.Get());
    for (const wchar_t* label : {L"Command Window", L"Command:", L"Running Process:",
                                 L"Drag the ICON on top of an Open Window or Application",
                                 L"DORVANE V.2.1.1", L"hWnd:", L"Parent Class:"})
        EXPECT_LT(IndexOf(kids.labels, label), kids.labels.size()) << "label " << label;
    size_t childWindows = 0;
    for (HWND c = GetWindow(s.main, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++childWindows;
    EXPECT_EQ(kids.windows.size(), childWindows) << "every child window, and nothing else";
    ASSERT_FALSE(kids.windows.empty());
    EXPECT_EQ(kids.windows[0], s(L"txtCommand")) << "first in the tab order";
    EXPECT_EQ(kids.windows[1], s(L"cmdExecute"));
    EXPECT_EQ(kids.windows[2], s(L"txtOutputs"));

    const size_t commandLabel = IndexOf(kids.labels, L"Command:");
    ASSERT_LT(commandLabel, kids.labels.size());
    const long id = kids.labelIds[commandLabel];
    EXPECT_EQ(Ask(form.Get(), &IAccessible::get_accRole, id), ROLE_SYSTEM_STATICTEXT);
    EXPECT_TRUE(StateOf(form.Get(), id) & STATE_SYSTEM_READONLY);
    long x = 0, y = 0, w = 0, h = 0;
    ASSERT_EQ(form->accLocation(&x, &y, &w, &h, Self(id)), S_OK);
    // "Command:" stands just above the command box, at its left edge.
    RECT box;
    GetWindowRect(s(L"txtCommand"), &box);
    EXPECT_EQ(x, box.left);
    EXPECT_LT(y + h, box.top + 2);
    EXPECT_GT(y + h, box.top - 20);
    const size_t unseen = IndexOf(kids.labels, L"hWnd:");
    ASSERT_LT(unseen, kids.labels.size());
    EXPECT_TRUE(StateOf(form.Get(), kids.labelIds[unseen]) & STATE_SYSTEM_OFFSCREEN)
        << "the unseen column's captions lie beyond the client area";
}

// The value-change events of one window, as an out-of-context hook in this process sees them.
struct EventLog {
    HWND window = nullptr;
    std::vector<DWORD> valueChanges;  // when each came
    int caretMoves = 0;
};
EventLog* gLog = nullptr;

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG, DWORD, DWORD) {
    ui::AtBoundary([&] {
        if (!gLog || hwnd != gLog->window) return;
        if (event == EVENT_OBJECT_VALUECHANGE && object == OBJID_CLIENT)
            gLog->valueChanges.push_back(GetTickCount());
        if (event == EVENT_OBJECT_LOCATIONCHANGE && object == OBJID_CARET) ++gLog->caretMoves;
    });
}

TEST(AccessibilityE2E, TheCaretFollowsTheFocusAndARunRaisesFewValueChanges) {
    win::ComScope com;
    MainSession s = StartToMain();
    ASSERT_TRUE(s.main);
    HWND outputs = s(L"txtOutputs");
    EventLog log;
    log.window = outputs;
    gLog = &log;
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_VALUECHANGE,
                                         nullptr, OnEvent, s.app->Pid(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(hook);

    // Into the transcript: it holds the system caret, where a reader finds it.
    ClickAt(CentreOf(outputs));
    PumpFor(500);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(s.main, nullptr), &info));
    EXPECT_EQ(info.hwndFocus, outputs);
    EXPECT_EQ(info.hwndCaret, outputs);
    Acc caret;
    AccessibleObjectFromWindow(outputs, static_cast<DWORD>(OBJID_CARET), __uuidof(IAccessible),
                               caret.PutVoid());
    ASSERT_TRUE(caret);
    long x = 0, y = 0, w = 0, h = 0;
    EXPECT_EQ(caret->accLocation(&x, &y, &w, &h, Self()), S_OK);
    RECT r;
    GetWindowRect(outputs, &r);
    EXPECT_TRUE(x >= r.left && x < r.right && y >= r.top && y < r.bottom)
        << "caret at " << x << "," << y;
    Acc text;
    ClientOf(outputs, text);
    ASSERT_TRUE(text);
    EXPECT_TRUE(StateOf(text.Get()) & STATE_SYSTEM_FOCUSED);
    EXPECT_GT(log.caretMoves, 0) << "the caret's moves are told";

    // Out again: the caret goes with the focus.
    ClickAt(CentreOf(s(L"txtCommand")));
    PumpFor(300);
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(s.main, nullptr), &info));
    EXPECT_NE(info.hwndCaret, outputs);

    // A run of many chunks: a few value changes a second, the last once it has ended.
    log.valueChanges.clear();
    TypeText(L"\"" + TestChildPath() + L"\" bytes 3000000");
    const DWORD started = GetTickCount();
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return Text(s(L"txtCommand")).empty(); }, 60000));
    const DWORD ended = GetTickCount();
    PumpFor(1500);
    UnhookWinEvent(hook);
    gLog = nullptr;
    const double seconds = (ended - started) / 1000.0;
    std::printf("[ events ] %zu value changes over a run of %.1f s\n", log.valueChanges.size(),
                seconds);
    ASSERT_FALSE(log.valueChanges.empty()) << "the run's output was told";
    EXPECT_LE(log.valueChanges.size(), static_cast<size_t>(seconds * 5 + 3))
        << "at most a few a second over " << seconds << " s (12000 chunks)";
    EXPECT_EQ(Text(outputs).size() > 3000000, true);
    EXPECT_EQ(Ask(text.Get(), &IAccessible::get_accValue).size(), Text(outputs).size());
}

TEST(AccessibilityE2E, TheTermsScreenAndTheAboutBoxTellTheirTexts) {
    win::ComScope com;
    ResetState();
    CreateDirectoryW(L"C:\\SAVE", nullptr);
    DeleteFileW(L"C:\\SAVE\\MV\\mv006.txt");
    auto app = App::Start();
    ASSERT_TRUE(app);
    HWND terms = app->WaitForWindow(L"mvTerms", 30000);
    ASSERT_TRUE(terms);
    Acc form;
    ClientOf(terms, form);
    ASSERT_TRUE(form);
    EXPECT_EQ(NameOf(form.Get()), L"MORAVELT");
    Children kids = ChildrenOf(form.Get());
    EXPECT_LT(IndexOf(kids.labels, L"First Time Use Pop-up Menu"), kids.labels.size());
    EXPECT_LT(IndexOf(kids.labels,
                      L"BY USING THE SOFTWARE, YOU ACCEPT THESE TERMS.  IF YOU DO "
                      L"NOT ACCEPT THEM, DO NOT USE THE SOFTWARE."),
              kids.labels.size());
    Acc terms1, check, button;
    ClientOf(Control(terms, L"Text1"), terms1);
    ClientOf(Control(terms, L"Check1"), check);
    ClientOf(Control(terms, L"Command1"), button);
    ASSERT_TRUE(terms1 && check && button);
    EXPECT_EQ(Ask(terms1.Get(), &IAccessible::get_accRole), ROLE_SYSTEM_TEXT);
    EXPECT_EQ(Ask(terms1.Get(), &IAccessible::get_accValue).rfind(L"END USER LICENSE AGREEMENT", 0),
              0u);
    EXPECT_EQ(NameOf(check.Get()), L"I Accept the End User License Agreement");
    EXPECT_EQ(NameOf(button.Get()), L"Exit") << "the caption without its access key mark";

    // Accepted: the main window, then its about box.
    PostMessageW(Control(terms, L"Check1"), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return NameOf(button.Get()) == L"Accept"; }, 5000));
    PostMessageW(Control(terms, L"Command1"), BM_CLICK, 0, 0);
    HWND main = app->WaitForWindow(L"frmShelvox", 20000);
    ASSERT_TRUE(main);
    MainSession s{std::move(app), main};
    FinishStartupHelp(s);
    PostMessageW(s(L"Command2"), BM_CLICK, 0, 0);
    HWND about = s.app->WaitForWindow(L"mvAbout", 5000);
    ASSERT_TRUE(about);
    Acc box;
    ClientOf(about, box);
    ASSERT_TRUE(box);
    kids = ChildrenOf(box.Get());
    EXPECT_LT(IndexOf(kids.labels, std::wstring(36, L'_')), kids.labels.size()) << "the link";
    EXPECT_LT(IndexOf(kids.labels, L""), kids.labels.size())
        << "the usage line, empty after a first start";
    ASSERT_EQ(kids.windows.size(), 1u);
    Acc close;
    ClientOf(kids.windows[0], close);
    ASSERT_TRUE(close);
    EXPECT_EQ(NameOf(close.Get()), L"Close");
}

}  // namespace
}  // namespace e2e
