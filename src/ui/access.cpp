// The kit's accessible object: the system's standard client object of a window (from oleacc),
// passed through except where the kit knows better: the window's name and role, an editable
// text's value and state, and a form's own children (its windowless labels as simple
// elements, then its child windows). It also answers IOleWindow and, with children of its
// own, IEnumVARIANT. Every method is a call from the system (or from another process through
// COM), so each body is one call of AtBoundary; each answer is read from the window when it
// is asked for, except the form's labels, which are taken when the object is made.
#include "ui/access.h"

#include <oleacc.h>

#include <algorithm>
#include <atomic>
#include <utility>

#include "ui/error_modes.h"

namespace ui::kit {
namespace {

BSTR MakeBstr(const std::wstring& s) {
    return SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
}

// A child id from a VARIANT; -1 for one that is not a number.
long ChildId(const VARIANT& v) {
    if (v.vt == VT_I4) return v.lVal;
    if (v.vt == VT_EMPTY) return CHILDID_SELF;
    if (v.vt == VT_I2) return v.iVal;
    return -1;
}

HWND FocusOf(HWND hwnd) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info)) return GetFocus();
    return info.hwndFocus;
}

std::wstring TextOf(HWND hwnd) {
    LRESULT n = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
    if (n <= 0) return std::wstring();
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    LRESULT got =
        SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(n) + 1, reinterpret_cast<LPARAM>(&s[0]));
    s.resize(static_cast<size_t>(std::max<LRESULT>(0, std::min(got, n))));
    return s;
}

class KitAccessible final : public IAccessible, public IOleWindow, public IEnumVARIANT {
public:
    // caret: the object of the window's system caret, else of its client area.
    KitAccessible(HWND hwnd, IAccessible* inner, bool caret)
        : hwnd_(hwnd), inner_(inner), caret_(caret) {}

    // ---- IUnknown ----
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return AtBoundary<HRESULT>(E_NOINTERFACE, [&] { return Query(iid, out); });
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return AtBoundary<ULONG>(1, [&] { return static_cast<ULONG>(++refs_); });
    }
    ULONG STDMETHODCALLTYPE Release() override {
        return AtBoundary<ULONG>(1, [&] {
            const long left = --refs_;
            if (left == 0) delete this;
            return static_cast<ULONG>(left);
        });
    }

    // ---- IDispatch: the standard object's ----
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] { return inner_->GetTypeInfoCount(n); });
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID lc, ITypeInfo** out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] { return inner_->GetTypeInfo(i, lc, out); });
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT n, LCID lc,
                                            DISPID* ids) override {
        return AtBoundary<HRESULT>(E_FAIL,
                                   [&] { return inner_->GetIDsOfNames(iid, names, n, lc, ids); });
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lc, WORD f, DISPPARAMS* p,
                                     VARIANT* r, EXCEPINFO* e, UINT* a) override {
        return AtBoundary<HRESULT>(E_FAIL,
                                   [&] { return inner_->Invoke(id, iid, lc, f, p, r, e, a); });
    }

    // ---- IAccessible ----
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            Refresh();
            return inner_->get_accParent(out);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&]() -> HRESULT {
            Refresh();
            if (!face_.ownChildren && !caret_) return inner_->get_accChildCount(out);
            if (!out) return E_POINTER;
            *out = caret_ ? 0 : ChildCount();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            Refresh();
            return Child(ChildId(child), child, out);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            Refresh();
            return Name(ChildId(child), child, out);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            Refresh();
            return Value(ChildId(child), child, out);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        return AtBoundary<HRESULT>(
            E_FAIL, [&] { return Text(child, out, &IAccessible::get_accDescription); });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            Refresh();
            return Role(ChildId(child), child, out);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            Refresh();
            return State(ChildId(child), child, out);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
        return AtBoundary<HRESULT>(E_FAIL,
                                   [&] { return Text(child, out, &IAccessible::get_accHelp); });
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return AtBoundary<HRESULT>(E_FAIL, [&]() -> HRESULT {
            Refresh();
            if (IsLabel(ChildId(child))) return S_FALSE;
            return inner_->get_accHelpTopic(file, child, topic);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        return AtBoundary<HRESULT>(
            E_FAIL, [&] { return Text(child, out, &IAccessible::get_accKeyboardShortcut); });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            Refresh();
            return inner_->get_accFocus(out);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            Refresh();
            return inner_->get_accSelection(out);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        return AtBoundary<HRESULT>(
            E_FAIL, [&] { return Text(child, out, &IAccessible::get_accDefaultAction); });
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return AtBoundary<HRESULT>(E_FAIL, [&]() -> HRESULT {
            Refresh();
            if (IsLabel(ChildId(child))) return S_FALSE;
            return inner_->accSelect(flags, child);
        });
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h,
                                          VARIANT child) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            Refresh();
            return Location(x, y, w, h, child);
        });
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long dir, VARIANT start, VARIANT* out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&]() -> HRESULT {
            Refresh();
            if (face_.ownChildren && ChildId(start) != CHILDID_SELF) return S_FALSE;
            return inner_->accNavigate(dir, start, out);
        });
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            Refresh();
            return HitTest(x, y, out);
        });
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return AtBoundary<HRESULT>(E_FAIL, [&]() -> HRESULT {
            Refresh();
            if (IsLabel(ChildId(child))) return DISP_E_MEMBERNOTFOUND;
            return inner_->accDoDefaultAction(child);
        });
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override {
        return AtBoundary<HRESULT>(E_FAIL, [] { return E_NOTIMPL; });
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override {
        return AtBoundary<HRESULT>(E_FAIL, [] { return E_NOTIMPL; });
    }

    // ---- IOleWindow ----
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&]() -> HRESULT {
            if (!out) return E_POINTER;
            *out = hwnd_;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override {
        return AtBoundary<HRESULT>(E_FAIL, [] { return E_NOTIMPL; });
    }

    // ---- IEnumVARIANT (children of its own) ----
    HRESULT STDMETHODCALLTYPE Next(ULONG n, VARIANT* out, ULONG* got) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            Refresh();
            return NextChildren(n, out, got);
        });
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG n) override {
        return AtBoundary<HRESULT>(E_FAIL, [&]() -> HRESULT {
            Refresh();
            const ULONG count = static_cast<ULONG>(ChildCount());
            cursor_ = std::min(count, cursor_ + n);
            return cursor_ < count || n == 0 ? S_OK : S_FALSE;
        });
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            cursor_ = 0;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&]() -> HRESULT {
            Refresh();
            if (!out) return E_POINTER;
            *out = nullptr;
            IAccessible* inner = nullptr;
            if (FAILED(CreateStdAccessibleObject(hwnd_, OBJID_CLIENT, __uuidof(IAccessible),
                                                 reinterpret_cast<void**>(&inner))))
                return E_OUTOFMEMORY;
            auto* copy = new KitAccessible(hwnd_, inner, caret_);
            copy->cursor_ = cursor_;
            *out = static_cast<IEnumVARIANT*>(copy);
            return S_OK;
        });
    }

private:
    ~KitAccessible() { inner_->Release(); }

    // What the kit says of the window now (the caret takes nothing from its window's face).
    void Refresh() { face_ = caret_ ? AccessibleFace() : FaceOf(hwnd_); }

    long LabelCount() const { return static_cast<long>(face_.labels.size()); }
    long ChildCount() const { return LabelCount() + static_cast<long>(face_.windows.size()); }
    bool IsLabel(long id) const { return face_.ownChildren && id >= 1 && id <= LabelCount(); }
    const AccessibleLabel& Label(long id) const {
        return face_.labels[static_cast<size_t>(id - 1)];
    }
    // With children of its own, ids past the labels are windows: objects of their own.
    bool IsOwnWindow(long id) const {
        return face_.ownChildren && id > LabelCount() && id <= ChildCount();
    }
    HWND OwnWindow(long id) const {
        return face_.windows[static_cast<size_t>(id - LabelCount() - 1)];
    }

    HRESULT Query(REFIID iid, void** out) {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible))
            *out = static_cast<IAccessible*>(this);
        else if (iid == __uuidof(IOleWindow))
            *out = static_cast<IOleWindow*>(this);
        else if (iid == __uuidof(IEnumVARIANT) && face_.ownChildren)
            *out = static_cast<IEnumVARIANT*>(this);
        else  // the standard object's other interfaces (its items' enumeration, identity)
            return inner_->QueryInterface(iid, out);
        AddRef();
        return S_OK;
    }

    HRESULT Child(long id, VARIANT child, IDispatch** out) {
        if (!face_.ownChildren) return inner_->get_accChild(child, out);
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsLabel(id)) return S_FALSE;  // a simple element: the parent answers for it
        if (!IsOwnWindow(id)) return E_INVALIDARG;
        return AccessibleObjectFromWindow(OwnWindow(id), static_cast<DWORD>(OBJID_WINDOW),
                                          __uuidof(IDispatch), reinterpret_cast<void**>(out));
    }

    HRESULT Name(long id, VARIANT child, BSTR* out) {
        if (!out) return E_POINTER;
        if (caret_) {
            *out = nullptr;
            return S_FALSE;
        }
        if (IsLabel(id)) {
            *out = MakeBstr(Label(id).name);
            return S_OK;
        }
        if (IsOwnWindow(id)) return E_INVALIDARG;
        if (id != CHILDID_SELF || !face_.named) return inner_->get_accName(child, out);
        *out = face_.name.empty() ? nullptr : MakeBstr(face_.name);
        return face_.name.empty() ? S_FALSE : S_OK;
    }

    HRESULT Value(long id, VARIANT child, BSTR* out) {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsLabel(id) || caret_) return S_FALSE;
        if (IsOwnWindow(id)) return E_INVALIDARG;
        if (id != CHILDID_SELF || !face_.editableText) return inner_->get_accValue(child, out);
        *out = MakeBstr(TextOf(hwnd_));
        return S_OK;
    }

    template <typename Getter>
    HRESULT Text(VARIANT child, BSTR* out, Getter getter) {
        const long id = ChildId(child);
        if (IsLabel(id)) {
            if (!out) return E_POINTER;
            *out = nullptr;
            return S_FALSE;
        }
        if (IsOwnWindow(id)) return E_INVALIDARG;
        return (inner_->*getter)(child, out);
    }

    HRESULT Role(long id, VARIANT child, VARIANT* out) {
        if (!out) return E_POINTER;
        const long role = caret_        ? ROLE_SYSTEM_CARET
                          : IsLabel(id) ? ROLE_SYSTEM_STATICTEXT
                                        : (id == CHILDID_SELF ? face_.role : 0);
        if (IsOwnWindow(id)) return E_INVALIDARG;
        if (!role) return inner_->get_accRole(child, out);
        VariantInit(out);
        out->vt = VT_I4;
        out->lVal = role;
        return S_OK;
    }

    HRESULT State(long id, VARIANT child, VARIANT* out) {
        if (!out) return E_POINTER;
        if (IsLabel(id)) {
            VariantInit(out);
            out->vt = VT_I4;
            out->lVal = static_cast<long>(Label(id).state);
            return S_OK;
        }
        if (IsOwnWindow(id)) return E_INVALIDARG;
        if (caret_) {
            VariantInit(out);
            out->vt = VT_I4;
            out->lVal = CaretRect(nullptr) ? 0 : STATE_SYSTEM_INVISIBLE;
            return S_OK;
        }
        HRESULT hr = inner_->get_accState(child, out);
        if (FAILED(hr) || id != CHILDID_SELF || !face_.editableText || out->vt != VT_I4) return hr;
        const LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
        long state = out->lVal & ~(STATE_SYSTEM_READONLY | STATE_SYSTEM_FOCUSED);
        if ((style & WS_VISIBLE) && !(style & WS_DISABLED)) state |= STATE_SYSTEM_FOCUSABLE;
        if (FocusOf(hwnd_) == hwnd_) state |= STATE_SYSTEM_FOCUSED;
        if (style & ES_READONLY) state |= STATE_SYSTEM_READONLY;
        out->lVal = state;
        return S_OK;
    }

    HRESULT Location(long* x, long* y, long* w, long* h, VARIANT child) {
        const long id = ChildId(child);
        if (IsOwnWindow(id)) return E_INVALIDARG;
        RECT r = {};
        if (!IsLabel(id) && !caret_) return inner_->accLocation(x, y, w, h, child);
        if (!x || !y || !w || !h) return E_POINTER;
        if (caret_ && !CaretRect(&r)) return S_FALSE;
        if (!caret_) r = Label(id).screen;
        *x = r.left;
        *y = r.top;
        *w = r.right - r.left;
        *h = r.bottom - r.top;
        return S_OK;
    }

    // The system caret's place on the screen while this window holds it.
    bool CaretRect(RECT* screen) const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd_, nullptr), &info) ||
            info.hwndCaret != hwnd_)
            return false;
        if (screen) {
            *screen = info.rcCaret;
            MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(screen), 2);
        }
        return true;
    }

    HRESULT HitTest(long x, long y, VARIANT* out) {
        if (face_.ownChildren && out) {
            const POINT pt = {x, y};
            for (long id = 1; id <= LabelCount(); ++id) {
                const AccessibleLabel& label = Label(id);
                if ((label.state & STATE_SYSTEM_INVISIBLE) || !PtInRect(&label.screen, pt))
                    continue;
                VariantInit(out);
                out->vt = VT_I4;
                out->lVal = id;
                return S_OK;
            }
        }
        return inner_->accHitTest(x, y, out);
    }

    HRESULT NextChildren(ULONG n, VARIANT* out, ULONG* got) {
        if (!out) return E_POINTER;
        ULONG made = 0;
        const ULONG count = static_cast<ULONG>(ChildCount());
        while (made < n && cursor_ < count) {
            VARIANT& v = out[made];
            VariantInit(&v);
            const long id = static_cast<long>(cursor_) + 1;
            IDispatch* window = nullptr;
            if (IsOwnWindow(id) &&
                SUCCEEDED(AccessibleObjectFromWindow(
                    OwnWindow(id), static_cast<DWORD>(OBJID_WINDOW), __uuidof(IDispatch),
                    reinterpret_cast<void**>(&window))) &&
                window) {
                v.vt = VT_DISPATCH;
                v.pdispVal = window;
            } else {
                v.vt = VT_I4;
                v.lVal = id;
            }
            ++made;
            ++cursor_;
        }
        if (got) *got = made;
        return made == n ? S_OK : S_FALSE;
    }

    std::atomic<long> refs_{1};
    HWND hwnd_;
    IAccessible* inner_;
    const bool caret_;
    AccessibleFace face_;
    ULONG cursor_ = 0;
};

}  // namespace

bool AsksForClient(LPARAM lp) { return static_cast<DWORD>(lp) == static_cast<DWORD>(OBJID_CLIENT); }

LRESULT AnswerGetObject(HWND hwnd, WPARAM wp, LPARAM lp) {
    const DWORD id = static_cast<DWORD>(lp);
    const bool caret = id == static_cast<DWORD>(OBJID_CARET);
    if (id != static_cast<DWORD>(OBJID_CLIENT) && !caret) return 0;
    IAccessible* inner = nullptr;
    if (caret) {
        // The system's caret object where it has one (the kit's text draws its own caret but
        // holds the system's); the kit's where it has none.
        if (!FaceOf(hwnd).editableText) return 0;
        if (SUCCEEDED(CreateStdAccessibleObject(hwnd, OBJID_CARET, __uuidof(IAccessible),
                                                reinterpret_cast<void**>(&inner))) &&
            inner) {
            inner->Release();
            return 0;
        }
    }
    // The answer goes to the reader through COM, whose calls then come to this thread's
    // messages: the thread joins an apartment with the first request and keeps it.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    if (com == S_FALSE) CoUninitialize();  // it had one already: the count stays as it was
    if (FAILED(CreateStdAccessibleObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&inner))) ||
        !inner)
        return 0;
    auto* object = new KitAccessible(hwnd, inner, caret);
    LRESULT result =
        LresultFromObject(__uuidof(IAccessible), wp, static_cast<IAccessible*>(object));
    object->Release();  // the reader holds the one reference now
    return result < 0 ? 0 : result;
}

std::wstring WithoutAccessKey(const std::wstring& caption) {
    std::wstring s;
    s.reserve(caption.size());
    for (size_t i = 0; i < caption.size(); ++i) {
        // The character after an '&' stands for itself ("&&" is one '&'); a last '&' is none.
        if (caption[i] == L'&' && ++i == caption.size()) break;
        s += caption[i];
    }
    return s;
}

}  // namespace ui::kit
