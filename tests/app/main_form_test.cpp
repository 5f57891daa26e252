// The main window in process: its layout, the start and close sequences against the registry, and
// its commands driven by posted clicks, keys and menu choices.
#include "app/main_form.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shlobj.h>

#include <functional>
#include <memory>

#include "app/about_box.h"
#include "app/folder_menu.h"
#include "app/help.h"
#include "app/history_form.h"
#include "settings/settings.h"
#include "batch/batch_journal.h"
#include "batch/extension_list_dialog.h"
#include "common/registry_backup.h"
#include "common/temp_folder.h"
#include "common/ui_driver.h"
#include "shellctl/com_ptr.h"
#include "ui/application.h"
#include "ui/executable.h"

namespace morvane {
namespace {

using test::ErrorBoxCatcher;
using test::FontHeight;
using test::IsScaled;
using test::MessageOf;
using test::ModalScript;
using test::PostClickAt;
using test::PutRegistryText;
using test::RedirectedRoot;
using test::RegistryKeyExists;
using test::RectInParent;
using test::RegistryBackup;
using test::RegistryText;
using test::TempFolder;

constexpr wchar_t kProgramKey[] = L"Halvik\\Morvane";

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) App().ProcessMessage(message);
}

RECT Rect(int left, int top, int width, int height) { return RECT{left, top, left + width, top + height}; }

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

::testing::AssertionResult HasBounds(const Control& control, RECT expected) {
    const RECT actual = control.BoundsRect();
    if (SameRect(actual, expected)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "bounds " << actual.left << "," << actual.top << " "
                                         << actual.right - actual.left << "x" << actual.bottom - actual.top;
}

int ItemNamed(const TFileView& list, const std::wstring& name) {
    for (int i = 0; i < list.Count(); ++i)
        if (list.Text(i) == name) return i;
    return -1;
}

// The user's click on an item of the file list, with Ctrl held when asked.
void ClickItem(TFileView& list, const std::wstring& name, bool control = false) {
    const int index = ItemNamed(list, name);
    ASSERT_GE(index, 0) << "no item " << name.size();
    const RECT item = list.ItemRect(index);
    const LPARAM at = MAKELPARAM(item.left + 8, (item.top + item.bottom) / 2);
    PostMessageW(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON | (control ? MK_CONTROL : 0), at);
    PostMessageW(list.Handle(), WM_LBUTTONUP, control ? MK_CONTROL : 0, at);
    PumpMessages();
}

// Real key presses (negative: the key goes up) through the system's input queue, then what they
// bring is handled.
void PressKeys(std::initializer_list<int> keys) {
    std::vector<INPUT> inputs;
    for (const int key : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = static_cast<WORD>(key < 0 ? -key : key);
        input.ki.dwFlags = key < 0 ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    for (int round = 0; round < 10; ++round) {
        Sleep(20);
        PumpMessages();
    }
}

// Paths dropped on a window the classic way: the shell's DROPFILES block, posted as WM_DROPFILES.
// The window frees the block.
void PostDrop(HWND window, const std::vector<std::wstring>& paths, bool terminated = true) {
    test::PostFileDrop(window, paths, terminated);
    PumpMessages();
}

// The drag source of a user who lets go at once, wherever the pointer is.
class LetGoAtOnce final : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDropSource)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override {
        return escape ? DRAGDROP_S_CANCEL : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

IDList ParsePath(const std::wstring& path) {
    IDList list;
    EXPECT_TRUE(SUCCEEDED(SHParseDisplayName(path.c_str(), nullptr, IDList::Receiver(list), 0, nullptr)));
    return list;
}

// The shell's own data object for an item, as Explorer drags it.
ComPtr<IDataObject> ShellDataObject(LPCITEMIDLIST absolute) {
    ComPtr<IShellFolder> parent;
    LPCITEMIDLIST child = nullptr;
    ComPtr<IDataObject> data;
    if (SUCCEEDED(SHBindToParent(absolute, IID_IShellFolder, parent.ReceiveVoid(), &child)))
        parent->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr, data.ReceiveVoid());
    return data;
}

// An OLE drag of the item, let go over the middle of the window; the effect the drop had. What
// the drop posted to the window is not handled yet.
DWORD DragAndDrop(HWND window, LPCITEMIDLIST item) {
    const ComPtr<IDataObject> data = ShellDataObject(item);
    EXPECT_TRUE(data) << "no data object";
    if (!data) return DROPEFFECT_NONE;
    RECT area;
    GetWindowRect(window, &area);
    SetCursorPos((area.left + area.right) / 2, (area.top + area.bottom) / 2);
    LetGoAtOnce source;
    DWORD effect = DROPEFFECT_NONE;
    DoDragDrop(data.Get(), &source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
    return effect;
}

BOOL CALLBACK AnswerWithOk(HWND window, LPARAM) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    return FALSE;
}

// Answers the message box standing over the program's windows with OK.
void AnswerBoxWithOk() { EnumThreadWindows(GetCurrentThreadId(), AnswerWithOk, 0); }

class MainWindow : public ::testing::Test {
protected:
    MainWindow() { App().SetTitle(L"Morvane"); }
    std::unique_ptr<TForm1> Create(std::vector<std::wstring> arguments = {}) {
        return std::make_unique<TForm1>(std::move(arguments));
    }
    static std::wstring Stored(const wchar_t* name) { return RegistryText(HKEY_CURRENT_USER, kProgramKey, name); }
    static void Store(const wchar_t* name, const std::wstring& text) {
        PutRegistryText(HKEY_CURRENT_USER, kProgramKey, name, text);
    }

    RegistryBackup settings_{HKEY_CURRENT_USER, L"Halvik"};
};

TEST_F(MainWindow, FirstRunHasTheDesignedLayoutAndDefaultsAndStoresThem) {
    auto form = Create();
    RECT window, client;
    GetWindowRect(form->Handle(), &window);
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(window.left, 74);
    EXPECT_EQ(window.top, 132);
    EXPECT_EQ(client.right, 605);
    EXPECT_EQ(client.bottom, 290);
    EXPECT_EQ(form->Caption(), L"Morvane");

    EXPECT_TRUE(HasBounds(form->Toolbars.FlatDock1, Rect(0, 0, 605, 47)));
    EXPECT_TRUE(HasBounds(form->Toolbars.FlatToolbar1, Rect(0, 0, 184, 47)));
    EXPECT_TRUE(HasBounds(form->Toolbars.FlatToolbar2, Rect(184, 0, 315, 47)));
    EXPECT_TRUE(HasBounds(form->Bevel1, Rect(0, 47, 605, 1)));
    EXPECT_TRUE(HasBounds(form->Panel1, Rect(0, 48, 605, 242)));
    EXPECT_TRUE(HasBounds(form->FolderView1, Rect(0, 0, 177, 223)));
    EXPECT_TRUE(HasBounds(form->Splitter1, Rect(177, 0, 4, 223)));
    EXPECT_TRUE(HasBounds(form->FileView1, Rect(181, 0, 424, 223)));
    EXPECT_TRUE(HasBounds(form->StatusBar1, Rect(0, 223, 605, 19)));
    int edges[3] = {};
    EXPECT_EQ(SendMessageW(form->StatusBar1.Handle(), SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges)), 2);
    EXPECT_EQ(edges[0], 180);
    EXPECT_EQ(edges[1], 180 + 250);
    EXPECT_TRUE(SameRect(RectInParent(form->FileView1.Handle()), Rect(181, 0, 424, 223)));

    EXPECT_EQ(form->Edit1.Text(), L"すべて");
    EXPECT_EQ(form->Edit2.Text(), L"AIFF");
    EXPECT_TRUE(form->K8.Checked());
    EXPECT_EQ(form->FileView1.Style(), ViewStyle::Report);
    EXPECT_EQ(form->ViewStyleNumber(), 3);
    EXPECT_EQ(form->Mode(), TargetMode::ByExtension);
    EXPECT_TRUE(form->K13.Checked());
    EXPECT_EQ(form->FirstDirMode(), 0);
    EXPECT_FALSE(form->IncludeSubFolders.Checked());
    EXPECT_EQ(form->Scope(), FolderScope::FolderOnly);
    EXPECT_FALSE(form->ShowExtensions.Checked());
    EXPECT_FALSE(form->FileView1.ShowExtensions());
    EXPECT_EQ(form->StatusBar1.PanelText(0), L"");

    form->FormClose();
    EXPECT_EQ(Stored(L"Directory"), form->FolderView1.FolderPath());
    EXPECT_EQ(Stored(L"ExtFrom"), L"すべて");
    EXPECT_EQ(Stored(L"ExtTo"), L"AIFF");
    EXPECT_EQ(Stored(L"FileView"), L"3");
    EXPECT_EQ(Stored(L"FirstDirMode"), L"0");
    EXPECT_EQ(Stored(L"FirstDirectory"), L"");
    EXPECT_EQ(Stored(L"Wild"), L"1");
    EXPECT_EQ(Stored(L"SubFolders"), L"0");
    EXPECT_EQ(Stored(L"ShowExtensions"), L"0");
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, L"Halvik\\Morvane\\TForm1", L"PlaceNormalPos.Left"), L"74");
}

int TextWidth(HFONT font, const std::wstring& text) {
    const HDC dc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, font);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return extent.cx;
}

TEST_F(MainWindow, OnAMonitorOfAnyScaleTheLayoutIsTheDesignScaledAndComesBackExactly) {
    auto form = Create();
    MainToolbars& bars = form->Toolbars;
    const RECT place = RectInParent(form->Handle());
    int dpi = 96;
    // 144 and back, then 120 and 192 (the test screen is 1024 pixels wide: a window never grows
    // wider than the screen allows).
    for (const int next : {144, 96, 120, 192}) {
        test::SendDpiChange(form->Handle(), dpi, next);
        dpi = next;
        SCOPED_TRACE(dpi);
        RECT client;
        GetClientRect(form->Handle(), &client);
        if (dpi == 96) {
            // Every control exactly where it was designed.
            EXPECT_EQ(client.right, 605);
            EXPECT_EQ(client.bottom, 290);
            EXPECT_TRUE(HasBounds(bars.FlatDock1, Rect(0, 0, 605, 47)));
            EXPECT_TRUE(HasBounds(bars.FlatToolbar1, Rect(0, 0, 184, 47)));
            EXPECT_TRUE(HasBounds(bars.FlatToolbar2, Rect(184, 0, 315, 47)));
            EXPECT_TRUE(HasBounds(bars.FlatButton5, Rect(69, 2, 61, 43)));
            EXPECT_TRUE(HasBounds(bars.Edit1, Rect(8, 20, 62, 19)));
            EXPECT_TRUE(HasBounds(form->Panel1, Rect(0, 48, 605, 242)));
            EXPECT_TRUE(HasBounds(form->FolderView1, Rect(0, 0, 177, 223)));
            EXPECT_TRUE(HasBounds(form->FileView1, Rect(181, 0, 424, 223)));
            EXPECT_TRUE(HasBounds(form->StatusBar1, Rect(0, 223, 605, 19)));
            EXPECT_EQ(ListView_GetColumnWidth(form->FileView1.Handle(), 0), 120);
            EXPECT_EQ(bars.FlatButton7.Glyph().Width(), 19);
            continue;
        }
        RECT outer;
        GetWindowRect(form->Handle(), &outer);
        if (outer.right - outer.left < GetSystemMetrics(SM_CXMAXTRACK)) {
            EXPECT_TRUE(IsScaled(client.right, 605, dpi));
        }
        EXPECT_TRUE(IsScaled(client.bottom, 290, dpi));
        EXPECT_EQ(RectInParent(form->Handle()).left, place.left);  // where the system put it
        EXPECT_TRUE(IsScaled(bars.FlatDock1.Height(), 47, dpi));
        EXPECT_EQ(bars.FlatDock1.Width(), client.right);
        EXPECT_TRUE(IsScaled(bars.FlatToolbar1.Width(), 184, dpi));
        EXPECT_TRUE(IsScaled(bars.FlatToolbar2.Left(), 184, dpi));
        EXPECT_TRUE(IsScaled(bars.FlatToolbar2.Width(), 315, dpi));
        EXPECT_EQ(bars.FlatToolbar2.Height(), bars.FlatDock1.Height());
        EXPECT_TRUE(IsScaled(bars.FlatButton6.Left(), 252, dpi));
        EXPECT_TRUE(IsScaled(bars.FlatButton6.Width(), 61, dpi));
        EXPECT_EQ(form->Bevel1.Top(), bars.FlatDock1.Height());
        EXPECT_EQ(form->Panel1.Top(), form->Bevel1.Top() + form->Bevel1.Height());
        EXPECT_EQ(form->Panel1.Top() + form->Panel1.Height(), client.bottom);
        EXPECT_TRUE(IsScaled(form->FolderView1.Width(), 177, dpi));
        EXPECT_TRUE(IsScaled(form->Splitter1.Width(), 4, dpi));
        EXPECT_EQ(form->FileView1.Left(), form->Splitter1.Left() + form->Splitter1.Width());
        EXPECT_EQ(form->FileView1.Left() + form->FileView1.Width(), client.right);
        EXPECT_TRUE(IsScaled(form->StatusBar1.Height(), 19, dpi));
        int edges[2] = {};
        SendMessageW(form->StatusBar1.Handle(), SB_GETPARTS, 2, reinterpret_cast<LPARAM>(edges));
        EXPECT_TRUE(IsScaled(edges[0], 180, dpi));
        EXPECT_TRUE(IsScaled(edges[1], 430, dpi));
        EXPECT_TRUE(IsScaled(ListView_GetColumnWidth(form->FileView1.Handle(), 1), 60, dpi));
        EXPECT_TRUE(IsScaled(static_cast<int>(SendMessageW(form->FolderView1.Handle(), TVM_GETINDENT, 0, 0)), 19, dpi));

        // 9 points at the new DPI, and nothing runs into its neighbour or out of its place.
        LOGFONTW font{};
        GetObjectW(form->Font(), sizeof font, &font);
        EXPECT_EQ(font.lfHeight, -MulDiv(9, dpi, 72));
        EXPECT_EQ(bars.Label3.Font(), form->Font());
        EXPECT_EQ(form->FolderView1.Font(), form->Font());
        EXPECT_LT(bars.Label3.Left() + bars.Label3.Width(), bars.Label4.Left());
        EXPECT_LE(bars.Label4.Left() + bars.Label4.Width(), bars.Panel6.Width());
        EXPECT_LE(bars.Label3.Top() + bars.Label3.Height(), bars.Edit1.Top());
        EXPECT_LE(bars.Edit1.Top() + bars.Edit1.Height(), bars.Panel6.Height());
        EXPECT_EQ(bars.Edit1.Height(), FontHeight(form->Font()) + 6);  // as when started at this scale
        for (TFlatButton* button : {&bars.FlatButton7, &bars.FlatButton5, &bars.FlatButton4, &bars.FlatButton6})
            EXPECT_LT(TextWidth(form->Font(), button->Caption()), button->Width() - 2) << button->Width();
        // The glyphs drawn for the scale: 19 pixels wide at 100 %, 28 at 150 %, 38 at 200 %.
        EXPECT_EQ(bars.FlatButton7.Glyph().Width(), dpi >= 192 ? 38 : dpi >= 144 ? 28 : 19);
    }
}

TEST_F(MainWindow, StoredValuesComeBackAndTheStartFolderFollowsItsMode) {
    TempFolder last(L"_最後");
    TempFolder chosen(L"_指定");
    Store(L"Directory", last.Path());
    Store(L"ExtFrom", L"txt");
    Store(L"ExtTo", L"表");
    Store(L"FileView", L"0x2");
    Store(L"Wild", L"0");
    Store(L"FirstDirectory", chosen.Path());
    Store(L"SubFolders", L"1");
    Store(L"ShowExtensions", L"1");
    {
        // A stored text far longer than a target or an extension can use: only what they can.
        Store(L"ExtFrom", std::wstring(300000, L'x'));
        auto form = Create();
        EXPECT_EQ(form->Edit1.Text(), std::wstring(512, L'x'));
    }
    Store(L"ExtFrom", L"txt");
    {
        auto form = Create();
        EXPECT_TRUE(form->ShowExtensions.Checked());
        EXPECT_TRUE(form->FileView1.ShowExtensions());
        EXPECT_TRUE(form->IncludeSubFolders.Checked());
        EXPECT_EQ(form->Scope(), FolderScope::WithSubFolders);
        EXPECT_EQ(form->FolderView1.FolderPath(), last.Path());
        EXPECT_EQ(form->Edit1.Text(), L"txt");
        EXPECT_EQ(form->Edit2.Text(), L"表");
        EXPECT_EQ(form->FileView1.Style(), ViewStyle::List);
        EXPECT_TRUE(form->K7.Checked());
        EXPECT_EQ(form->ViewStyleNumber(), 2);
        EXPECT_TRUE(form->K10.Checked());
        EXPECT_FALSE(form->K9.Checked());
        EXPECT_EQ(form->FirstDirectory(), chosen.Path());
    }
    // The specified folder wins in mode 1; "2" is true; an unknown style number leaves the design
    // style and number, so 0 is stored again.
    Store(L"FirstDirMode", L"1");
    Store(L"Wild", L"2");
    Store(L"FileView", L"7");
    {
        // A folder given on the command line (or by the folder menu) still opens in mode 1.
        TempFolder given(L"_引数");
        auto started = Create({given.Path()});
        EXPECT_EQ(started->FolderView1.FolderPath(), given.Path());
        EXPECT_TRUE(started->K14.Checked());
    }
    auto form = Create();
    EXPECT_EQ(form->FolderView1.FolderPath(), chosen.Path());
    EXPECT_TRUE(form->K14.Checked());
    EXPECT_EQ(form->FirstDirMode(), 1);
    EXPECT_TRUE(form->K9.Checked());
    EXPECT_EQ(form->FileView1.Style(), ViewStyle::Report);
    EXPECT_EQ(form->ViewStyleNumber(), 0);
    form->FormClose();
    EXPECT_EQ(Stored(L"FileView"), L"0");
    EXPECT_EQ(Stored(L"FirstDirMode"), L"1");
    EXPECT_EQ(Stored(L"FirstDirectory"), chosen.Path());
    EXPECT_EQ(Stored(L"SubFolders"), L"1");
    // The item's click takes the check away; the close stores that.
    form->IncludeSubFolders.Click();
    EXPECT_FALSE(form->IncludeSubFolders.Checked());
    EXPECT_EQ(Stored(L"ShowExtensions"), L"1");
    form->ShowExtensions.Click();  // 表示 > 拡張子を常に表示 takes its check away
    EXPECT_FALSE(form->FileView1.ShowExtensions());
    form->FormClose();
    EXPECT_EQ(Stored(L"SubFolders"), L"0");
    EXPECT_EQ(Stored(L"ShowExtensions"), L"0");

    // Mode 1 with no folder ever chosen: the empty path goes to the tree (the shell decides what it
    // selects), not the last folder; nothing is reported and the empty choice is kept.
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kProgramKey, L"FirstDirectory");
    const std::wstring lastFolder = Stored(L"Directory");
    ASSERT_EQ(lastFolder, chosen.Path());
    ErrorBoxCatcher boxes;
    auto unchosen = Create();
    PumpMessages();
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(unchosen->K14.Checked());
    EXPECT_NE(unchosen->FolderView1.FolderPath(), lastFolder);
    unchosen->FormClose();
    EXPECT_EQ(Stored(L"FirstDirMode"), L"1");
    EXPECT_EQ(Stored(L"FirstDirectory"), L"");
}

TEST_F(MainWindow, ABadValueIsReportedAndEverythingAfterItStillLoads) {
    TempFolder folder(L" with blanks");
    const DWORD number = 5;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kProgramKey, L"ExtTo", REG_DWORD, &number, sizeof number),
              ERROR_SUCCESS);
    Store(L"FileView", L"1");
    Store(L"Wild", L"0");
    // A placement stored on a monitor that is gone, minimized.
    const std::wstring placement = std::wstring(kProgramKey) + L"\\TForm1";
    PutRegistryText(HKEY_CURRENT_USER, placement, L"PlaceShowCmd", std::to_wstring(SW_SHOWMINIMIZED));
    PutRegistryText(HKEY_CURRENT_USER, placement, L"PlaceNormalPos.Left", L"5000");
    PutRegistryText(HKEY_CURRENT_USER, placement, L"PlaceNormalPos.Top", L"4000");
    PutRegistryText(HKEY_CURRENT_USER, placement, L"PlaceNormalPos.Right", L"5621");
    PutRegistryText(HKEY_CURRENT_USER, placement, L"PlaceNormalPos.Bottom", L"4329");
    // One placement value of the wrong type costs only itself.
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, placement.c_str(), L"PlaceMinPos.X", REG_DWORD, &number, sizeof number),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kProgramKey, L"SubFolders", REG_DWORD, &number, sizeof number),
              ERROR_SUCCESS);

    // The folder arrives as two arguments when the blank is not quoted.
    const std::wstring path = folder.Path();
    const size_t blank = path.find(L' ');
    ErrorBoxCatcher boxes;
    auto form = Create({path.substr(0, blank), path.substr(blank + 1)});
    PumpMessages();
    ASSERT_EQ(boxes.Boxes().size(), 3u);
    EXPECT_EQ(boxes.Boxes()[0].Caption, L"Morvane");
    EXPECT_EQ(boxes.Boxes()[0].Text, L"'PlaceMinPos.X' のﾃﾞｰﾀ型が不正です.");
    EXPECT_EQ(boxes.Boxes()[1].Text, L"'ExtTo' のﾃﾞｰﾀ型が不正です.");
    EXPECT_EQ(boxes.Boxes()[2].Text, L"'SubFolders' のﾃﾞｰﾀ型が不正です.");
    EXPECT_FALSE(form->IncludeSubFolders.Checked());
    EXPECT_EQ(form->Edit2.Text(), L"AIFF");
    EXPECT_EQ(form->ViewStyleNumber(), 1);
    EXPECT_TRUE(form->K10.Checked());
    EXPECT_EQ(form->FolderView1.FolderPath(), path);

    RECT window, work;
    GetWindowRect(form->Handle(), &window);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(window.right, work.right);  // the stored place, brought into view
    EXPECT_EQ(window.bottom, work.bottom);
    EXPECT_EQ(window.right - window.left, 621);
    form->Show();
    EXPECT_FALSE(IsIconic(form->Handle()));
}

TEST_F(MainWindow, ASaveTheRegistryRefusesIsReportedAndTheWindowStillCloses) {
    auto form = Create();
    form->Show();
    // The program's key is volatile now, and the registry refuses a lasting key below it.
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Halvik");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Halvik");
    HKEY volatileKey;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Halvik", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &volatileKey, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(volatileKey);
    ErrorBoxCatcher boxes;
    form->Close();
    PumpMessages();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].Text.find(L"失敗しました"), std::wstring::npos) << boxes.Boxes()[0].Text.size();
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
}

TEST_F(MainWindow, ASettingsKeyThatCannotBeCreatedIsReportedOnceAtStart) {
    // The current user's root of this process becomes a volatile key: no lasting key can be made
    // below it.
    HKEY refusing = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"MorvaneTest-volatile", 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &refusing, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, refusing), ERROR_SUCCESS);
    ErrorBoxCatcher boxes;
    {
        auto form = Create();
        TForm2 batchDialog(*form);
        PumpMessages();
        EXPECT_EQ(form->Edit2.Text(), L"AIFF");
        EXPECT_EQ(batchDialog.Details(), 1);
    }
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(refusing);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"MorvaneTest-volatile");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Text, L"ｷｰ Halvik\\Morvane の作成に失敗しました.");
}

TEST_F(MainWindow, TheFolderMenuMarkIsReadAtStartAndTheHelpMenuOpensHelpAndTheAboutBox) {
    // The classes root of this process points at a scratch key, so the prefix's own stays as it is.
    const std::wstring scratch = L"MorvaneTest\\classes-" + std::to_wstring(GetCurrentProcessId());
    HKEY classes = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, scratch.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &classes,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, classes), ERROR_SUCCESS);
    EXPECT_FALSE(Create()->K16.Checked());
    RegisterFolderMenu(L"C:\\Morvane\\Morvane.exe");
    auto form = Create();
    EXPECT_TRUE(form->K16.Checked());
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegCloseKey(classes);
    RegDeleteTreeW(HKEY_CURRENT_USER, scratch.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, scratch.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"MorvaneTest");

    // ﾄﾋﾟｯｸの検索(&T) opens the help file's contents.
    App().SetHelpFile(HelpFileBesideExecutable());
    form->SearchforHelpOn1.Click();
    const HWND help = FindWindowW(nullptr, L"Morvane ヘルプ");
    EXPECT_TRUE(help && IsWindowVisible(help));
    CloseHelpWindows();

    // ﾊﾞｰｼﾞｮﾝ情報(&A) shows the about box modally, made first when the start has not made it yet.
    TAboutBox about([](const std::wstring&) {});
    form->OnDialogsNeeded = [&] { form->SetDialogs(nullptr, &about, nullptr); };
    bool aboutShown = false;
    ModalScript script;
    script.Then([&] {
        aboutShown = IsWindowVisible(about.Handle()) && about.Modal();
        about.FlatButton1Click();
    });
    form->About1.Click();
    EXPECT_TRUE(aboutShown);
    EXPECT_FALSE(IsWindowVisible(about.Handle()));
    form->OnDialogsNeeded = nullptr;
    form->SetDialogs(nullptr, nullptr, nullptr);
}

TEST_F(MainWindow, ClickingAFileSetsTheTargetFromIt) {
    TempFolder folder;
    for (const wchar_t* name : {L"a.txt", L"b.doc", L"readme"}) folder.AddFile(name);
    folder.AddFolder(L"sub.dir");
    auto form = Create({folder.Path()});
    form->Show();
    TFileView& list = form->FileView1;
    ASSERT_EQ(list.Count(), 4);

    ClickItem(list, L"a.txt");
    EXPECT_EQ(form->Edit1.Text(), L"txt");
    EXPECT_EQ(form->StatusBar1.PanelText(0), L"1個のｵﾌﾞｼﾞｪｸﾄを選択");
    EXPECT_EQ(form->StatusBar1.PanelText(1), L"対象を[txt]に変更しました。");

    ClickItem(list, L"readme");
    EXPECT_EQ(form->Edit1.Text(), L"すべて");
    EXPECT_EQ(form->StatusBar1.PanelText(1), L"対象を[すべて]に変更しました。");

    // Switching the mode only moves the check marks; the next click reads the new mode.
    form->K10.Click();
    EXPECT_TRUE(form->K10.Checked());
    EXPECT_FALSE(form->K9.Checked());
    EXPECT_EQ(form->Edit1.Text(), L"すべて");
    ClickItem(list, L"readme");
    EXPECT_EQ(form->Edit1.Text(), L"*");
    ClickItem(list, L"b.doc");
    EXPECT_EQ(form->Edit1.Text(), L"*.doc");

    // A folder changes nothing; with several selected, the first selected one counts.
    ClickItem(list, L"sub.dir");
    EXPECT_EQ(form->Edit1.Text(), L"*.doc");
    EXPECT_EQ(form->StatusBar1.PanelText(1), L"対象を[*.doc]に変更しました。");
    form->K9.Click();
    ClickItem(list, L"a.txt");
    ClickItem(list, L"b.doc", true);
    ClickItem(list, L"readme", true);
    EXPECT_EQ(list.SelectedCount(), 3);
    EXPECT_EQ(form->Edit1.Text(), L"txt");
    EXPECT_EQ(form->StatusBar1.PanelText(0), L"1個のｵﾌﾞｼﾞｪｸﾄを選択");
}

TEST_F(MainWindow, ViewAndStartFolderCommandsAndKeysThatDoNothing) {
    TempFolder folder;
    auto form = Create({folder.Path()});
    form->Show();
    const std::pair<MenuItem*, ViewStyle> views[] = {{&form->K5, ViewStyle::Icon},
                                                     {&form->K6, ViewStyle::SmallIcon},
                                                     {&form->K7, ViewStyle::List},
                                                     {&form->K8, ViewStyle::Report}};
    for (int number = 0; number < 4; ++number) {
        views[number].first->Click();
        EXPECT_EQ(form->FileView1.Style(), views[number].second);
        EXPECT_EQ(form->ViewStyleNumber(), number);
        for (int other = 0; other < 4; ++other) EXPECT_EQ(views[other].first->Checked(), other == number);
    }

    form->Edit1.SetText(L"txt");
    form->K1.Click();
    EXPECT_EQ(form->Edit1.Text(), L"すべて");

    form->K14.Click();
    EXPECT_EQ(form->FirstDirMode(), 1);
    EXPECT_TRUE(form->K14.Checked());
    EXPECT_EQ(form->FirstDirectory(), L"");  // nothing chosen yet
    form->K15.Click();
    EXPECT_EQ(form->FirstDirectory(), folder.Path());
    form->K13.Click();
    EXPECT_EQ(form->FirstDirMode(), 0);
    EXPECT_EQ(form->FirstDirectory(), folder.Path());

    // The shortcut texts bind no key: Ctrl+A and Ctrl+S reach the field as plain keys.
    TempFolder store;
    TForm3 extensions(store.PathOf(L"Morvane.dat"));
    form->SetDialogs(nullptr, nullptr, &extensions);
    form->Edit1.SetText(L"txt");
    form->Edit1.SetFocus();
    bool dialogShown = false;
    ModalScript script;
    script.Then([&] {
        dialogShown = IsWindowVisible(extensions.Handle()) != FALSE;
        if (dialogShown) PostMessageW(extensions.Handle(), WM_CLOSE, 0, 0);
    });
    SetForegroundWindow(form->Handle());
    form->Edit1.SetFocus();
    PressKeys({VK_CONTROL, 'A', -'A', 'S', -'S', -VK_CONTROL, VK_END, -VK_END, 'X', -'X'});
    EXPECT_FALSE(dialogShown);
    // The keys did arrive: the field took the plain key after them, and "すべて" never came.
    EXPECT_EQ(form->Edit1.Text(), L"txtx");
    form->SetDialogs(nullptr, nullptr, nullptr);
}

TEST_F(MainWindow, BatchConvertRenamesAndRefreshesTheList) {
    TempFolder folder;
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.doc"}) folder.AddFile(name);
    auto form = Create({folder.Path()});
    form->Show();
    TForm2 dialog(*form);
    // The dialog is made when the first click needs it (the start makes it when idle).
    form->OnDialogsNeeded = [&] { form->SetDialogs(&dialog, nullptr, nullptr); };
    form->Edit1.SetText(L"txt");
    form->Edit2.SetText(L"bak");

    std::vector<std::wstring> listed;
    ModalScript script;
    script.Then([&] {
        for (int i = 0; i < dialog.CheckListBox1.Count(); ++i) listed.push_back(dialog.CheckListBox1.Item(i));
        dialog.Button2.Click();
    });
    form->Toolbars.FlatButton7.Click();
    EXPECT_EQ(listed.size(), 2u);
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.bak", L"b.bak", L"c.doc"}));
    EXPECT_GE(ItemNamed(form->FileView1, L"a.bak"), 0);
    EXPECT_EQ(ItemNamed(form->FileView1, L"a.txt"), -1);

    // With "ｻﾌﾞﾌｫﾙﾀﾞも含める" checked the batch takes the folders below as well.
    folder.AddFolder(L"写真");
    folder.AddFile(L"写真\\d.bak");
    form->IncludeSubFolders.Click();
    EXPECT_TRUE(form->IncludeSubFolders.Checked());
    form->Edit1.SetText(L"bak");
    form->Edit2.SetText(L"txt");
    listed.clear();
    script.Then([&] {
        for (int i = 0; i < dialog.CheckListBox1.Count(); ++i) listed.push_back(dialog.CheckListBox1.Item(i));
        dialog.Button2.Click();
    });
    form->Toolbars.FlatButton7.Click();
    EXPECT_EQ(listed.size(), 3u);
    EXPECT_EQ(dialog.Label2.Caption(), L"拡張子変更(ｻﾌﾞﾌｫﾙﾀﾞも)　[bak] → [txt]");
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.txt", L"b.txt", L"c.doc", L"写真"}));
    EXPECT_EQ(test::NamesInFolder(folder.PathOf(L"写真")), std::vector<std::wstring>{L"d.txt"});
    EXPECT_GE(ItemNamed(form->FileView1, L"a.txt"), 0);
    form->OnDialogsNeeded = nullptr;
    form->SetDialogs(nullptr, nullptr, nullptr);
}

TEST_F(MainWindow, FavouritesAreAppendedAndPickedIntoEitherField) {
    TempFolder store;
    const std::wstring file = store.PathOf(L"Morvane.dat");
    auto form = Create();
    TForm3 extensions(file);
    // Each command finds the list not made yet, and has it made.
    form->OnDialogsNeeded = [&] { form->SetDialogs(nullptr, nullptr, &extensions); };
    const auto unmade = [&] { form->SetDialogs(nullptr, nullptr, nullptr); };
    form->Edit1.SetText(L"jpeg");
    form->N9.Click();
    unmade();
    form->Edit2.SetText(L"jpg");
    form->K4.Click();
    unmade();
    EXPECT_EQ(extensions.List().Entries(), (std::vector<std::wstring>{L"jpeg", L"jpg"}));

    // Pick the first entry into the new-extension field.
    ModalScript script;
    script.Then([&] {
        PostClickAt(extensions.ListBox1.Handle(), 10, 5);
        script.Then([&] { extensions.FlatButton1.Click(); });
    });
    form->N8.Click();
    EXPECT_EQ(form->Edit2.Text(), L"jpeg");
    EXPECT_EQ(form->Edit1.Text(), L"jpeg");
    form->OnDialogsNeeded = nullptr;
    form->SetDialogs(nullptr, nullptr, nullptr);
}

// The start reads its folder while the window is built; a file a crash left under the temporary
// name of a change of case is listed under its own name all the same, once the start has put it back.
TEST_F(MainWindow, AFileACrashLeftUnderATemporaryNameIsListedUnderItsOwnAtStart) {
    TempFolder folder;
    TempFolder store;
    const std::wstring journal = store.PathOf(L"last-batch");
    folder.AddFile(L"x.JPG.morvane-tmp");
    folder.AddFile(L"y.txt");
    WriteBatchJournal(journal, BatchJournal{folder.Path(),
                                            {{L"x.JPG", L"x.jpg", false, RenameOutcome::Unknown, L"x.JPG.morvane-tmp"}}});
    auto form = Create({folder.Path()});
    form->SetJournalPath(journal);
    form->Show();
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"x.JPG", L"y.txt"}));
    EXPECT_GE(ItemNamed(form->FileView1, L"x.JPG"), 0);
    EXPECT_EQ(ItemNamed(form->FileView1, L"x.JPG.morvane-tmp"), -1);
    EXPECT_EQ(form->FileView1.Count(), 2);
}

TEST_F(MainWindow, CtrlZInTheTreeOrTheListUndoesTheLastBatchAlsoAfterARestart) {
    TempFolder folder;
    TempFolder store;
    const std::wstring journal = store.PathOf(L"last-batch");
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) folder.AddFile(name);
    {
        auto form = Create({folder.Path()});
        form->SetJournalPath(journal);
        TForm2 dialog(*form);
        dialog.SetJournalPath(journal);
        form->SetDialogs(&dialog, nullptr, nullptr);
        form->Edit1.SetText(L"txt");
        form->Edit2.SetText(L"bak");
        ModalScript script;
        script.Then([&] { dialog.Button2.Click(); });
        form->Toolbars.FlatButton7.Click();
        form->SetDialogs(nullptr, nullptr, nullptr);
    }
    ASSERT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.bak", L"b.bak", L"c.bak"}));
    // Meanwhile a new c.txt appears: that file keeps its new name.
    folder.AddFile(L"c.txt", 0, "new");

    // The program starts again.
    auto form = Create({folder.Path()});
    form->SetJournalPath(journal);
    form->Show();
    SetForegroundWindow(form->Handle());
    ErrorBoxCatcher boxes;  // answers the confirmation with OK
    form->Edit2.SetFocus();
    PressKeys({VK_CONTROL, 'Z', -'Z', -VK_CONTROL});
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.bak", L"b.bak", L"c.bak", L"c.txt"}));

    form->FileView1.SetFocus();
    PressKeys({VK_CONTROL, 'Z', -'Z', -VK_CONTROL});
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Caption, L"Morvane");
    EXPECT_NE(boxes.Boxes()[0].Text.find(folder.Path()), std::wstring::npos);
    EXPECT_NE(boxes.Boxes()[0].Text.find(L"ﾌｧｲﾙ: 3個"), std::wstring::npos);
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.txt", L"b.txt", L"c.bak", L"c.txt"}));
    EXPECT_EQ(form->StatusBar1.PanelText(1), L"2個を戻し、1個は戻せません。");
    EXPECT_GE(ItemNamed(form->FileView1, L"a.txt"), 0);

    // The file that could not go back is tried again; once it can, the journal is done with.
    DeleteFileW(folder.PathOf(L"c.txt").c_str());
    form->FolderView1.SetFocus();
    PressKeys({VK_CONTROL, 'Z', -'Z', -VK_CONTROL});
    EXPECT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.txt", L"b.txt", L"c.txt"}));
    EXPECT_EQ(form->StatusBar1.PanelText(1), L"1個のﾌｧｲﾙを元に戻しました。");
    form->FileView1.SetFocus();
    PressKeys({VK_CONTROL, 'Z', -'Z', -VK_CONTROL});
    EXPECT_EQ(boxes.Boxes().size(), 2u);

    // A journal that cannot be written again at the end: the list is still read again, the status
    // says what was put back, and the error box why the journal stays as it was.
    {
        struct Silent : ProgressSink {
            void Start(int) override {}
            void Step() override {}
            void Finish() override {}
        } silent;
        const MatchList list = ListMatchingFiles(folder.Path(), L"*.txt");
        JournalRecorder recorder(journal, PlanBatch(folder.Path(), list, L"bak"));
        JournalingSink sink(silent, &recorder, list);
        RenameCheckedFiles(folder.Path(), list, L"bak", sink);
    }
    folder.AddFile(L"a.txt", 0, "new");  // a cannot go back
    store.AddFolder(L"last-batch.new");
    form->FileView1.SetFocus();
    PressKeys({VK_CONTROL, 'Z', -'Z', -VK_CONTROL});
    ASSERT_EQ(boxes.Boxes().size(), 4u);
    EXPECT_EQ(boxes.Boxes()[3].Text, L"ﾌｧｲﾙ " + journal + L" を作成できません.");
    EXPECT_EQ(form->StatusBar1.PanelText(1), L"2個を戻し、1個は戻せません。");
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.bak", L"a.txt", L"b.txt", L"c.txt"}));
    EXPECT_GE(ItemNamed(form->FileView1, L"b.txt"), 0);
}

// The rows of the history window's list, each its columns' texts.
std::vector<std::vector<std::wstring>> HistoryRows() {
    std::vector<std::vector<std::wstring>> rows;
    const HWND history = FindWindowW(L"THistoryForm", nullptr);
    const HWND list = history ? FindWindowExW(history, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
    const auto count = list ? static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
    for (int row = 0; row < count; ++row) {
        rows.emplace_back();
        for (int column = 0; column < 5; ++column) {
            wchar_t text[512] = {};
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = 512;
            SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
            rows.back().push_back(text);
        }
    }
    return rows;
}

// Runs the step a moment later, once the queue has emptied: a step queued again at once would keep
// the input a test sends, and every timer, from being handled.
std::function<void()> laterStep;

void CALLBACK RunLaterStep(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    const std::function<void()> due = std::move(laterStep);
    if (due) due();
}

void Later(std::function<void()> step) {
    laterStep = std::move(step);
    SetTimer(nullptr, 0, 20, RunLaterStep);
}

// Without the mouse: Tab visits the two fields, the command toolbar, the tree and the list (and
// Shift+Tab goes back); Enter in the new-extension field opens the batch dialog, Alt+O converts,
// and the keys are back in the field afterwards; Alt+Down opens the field's drop-down menu.
TEST_F(MainWindow, TheKeyboardAloneReachesEveryStopAndRunsABatch) {
    TempFolder folder;
    for (const wchar_t* name : {L"a.txt", L"b.txt"}) folder.AddFile(name);
    TempFolder store;
    auto form = Create({folder.Path()});
    form->SetJournalPath(store.PathOf(L"last-batch"));
    TForm2 dialog(*form);
    dialog.SetJournalPath(store.PathOf(L"last-batch"));
    form->SetDialogs(&dialog, nullptr, nullptr);
    form->Show();
    SetForegroundWindow(form->Handle());
    form->Edit1.SetText(L"txt");
    form->Edit2.SetText(L"");
    form->Edit1.SetFocus();
    std::vector<HWND> visited;
    for (int i = 0; i < 5; ++i) {
        PressKeys({VK_TAB, -VK_TAB});
        visited.push_back(GetFocus());
    }
    EXPECT_EQ(visited, (std::vector<HWND>{form->Edit2.Handle(), form->Toolbars.FlatToolbar2.Handle(),
                                          form->FolderView1.Handle(), form->FileView1.Handle(), form->Edit1.Handle()}));
    PressKeys({VK_SHIFT, VK_TAB, -VK_TAB, -VK_SHIFT});
    EXPECT_EQ(GetFocus(), form->FileView1.Handle());

    form->Edit2.SetFocus();
    PressKeys({'B', -'B', 'A', -'A', 'K', -'K'});
    EXPECT_EQ(form->Edit2.Text(), L"bak");
    // Each step waits until what the keys open is on the screen, then presses the next keys.
    const auto whenShown = [](std::function<bool()> shown, std::function<void()> then) {
        auto tries = std::make_shared<int>(0);
        auto step = std::make_shared<std::function<void()>>();
        *step = [=] {
            if (!shown() && ++*tries < 100) return Later(*step);
            then();
        };
        Later(*step);
    };
    bool dialogShown = false;
    whenShown([&] { return IsWindowVisible(dialog.Handle()) != FALSE; },
              [&] {
                  dialogShown = IsWindowVisible(dialog.Handle()) != FALSE;
                  PressKeys({VK_MENU, 'O', -'O', -VK_MENU});
              });
    PressKeys({VK_RETURN, -VK_RETURN});
    EXPECT_TRUE(dialogShown);
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.bak", L"b.bak"}));
    EXPECT_EQ(GetFocus(), form->Edit2.Handle());

    bool menuShown = false;
    const auto menuOpen = [] {
        const HWND menu = FindWindowW(L"#32768", nullptr);
        return menu && IsWindowVisible(menu);
    };
    whenShown(menuOpen, [&] {
        menuShown = menuOpen();
        // Left to the menu's own loop, which reads the keys itself.
        INPUT escape[2] = {};
        escape[0].type = escape[1].type = INPUT_KEYBOARD;
        escape[0].ki.wVk = escape[1].ki.wVk = VK_ESCAPE;
        escape[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, escape, sizeof(INPUT));
    });
    PressKeys({VK_MENU, VK_DOWN, -VK_DOWN, -VK_MENU});
    EXPECT_TRUE(menuShown);

    // The history window (Ctrl+H): its list has the keys first, Tab goes on to its buttons.
    const auto historyShown = [] {
        const HWND history = FindWindowW(L"THistoryForm", nullptr);
        return history && IsWindowVisible(history);
    };
    std::wstring firstStop, secondStop;
    whenShown(historyShown, [&] {
        wchar_t text[64] = {};
        GetClassNameW(GetFocus(), text, 64);
        firstStop = text;
        PressKeys({VK_TAB, -VK_TAB});
        GetWindowTextW(GetFocus(), text, 64);
        secondStop = text;
        PressKeys({VK_ESCAPE, -VK_ESCAPE});
    });
    PressKeys({VK_CONTROL, 'H', -'H', -VK_CONTROL});
    EXPECT_EQ(firstStop, L"SysListView32");
    EXPECT_EQ(secondStop, L"元に戻す(&U)");
    EXPECT_FALSE(historyShown());
    form->SetDialogs(nullptr, nullptr, nullptr);
}

// Three batches in three folders: the history lists them newest first, undoes the middle one alone
// from its window, and after a restart Ctrl+Z undoes the newest still converted, then the oldest.
TEST_F(MainWindow, TheHistoryUndoesABatchAloneAndCtrlZTheNewestStillConverted) {
    TempFolder store;
    const std::wstring journal = store.PathOf(L"last-batch");
    std::vector<std::unique_ptr<TempFolder>> folders;
    for (int i = 0; i < 3; ++i) {
        folders.push_back(std::make_unique<TempFolder>());
        for (const wchar_t* name : {L"a.txt", L"b.txt"}) folders.back()->AddFile(name);
    }
    const auto converted = [&](int i) { return folders[static_cast<size_t>(i)]->Names() == std::vector<std::wstring>{L"a.bak", L"b.bak"}; };
    const auto original = [&](int i) { return folders[static_cast<size_t>(i)]->Names() == std::vector<std::wstring>{L"a.txt", L"b.txt"}; };
    {
        auto form = Create();
        form->SetJournalPath(journal);
        TForm2 dialog(*form);
        dialog.SetJournalPath(journal);
        form->SetDialogs(&dialog, nullptr, nullptr);
        form->Edit1.SetText(L"txt");
        form->Edit2.SetText(L"bak");
        for (int i = 0; i < 3; ++i) {
            form->FolderView1.SetFolderPath(folders[static_cast<size_t>(i)]->Path());
            if (i == 2) form->IncludeSubFolders.Click();
            ModalScript script;
            script.Then([&] { dialog.Button2.Click(); });
            form->Toolbars.FlatButton7.Click();
            ASSERT_TRUE(converted(i));
        }

        // Ctrl+H, also in a field; the middle batch selected and undone alone.
        form->Show();
        SetForegroundWindow(form->Handle());
        form->Edit1.SetFocus();
        std::vector<std::vector<std::wstring>> before, after;
        ModalScript script;
        // The steps also run while the undo lets messages through: the window closes once it is
        // its own again.
        // (The steps keep the queue busy, so the box catcher's timer never comes: the question is
        // answered here.)
        std::wstring question;
        std::function<void()> closeOnceUndone = [&] {
            const HWND history = FindWindowW(L"THistoryForm", nullptr);
            if (const HWND box = FindWindowW(L"#32770", nullptr); box && IsWindowVisible(box)) {
                wchar_t text[1024] = {};
                GetDlgItemTextW(box, 0xFFFF, text, 1024);  // the message box's text
                question = text;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
            }
            if (!history || !IsWindowEnabled(history) || !original(1)) {
                Later([&] { script.Then(closeOnceUndone); });
                return;
            }
            after = HistoryRows();
            test::PostKey(history, VK_ESCAPE);
        };
        std::function<void()> undoTheMiddle = [&] {
            const HWND history = FindWindowW(L"THistoryForm", nullptr);
            if (!history || !IsWindowVisible(history)) {
                Later([&] { script.Then(undoTheMiddle); });  // Ctrl+H is on its way
                return;
            }
            before = HistoryRows();
            const HWND list = FindWindowExW(history, nullptr, WC_LISTVIEWW, nullptr);
            // At 150 % the window is its layout scaled: the list above the buttons, which end at
            // the right margin; back at 100 % it is as designed.
            const HWND closeButton = FindWindowExW(history, nullptr, L"Button", L"閉じる");
            test::SendDpiChange(history, 96, 144);
            RECT client;
            GetClientRect(history, &client);
            EXPECT_TRUE(IsScaled(client.right, 680, 144));
            EXPECT_TRUE(IsScaled(client.bottom, 300, 144));
            EXPECT_EQ(RectInParent(list).left, 12);
            EXPECT_LE(RectInParent(list).bottom, RectInParent(closeButton).top);
            EXPECT_TRUE(IsScaled(RectInParent(closeButton).right, 680 - 8, 144));
            EXPECT_TRUE(IsScaled(RectInParent(closeButton).bottom - RectInParent(closeButton).top, 23, 144));
            EXPECT_TRUE(IsScaled(ListView_GetColumnWidth(list, 0), 128, 144));
            test::SendDpiChange(history, 144, 96);
            GetClientRect(history, &client);
            EXPECT_EQ(client.right, 680);
            EXPECT_EQ(RectInParent(closeButton).right, 680 - 8);
            EXPECT_EQ(ListView_GetColumnWidth(list, 0), 128);
            LVITEMW select{};
            select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            select.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&select));
            test::PostButtonClick(FindWindowExW(history, nullptr, L"Button", L"元に戻す(&U)"));
            script.Then(closeOnceUndone);
        };
        script.Then(undoTheMiddle);
        PressKeys({VK_CONTROL, 'H', -'H', -VK_CONTROL});
        ASSERT_TRUE(script.Done());
        EXPECT_EQ(form->Edit1.Text(), L"txt");  // no backspace reached the field
        ASSERT_EQ(before.size(), 3u);
        for (int row = 0; row < 3; ++row) {
            EXPECT_EQ(before[static_cast<size_t>(row)][1], folders[static_cast<size_t>(2 - row)]->Path());
            EXPECT_EQ(before[static_cast<size_t>(row)][2], row == 0 ? L"[txt] → [bak] ｻﾌﾞﾌｫﾙﾀﾞも" : L"[txt] → [bak]");
            EXPECT_EQ(before[static_cast<size_t>(row)][3], L"2");
            EXPECT_EQ(before[static_cast<size_t>(row)][4], L"元に戻せます");
            EXPECT_EQ(before[static_cast<size_t>(row)][0].size(), 16u);  // 2026/12/09 14:03
        }
        ASSERT_EQ(after.size(), 3u);
        EXPECT_EQ(after[1][4], L"元に戻しました");
        EXPECT_EQ(after[0][4], L"元に戻せます");
        EXPECT_EQ(after[2][4], L"元に戻せます");
        EXPECT_NE(question.find(before[1][0] + L" の一括変換を元に戻します。"), std::wstring::npos);
        EXPECT_TRUE(converted(0));
        EXPECT_TRUE(original(1));
        EXPECT_TRUE(converted(2));
        form->SetDialogs(nullptr, nullptr, nullptr);
    }

    // After a restart, Ctrl+Z takes the newest batch still converted, then the oldest, then nothing.
    auto form = Create({folders[0]->Path()});
    form->SetJournalPath(journal);
    form->Show();
    SetForegroundWindow(form->Handle());
    form->FileView1.SetFocus();
    ErrorBoxCatcher boxes;
    PressKeys({VK_CONTROL, 'Z', -'Z', -VK_CONTROL});
    EXPECT_TRUE(converted(0));
    EXPECT_TRUE(original(2));
    PressKeys({VK_CONTROL, 'Z', -'Z', -VK_CONTROL});
    EXPECT_TRUE(original(0));
    EXPECT_GE(ItemNamed(form->FileView1, L"a.txt"), 0);
    PressKeys({VK_CONTROL, 'Z', -'Z', -VK_CONTROL});
    EXPECT_EQ(boxes.Boxes().size(), 2u);
    ASSERT_GE(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].Text.find(L"直前の一括変換を元に戻します。"), std::wstring::npos);
}

// The system's save dialog for a batch's renames, loaded when first asked for: it opens on the
// suggested name and gives back the path the user accepts.
TEST_F(MainWindow, TheSaveDialogOfTheHistoryGivesBackThePathAccepted) {
    TempFolder store;
    const std::wstring suggested = store.PathOf(L"Morvane 2026-12-09 14-03.csv");
    ModalScript script;
    std::function<void()> accept = [&] {
        const HWND dialog = FindWindowW(L"#32770", nullptr);
        if (!dialog || !IsWindowVisible(dialog)) {
            Later([&] { script.Then(accept); });
            return;
        }
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
    script.Then(accept);
    EXPECT_EQ(THistoryForm::AskWhereToSave(nullptr, suggested), suggested);
    EXPECT_TRUE(script.Done());
}

// A long undo keeps the window painting and shows in the status bar how far it is; no input reaches
// the window meanwhile, and Esc stops it after the file in hand. The next Ctrl+Z offers exactly the
// rest and puts it back, none counted as not restored.
TEST_F(MainWindow, ALongUndoShowsHowFarItIsTakesNoInputAndStopsOnEsc) {
    constexpr size_t kFiles = 1000;
    TempFolder folder;
    TempFolder store;
    const std::wstring journal = store.PathOf(L"last-batch");
    for (size_t i = 0; i < kFiles; ++i) folder.AddFile(L"f" + std::to_wstring(1000 + i) + L".txt");
    {
        struct Silent : ProgressSink {
            void Start(int) override {}
            void Step() override {}
            void Finish() override {}
        } silent;
        const MatchList list = ListMatchingFiles(folder.Path(), L"*.txt");
        JournalRecorder recorder(journal, PlanBatch(folder.Path(), list, L"bak"));
        JournalingSink sink(silent, &recorder, list);
        RenameCheckedFiles(folder.Path(), list, L"bak", sink);
    }
    const auto restoredSoFar = [&] { return ListMatchingFiles(folder.Path(), L"*.txt").size(); };
    ASSERT_EQ(restoredSoFar(), 0u);
    auto form = Create({folder.Path()});
    form->SetJournalPath(journal);
    form->Show();
    form->Edit1.SetText(L"txt");
    SetForegroundWindow(form->Handle());
    form->FileView1.SetFocus();
    ErrorBoxCatcher boxes;

    bool blockedWhileRunning = false;
    std::wstring statusAtStop;
    size_t restoredAtStop = 0;
    ModalScript script;
    std::function<void()> stopOnceSomeAreRestored = [&] {
        if (restoredSoFar() == 0) {
            script.Then(stopOnceSomeAreRestored);
            return;
        }
        restoredAtStop = restoredSoFar();
        statusAtStop = form->StatusBar1.PanelText(1);
        test::PostKey(form->FileView1.Handle(), VK_ESCAPE);
    };
    script.Then([&] {
        AnswerBoxWithOk();  // the confirmation
        script.Then([&] {
            // Handled from inside the undo, before its first file.
            blockedWhileRunning = !IsWindowEnabled(form->Handle()) &&
                                  form->StatusBar1.PanelText(1) == L"元に戻しています… 0/1000個";
            // A character typed into the target field, and a click on a file, which would take its
            // extension as the target.
            PostMessageW(form->Edit1.Handle(), WM_CHAR, L'x', 1);
            // Keys other than Esc do not stop it.
            for (const WPARAM key : {WPARAM{'X'}, WPARAM{VK_SPACE}, WPARAM{VK_RETURN}, WPARAM{VK_F1}})
                test::PostKey(form->FileView1.Handle(), key);
            const RECT item = form->FileView1.ItemRect(0);
            PostClickAt(form->FileView1.Handle(), item.left + 8, (item.top + item.bottom) / 2);
            script.Then(stopOnceSomeAreRestored);
        });
    });
    form->UndoLastBatch();
    EXPECT_TRUE(blockedWhileRunning);
    ASSERT_GT(restoredAtStop, 0u);
    ASSERT_LT(restoredAtStop, kFiles);
    EXPECT_EQ(statusAtStop, L"元に戻しています… " + std::to_wstring(restoredAtStop) + L"/1000個");
    // Esc is taken at the undo's next look at the input: a few more files may go back before it.
    const size_t restoredAtEnd = restoredSoFar();
    EXPECT_GE(restoredAtEnd, restoredAtStop);
    EXPECT_LT(restoredAtEnd, kFiles);
    // Stopped, the status says so and what the next Ctrl+Z still puts back.
    EXPECT_EQ(form->StatusBar1.PanelText(1),
              L"中止。残り" + std::to_wstring(kFiles - restoredAtEnd) + L"個はCtrl+Zで戻せます。");
    {
        // The reports are said whole in their panel at the window's designed width, also with
        // counts of six digits.
        const HWND bar = form->StatusBar1.Handle();
        RECT panel{};
        SendMessageW(bar, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&panel));
        const HDC dc = GetDC(bar);
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(bar, WM_GETFONT, 0, 0)));
        for (const std::wstring& report : {std::wstring(L"中止。残り999999個はCtrl+Zで戻せます。"),
                                           std::wstring(L"中止。残り999999個は履歴から戻せます。"),
                                           std::wstring(L"999999個を戻し、999999個は戻せません。"),
                                           std::wstring(L"999999個のﾌｧｲﾙを元に戻しました。"),
                                           std::wstring(L"元に戻しています… 999999/999999個")}) {
            SIZE extent{};
            GetTextExtentPoint32W(dc, report.c_str(), static_cast<int>(report.size()), &extent);
            EXPECT_LT(extent.cx, panel.right - panel.left - 4) << extent.cx;
        }
        SelectObject(dc, old);
        ReleaseDC(bar, dc);
    }
    EXPECT_TRUE(IsWindowEnabled(form->Handle()));
    EXPECT_EQ(GetFocus(), form->FileView1.Handle());
    EXPECT_EQ(form->Edit1.Text(), L"txt");
    EXPECT_GE(ItemNamed(form->FileView1, L"f1999.txt"), 0);  // restored first, and the list read again
    EXPECT_TRUE(boxes.Boxes().empty());

    // Ctrl+Z again, where the user pressed it before.
    PressKeys({VK_CONTROL, 'Z', -'Z', -VK_CONTROL});
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].Text.find(L"ﾌｧｲﾙ: " + std::to_wstring(kFiles - restoredAtEnd) + L"個"),
              std::wstring::npos);
    EXPECT_EQ(restoredSoFar(), kFiles);
    EXPECT_EQ(form->StatusBar1.PanelText(1), std::to_wstring(kFiles - restoredAtEnd) + L"個のﾌｧｲﾙを元に戻しました。");
    EXPECT_TRUE(UndoableEntries(*ReadBatchJournal(journal)).empty());
}

// A folder dragged onto the window opens; a file opens its folder; of several items the first
// counts; anything else, or any drop while a dialog stands over the window, changes nothing.
TEST_F(MainWindow, AFolderOrFileDroppedOnTheWindowOpensItsFolder) {
    TempFolder root(L"_ドロップ");
    root.AddFolder(L"写真");
    root.AddFile(L"写真\\a.jpg");
    root.AddFile(L"memo.txt");
    TempFolder other;
    auto form = Create({other.Path()});
    form->Show();
    SetForegroundWindow(form->Handle());
    TFolderView& tree = form->FolderView1;

    PostDrop(form->Handle(), {root.PathOf(L"写真")});
    EXPECT_EQ(tree.FolderPath(), root.PathOf(L"写真"));
    EXPECT_GE(ItemNamed(form->FileView1, L"a.jpg"), 0);
    PostDrop(form->Handle(), {root.PathOf(L"memo.txt")});
    EXPECT_EQ(tree.FolderPath(), root.Path());
    PostDrop(form->Handle(), {other.Path(), root.PathOf(L"写真")});
    EXPECT_EQ(tree.FolderPath(), other.Path());
    PostDrop(form->Handle(), {root.PathOf(L"gone"), root.PathOf(L"写真")});
    PostDrop(form->Handle(), {});
    PostDrop(form->Handle(), {root.PathOf(L"写真")}, false);  // a path without its end is no path
    EXPECT_EQ(tree.FolderPath(), other.Path());
    EnableWindow(form->Handle(), FALSE);
    PostDrop(form->Handle(), {root.PathOf(L"写真")});
    EXPECT_EQ(tree.FolderPath(), other.Path());
    EnableWindow(form->Handle(), TRUE);

    // Through OLE, with the shell's own data objects: a copy's effect, never a move's. The folder
    // is read once the drag's source has been let go.
    const IDList folder = ParsePath(root.PathOf(L"写真"));
    const IDList file = ParsePath(root.PathOf(L"memo.txt"));
    EXPECT_EQ(DragAndDrop(form->Handle(), folder.Get()), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(tree.FolderPath(), other.Path());
    PumpMessages();
    EXPECT_EQ(tree.FolderPath(), root.PathOf(L"写真"));
    EXPECT_EQ(DragAndDrop(form->Handle(), file.Get()), static_cast<DWORD>(DROPEFFECT_COPY));
    PumpMessages();
    EXPECT_EQ(tree.FolderPath(), root.Path());
    // My Computer has no place in the file system.
    IDList computer;
    SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, IDList::Receiver(computer));
    EXPECT_EQ(DragAndDrop(form->Handle(), computer.Get()), static_cast<DWORD>(DROPEFFECT_NONE));
    EnableWindow(form->Handle(), FALSE);
    EXPECT_EQ(DragAndDrop(form->Handle(), folder.Get()), static_cast<DWORD>(DROPEFFECT_NONE));
    PumpMessages();
    EnableWindow(form->Handle(), TRUE);
    EXPECT_EQ(tree.FolderPath(), root.Path());
}

// Without the right to write the classes root the entry goes to the user's own classes, with no
// error box, and the check mark follows it there at the next start and when it is taken away.
TEST_F(MainWindow, TheFolderMenuCheckMarkFollowsAnEntryInTheUsersOwnClasses) {
    const std::wstring userVerb = L"Software\\Classes\\Folder\\shell\\extention";
    RedirectedRoot root(HKEY_CLASSES_ROOT, L"classes");
    RedirectedRoot user(HKEY_CURRENT_USER, L"user");
    root.Refuse();
    {
        auto form = Create();
        EXPECT_FALSE(form->K16.Checked());
        EXPECT_EQ(MessageOf([&] { form->K16.Click(); }), L"(no error)");
        EXPECT_TRUE(form->K16.Checked());
        EXPECT_EQ(RegistryText(user.Key(), userVerb + L"\\command", L""), L"\"" + ExecutablePath() + L"\" \"%1\"");
    }
    auto form = Create();
    EXPECT_TRUE(form->K16.Checked());
    form->K16.Click();
    EXPECT_FALSE(form->K16.Checked());
    EXPECT_FALSE(RegistryKeyExists(user.Key(), userVerb));

    // Refused in both places: reported as ever, and the mark stays set for this run.
    user.Refuse();
    EXPECT_EQ(MessageOf([&] { form->K16.Click(); }), L"'' の設定に失敗しました");
    EXPECT_TRUE(form->K16.Checked());
}

TEST_F(MainWindow, TheSplitterMovesTheBorderBetweenTreeAndList) {
    auto form = Create();
    form->Show();
    const HWND panel = form->Panel1.Handle();
    PostMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(178, 100));
    PostMessageW(panel, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(250, 100));
    PostMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(250, 100));
    PumpMessages();
    EXPECT_EQ(form->FolderView1.Width(), 177 + 72);
    EXPECT_EQ(form->FileView1.Left(), 177 + 72 + 4);
    EXPECT_EQ(form->FileView1.Left() + form->FileView1.Width(), 605);
    // Neither side gets narrower than the splitter allows.
    PostMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(250, 100));
    PostMessageW(panel, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-300, 100));
    PostMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(-300, 100));
    PumpMessages();
    EXPECT_EQ(form->FolderView1.Width(), Splitter::kMinSize);
}

}  // namespace
}  // namespace morvane
