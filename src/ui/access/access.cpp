// The kit's accessible object, its answers: the system's standard client object of a window
// (from oleacc) passed through except where the kit knows better (FaceOf, asked at every
// call): the window's name and role, an editable text's value and state, and a form's own
// children (its windowless labels as simple elements, then its child windows), with the
// caret object of the kit's text where the system has none. Its COM methods, each one call of
// AtBoundary, are in access_object.h.
#include "ui/access/access.h"

#include <oleacc.h>

#include <algorithm>

#include "ui/access/access_object.h"

namespace ui::kit {
namespace {

BSTR MakeBstr(const std::wstring& s) {
    return SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
}

}  // namespace

long KitAccessible::ChildId(const VARIANT& v) {
    if (v.vt == VT_I4) return v.lVal;
    if (v.vt == VT_EMPTY) return CHILDID_SELF;
    if (v.vt == VT_I2) return v.iVal;
    return -1;
}

namespace {

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

}  // namespace

HRESULT KitAccessible::Query(REFIID iid, void** out) {
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

HRESULT KitAccessible::Child(long id, VARIANT child, IDispatch** out) {
    if (!face_.ownChildren) return inner_->get_accChild(child, out);
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsLabel(id)) return S_FALSE;  // a simple element: the parent answers for it
    if (!IsOwnWindow(id)) return E_INVALIDARG;
    return AccessibleObjectFromWindow(OwnWindow(id), static_cast<DWORD>(OBJID_WINDOW),
                                      __uuidof(IDispatch), reinterpret_cast<void**>(out));
}

HRESULT KitAccessible::Name(long id, VARIANT child, BSTR* out) {
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

HRESULT KitAccessible::Value(long id, VARIANT child, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsLabel(id) || caret_) return S_FALSE;
    if (IsOwnWindow(id)) return E_INVALIDARG;
    if (id == CHILDID_SELF && !face_.value.empty()) {
        *out = MakeBstr(face_.value);
        return S_OK;
    }
    if (id != CHILDID_SELF || !face_.editableText) return inner_->get_accValue(child, out);
    *out = MakeBstr(TextOf(hwnd_));
    return S_OK;
}

HRESULT KitAccessible::Role(long id, VARIANT child, VARIANT* out) {
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

HRESULT KitAccessible::State(long id, VARIANT child, VARIANT* out) {
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

HRESULT KitAccessible::Location(long* x, long* y, long* w, long* h, VARIANT child) {
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

bool KitAccessible::CaretRect(RECT* screen) const {
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

HRESULT KitAccessible::HitTest(long x, long y, VARIANT* out) {
    if (face_.ownChildren && out) {
        const POINT pt = {x, y};
        for (long id = 1; id <= LabelCount(); ++id) {
            const AccessibleLabel& label = Label(id);
            if ((label.state & STATE_SYSTEM_INVISIBLE) || !PtInRect(&label.screen, pt)) continue;
            VariantInit(out);
            out->vt = VT_I4;
            out->lVal = id;
            return S_OK;
        }
    }
    return inner_->accHitTest(x, y, out);
}

HRESULT KitAccessible::Navigate(long dir, long id, VARIANT start, VARIANT* out) {
    if (!face_.ownChildren) return inner_->accNavigate(dir, start, out);
    if (!out) return E_POINTER;
    VariantInit(out);
    long to = 0;
    if (id == CHILDID_SELF && dir == NAVDIR_FIRSTCHILD)
        to = 1;
    else if (id == CHILDID_SELF && dir == NAVDIR_LASTCHILD)
        to = ChildCount();
    else if (id == CHILDID_SELF)
        return inner_->accNavigate(dir, start, out);
    else if (dir == NAVDIR_NEXT || dir == NAVDIR_DOWN || dir == NAVDIR_RIGHT)
        to = id + 1;
    else if (dir == NAVDIR_PREVIOUS || dir == NAVDIR_UP || dir == NAVDIR_LEFT)
        to = id - 1;
    if (to < 1 || to > ChildCount()) return S_FALSE;
    if (IsOwnWindow(to)) {
        IDispatch* window = nullptr;
        HRESULT hr = Child(to, start, &window);
        if (FAILED(hr) || !window) return S_FALSE;
        out->vt = VT_DISPATCH;
        out->pdispVal = window;
        return S_OK;
    }
    out->vt = VT_I4;
    out->lVal = to;
    return S_OK;
}

HRESULT KitAccessible::NextChildren(ULONG n, VARIANT* out, ULONG* got) {
    if (!out) return E_POINTER;
    ULONG made = 0;
    const ULONG count = static_cast<ULONG>(ChildCount());
    while (made < n && cursor_ < count) {
        VARIANT& v = out[made];
        VariantInit(&v);
        const long id = static_cast<long>(cursor_) + 1;
        IDispatch* window = nullptr;
        if (IsOwnWindow(id) &&
            SUCCEEDED(AccessibleObjectFromWindow(OwnWindow(id), static_cast<DWORD>(OBJID_WINDOW),
                                                 __uuidof(IDispatch),
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
