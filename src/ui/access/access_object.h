// The kit's accessible object (see access.cpp), shared by the files that make it up: its COM
// methods here, each one call of AtBoundary that first checks that the window is still there,
// and its answers in access.cpp.
#pragma once
#include <windows.h>
#include <oleacc.h>

#include <atomic>

#include "ui/access/access.h"
#include "ui/error_modes.h"

namespace ui::kit {

class KitAccessible final : public IAccessible, public IOleWindow, public IEnumVARIANT {
public:
    // caret: the object of the window's system caret, else of its client area. It takes over
    // the reference to inner, the system's standard client object of the window.
    KitAccessible(HWND hwnd, IAccessible* inner, bool caret)
        : hwnd_(hwnd), inner_(inner), caret_(caret), record_(RecordOf(hwnd)) {}

    // ---- IUnknown: the same interfaces for the object's whole life, each its own ----
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
        return AtBoundary<HRESULT>(E_FAIL,
                                   [&] { return Live(n) ? inner_->GetTypeInfoCount(n) : kGone; });
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID lc, ITypeInfo** out) override {
        return AtBoundary<HRESULT>(
            E_FAIL, [&] { return Live(out) ? inner_->GetTypeInfo(i, lc, out) : kGone; });
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT n, LCID lc,
                                            DISPID* ids) override {
        return AtBoundary<HRESULT>(
            E_FAIL, [&] { return Live() ? inner_->GetIDsOfNames(iid, names, n, lc, ids) : kGone; });
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lc, WORD f, DISPPARAMS* p,
                                     VARIANT* r, EXCEPINFO* e, UINT* a) override {
        return AtBoundary<HRESULT>(
            E_FAIL, [&] { return Live() ? inner_->Invoke(id, iid, lc, f, p, r, e, a) : kGone; });
    }

    // ---- IAccessible ----
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
        return AtBoundary<HRESULT>(E_FAIL,
                                   [&] { return Live(out) ? inner_->get_accParent(out) : kGone; });
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] { return Live(out) ? ChildCount(out) : kGone; });
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return AtBoundary<HRESULT>(
            E_FAIL, [&] { return Live(out) ? Child(ChildId(child), child, out) : kGone; });
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        return AtBoundary<HRESULT>(
            E_FAIL, [&] { return Live(out) ? Name(ChildId(child), child, out) : kGone; });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        return AtBoundary<HRESULT>(
            E_FAIL, [&] { return Live(out) ? Value(ChildId(child), child, out) : kGone; });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            return Live(out) ? Text(child, out, &IAccessible::get_accDescription) : kGone;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        return AtBoundary<HRESULT>(
            E_FAIL, [&] { return Live(out) ? Role(ChildId(child), child, out) : kGone; });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        return AtBoundary<HRESULT>(
            E_FAIL, [&] { return Live(out) ? State(ChildId(child), child, out) : kGone; });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            return Live(out) ? Text(child, out, &IAccessible::get_accHelp) : kGone;
        });
    }
    // No element of the kit has a help topic: "not supported", whatever the system's says.
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            return !Live(file, topic)        ? kGone
                   : Foreign(ChildId(child)) ? E_INVALIDARG
                   : !file || !topic         ? E_POINTER
                                             : DISP_E_MEMBERNOTFOUND;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            return Live(out) ? Text(child, out, &IAccessible::get_accKeyboardShortcut) : kGone;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            return !Live(out) ? kGone : caret_ ? S_FALSE : inner_->get_accFocus(out);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            return !Live(out) ? kGone : caret_ ? S_FALSE : inner_->get_accSelection(out);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            return Live(out) ? Text(child, out, &IAccessible::get_accDefaultAction) : kGone;
        });
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            return Live() ? Act(ChildId(child), [&] { return inner_->accSelect(flags, child); })
                          : kGone;
        });
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h,
                                          VARIANT child) override {
        return AtBoundary<HRESULT>(
            E_FAIL, [&] { return Live(x, y, w, h) ? Location(x, y, w, h, child) : kGone; });
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long dir, VARIANT start, VARIANT* out) override {
        return AtBoundary<HRESULT>(
            E_FAIL, [&] { return Live(out) ? Navigate(dir, ChildId(start), start, out) : kGone; });
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] { return Live(out) ? HitTest(x, y, out) : kGone; });
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            return Live() ? Act(ChildId(child), [&] { return inner_->accDoDefaultAction(child); })
                          : kGone;
        });
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] { return Live() ? E_NOTIMPL : kGone; });
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] { return Live() ? E_NOTIMPL : kGone; });
    }

    // ---- IOleWindow ----
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] {
            return !Live(out) ? kGone : !out ? E_POINTER : (*out = hwnd_, S_OK);
        });
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] { return Live() ? E_NOTIMPL : kGone; });
    }

    // ---- IEnumVARIANT: its children, as get_accChildCount and get_accChild give them ----
    HRESULT STDMETHODCALLTYPE Next(ULONG n, VARIANT* out, ULONG* got) override {
        return AtBoundary<HRESULT>(E_FAIL,
                                   [&] { return Live(got) ? NextChildren(n, out, got) : kGone; });
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG n) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] { return Live() ? SkipChildren(n) : kGone; });
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        return AtBoundary<HRESULT>(E_FAIL, [&] { return !Live() ? kGone : (cursor_ = 0, S_OK); });
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
        return AtBoundary<HRESULT>(E_FAIL, [&] { return Live(out) ? Copy(out) : kGone; });
    }

private:
    // What every method answers once the window is gone: the object is no longer there.
    static constexpr HRESULT kGone = CO_E_OBJNOTCONNECTED;

    ~KitAccessible() { inner_->Release(); }

    // A child id from a VARIANT; -1 for one that is not a number.
    static long ChildId(const VARIANT& v);
    // The kit's record of a window (the object its procedure keeps in it, cleared as it goes),
    // so that a handle the system gives again to another window is not taken for this one.
    static LONG_PTR RecordOf(HWND hwnd);

    // Empties the outputs, then reads what the kit says of the window now; false once the
    // window is gone (the caret takes nothing from its window's face).
    template <typename... Outs>
    bool Live(Outs*... outs) {
        (Clear(outs), ...);
        if (!IsWindow(hwnd_) || RecordOf(hwnd_) != record_) return false;
        face_ = caret_ ? AccessibleFace() : FaceOf(hwnd_);
        return true;
    }
    template <typename T>
    static void Clear(T* out) {
        if (out) *out = T();
    }
    static void Clear(VARIANT* out) {
        if (out) VariantInit(out);
    }

    long LabelCount() const { return static_cast<long>(face_.labels.size()); }
    long OwnCount() const { return LabelCount() + static_cast<long>(face_.windows.size()); }
    bool IsLabel(long id) const { return face_.ownChildren && id >= 1 && id <= LabelCount(); }
    const AccessibleLabel& Label(long id) const {
        return face_.labels[static_cast<size_t>(id - 1)];
    }
    // With children of its own, ids past the labels are windows: objects of their own.
    bool IsOwnWindow(long id) const {
        return face_.ownChildren && id > LabelCount() && id <= OwnCount();
    }
    HWND OwnWindow(long id) const {
        return face_.windows[static_cast<size_t>(id - LabelCount() - 1)];
    }
    // An element the kit answers for whole: the caret, or a label.
    bool Simple(long id) const { return caret_ || IsLabel(id); }
    // An id this object answers no question of: the caret has no children, and a window
    // among its own children answers for itself.
    bool Foreign(long id) const {
        return id != CHILDID_SELF && (caret_ || (face_.ownChildren && !IsLabel(id)));
    }

    HRESULT Query(REFIID iid, void** out);

    long Count();
    HRESULT ChildCount(long* out);
    HRESULT Child(long id, VARIANT child, IDispatch** out);
    HRESULT Name(long id, VARIANT child, BSTR* out);
    HRESULT Value(long id, VARIANT child, BSTR* out);

    // A text the kit has none of for its own elements (description, help, shortcut, action).
    template <typename Getter>
    HRESULT Text(VARIANT child, BSTR* out, Getter getter) {
        const long id = ChildId(child);
        if (Foreign(id)) return E_INVALIDARG;
        if (!out) return E_POINTER;
        return Simple(id) ? S_FALSE : (inner_->*getter)(child, out);
    }
    // Selection and the default action: none for the kit's own elements.
    template <typename Standard>
    HRESULT Act(long id, Standard standard) {
        return Foreign(id) ? E_INVALIDARG : Simple(id) ? DISP_E_MEMBERNOTFOUND : standard();
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
    HRESULT SkipChildren(ULONG n);
    HRESULT Copy(IEnumVARIANT** out);

    std::atomic<long> refs_{1};
    HWND hwnd_;
    IAccessible* inner_;
    const bool caret_;
    const LONG_PTR record_;
    AccessibleFace face_;
    ULONG cursor_ = 0;
};

}  // namespace ui::kit
