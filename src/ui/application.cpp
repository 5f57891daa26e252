#include "ui/application.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "ui/error.h"
#include "ui/form.h"

namespace morvane {

namespace {

constexpr wchar_t kApplicationClass[] = L"TApplication";

std::wstring FromUtf8(const char* text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring result(static_cast<size_t>(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, result.data(), size);
    result.resize(wcslen(result.c_str()));
    return result;
}

}  // namespace

Application& Application::Instance() {
    static Application application;
    return application;
}

Application::Application() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kApplicationClass;
    RegisterClassExW(&wc);
    handle_ = CreateWindowExW(0, kApplicationClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              wc.hInstance, this);
}

void Application::SetTitle(std::wstring title) {
    title_ = std::move(title);
    SetWindowTextW(handle_, title_.c_str());
}

void Application::Adopt(std::unique_ptr<Form> form) {
    if (!mainForm_) mainForm_ = form.get();
    forms_.push_back(std::move(form));
}

void Application::Run() {
    if (!mainForm_) return;
    mainForm_->Show();
    MSG message;
    for (;;) {
        // PeekMessage also answers messages sent from other threads and reports windows to paint.
        if (!idleWork_.empty() && !PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) && RunIdleWork()) continue;
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) break;
        ProcessMessage(message);
    }
}

void Application::WhenIdle(const void* owner, IdleWork work) {
    if (work) idleWork_.emplace_back(owner, std::move(work));
}

void Application::ForgetIdleWork(const void* owner) {
    std::erase_if(idleWork_, [owner](const auto& entry) { return entry.first == owner; });
    if (owner && owner == runningIdleOwner_) runningIdleOwner_ = nullptr;
}

bool Application::RunIdleWork() {
    if (idleWork_.empty()) return false;
    // Taken out while it runs: it may add work or forget its owner's.
    auto [owner, work] = std::move(idleWork_.front());
    idleWork_.pop_front();
    runningIdleOwner_ = owner;
    bool again = false;
    try {
        again = work();
    } catch (...) {
        HandleException();
    }
    // Not again when its owner has forgotten it meanwhile (and may be gone).
    if (again && runningIdleOwner_ == owner) idleWork_.emplace_front(owner, std::move(work));
    runningIdleOwner_ = nullptr;
    return true;
}

void Application::ProcessMessage(MSG& message) {
    // Dialog keys run commands outside any window procedure: their failures reach the error box
    // here, or they would end the loop and the program.
    try {
        if (auto* form = dynamic_cast<Form*>(WinControl::FromHandle(GetAncestor(message.hwnd, GA_ROOT))))
            if (form->DialogKey(message)) return;
    } catch (...) {
        HandleException();
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void Application::DestroyForms() {
    // The dialogs first, the main form last, without their close handlers.
    while (!forms_.empty()) forms_.pop_back();
    mainForm_ = nullptr;
}

int Application::HookMainWindow(WindowHook hook) {
    hooks_.emplace_back(nextHookId_, std::move(hook));
    return nextHookId_++;
}

void Application::UnhookMainWindow(int id) {
    hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(), [id](const auto& h) { return h.first == id; }),
                 hooks_.end());
}

LRESULT CALLBACK Application::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // The window is made while the application object is being constructed: it comes through
    // the creation data, not through Instance().
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<Application*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    Application& app = *self;
    try {
        // A copy: a hook may remove itself or others.
        const auto hooks = app.hooks_;
        for (const auto& [id, hook] : hooks) {
            LRESULT result = 0;
            if (hook(message, wParam, lParam, result)) return result;
        }
        if (message == WM_ACTIVATEAPP) {
            app.active_ = wParam != FALSE;
            const auto& notify = app.active_ ? app.OnActivate : app.OnDeactivate;
            if (notify) notify();
        }
    } catch (...) {
        app.HandleException();
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::wstring Application::ErrorBoxText(std::wstring message) {
    if (!message.empty() && message.back() > L'.') message += L'.';
    return message;
}

void Application::ShowError(const std::wstring& message) {
    MessageBoxW(GetActiveWindow(), ErrorBoxText(message).c_str(), title_.c_str(), MB_OK | MB_ICONERROR);
}

void Application::HandleException() {
    try {
        throw;
    } catch (const Error& error) {
        ShowError(error.Message());
    } catch (const std::exception& error) {
        ShowError(FromUtf8(error.what()));
    } catch (...) {
        ShowError(L"Unknown error");
    }
}

}  // namespace morvane
