// Reading accessible objects as a screen reader reads them, for the test programs: an object
// of a window, a child id, the window of a child that is an object, and an object's children.
#pragma once
#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "win/com.h"

namespace accesstest {

using Acc = win::ComPtr<IAccessible>;

inline VARIANT Self(long id = CHILDID_SELF) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

inline void ObjectOf(HWND hwnd, Acc& acc, LONG id = OBJID_CLIENT) {
    AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(id), __uuidof(IAccessible), acc.PutVoid());
}

// The window of a child given as an object (hit-testing, listing); null for any other.
inline HWND WindowOf(const VARIANT& v) {
    Acc child;
    if (v.vt == VT_DISPATCH && v.pdispVal)
        v.pdispVal->QueryInterface(__uuidof(IAccessible), child.PutVoid());
    HWND h = nullptr;
    if (child) WindowFromAccessibleObject(child.Get(), &h);
    return h;
}

// An object's children: its simple elements (the kit's labels) by name and id, in order, and
// the windows of the others.
struct Children {
    std::vector<std::wstring> labels;
    std::vector<long> labelIds;
    std::vector<HWND> windows;
};
// askCount: the count first, as some readers do; else straight away, as most do.
inline Children ChildrenOf(IAccessible* a, bool askCount = true) {
    Children out;
    long count = 256;
    if (askCount) a->get_accChildCount(&count);
    std::vector<VARIANT> kids(static_cast<size_t>(count > 0 ? count : 1));
    long got = 0;
    AccessibleChildren(a, 0, count, kids.data(), &got);
    for (long i = 0; i < got; ++i) {
        VARIANT& v = kids[static_cast<size_t>(i)];
        if (v.vt == VT_I4) {
            BSTR name = nullptr;
            a->get_accName(v, &name);
            out.labels.push_back(name ? std::wstring(name, SysStringLen(name)) : L"<none>");
            out.labelIds.push_back(v.lVal);
            SysFreeString(name);
        } else if (v.vt == VT_DISPATCH) {
            out.windows.push_back(WindowOf(v));
        }
        VariantClear(&v);
    }
    return out;
}

}  // namespace accesstest
