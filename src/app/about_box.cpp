#include "app/about_box.h"

#include <shellapi.h>

#include "app/product_info.h"
#include "ui/application.h"

namespace morvane {

namespace {

// The addresses wrap between words inside the panel, with the margin the icon keeps on the left.
constexpr int kAddressWidth = 177;

}  // namespace

void OpenWithShell(const std::wstring& address) {
    // Without a browser the shell fails; the box stays as it is and nothing is reported.
    ShellExecuteW(App().Handle(), L"open", address.c_str(), L"", nullptr, SW_SHOWNORMAL);
}

TAboutBox::TAboutBox(AddressOpener openAddress)
    : Form(L"TAboutBox", DialogFormStyle(FormPosition::ScreenCenter)),
      Panel1(this, 6, 8, 281, 137, PanelBevel::RaisedInLoweredOut),
      ProgramIcon(&Panel1, morvane::ProgramIcon(32), 16, 16, 33, 33),
      ProductName(&Panel1, 80, 16, kProductName),
      Label2(&Panel1, 143, 31, kProductSubtitle),
      Bevel1(&Panel1, BevelShape::LeftLine, 66, 15, 4, 49),
      Version(&Panel1, 81, 45, kVersionLabel),
      Bevel3(&Panel1, BevelShape::TopLine, 66, 62, 203, 2),
      Copyright(&Panel1, 96, 78, kCopyrightNotice),
      Comments(&Panel1, 96, 94, kHomepageAddress),
      Label1(&Panel1, 96, 110, kMakerMailAddress),
      Bevel2(this, BevelShape::Frame, 118, 152, 169, 24),
      FlatButton2(this, 120, 154, 84, 20),
      Bevel4(this, BevelShape::LeftLine, 205, 154, 2, 20),
      FlatButton1(this, 208, 154, 77, 20),
      openAddress_(std::move(openAddress)) {
    SetCaption(L"Version Infomation");
    SetClientSize(295, 183);

    Comments.SetWrapWidth(kAddressWidth);
    Label1.SetWrapWidth(kAddressWidth);

    FlatButton2.SetGlyphResource(L"GLYPH_HOMEPAGE");
    FlatButton2.SetCaption(L"Homepage");
    FlatButton2.OnClick = [this] { FlatButton2Click(); };
    FlatButton1.SetCaption(L"OK");
    FlatButton1.OnClick = [this] { FlatButton1Click(); };
    FlatButton2.Loaded();
    FlatButton1.Loaded();
    Loaded();
}

void TAboutBox::FlatButton1Click() { SetModalResult(mrOk); }

void TAboutBox::FlatButton2Click() {
    if (openAddress_) openAddress_(kHomepageAddress);
}

}  // namespace morvane
