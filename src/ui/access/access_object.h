// The kit's accessible object (see access.cpp), shared by the files that make it up: its COM
// methods here, each one call of AtBoundary, and its answers in access.cpp.
#pragma once
#include <windows.h>
#include <oleacc.h>

#include <atomic>

#include "ui/access/access.h"
#include "ui/error_modes.h"

namespace ui::kit {

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
            return Navigate(dir, ChildId(start), start, out);
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
    // A child id from a VARIANT; -1 for one that is not a number.
    static long ChildId(const VARIANT& v);
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

    HRESULT Query(REFIID iid, void** out);

    HRESULT Child(long id, VARIANT child, IDispatch** out);

    HRESULT Name(long id, VARIANT child, BSTR* out);

    HRESULT Value(long id, VARIANT child, BSTR* out);

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

    HRESULT Role(long id, VARIANT child, VARIANT* out);

    HRESULT State(long id, VARIANT child, VARIANT* out);

    HRESULT Location(long* x, long* y, long* w, long* h, VARIANT child);

    // The system caret's place on the screen while this window holds it.
    bool CaretRect(RECT* screen) const;

    HRESULT HitTest(long x, long y, VARIANT* out);

    // Among its own children: the first and the last, and from each to the next and back.
    HRESULT Navigate(long dir, long id, VARIANT start, VARIANT* out);

    HRESULT NextChildren(ULONG n, VARIANT* out, ULONG* got);

    std::atomic<long> refs_{1};
    HWND hwnd_;
    IAccessible* inner_;
    const bool caret_;
    AccessibleFace face_;
    ULONG cursor_ = 0;
};

}  // namespace ui::kit
