#pragma once
// A top-level window built in code: caption, client size, position, border, title-bar buttons,
// the program icon and font, creation and close handlers, modal showing with a modal result, a
// default and a cancel button, and dialog keyboard navigation.
#include <functional>
#include <string>

#include "ui/control.h"
#include "ui/handles.h"

namespace morvane {

class Button;

// Modal results.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

enum class FormBorder { Dialog, Sizeable };
enum class FormPosition { Designed, ScreenCenter };

struct FormStyle {
    FormBorder Border = FormBorder::Sizeable;
    bool MinimizeBox = true;
    bool MaximizeBox = true;
    FormPosition Position = FormPosition::Designed;
};

// A dialog's style: the fixed border with only the close box.
FormStyle DialogFormStyle(FormPosition position);

// The program's icon at a size (the resource holds 16, 20, 24, 32, 40, 48 and 64), shared and never
// destroyed.
HICON ProgramIcon(int size);

class Form : public WinControl {
public:
    // The window class is registered under the given name, the name of the C++ class.
    Form(const wchar_t* className, const FormStyle& style);
    ~Form() override;

    // Sizes in design pixels, at the form's DPI.
    void SetClientSize(int width, int height);
    // Outer height, title bar and borders included, as designed at 96 DPI: the client part scales,
    // the frame is the system's at the form's DPI.
    void SetHeight(int height);
    // Lays the form out again at another DPI, its window taking the given bounds (none: it keeps
    // its place and scales its size), then lets the form's DpiChanged follow; WM_DPICHANGED
    // comes here.
    void ChangeDpi(int dpi, const RECT* bounds = nullptr);

    std::function<void()> OnCreate;
    std::function<void()> OnClose;

    int ShowModal();
    bool Modal() const { return modal_; }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }
    // Closes the form: the close handler runs, then the form hides. The main form's closing ends
    // the program.
    void Close();
    virtual void Show();

    void SetDefaultButton(Button* button) { defaultButton_ = button; }
    void SetCancelButton(Button* button) { cancelButton_ = button; }

    // Enter, Esc and Tab for a message on its way to this form or one of its controls.
    bool DialogKey(const MSG& message);
    // Sees every key message on its way to the form or one of its controls before anything else
    // does; true when the form took it.
    virtual bool KeyPreview(const MSG&) { return false; }

protected:
    // Runs the creation handler; a form calls it once all of its controls exist.
    void Loaded();
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void PlaceOnScreen();
    // The program's icons at the sizes of the form's DPI.
    void GiveIcons();
    // What the title bar and borders add to the client size.
    SIZE FrameSize() const;
    // The close handler; false when it failed and the form must stay open.
    bool RunCloseHandler();

    FormStyle style_;
    UniqueFont font_;
    int modalResult_ = mrNone;
    bool modal_ = false;
    bool iconsGiven_ = false;
    Button* defaultButton_ = nullptr;
    Button* cancelButton_ = nullptr;
};

}  // namespace morvane
