#include "common/ui_driver.h"

#include <shlobj.h>

#include <algorithm>

#include "ui/error.h"

namespace morvane::test {

namespace {

constexpr wchar_t kProbeClass[] = L"MorvaneTestProbe";
constexpr UINT kRunStep = WM_APP + 1;

ErrorBoxCatcher* activeCatcher = nullptr;

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

}  // namespace

ModalScript::ModalScript() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kProbeClass;
    RegisterClassW(&wc);
    probe_ = CreateWindowExW(0, kProbeClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(probe_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

ModalScript::~ModalScript() { DestroyWindow(probe_); }

void ModalScript::Then(std::function<void()> step) {
    steps_.push_back(std::move(step));
    PostMessageW(probe_, kRunStep, 0, 0);
}

LRESULT CALLBACK ModalScript::ProbeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* script = reinterpret_cast<ModalScript*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == kRunStep && script && !script->steps_.empty()) {
        auto step = std::move(script->steps_.front());
        script->steps_.pop_front();
        step();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void PostKey(HWND window, WPARAM key) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
}

void PostClickAt(HWND window, int x, int y) {
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void PostButtonClick(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

std::wstring MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.Message();
    }
    return L"(no error)";
}

ErrorBoxCatcher::ErrorBoxCatcher() {
    activeCatcher = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
}

ErrorBoxCatcher::~ErrorBoxCatcher() {
    KillTimer(nullptr, timer_);
    activeCatcher = nullptr;
}

namespace {

BOOL CALLBACK KeepLongestStaticText(HWND child, LPARAM data) {
    auto* text = reinterpret_cast<std::wstring*>(data);
    const std::wstring childText = TextOf(child);
    if (ClassOf(child) == L"Static" && childText.size() > text->size()) *text = childText;
    return TRUE;
}

BOOL CALLBACK AnswerErrorBox(HWND window, LPARAM data) {
    if (ClassOf(window) != L"#32770" || !IsWindowVisible(window)) return TRUE;
    auto* boxes = reinterpret_cast<std::vector<ErrorBoxCatcher::Box>*>(data);
    ErrorBoxCatcher::Box box{TextOf(window), L""};
    // The message is the longest text among the box's static controls.
    EnumChildWindows(window, KeepLongestStaticText, reinterpret_cast<LPARAM>(&box.Text));
    boxes->push_back(box);
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    return FALSE;
}

}  // namespace

void CALLBACK ErrorBoxCatcher::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (activeCatcher)
        EnumThreadWindows(GetCurrentThreadId(), AnswerErrorBox, reinterpret_cast<LPARAM>(&activeCatcher->boxes_));
}

RECT RectInParent(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    if (const HWND parent = GetParent(window); parent && (GetWindowLongW(window, GWL_STYLE) & WS_CHILD))
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void SendDpiChange(HWND window, int fromDpi, int toDpi) {
    RECT outer;
    RECT client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    // The frame stays the one the window has: a message sent in a test moves it to no monitor,
    // so the system keeps drawing the frame of the DPI it really has.
    const int frameWidth = (outer.right - outer.left) - client.right;
    const int frameHeight = (outer.bottom - outer.top) - client.bottom;
    const RECT suggested{outer.left, outer.top, outer.left + MulDiv(client.right, toDpi, fromDpi) + frameWidth,
                         outer.top + MulDiv(client.bottom, toDpi, fromDpi) + frameHeight};
    SendMessageW(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(toDpi, toDpi), reinterpret_cast<LPARAM>(&suggested));
}

::testing::AssertionResult IsScaled(int actual, int design, int dpi) {
    const double exact = design * dpi / 96.0;
    if (actual >= exact - 1 && actual <= exact + 1) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual << " for " << design << " at " << dpi << " DPI";
}

int FontHeight(HFONT font) {
    const HDC dc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return metrics.tmHeight;
}

void PostFileDrop(HWND window, const std::vector<std::wstring>& paths, bool terminated) {
    std::wstring names;
    for (const std::wstring& path : paths) names += path + L'\0';
    names += L'\0';
    const size_t units = terminated || names.size() < 2 ? names.size() : names.size() - 2;
    const HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(wchar_t));
    if (!memory) return;
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::copy_n(names.begin(), units, reinterpret_cast<wchar_t*>(header + 1));
    GlobalUnlock(memory);
    if (!PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0)) GlobalFree(memory);
}

}  // namespace morvane::test
