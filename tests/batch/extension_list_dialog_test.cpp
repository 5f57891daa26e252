// The extension list dialog driven by real clicks and keys inside its modal loop, over a real
// favourites file in a temporary folder.
#include "batch/extension_list_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "common/temp_folder.h"
#include "common/ui_driver.h"
#include "ui/application.h"
#include "ui/error.h"

namespace morvane {
namespace {

using test::ReadFileBytes;

using test::ErrorBoxCatcher;
using test::MessageOf;
using test::ModalScript;
using test::PostClickAt;
using test::PostKey;
using test::RectInParent;
using test::FileLock;
using test::TempFolder;
using Entries = std::vector<std::wstring>;

Entries Shown(const TForm3& dialog) {
    Entries entries;
    for (int i = 0; i < dialog.ListBox1.Count(); ++i) entries.push_back(dialog.ListBox1.Item(i));
    return entries;
}

// The user's click on a flat button of the dialog, at its middle.
void ClickButton(const TForm3& dialog, const TFlatButton& button) {
    PostClickAt(dialog.Handle(), button.Left() + button.Width() / 2, button.Top() + button.Height() / 2);
}

// The user's click on an entry's text.
void ClickEntry(const TForm3& dialog, int index) { PostClickAt(dialog.ListBox1.Handle(), 40, index * 12 + 6); }

class ExtensionListDialog : public ::testing::Test {
protected:
    ExtensionListDialog() { App().SetTitle(L"Morvane"); }

    // Runs the steps inside the dialog's modal loop, each once the input the one before posted has
    // been handled, and returns what the pick gave.
    using Steps = std::vector<std::function<void()>>;
    std::optional<std::wstring> Pick(TForm3& dialog, Steps steps) {
        ModalScript script;
        size_t next = 0;
        std::function<void()> run = [&] {
            steps[next++]();
            if (next < steps.size()) script.Then(run);
        };
        script.Then(run);
        const std::optional<std::wstring> picked = dialog.PickEntry();
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(next, steps.size());
        EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
        return picked;
    }

    TempFolder folder;
    const std::wstring path = folder.PathOf(L"Morvane.dat");
};

TEST_F(ExtensionListDialog, DeleteOnlyWithASelectionAndEveryCloseStoresTheList) {
    folder.AddFile(L"Morvane.dat", 0, "txt\r\nbak\r\nzip\r\n");
    TForm3 dialog(path);
    EXPECT_EQ(dialog.List().Entries(), (Entries{L"txt", L"bak", L"zip"}));

    const auto picked = Pick(dialog, {
        [&] {
            EXPECT_EQ(Shown(dialog), (Entries{L"txt", L"bak", L"zip"}));
            EXPECT_EQ(dialog.ListBox1.ItemIndex(), -1);
            EXPECT_EQ(GetFocus(), dialog.ListBox1.Handle());
            ClickButton(dialog, dialog.FlatButton3);  // nothing selected: nothing deleted
        },
        [&] {
            EXPECT_EQ(Shown(dialog), (Entries{L"txt", L"bak", L"zip"}));
            ClickEntry(dialog, 1);
        },
        [&] {
            EXPECT_EQ(dialog.List().Selected(), 1);
            ClickButton(dialog, dialog.FlatButton3);
        },
        [&] {
            EXPECT_EQ(Shown(dialog), (Entries{L"txt", L"zip"}));
            EXPECT_EQ(dialog.ListBox1.ItemIndex(), -1);
            EXPECT_EQ(dialog.List().Selected(), -1);
            ClickButton(dialog, dialog.FlatButton3);  // the deletion took the selection with it
        },
        [&] {
            EXPECT_EQ(Shown(dialog), (Entries{L"txt", L"zip"}));
            EXPECT_EQ(ReadFileBytes(path), "txt\r\nbak\r\nzip\r\n");  // nothing stored before the close
            ClickButton(dialog, dialog.FlatButton2);
        },
    });
    EXPECT_EQ(picked, std::nullopt);
    // The deletion is stored although the user cancelled.
    EXPECT_EQ(ReadFileBytes(path), "txt\r\nzip\r\n");

    // Deleting the last entries and cancelling leaves an empty file; the close box stores too.
    Pick(dialog, {
        [&] { ClickEntry(dialog, 1); },
        [&] { ClickButton(dialog, dialog.FlatButton3); },
        [&] {
            EXPECT_EQ(Shown(dialog), Entries{L"txt"});
            ClickEntry(dialog, 0);
        },
        [&] { ClickButton(dialog, dialog.FlatButton3); },
        [&] {
            EXPECT_EQ(dialog.ListBox1.Count(), 0);
            PostMessageW(dialog.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
        },
    });
    EXPECT_EQ(ReadFileBytes(path), "");
    EXPECT_EQ(folder.Names(), Entries{L"Morvane.dat"});
}

TEST_F(ExtensionListDialog, OkPicksTheSelectedEntryWhichStaysSelectedForTheNextOpening) {
    folder.AddFile(L"Morvane.dat", 0, "txt\r\n\x95\x5C\r\n\x83\x5C\r\n");  // txt, 表, ソ
    TForm3 dialog(path);

    // OK without a selection gives nothing, and the list is stored as it is.
    DeleteFileW(path.c_str());
    EXPECT_EQ(Pick(dialog, {[&] { ClickButton(dialog, dialog.FlatButton1); }}), std::nullopt);
    EXPECT_EQ(ReadFileBytes(path), "txt\r\n\x95\x5C\r\n\x83\x5C\r\n");

    EXPECT_EQ(Pick(dialog, {
                  [&] {
                      EXPECT_EQ(Shown(dialog), (Entries{L"txt", L"表", L"ソ"}));
                      ClickEntry(dialog, 1);
                  },
                  [&] { ClickButton(dialog, dialog.FlatButton1); },
              }),
              L"表");

    // The next opening shows the same entry selected; a key moves it and CANCEL gives nothing.
    EXPECT_EQ(Pick(dialog, {
                  [&] {
                      EXPECT_EQ(dialog.ListBox1.ItemIndex(), 1);
                      PostKey(dialog.ListBox1.Handle(), VK_DOWN);
                  },
                  [&] {
                      EXPECT_EQ(dialog.List().Selected(), 2);
                      ClickButton(dialog, dialog.FlatButton2);
                  },
              }),
              std::nullopt);

    // A double click is no OK; the selection it makes is what OK then picks.
    EXPECT_EQ(Pick(dialog, {
                  [&] {
                      EXPECT_EQ(dialog.ListBox1.ItemIndex(), 2);
                      const LPARAM at = MAKELPARAM(40, 6);
                      PostMessageW(dialog.ListBox1.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
                      PostMessageW(dialog.ListBox1.Handle(), WM_LBUTTONUP, 0, at);
                      PostMessageW(dialog.ListBox1.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
                      PostMessageW(dialog.ListBox1.Handle(), WM_LBUTTONUP, 0, at);
                  },
                  [&] {
                      EXPECT_TRUE(IsWindowVisible(dialog.Handle()));
                      ClickButton(dialog, dialog.FlatButton1);
                  },
              }),
              L"txt");
    EXPECT_EQ(ReadFileBytes(path), "txt\r\n\x95\x5C\r\n\x83\x5C\r\n");
}

TEST_F(ExtensionListDialog, AppendedEntriesAreStoredAtOnceAndShownAtTheNextOpening) {
    TForm3 dialog(path);  // no file yet: an empty list, nothing reported, nothing written
    EXPECT_EQ(dialog.List().Entries(), Entries{});
    EXPECT_EQ(ReadFileBytes(path), "(missing)");

    for (const wchar_t* text : {L"txt", L"txt", L"", L"すべて"}) dialog.AppendEntry(text);
    EXPECT_EQ(ReadFileBytes(path), "txt\r\ntxt\r\n\r\n\x82\xB7\x82\xD7\x82\xC4\r\n");
    // A text the file cannot hold is refused and changes nothing.
    EXPECT_THROW(dialog.AppendEntry(L"caf\u00E9"), Error);
    EXPECT_EQ(dialog.List().Entries().size(), 4u);

    EXPECT_EQ(Pick(dialog, {
                  [&] {
                      EXPECT_EQ(Shown(dialog), (Entries{L"txt", L"txt", L"", L"すべて"}));
                      ClickEntry(dialog, 3);
                  },
                  [&] { ClickButton(dialog, dialog.FlatButton1); },
              }),
              L"すべて");

    // An entry appended while an entry is selected keeps that selection.
    dialog.AppendEntry(L"bak");
    Pick(dialog, {[&] {
        EXPECT_EQ(Shown(dialog), (Entries{L"txt", L"txt", L"", L"すべて", L"bak"}));
        EXPECT_EQ(dialog.ListBox1.ItemIndex(), 3);
        ClickButton(dialog, dialog.FlatButton2);
    }});
}

TEST_F(ExtensionListDialog, FailuresAreReportedAndNeverCostTheStoredList) {
    folder.AddFile(L"Morvane.dat", 0, "txt\r\nbak\r\n");
    {
        TForm3 dialog(path);
        ErrorBoxCatcher catcher;
        // The store at the close fails: reported once the dialog is hidden, and the pick is not applied.
        std::optional<std::wstring> picked;
        {
            FileLock lock(path);
            picked = Pick(dialog, {
                [&] { ClickEntry(dialog, 0); },
                [&] { ClickButton(dialog, dialog.FlatButton1); },
            });
        }
        EXPECT_EQ(picked, std::nullopt);
        ASSERT_EQ(catcher.Boxes().size(), 1u);
        EXPECT_EQ(catcher.Boxes()[0].Caption, L"Morvane");
        EXPECT_EQ(catcher.Boxes()[0].Text, L"ﾌｧｲﾙ " + path + L" を作成できません.");
        EXPECT_EQ(ReadFileBytes(path), "txt\r\nbak\r\n");
        EXPECT_EQ(folder.Names(), Entries{L"Morvane.dat"});

        // Once the file is free again the same choice goes through.
        EXPECT_EQ(Pick(dialog, {[&] { ClickButton(dialog, dialog.FlatButton1); }}), L"txt");
    }

    // A file that cannot be read at creation: reported, the dialog exists with an empty list, and
    // nothing of this run ever overwrites what is stored.
    ErrorBoxCatcher catcher;
    std::unique_ptr<TForm3> dialog;
    {
        FileLock lock(path);
        dialog = std::make_unique<TForm3>(path);
    }
    ASSERT_EQ(catcher.Boxes().size(), 1u);
    EXPECT_EQ(catcher.Boxes()[0].Text, L"ﾌｧｲﾙ " + path + L" は開けません.");
    ASSERT_NE(dialog->Handle(), nullptr);
    EXPECT_EQ(MessageOf([&] { dialog->AppendEntry(L"zip"); }), L"ﾌｧｲﾙ " + path + L" は開けません");
    EXPECT_EQ(Pick(*dialog, {
                  [&] {
                      EXPECT_EQ(Shown(*dialog), Entries{});
                      ClickButton(*dialog, dialog->FlatButton1);
                  },
              }),
              std::nullopt);
    EXPECT_EQ(ReadFileBytes(path), "txt\r\nbak\r\n");
    EXPECT_EQ(catcher.Boxes().size(), 1u);
}

TEST_F(ExtensionListDialog, MatchesTheDesignedLayout) {
    TForm3 dialog(path);
    EXPECT_EQ(dialog.Caption(), L"拡張子選択");
    RECT client;
    GetClientRect(dialog.Handle(), &client);
    EXPECT_EQ(client.right, 303);
    EXPECT_EQ(client.bottom, 145);
    const LONG style = GetWindowLongW(dialog.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(GetWindowLongW(dialog.Handle(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);

    const RECT list = RectInParent(dialog.ListBox1.Handle());
    EXPECT_EQ(list.left, 8);
    EXPECT_EQ(list.top, 8);
    EXPECT_EQ(list.right - list.left, 289);
    EXPECT_EQ(list.bottom - list.top, 88);
    const LONG listStyle = GetWindowLongW(dialog.ListBox1.Handle(), GWL_STYLE);
    EXPECT_FALSE(listStyle & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL | LBS_SORT));
    EXPECT_EQ(SendMessageW(dialog.ListBox1.Handle(), LB_GETITEMHEIGHT, 0, 0), 12);

    const auto expectAt = [](const Control& control, int left, int top, int width, int height) {
        EXPECT_EQ(control.Left(), left);
        EXPECT_EQ(control.Top(), top);
        EXPECT_EQ(control.Width(), width);
        EXPECT_EQ(control.Height(), height);
    };
    expectAt(dialog.Bevel1, 8, 105, 289, 2);
    expectAt(dialog.Bevel2, 39, 113, 258, 24);
    expectAt(dialog.FlatButton3, 40, 114, 85, 22);
    expectAt(dialog.Bevel3, 126, 115, 2, 20);
    expectAt(dialog.FlatButton2, 129, 114, 85, 22);
    expectAt(dialog.Bevel4, 215, 115, 2, 20);
    expectAt(dialog.FlatButton1, 218, 114, 78, 22);
    EXPECT_EQ(dialog.FlatButton3.Caption(), L"削除");
    EXPECT_EQ(dialog.FlatButton2.Caption(), L"CANCEL");
    EXPECT_EQ(dialog.FlatButton1.Caption(), L"OK");
    EXPECT_FALSE(dialog.FlatButton3.Glyph().Empty());
    EXPECT_TRUE(dialog.FlatButton1.Glyph().Empty());

    // At every scale the layout scaled, the entries a line of the font tall at least.
    int dpi = 96;
    for (const int next : {120, 144, 192, 96}) {
        test::SendDpiChange(dialog.Handle(), dpi, next);
        dpi = next;
        SCOPED_TRACE(dpi);
        const auto scaled = [dpi](int design) { return MulDiv(design, dpi, 96); };
        GetClientRect(dialog.Handle(), &client);
        EXPECT_TRUE(test::IsScaled(client.right, 303, dpi));
        EXPECT_TRUE(test::IsScaled(client.bottom, 145, dpi));
        const RECT shown = RectInParent(dialog.ListBox1.Handle());
        EXPECT_EQ(shown.top, scaled(8));
        EXPECT_TRUE(test::IsScaled(shown.bottom - shown.top, 88, dpi));
        const int entry = static_cast<int>(SendMessageW(dialog.ListBox1.Handle(), LB_GETITEMHEIGHT, 0, 0));
        EXPECT_GE(entry, scaled(12));
        if (dpi != 96) {
            EXPECT_GE(entry, test::FontHeight(dialog.ListBox1.Font()));
        }
        EXPECT_EQ(dialog.FlatButton1.Left(), scaled(218));
        EXPECT_TRUE(test::IsScaled(dialog.FlatButton1.Width(), 78, dpi));
        EXPECT_LE(dialog.FlatButton1.Top() + dialog.FlatButton1.Height(), client.bottom);
    }
    EXPECT_EQ(SendMessageW(dialog.ListBox1.Handle(), LB_GETITEMHEIGHT, 0, 0), 12);
    expectAt(dialog.FlatButton1, 218, 114, 78, 22);

    LOGFONTW font{};
    GetObjectW(dialog.Font(), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, L"ＭＳ Ｐゴシック");

    // At its designed place on the screen, every time it shows.
    for (int opening = 0; opening < 2; ++opening) {
        Pick(dialog, {[&] {
            RECT outer;
            GetWindowRect(dialog.Handle(), &outer);
            EXPECT_EQ(outer.left, 155);
            EXPECT_EQ(outer.top, 184);
            ClickButton(dialog, dialog.FlatButton2);
        }});
    }
}

}  // namespace
}  // namespace morvane
