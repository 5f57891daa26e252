#pragma once
// The application object: title, help file, the forms in creation order, the message loop, the
// active state, hooks on the application's window and the one error box.
#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace morvane {

class Form;

class Application {
public:
    static Application& Instance();

    const std::wstring& Title() const { return title_; }
    void SetTitle(std::wstring title);
    const std::wstring& HelpFile() const { return helpFile_; }
    void SetHelpFile(std::wstring helpFile) { helpFile_ = std::move(helpFile); }

    // Creates a form; the first one created becomes the main form. Forms live until the end.
    template <typename F, typename... Args>
    F& CreateForm(Args&&... args) {
        auto form = std::make_unique<F>(std::forward<Args>(args)...);
        F& created = *form;
        Adopt(std::move(form));
        return created;
    }
    Form* MainForm() const { return mainForm_; }
    // Shows the main form and runs the message loop until it closes.
    void Run();
    // Handles one message: a form's dialog keys first, then the usual translate and dispatch.
    void ProcessMessage(MSG& message);
    // Work for the moments the message loop of Run has nothing to do (no input, nothing to paint):
    // called once per such moment, in the order given, until it answers that nothing is left.
    // Each call should be short: input waits for it. Work of an owner that goes is forgotten.
    using IdleWork = std::function<bool()>;  // true: call again
    void WhenIdle(const void* owner, IdleWork work);
    void ForgetIdleWork(const void* owner);
    // Runs the next piece of idle work; false when there is none.
    bool RunIdleWork();
    // Destroys every form, the last created first, none of them closed: the end of the program.
    void DestroyForms();

    // The application's own hidden window, owner of nothing, told of activation changes.
    HWND Handle() const { return handle_; }
    bool Active() const { return active_; }
    std::function<void()> OnActivate;
    std::function<void()> OnDeactivate;

    // A hook sees every message of the application's window first; returning true consumes it.
    using WindowHook = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;
    int HookMainWindow(WindowHook hook);
    void UnhookMainWindow(int id);

    // Shows the exception being handled in the error box. Call it only inside a catch block.
    void HandleException();
    void ShowError(const std::wstring& message);
    // The error box's text: the message, with "." appended when its last character sorts after ".".
    static std::wstring ErrorBoxText(std::wstring message);

private:
    Application();
    void Adopt(std::unique_ptr<Form> form);
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);

    std::wstring title_;
    std::wstring helpFile_;
    bool active_ = false;
    HWND handle_ = nullptr;
    // Before the forms: controls that hooked the window unhook as the forms go at the end.
    std::vector<std::pair<int, WindowHook>> hooks_;
    int nextHookId_ = 1;
    std::deque<std::pair<const void*, IdleWork>> idleWork_;
    const void* runningIdleOwner_ = nullptr;
    Form* mainForm_ = nullptr;
    std::vector<std::unique_ptr<Form>> forms_;
};

inline Application& App() { return Application::Instance(); }

}  // namespace morvane
