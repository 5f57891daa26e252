// The about box: its layout and texts, and its two buttons pressed by real clicks inside its modal
// loop. The homepage opener is replaced so that no browser starts.
#include "app/about_box.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/product_info.h"
#include "common/ui_driver.h"
#include "ui/application.h"

namespace morvane {
namespace {

using test::ModalScript;
using test::PostClickAt;
using test::RectInParent;

void ClickButton(const TAboutBox& box, const TFlatButton& button) {
    PostClickAt(box.Handle(), button.Left() + button.Width() / 2, button.Top() + button.Height() / 2);
}

class AboutBox : public ::testing::Test {
protected:
    AboutBox() { App().SetTitle(L"Morvane"); }

    std::vector<std::wstring> opened;
    TAboutBox box{[this](const std::wstring& address) { opened.push_back(address); }};
};

TEST_F(AboutBox, MatchesTheDesignedLayoutAndTexts) {
    EXPECT_EQ(box.Caption(), L"Version Infomation");
    RECT client;
    GetClientRect(box.Handle(), &client);
    EXPECT_EQ(client.right, 295);
    EXPECT_EQ(client.bottom, 183);
    const LONG style = GetWindowLongW(box.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

    const RECT panel = RectInParent(box.Panel1.Handle());
    EXPECT_EQ(panel.left, 6);
    EXPECT_EQ(panel.top, 8);
    EXPECT_EQ(panel.right - panel.left, 281);
    EXPECT_EQ(panel.bottom - panel.top, 137);

    const auto expectAt = [](const Control& control, const WinControl& parent, int left, int top) {
        EXPECT_EQ(control.Parent(), &parent);
        EXPECT_EQ(control.Left(), left);
        EXPECT_EQ(control.Top(), top);
    };
    const auto expectSize = [](const Control& control, int width, int height) {
        EXPECT_EQ(control.Width(), width);
        EXPECT_EQ(control.Height(), height);
    };
    expectAt(box.ProgramIcon, box.Panel1, 16, 16);
    expectSize(box.ProgramIcon, 33, 33);
    expectAt(box.ProductName, box.Panel1, 80, 16);
    expectAt(box.Label2, box.Panel1, 143, 31);
    expectAt(box.Bevel1, box.Panel1, 66, 15);
    expectSize(box.Bevel1, 4, 49);
    expectAt(box.Version, box.Panel1, 81, 45);
    expectAt(box.Bevel3, box.Panel1, 66, 62);
    expectSize(box.Bevel3, 203, 2);
    expectAt(box.Copyright, box.Panel1, 96, 78);
    expectAt(box.Comments, box.Panel1, 96, 94);
    expectAt(box.Label1, box.Panel1, 96, 110);
    expectAt(box.Bevel2, box, 118, 152);
    expectSize(box.Bevel2, 169, 24);
    expectAt(box.FlatButton2, box, 120, 154);
    expectSize(box.FlatButton2, 84, 20);
    expectAt(box.Bevel4, box, 205, 154);
    EXPECT_EQ(box.Bevel4.Height(), 20);
    expectAt(box.FlatButton1, box, 208, 154);
    expectSize(box.FlatButton1, 77, 20);

    EXPECT_EQ(box.ProductName.Caption(), L"Morvane");
    EXPECT_EQ(box.Version.Caption(), L"Version 2.00         ");
    EXPECT_EQ(box.Version.Caption().size(), 21u);
    EXPECT_EQ(box.Label2.Caption(), kProductSubtitle);
    EXPECT_NE(box.Copyright.Caption().find(L"Halvik"), std::wstring::npos);
    EXPECT_EQ(box.Comments.Caption(), kHomepageAddress);
    EXPECT_EQ(box.Label1.Caption(), kMakerMailAddress);
    EXPECT_EQ(box.FlatButton2.Caption(), L"Homepage");
    EXPECT_EQ(box.FlatButton1.Caption(), L"OK");
    EXPECT_FALSE(box.FlatButton2.Glyph().Empty());
    EXPECT_TRUE(box.FlatButton1.Glyph().Empty());

    // Every text fits inside the panel's bevel, and the addresses stay on one line each.
    for (const Label* label : {&box.ProductName, &box.Label2, &box.Version, &box.Copyright, &box.Comments,
                               &box.Label1}) {
        const std::string name = testing::PrintToString(label->Caption());
        EXPECT_LE(label->Left() + label->Width(), 281 - 2) << name;
        EXPECT_LE(label->Top() + label->Height(), 137 - 2) << name;
        EXPECT_EQ(label->Height(), box.ProductName.Height()) << name;
    }

    // At every scale the same layout, scaled, with the texts still inside the bevel on one line
    // each and the glyph drawn for the scale.
    for (const int dpi : {120, 144, 192}) {
        SCOPED_TRACE(dpi);
        test::SendDpiChange(box.Handle(), 96, dpi);
        const auto scaled = [dpi](int design) { return MulDiv(design, dpi, 96); };
        GetClientRect(box.Handle(), &client);
        EXPECT_TRUE(test::IsScaled(client.right, 295, dpi));
        EXPECT_TRUE(test::IsScaled(client.bottom, 183, dpi));
        const RECT inside = RectInParent(box.Panel1.Handle());
        EXPECT_EQ(inside.left, scaled(6));
        EXPECT_TRUE(test::IsScaled(inside.right - inside.left, 281, dpi));
        for (const Label* label : {&box.ProductName, &box.Label2, &box.Version, &box.Copyright, &box.Comments,
                                   &box.Label1}) {
            const std::string name = testing::PrintToString(label->Caption());
            EXPECT_LE(label->Left() + label->Width(), inside.right - inside.left - 2) << name;
            EXPECT_LE(label->Top() + label->Height(), inside.bottom - inside.top - 2) << name;
            EXPECT_EQ(label->Height(), box.ProductName.Height()) << name;
        }
        EXPECT_EQ(box.FlatButton1.Left(), scaled(208));
        EXPECT_NEAR(box.FlatButton1.Left() + box.FlatButton1.Width(), client.right - scaled(10), 1);
        EXPECT_EQ(box.FlatButton2.Glyph().Width(), dpi >= 192 ? 32 : dpi >= 144 ? 24 : 16);
        test::SendDpiChange(box.Handle(), dpi, 96);
    }
    GetClientRect(box.Handle(), &client);
    EXPECT_EQ(client.right, 295);
    EXPECT_EQ(client.bottom, 183);
    expectAt(box.FlatButton1, box, 208, 154);
    expectSize(box.FlatButton1, 77, 20);
}

TEST_F(AboutBox, HomepageOpensTheAddressAndStaysOpenUntilOk) {
    ModalScript script;
    script.Then([&] {
        // Centred on the screen.
        RECT outer;
        GetWindowRect(box.Handle(), &outer);
        EXPECT_NEAR(outer.left + (outer.right - outer.left) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
        EXPECT_NEAR(outer.top + (outer.bottom - outer.top) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
        ClickButton(box, box.FlatButton2);
    });
    script.Then([&] {
        EXPECT_TRUE(IsWindowVisible(box.Handle()));
        ClickButton(box, box.FlatButton2);
    });
    script.Then([&] {
        EXPECT_TRUE(IsWindowVisible(box.Handle()));
        ClickButton(box, box.FlatButton1);
    });
    EXPECT_EQ(box.ShowModal(), mrOk);
    EXPECT_TRUE(script.Done());
    EXPECT_FALSE(IsWindowVisible(box.Handle()));
    // The address opened is the one the box shows.
    EXPECT_EQ(opened, (std::vector<std::wstring>{box.Comments.Caption(), box.Comments.Caption()}));

    // Shown again, the close box ends it as a cancel.
    PostMessageW(box.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(box.ShowModal(), mrCancel);
    EXPECT_EQ(opened.size(), 2u);
}

}  // namespace
}  // namespace morvane
