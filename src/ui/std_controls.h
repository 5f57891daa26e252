#pragma once
// Windowed controls over the system's own: push button and progress bar.
#include <string>

#include "ui/control.h"

namespace morvane {

class Button : public WinControl {
public:
    Button(WinControl* parent, const std::wstring& caption, int left, int top, int width, int height);

    void SetModalResult(int result) { modalResult_ = result; }
    // The default button wears the heavier frame that Enter presses.
    void SetDefault(bool isDefault);

    // Sets the form's modal result, if the button has one, then runs the click handler.
    void Click() override;

protected:
    void Command(WORD code) override;

private:
    int modalResult_ = 0;
};

class ProgressBar : public WinControl {
public:
    ProgressBar(WinControl* parent, int left, int top, int width, int height);

    int Max() const { return max_; }
    int Position() const;
    void SetRange(int min, int max);
    void SetPosition(int position);
    void SetStep(int step);
    void StepIt();

private:
    int max_ = 100;
};

}  // namespace morvane
