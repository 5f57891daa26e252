#include "ui/dpi.h"

namespace morvane {

namespace {

using GetDpiForWindowProc = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiProc = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiProc = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

template <typename Proc>
Proc User32Proc(const char* name) {
    static const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

}  // namespace

int ScaleToDpi(int design, int dpi) { return dpi == kDesignDpi ? design : MulDiv(design, dpi, kDesignDpi); }

int ScaleFromDpi(int pixels, int dpi) { return dpi == kDesignDpi ? pixels : MulDiv(pixels, kDesignDpi, dpi); }

RECT ScaleRectToDpi(const RECT& design, int dpi) {
    return {ScaleToDpi(design.left, dpi), ScaleToDpi(design.top, dpi), ScaleToDpi(design.right, dpi),
            ScaleToDpi(design.bottom, dpi)};
}

RECT ScaleRectFromDpi(const RECT& pixels, int dpi) {
    return {ScaleFromDpi(pixels.left, dpi), ScaleFromDpi(pixels.top, dpi), ScaleFromDpi(pixels.right, dpi),
            ScaleFromDpi(pixels.bottom, dpi)};
}

int SystemDpi() {
    // Fixed for the process's life: the system DPI a process sees is that of its start.
    static const int dpi = [] {
        const HDC screen = GetDC(nullptr);
        const int logPixels = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDesignDpi;
        if (screen) ReleaseDC(nullptr, screen);
        return logPixels > 0 ? logPixels : kDesignDpi;
    }();
    return dpi;
}

int WindowDpi(HWND window) {
    static const auto getDpiForWindow = User32Proc<GetDpiForWindowProc>("GetDpiForWindow");
    if (getDpiForWindow && window)
        if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
    return SystemDpi();
}

int SystemMetricForDpi(int index, int dpi) {
    static const auto forDpi = User32Proc<GetSystemMetricsForDpiProc>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
    return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) {
    static const auto forDpi = User32Proc<AdjustWindowRectExForDpiProc>("AdjustWindowRectExForDpi");
    if (forDpi && forDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) return;
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

}  // namespace morvane
