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

#include "access_support.h"
#include "driver.h"
#include "session.h"
#include "ui/error_modes.h"
#include "win/com.h"

namespace e2e {
namespace {

using accesstest::Acc;
using accesstest::Children;
using accesstest::ChildrenOf;
using accesstest::Self;

void ClientOf(HWND hwnd, Acc& acc) { accesstest::ObjectOf(hwnd, acc); }

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
        {L"txtTitle", L"Title:", ROLE_SYSTEM_TEXT},
        {L"txthWnd", L"hWnd:", ROLE_SYSTEM_TEXT},
        {L"txtParentClass", L"Parent Class:", ROLE_SYSTEM_TEXT},
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
    EXPECT_EQ(NameOf(terms1.Get()), L"First Time Use Pop-up Menu");
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

TEST(AccessibilityE2E, AFreshObjectAnswersForItselfFromTheFirstQuestion) {
    win::ComScope com;
    MainSession s = StartToMain();
    ASSERT_TRUE(s.main);

    // Listed before anything else is asked (as most readers list), it lists what it lists later.
    Acc fresh, asked;
    ClientOf(s.main, fresh);
    ClientOf(s.main, asked);
    const Children first = ChildrenOf(fresh.Get(), false), later = ChildrenOf(asked.Get());
    EXPECT_EQ(first.labels, later.labels);
    EXPECT_EQ(first.windows, later.windows);
    EXPECT_LT(IndexOf(first.labels, L"Command:"), first.labels.size());
    ASSERT_FALSE(later.labelIds.empty());

    // A label's texts asked first of all are the label's (it has none), not another element's.
    for (TextGetter get :
         {&IAccessible::get_accDescription, &IAccessible::get_accHelp,
          &IAccessible::get_accKeyboardShortcut, &IAccessible::get_accDefaultAction}) {
        Acc form;
        ClientOf(s.main, form);
        BSTR text = nullptr;
        EXPECT_EQ((form.Get()->*get)(Self(later.labelIds[0]), &text), S_FALSE);
        EXPECT_EQ(text, nullptr);
        SysFreeString(text);
    }

    // A frame's controls are its children, not the form's.
    HWND frame = s(L"Frame2"), button = s(L"cmdMaximize");
    EXPECT_LT(std::find(first.windows.begin(), first.windows.end(), frame), first.windows.end());
    EXPECT_EQ(std::count(first.windows.begin(), first.windows.end(), button), 0);
    Acc group;
    ClientOf(frame, group);
    ASSERT_TRUE(group);
    const std::vector<HWND> inside = ChildrenOf(group.Get(), false).windows;
    EXPECT_EQ(std::count(inside.begin(), inside.end(), button), 1);
}

// What a reader holds of a window: an object, seen through each interface it offers.
struct Held {
    Acc object;
    win::ComPtr<IEnumVARIANT> children;
    win::ComPtr<IOleWindow> window;
};

TEST(AccessibilityE2E, AnObjectHeldPastItsFormSaysTheFormIsGone) {
    win::ComScope com;
    MainSession s = StartToMain();
    ASSERT_TRUE(s.main);
    PostMessageW(s(L"Command2"), BM_CLICK, 0, 0);
    HWND about = s.app->WaitForWindow(L"mvAbout", 5000);
    ASSERT_TRUE(about);
    Held held[2];
    ClientOf(about, held[0].object);
    ASSERT_TRUE(held[0].object);
    const std::vector<HWND> windows = ChildrenOf(held[0].object.Get()).windows;
    ASSERT_FALSE(windows.empty());
    ClientOf(windows[0], held[1].object);
    for (Held& h : held) {
        ASSERT_TRUE(h.object);
        h.object->QueryInterface(__uuidof(IEnumVARIANT), h.children.PutVoid());
        h.object->QueryInterface(__uuidof(IOleWindow), h.window.PutVoid());
        ASSERT_TRUE(h.children && h.window);
    }
    PostMessageW(about, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }, 10000));
    ASSERT_TRUE(s.app->Running());

    // Questions of every kind of answer, to the form's object and to its button's, through
    // each interface: no answer but "gone".
    struct Outs {
        BSTR text = nullptr;
        VARIANT v = {};
        IDispatch* d = nullptr;
        long n[4] = {};
        UINT count = 0;
        HWND hwnd = nullptr;
        IEnumVARIANT* copy = nullptr;
    };
    using Question = HRESULT (*)(Held&, Outs&);
    const std::pair<const char*, Question> kQuestions[] = {
        {"name", [](Held& h, Outs& o) { return h.object->get_accName(Self(), &o.text); }},
        {"topic",
         [](Held& h, Outs& o) { return h.object->get_accHelpTopic(&o.text, Self(), o.n); }},
        {"role", [](Held& h, Outs& o) { return h.object->get_accRole(Self(), &o.v); }},
        {"child count", [](Held& h, Outs& o) { return h.object->get_accChildCount(o.n); }},
        {"child", [](Held& h, Outs& o) { return h.object->get_accChild(Self(1), &o.d); }},
        {"location",
         [](Held& h, Outs& o) {
             return h.object->accLocation(&o.n[0], &o.n[1], &o.n[2], &o.n[3], Self());
         }},
        {"navigate",
         [](Held& h, Outs& o) { return h.object->accNavigate(NAVDIR_FIRSTCHILD, Self(), &o.v); }},
        {"hit test", [](Held& h, Outs& o) { return h.object->accHitTest(1, 1, &o.v); }},
        {"select", [](Held& h, Outs&) { return h.object->accSelect(SELFLAG_TAKEFOCUS, Self()); }},
        {"type info", [](Held& h, Outs& o) { return h.object->GetTypeInfoCount(&o.count); }},
        {"next", [](Held& h, Outs& o) { return h.children->Next(1, &o.v, nullptr); }},
        {"clone", [](Held& h, Outs& o) { return h.children->Clone(&o.copy); }},
        {"window", [](Held& h, Outs& o) { return h.window->GetWindow(&o.hwnd); }},
    };
    for (Held& h : held) {
        for (const auto& q : kQuestions) {
            Outs o;
            EXPECT_EQ(q.second(h, o), CO_E_OBJNOTCONNECTED) << q.first;
            SysFreeString(o.text);
            VariantClear(&o.v);
            if (o.d) o.d->Release();
            if (o.copy) o.copy->Release();
        }
    }
}

}  // namespace
}  // namespace e2e
