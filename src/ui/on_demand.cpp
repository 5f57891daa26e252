#include "ui/on_demand.h"

#include "ui/executable.h"

namespace morvane::ondemand {

namespace {

// The function of that name in the system library, loaded once and kept; null without either.
template <typename Function>
Function* Resolve(const wchar_t* library, const char* name) {
    const HMODULE module = LoadSystemLibrary(library);
    // Through a plain function pointer: the cast between function types is intended.
    return module ? reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

LRESULT LresultFromObject(REFIID riid, WPARAM wParam, LPUNKNOWN object) {
    static const auto function = Resolve<decltype(::LresultFromObject)>(L"oleacc.dll", "LresultFromObject");
    return function ? function(riid, wParam, object) : static_cast<LRESULT>(E_NOTIMPL);
}

HRESULT CreateStdAccessibleObject(HWND window, LONG objectId, REFIID riid, void** object) {
    static const auto function =
        Resolve<decltype(::CreateStdAccessibleObject)>(L"oleacc.dll", "CreateStdAccessibleObject");
    if (function) return function(window, objectId, riid, object);
    *object = nullptr;
    return E_NOTIMPL;
}

HRESULT AccessibleObjectFromWindow(HWND window, DWORD objectId, REFIID riid, void** object) {
    static const auto function =
        Resolve<decltype(::AccessibleObjectFromWindow)>(L"oleacc.dll", "AccessibleObjectFromWindow");
    if (function) return function(window, objectId, riid, object);
    *object = nullptr;
    return E_NOTIMPL;
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    static const auto function = Resolve<decltype(::SysAllocStringLen)>(L"oleaut32.dll", "SysAllocStringLen");
    return function ? function(text, length) : nullptr;
}

void VariantInit(VARIANT* variant) {
    static const auto function = Resolve<decltype(::VariantInit)>(L"oleaut32.dll", "VariantInit");
    if (function)
        function(variant);
    else
        variant->vt = VT_EMPTY;  // all VariantInit does
}

BOOL GetSaveFileNameW(LPOPENFILENAMEW dialog) {
    static const auto function = Resolve<decltype(::GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW");
    return function ? function(dialog) : FALSE;
}

}  // namespace morvane::ondemand
