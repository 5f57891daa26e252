#include "ui/std_controls.h"

#include <commctrl.h>

#include "ui/form.h"

namespace morvane {

Button::Button(WinControl* parent, const std::wstring& caption, int left, int top, int width, int height)
    : WinControl(parent) {
    SetDesignBounds(left, top, width, height);
    CreateHandle(L"BUTTON", true, BS_PUSHBUTTON | WS_TABSTOP, 0);
    SetCaption(caption);
}

void Button::SetDefault(bool isDefault) {
    SendMessageW(Handle(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void Button::Command(WORD code) {
    if (code == BN_CLICKED) Click();
}

void Button::Click() {
    if (modalResult_ != 0)
        if (auto* form = dynamic_cast<Form*>(FromHandle(GetAncestor(Handle(), GA_ROOT))))
            form->SetModalResult(modalResult_);
    WinControl::Click();
}

ProgressBar::ProgressBar(WinControl* parent, int left, int top, int width, int height) : WinControl(parent) {
    SetDesignBounds(left, top, width, height);
    CreateHandle(PROGRESS_CLASSW, true, 0, 0);
    SetRange(0, 100);
}

int ProgressBar::Position() const { return static_cast<int>(SendMessageW(Handle(), PBM_GETPOS, 0, 0)); }

void ProgressBar::SetRange(int min, int max) {
    max_ = max;
    SendMessageW(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(min), max);
}

void ProgressBar::SetPosition(int position) { SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(position), 0); }

void ProgressBar::SetStep(int step) { SendMessageW(Handle(), PBM_SETSTEP, static_cast<WPARAM>(step), 0); }

void ProgressBar::StepIt() { SendMessageW(Handle(), PBM_STEPIT, 0, 0); }

}  // namespace morvane
