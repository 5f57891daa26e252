#pragma once
// What the toolbar tests share: a shown form, message pumping, and pixels read back from real
// windows.
#include <windows.h>

#include <functional>
#include <ostream>

#include "toolbars/flat_edit.h"
#include "ui/application.h"
#include "ui/form.h"
#include "ui/gdi.h"

inline bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }
inline void PrintTo(const RECT& r, std::ostream* out) {
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace morvane {

// Handles whatever is queued, as the application's message loop would.
inline void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) App().ProcessMessage(message);
}

// A sizeable form with the main window's client size, placed well inside the screen.
class TTestForm : public Form {
public:
    TTestForm() : Form(L"TTestForm", FormStyle{}) {
        SetBounds(150, 150, 0, 0);
        SetClientSize(605, 290);
        Loaded();
    }
};

inline int FontCellHeight(HFONT font) {
    WindowDC screen(nullptr);
    SelectedObject selected(screen, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen, &metrics);
    return metrics.tmHeight;
}

// A window's client area as it paints itself, captured into a bitmap.
class ClientImage {
public:
    explicit ClientImage(HWND window) {
        RECT client;
        GetClientRect(window, &client);
        bitmap_ = CreateColorBitmap(client.right, client.bottom);
        MemoryDC dc(bitmap_.Get());
        SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT | PRF_ERASEBKGND);
    }
    COLORREF Pixel(int x, int y) const {
        MemoryDC dc(bitmap_.Get());
        return GetPixel(dc, x, y);
    }

private:
    UniqueBitmap bitmap_;
};

// A pixel of a window as it shows it, frame included, in window coordinates.
inline COLORREF WindowPixel(HWND window, int x, int y) {
    WindowDC dc(window, true);
    return GetPixel(dc, x, y);
}

// Pumps messages until the condition holds (real input arrives when the display delivers it),
// for at most two seconds; returns the condition.
inline bool PumpUntil(const std::function<bool()>& condition) {
    const ULONGLONG end = GetTickCount64() + 2000;
    while (!condition() && GetTickCount64() < end) {
        PumpMessages();
        Sleep(5);
    }
    return condition();
}

// Moves the real mouse pointer to a screen point and waits until it stays there: the display
// reports pointer moves late, and a late report of an earlier move would take it back.
inline void PlaceCursor(int x, int y) {
    const auto there = [&] {
        POINT now;
        GetCursorPos(&now);
        return now.x == x && now.y == y;
    };
    int steady = 0;
    const ULONGLONG end = GetTickCount64() + 2000;
    while (steady < 3 && GetTickCount64() < end) {
        if (!there()) {
            steady = 0;
            SetCursorPos(x, y);
        } else {
            ++steady;
        }
        Sleep(10);
        PumpMessages();
    }
}

// Moves the real mouse pointer to a point of a window's client area.
inline void MoveCursorTo(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    PlaceCursor(point.x, point.y);
}

// The colour of a flat edit's border ring (0 outermost), read in the middle of its top edge.
inline COLORREF BorderRing(const TFlatEdit& edit, int ring) {
    return WindowPixel(edit.Handle(), edit.Width() / 2, ring);
}

}  // namespace morvane
