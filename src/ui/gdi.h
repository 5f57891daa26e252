#pragma once
// Owners and guards for the GDI objects and device contexts that painting borrows, so that every
// path gives them back.
#include <windows.h>

#include "ui/handles.h"

namespace morvane {

using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniquePen = UniqueHandle<GdiObjectTraits<HPEN>>;
using UniqueRegion = UniqueHandle<GdiObjectTraits<HRGN>>;

// A 32-bit top-down DIB section, all pixels black.
UniqueBitmap CreateColorBitmap(int width, int height);
// A one-bit bitmap, all pixels clear (black).
UniqueBitmap CreateMaskBitmap(int width, int height);

// A memory device context compatible with the screen, with a bitmap selected into it for as long
// as it lives.
class MemoryDC {
public:
    explicit MemoryDC(HBITMAP bitmap);
    ~MemoryDC();
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// The device context of a window (client area, or the whole window with `whole`), or of the
// screen for no window.
class WindowDC {
public:
    explicit WindowDC(HWND window, bool whole = false);
    ~WindowDC();
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// The whole-window device context for painting a non-client area, clipped to the update region
// that WM_NCPAINT hands over (in screen coordinates), or to the whole window when that region is
// not a real one.
class NonClientDC {
public:
    NonClientDC(HWND window, HRGN updateRegion);
    ~NonClientDC();
    NonClientDC(const NonClientDC&) = delete;
    NonClientDC& operator=(const NonClientDC&) = delete;
    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a device context until the end of the scope.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc_, old_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Keeps a device context's state from here to the end of the scope, whatever leaves it.
class SavedDC {
public:
    explicit SavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~SavedDC() { RestoreDC(dc_, saved_); }
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;

private:
    HDC dc_;
    int saved_;
};

// A one-pixel line from one point to another, the end point excluded.
void DrawLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF color);
// The ring of pixels just inside a rectangle, in one colour.
void FrameRectangle(HDC dc, const RECT& rect, COLORREF color);
void FillRectangle(HDC dc, const RECT& rect, COLORREF color);

}  // namespace morvane
