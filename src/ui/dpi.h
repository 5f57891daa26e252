#pragma once
// The one place where design pixels (the layouts are drawn at 96 DPI) become the pixels of a
// window's DPI, and the DPI-aware system calls, looked up at run time so that the program still
// starts on systems that lack them (they answer at the system DPI there).
#include <windows.h>

namespace morvane {

inline constexpr int kDesignDpi = USER_DEFAULT_SCREEN_DPI;

// A length in design pixels at a DPI, and back.
int ScaleToDpi(int design, int dpi);
int ScaleFromDpi(int pixels, int dpi);
// A rectangle scaled by its edges, so that rectangles that touch at design size still touch.
RECT ScaleRectToDpi(const RECT& design, int dpi);
RECT ScaleRectFromDpi(const RECT& pixels, int dpi);

// The DPI of the primary monitor as the system reports it to this process.
int SystemDpi();
// The DPI a window is laid out for (the system DPI where the system knows no other).
int WindowDpi(HWND window);
// A system metric at a DPI.
int SystemMetricForDpi(int index, int dpi);
// The window rectangle for a client rectangle, with the frame and caption of a DPI.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);

}  // namespace morvane
