#pragma once
// A thin bar beside a control aligned to the left (or right): dragging it changes that control's
// width while the control filling the rest gives or takes the room.
#include "ui/control.h"

namespace morvane {

class Splitter : public GraphicControl {
public:
    // The splitter takes the same alignment as the control it sizes, and stands after it.
    Splitter(WinControl* parent, Control& sized, int thickness);

    // Neither the sized control nor what fills the rest gets narrower than this.
    static constexpr int kMinSize = 30;

    void Paint(HDC dc) override;
    HCURSOR Cursor() const override;
    void MouseDown(const MouseEvent& event) override;
    void MouseMove(const MouseEvent& event) override;
    void MouseUp(const MouseEvent& event) override;

private:
    Control& sized_;
    bool dragging_ = false;
    int grabX_ = 0;
    int grabWidth_ = 0;
};

}  // namespace morvane
