#pragma once
// What every accessible object of ours shares: its COM reference count and the IDispatch that
// screen readers never use (they call the IAccessible methods themselves). An object starts with
// one reference, held by whoever made it.
#include <windows.h>
#include <oleacc.h>

#include <string_view>

namespace morvane {

class AccessibleObject : public IAccessible {
public:
    AccessibleObject(const AccessibleObject&) = delete;
    AccessibleObject& operator=(const AccessibleObject&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

protected:
    AccessibleObject() = default;
    virtual ~AccessibleObject() = default;

    // A text handed to the reader, which frees it.
    static HRESULT Text(std::wstring_view text, BSTR* out);

private:
    LONG references_ = 1;
};

}  // namespace morvane
