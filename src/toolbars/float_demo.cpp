// FloatDemo: a window whose four docks allow dragging, with three toolbars to drag between them,
// float, resize and close. A line in the middle tells what happened last. With /float on the
// command line the first toolbar starts floating.
#include <windows.h>

#include <string>

#include "toolbars/flat_button.h"
#include "toolbars/flat_dock.h"
#include "toolbars/flat_edit.h"
#include "toolbars/flat_sep.h"
#include "toolbars/flat_toolbar.h"
#include "ui/application.h"
#include "ui/form.h"
#include "ui/graphic_controls.h"

using namespace morvane;

namespace {

// A 16 by 16 glyph: a coloured disc or square on a background that shows the face through.
void DrawGlyph(Bitmap& glyph, COLORREF color, bool disc) {
    glyph.SetSize(16, 16);
    MemoryDC dc(glyph.Handle());
    FillRectangle(dc, RECT{0, 0, 16, 16}, RGB(255, 0, 255));
    const UniqueBrush brush(CreateSolidBrush(color));
    SelectedObject selected(dc, brush.Get());
    if (disc)
        Ellipse(dc, 2, 2, 14, 14);
    else
        Rectangle(dc, 3, 3, 13, 13);
    glyph.Changed();
}

class TFloatDemo : public Form {
public:
    explicit TFloatDemo(bool floatFirst)
        : Form(L"TFloatDemo", FormStyle{}),
          TopDock(*this),
          BottomDock(*this),
          LeftDock(*this),
          RightDock(*this),
          Standard(*this),
          Fields(*this),
          Tools(*this),
          FieldLabel(&Fields, 4, 6, L"拡張子"),
          Extension(&Fields, 44, 3, 70),
          Pick(&Fields, 114, 3, 15, 18),
          Status(this, 60, 90, L"ツールバーをドラッグしてください") {
        SetCaption(L"FloatDemo");
        SetBounds(60, 60, 0, 0);
        SetClientSize(640, 400);
        BottomDock.SetPosition(dpBottom);
        LeftDock.SetPosition(dpLeft);
        RightDock.SetPosition(dpRight);
        for (TFlatDock* dock : {&TopDock, &BottomDock, &LeftDock, &RightDock}) dock->SetFixAlign(true);

        static const COLORREF colors[] = {RGB(200, 0, 0), RGB(0, 140, 0), RGB(0, 0, 200), RGB(200, 140, 0),
                                          RGB(120, 0, 160)};
        for (int i = 0; i < 5; ++i) {
            auto& button = StandardButtons[i];
            button = std::make_unique<TFlatButton>(&Standard, i * 23, 0);
            Bitmap glyph;
            DrawGlyph(glyph, colors[i], i % 2 == 0);
            button->SetGlyph(&glyph);
            button->OnClick = [this, i] { Report(L"ボタン " + std::to_wstring(i + 1)); };
        }
        for (int i = 0; i < 4; ++i) {
            auto& button = ToolButtons[i];
            button = std::make_unique<TFlatButton>(&Tools, i * 40, 0);
            Bitmap glyph;
            DrawGlyph(glyph, colors[4 - i], i % 2 != 0);
            button->SetGlyph(&glyph);
            button->OnClick = [this, i] { Report(L"ツール " + std::to_wstring(i + 1)); };
        }
        ToolSeparators[0] = std::make_unique<TFlatSep>(&Tools, 30, 0, 6, 22);
        ToolSeparators[1] = std::make_unique<TFlatSep>(&Tools, 110, 0, 6, 22);

        Standard.SetCaption(L"標準");
        Fields.SetCaption(L"拡張子の指定");
        Tools.SetCaption(L"ツール");
        Extension.SetText(L"txt");
        Bitmap arrow;
        arrow.LoadFromResource(L"GLYPH_DOWNARROW");
        Pick.SetGlyph(&arrow);
        for (TFlatToolbar* bar : {&Standard, &Fields, &Tools}) {
            bar->SetDefaultDock(&TopDock);
            bar->OnClose = [this, bar] { Report(bar->Caption() + L" を閉じました"); };
            bar->OnDockChanged = [this, bar] {
                Report(bar->Caption() + (bar->DockedTo() ? L" をドッキングしました" : L" をフローティングにしました"));
            };
        }
        Standard.SetDockPos(0);
        Standard.SetDockedTo(&TopDock);
        Fields.SetDockPos(200);
        Fields.SetDockedTo(&TopDock);
        Tools.SetDockedTo(&LeftDock);
        if (floatFirst) {
            Standard.SetFloatBounds({300, 250, 400, 300});
            Standard.SetDockedTo(nullptr);
        }
        Extension.Loaded();
        for (TFlatToolbar* bar : {&Standard, &Fields, &Tools}) bar->Loaded();
        Loaded();
    }

    TFlatDock TopDock;
    TFlatDock BottomDock;
    TFlatDock LeftDock;
    TFlatDock RightDock;
    TFlatToolbar Standard;
    TFlatToolbar Fields;
    TFlatToolbar Tools;
    std::unique_ptr<TFlatButton> StandardButtons[5];
    std::unique_ptr<TFlatButton> ToolButtons[4];
    std::unique_ptr<TFlatSep> ToolSeparators[2];
    Label FieldLabel;
    TFlatEdit Extension;
    TFlatButton Pick;
    Label Status;

private:
    void Report(const std::wstring& what) { Status.SetCaption(what); }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    Application& app = App();
    app.SetTitle(L"Morvane");
    try {
        app.CreateForm<TFloatDemo>(std::wstring(commandLine).find(L"/float") != std::wstring::npos);
        app.Run();
    } catch (...) {
        app.HandleException();
        return 1;
    }
    return 0;
}
