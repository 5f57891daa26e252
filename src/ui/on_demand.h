#pragma once
// System functions that most starts never call: the accessibility functions (only while a screen
// reader or another accessibility client asks) and the save dialog. Their libraries are loaded
// from the system's folder on the first call, not with the program: each start is spared loading
// them and what they import in turn (the save dialog's library brings the printing libraries).
// Each answers as the system function does, and as failing when its library cannot be loaded.
#include <windows.h>
#include <commdlg.h>
#include <oleacc.h>

namespace morvane::ondemand {

LRESULT LresultFromObject(REFIID riid, WPARAM wParam, LPUNKNOWN object);
HRESULT CreateStdAccessibleObject(HWND window, LONG objectId, REFIID riid, void** object);
HRESULT AccessibleObjectFromWindow(HWND window, DWORD objectId, REFIID riid, void** object);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void VariantInit(VARIANT* variant);
BOOL GetSaveFileNameW(LPOPENFILENAMEW dialog);

}  // namespace morvane::ondemand
