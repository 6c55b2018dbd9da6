// The kit's accessible object, its answers: the system's standard client object of a window
// (from oleacc) passed through except where the kit knows better (FaceOf, asked at every
// call): the window's name and role, an editable text's value and state, and the own children
// of a form or a frame (the labels it draws as simple elements, then its child windows), with
// the caret object of the kit's text. Once its window is gone it answers that it is no longer
// there. Its COM methods, each one call of AtBoundary, are in access_object.h.
#include "ui/access/access.h"

#include <oleacc.h>

#include <algorithm>

#include "ui/access/access_object.h"
#include "ui/text/text_view.h"

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

LONG_PTR KitAccessible::RecordOf(HWND hwnd) {
    // A text view of its own keeps its object in its extra bytes, not in its user data.
    const LONG_PTR record = GetWindowLongPtrW(hwnd, GWLP_USERDATA);
    return record || !IsTextView(hwnd) ? record : GetWindowLongPtrW(hwnd, 0);
}

HRESULT KitAccessible::Query(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    // Nothing of the standard object's is handed out: its interfaces answer for it, not for
    // this object (its children, its identity), and would lead a reader back to it.
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible))
        *out = static_cast<IAccessible*>(this);
    else if (iid == __uuidof(IOleWindow))
        *out = static_cast<IOleWindow*>(this);
    else if (iid == __uuidof(IEnumVARIANT))
        *out = static_cast<IEnumVARIANT*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

long KitAccessible::Count() {
    if (caret_) return 0;
    if (face_.ownChildren) return OwnCount();
    long n = 0;
    return SUCCEEDED(inner_->get_accChildCount(&n)) ? std::max(0L, n) : 0;
}

HRESULT KitAccessible::ChildCount(long* out) {
    if (!out) return E_POINTER;
    if (!caret_ && !face_.ownChildren) return inner_->get_accChildCount(out);
    *out = Count();
    return S_OK;
}

HRESULT KitAccessible::Child(long id, VARIANT child, IDispatch** out) {
    if (!out) return E_POINTER;
    if (IsLabel(id)) return S_FALSE;  // a simple element: the parent answers for it
    if (IsOwnWindow(id))
        return AccessibleObjectFromWindow(OwnWindow(id), static_cast<DWORD>(OBJID_WINDOW),
                                          __uuidof(IDispatch), reinterpret_cast<void**>(out));
    if (caret_ || face_.ownChildren) return E_INVALIDARG;
    return inner_->get_accChild(child, out);
}

HRESULT KitAccessible::Name(long id, VARIANT child, BSTR* out) {
    if (Foreign(id)) return E_INVALIDARG;
    if (!out) return E_POINTER;
    if (caret_) return S_FALSE;
    if (IsLabel(id)) {
        *out = MakeBstr(Label(id).name);
        return S_OK;
    }
    if (id != CHILDID_SELF || !face_.named) return inner_->get_accName(child, out);
    if (face_.name.empty()) return S_FALSE;
    *out = MakeBstr(face_.name);
    return S_OK;
}

HRESULT KitAccessible::Value(long id, VARIANT child, BSTR* out) {
    if (Foreign(id)) return E_INVALIDARG;
    if (!out) return E_POINTER;
    if (Simple(id)) return S_FALSE;
    if (id == CHILDID_SELF && !face_.value.empty()) {
        *out = MakeBstr(face_.value);
        return S_OK;
    }
    if (id != CHILDID_SELF || !face_.editableText) return inner_->get_accValue(child, out);
    *out = MakeBstr(TextOf(hwnd_));
    return S_OK;
}

HRESULT KitAccessible::Role(long id, VARIANT child, VARIANT* out) {
    if (Foreign(id)) return E_INVALIDARG;
    if (!out) return E_POINTER;
    const long role = caret_        ? ROLE_SYSTEM_CARET
                      : IsLabel(id) ? ROLE_SYSTEM_STATICTEXT
                                    : (id == CHILDID_SELF ? face_.role : 0);
    if (!role) return inner_->get_accRole(child, out);
    out->vt = VT_I4;
    out->lVal = role;
    return S_OK;
}

HRESULT KitAccessible::State(long id, VARIANT child, VARIANT* out) {
    if (Foreign(id)) return E_INVALIDARG;
    if (!out) return E_POINTER;
    if (Simple(id)) {
        out->vt = VT_I4;
        out->lVal = caret_ ? (CaretRect(nullptr) ? 0 : STATE_SYSTEM_INVISIBLE)
                           : static_cast<long>(Label(id).state);
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
    if (Foreign(id)) return E_INVALIDARG;
    if (!Simple(id)) return inner_->accLocation(x, y, w, h, child);
    if (!x || !y || !w || !h) return E_POINTER;
    RECT r = {};
    if (caret_ && !CaretRect(&r)) return S_FALSE;  // no caret now: nowhere (zeros)
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
    if (!out) return E_POINTER;
    const POINT pt = {x, y};
    RECT caret;
    if (caret_ && !(CaretRect(&caret) && PtInRect(&caret, pt))) return S_FALSE;
    long found = caret_ ? CHILDID_SELF : -1;
    for (long id = 1; id <= LabelCount() && found < 0; ++id)
        if (!(Label(id).state & STATE_SYSTEM_INVISIBLE) && PtInRect(&Label(id).screen, pt))
            found = id;
    if (found < 0) return inner_->accHitTest(x, y, out);
    out->vt = VT_I4;
    out->lVal = found;
    return S_OK;
}

HRESULT KitAccessible::Navigate(long dir, long id, VARIANT start, VARIANT* out) {
    if (!out) return E_POINTER;
    if (caret_) return id == CHILDID_SELF ? S_FALSE : E_INVALIDARG;
    if (!face_.ownChildren) return inner_->accNavigate(dir, start, out);
    if (id != CHILDID_SELF && !IsLabel(id) && !IsOwnWindow(id)) return E_INVALIDARG;
    long to = 0;
    if (id == CHILDID_SELF && dir == NAVDIR_FIRSTCHILD)
        to = 1;
    else if (id == CHILDID_SELF && dir == NAVDIR_LASTCHILD)
        to = OwnCount();
    else if (id == CHILDID_SELF)
        return inner_->accNavigate(dir, start, out);
    else if (dir == NAVDIR_NEXT || dir == NAVDIR_DOWN || dir == NAVDIR_RIGHT)
        to = id + 1;
    else if (dir == NAVDIR_PREVIOUS || dir == NAVDIR_UP || dir == NAVDIR_LEFT)
        to = id - 1;
    if (to < 1 || to > OwnCount()) return S_FALSE;
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
    for (ULONG i = 0; i < n; ++i) VariantInit(&out[i]);
    const ULONG count = static_cast<ULONG>(Count());
    ULONG made = 0;
    for (; made < n && cursor_ < count; ++made, ++cursor_) {
        // A child that is an object of its own comes as that object, any other by its id.
        VARIANT& v = out[made];
        v.vt = VT_I4;
        v.lVal = static_cast<long>(cursor_) + 1;
        IDispatch* object = nullptr;
        if (Child(v.lVal, v, &object) == S_OK && object) {
            v.vt = VT_DISPATCH;
            v.pdispVal = object;
        } else if (object) {
            object->Release();
        }
    }
    if (got) *got = made;
    return made == n ? S_OK : S_FALSE;
}

HRESULT KitAccessible::SkipChildren(ULONG n) {
    const ULONG count = static_cast<ULONG>(Count());
    cursor_ = std::min(cursor_, count);
    const ULONG skipped = std::min(n, count - cursor_);
    cursor_ += skipped;
    return skipped == n ? S_OK : S_FALSE;
}

HRESULT KitAccessible::Copy(IEnumVARIANT** out) {
    if (!out) return E_POINTER;
    auto* copy = new KitAccessible(hwnd_, inner_, caret_);
    inner_->AddRef();  // now the copy's too
    copy->cursor_ = cursor_;
    *out = static_cast<IEnumVARIANT*>(copy);
    return S_OK;
}

LRESULT AnswerGetObject(HWND hwnd, WPARAM wp, LPARAM lp) {
    const DWORD id = static_cast<DWORD>(lp);
    const bool caret = id == static_cast<DWORD>(OBJID_CARET);
    if (id != static_cast<DWORD>(OBJID_CLIENT) && !caret) return 0;
    // The kit's text draws its own caret and holds the system's; it answers for it itself on
    // every system (Wine's has no caret object), so that readers get the same caret on each.
    if (caret && !IsTextView(hwnd)) return 0;
    // The answer goes to the reader through COM, whose calls then come to this thread's
    // messages: the thread joins an apartment with the first request and keeps it.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    if (com == S_FALSE) CoUninitialize();  // it had one already: the count stays as it was
    IAccessible* inner = nullptr;
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
